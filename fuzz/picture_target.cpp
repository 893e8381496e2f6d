// The fuzz target: arbitrary bytes go the way a picture file goes in the product, through the
// loader with its limits (every frame too, with alpha kept), the conversion with and without
// preview, and the bitmap writer. Besides
// the sanitizers it checks what must hold for any picture that loads, so that a wrong result
// counts as a finding just like a crash.
#include "core/conversion.h"
#include "core/decode/bmp_decoder.h"
#include "core/decode/exif.h"
#include "core/decode/jpeg_decoder.h"
#include "core/decode/picture_loader.h"
#include "core/files/bitmap_file.h"
#include "core/fitting.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "fuzz_picture: %s %s\n", what, qPrintable(detail));
    std::abort();
}

const QTemporaryDir &outputDir()
{
    static const QTemporaryDir dir;
    if (!dir.isValid())
        fail("no temporary folder:", dir.errorString());
    return dir;
}

// Past this size the conversion and the writers get a corner of the picture only: every row
// runs the same code, and whole passes over a picture at the loader's limit take a minute
// under the sanitizers, which the fuzzer would report as a hang. The loader still decodes
// the whole file, and the hostile-file tests convert such pictures whole.
constexpr int kMaxConvertedSide = 1024;

// The preview saved as a bitmap and read back by our own decoder is the same picture.
void checkBitmapRoundTrip(const core::PixelStore &picture)
{
    const QString path = outputDir().filePath(QStringLiteral("out.BMP"));
    if (const auto saved = core::saveBitmap(path, picture); !saved)
        fail("bitmap not saved:", saved.error().toString());
    auto back = core::loadPicture(path);
    if (!back)
        fail("saved bitmap does not load:", back.error().toString());
    if (!back.value().samePixels(picture))
        fail("saved bitmap has other pixels");
}

// Set when libFuzzer runs the target, not when the replay does. A few bytes of BMP can claim a
// picture at the loader's limit of a gigabyte, all of it black; a second per such input starves
// the search, so the fuzzer decodes pictures of up to 4 megapixels. The replay, and the loader
// tests' files at the limit, still take the loader's own limit.
bool fuzzing = false;
constexpr qint64 kMaxFuzzedPixels = qint64(4) * kMaxConvertedSide * kMaxConvertedSide;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzing = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The bytes as an APP1 segment's data too, which reaches the EXIF walk directly.
    if (unsigned(core::exifOrientation({data, size})) > 8)
        fail("EXIF orientation out of range");
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // Each frame is a copy of the whole screen, and a few bytes make a thousand frames: screens
    // are kept to the size of the corner converted below.
    const auto small = [](QSize screen) {
        return screen.width() * screen.height() > kMaxConvertedSide * kMaxConvertedSide
                   ? QStringLiteral("too large")
                   : QString();
    };
    int frames = 0;
    const auto animation = core::decodeFrames(bytes, QStringLiteral("input"), {small, {}, true},
                                              [&](int index, core::PixelStore &frame) {
                                                  if (index != frames++ || frame.isNull())
                                                      fail("frames handed over out of order");
                                                  return QString();
                                              });
    if (animation && (animation.value() != frames || core::frameCount(bytes) != frames))
        fail("frameCount and decodeFrames disagree");
    core::LoadOptions limits;
    if (fuzzing)
        limits.checkSize = [](QSize upright) {
            return qint64(upright.width()) * upright.height() > kMaxFuzzedPixels
                       ? QStringLiteral("too large")
                       : QString();
        };
    auto loaded = core::decodePicture(bytes, QStringLiteral("input"), limits);
    if (!loaded) {
        const core::Error &error = loaded.error();
        const bool clear = error.path == QStringLiteral("input") && !error.reason.isEmpty() &&
                           (error.kind == core::Error::Kind::CannotRead ||
                            error.kind == core::Error::Kind::OutOfMemory);
        if (!clear)
            fail("unclear load error:", error.toString());
        return 0;
    }

    if (loaded.value().isNull() || loaded.value().hasAlpha())
        fail("loaded picture is not a usable canvas");
    core::PixelStore picture = std::move(loaded).value();
    const QSize corner = picture.size().boundedTo({kMaxConvertedSide, kMaxConvertedSide});
    // Every pixel opaque, which memcheck also sees as every alpha byte written; so far for the
    // pictures of our own decoders: Qt's GIF reader can leave other bytes there in an RGB32
    // picture (crashes/gif_rgb32_with_alpha_bytes.gif), which the conversion ignores.
    const bool ours = core::isJpeg(bytes) || core::isBmp(bytes);
    for (int y = 0; ours && y < corner.height(); ++y)
        for (int x = 0; x < corner.width(); ++x)
            if (picture.row(y)[x] >> 24 != 0xFF)
                fail("loaded pixel is not opaque");
    if (corner != picture.size())
        picture = core::cropped(picture, QRect({0, 0}, corner));

    auto plain = core::convertPicture(picture, false);
    if (!plain)
        return 0; // reported as OutOfMemory, which is what a machine short of memory should see
    const auto expected =
        core::binSize(std::uint64_t(picture.width()), std::uint64_t(picture.height()));
    if (plain.value().size() != expected)
        fail("BIN buffer has the wrong size");

    // The preview repaints each pixel in a colour of the same 565 code, so converting again,
    // during and after the preview, must give the very same bytes.
    for (const bool preview : {true, false}) {
        const auto repeated = core::convertPicture(picture, preview);
        if (!repeated || repeated.value() != plain.value())
            fail(preview ? "conversion with preview gives other bytes"
                         : "conversion of the preview gives other bytes");
    }
    checkBitmapRoundTrip(picture);
    return 0;
}
