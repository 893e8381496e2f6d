// A picture as a GIF file, for the benchmarks: Qt has no GIF writer, so giflib writes it, in the
// 256 colours that Qt's conversion to an indexed picture picks.
#pragma once

#include <QByteArray>
#include <QImage>

#include <gif_lib.h>

#include <vector>

inline QByteArray gifFile(const QImage &picture)
{
    QImage indexed = picture.convertToFormat(QImage::Format_Indexed8);
    std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
    for (int i = 0; i < indexed.colorCount(); ++i) {
        const QRgb c = indexed.color(i);
        colours[std::size_t(i)] = {GifByteType(qRed(c)), GifByteType(qGreen(c)),
                                   GifByteType(qBlue(c))};
    }
    QByteArray bytes;
    int error = 0;
    const auto write = [](GifFileType *to, const GifByteType *data, int size) {
        static_cast<QByteArray *>(to->UserData)->append(reinterpret_cast<const char *>(data), size);
        return size;
    };
    GifFileType *gif = EGifOpen(&bytes, write, &error);
    ColorMapObject *map = GifMakeMapObject(256, colours.data());
    EGifPutScreenDesc(gif, indexed.width(), indexed.height(), 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr);
    for (int y = 0; y < indexed.height(); ++y)
        EGifPutLine(gif, indexed.scanLine(y), indexed.width());
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}
