// What several tests need: pictures and files made in code, the BIN a picture must give, and
// scripted stand-ins for the platform services that record what the windows asked for and
// answer as the test says, so that no test ever blocks on a modal window.
#pragma once

#include "core/conversion.h"
#include "core/decode/picture_loader.h"
#include "core/quantiser.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "resources/texts/texts.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>

namespace testing {

// A test's file name as the core takes it, and bytes as the decoders take them.
inline std::filesystem::path fs(const QString &path)
{
    return platform::toPath(path);
}

inline core::ByteView view(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

// A message, and an error's line, as the command line words them in English.
inline QString english(const core::Message &message)
{
    return QString::fromStdString(texts::worded(message, texts::Language::English));
}

inline QString english(const core::Error &error)
{
    return QString::fromStdString(texts::described(error, texts::Language::English));
}

// A name's bytes as the system takes them (Unix).
inline QByteArray nativeBytes(const QString &path)
{
    return QByteArray::fromStdString(fs(path).string());
}

// A picture in which neighbouring pixels differ in every channel, so that a pixel out of
// place or a swapped channel shows.
inline QImage patternPicture(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + y * 71) & 0xFF,
                                (x * 101 + y * 3 + 17) & 0xFF));
    return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

// Empty for anything but a regular file: a pipe would keep the test waiting for a writer.
inline QByteArray readAll(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// What the display unit must receive for `picture`, pixel by pixel through the quantiser.
inline QByteArray expectedBin(const QImage &picture)
{
    QByteArray bin;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const auto q = core::quantise(core::fromQRgb(picture.pixel(x, y)));
            bin += char(q.bin.low);
            bin += char(q.bin.high);
        }
    return bin;
}

// What the window shows of `picture` once converted: each pixel in its preview colour.
inline QImage previewOf(QImage picture)
{
    picture = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(
                x, y, core::toQRgb(core::quantise(core::fromQRgb(picture.pixel(x, y))).preview));
    return picture;
}

// A picture of any format as the core's pixels, opaque, and the core's pixels as a picture.
inline core::PixelStore storeOf(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    core::PixelStore store = core::PixelStore::allocate(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(store.row(y), rgb.constScanLine(y), 4 * std::size_t(rgb.width()));
    return store;
}

inline QImage imageOf(const core::PixelStore &store)
{
    if (store.isNull())
        return {};
    return QImage(reinterpret_cast<const uchar *>(store.row(0)), store.width(), store.height(),
                  qsizetype(store.strideBytes()),
                  store.hasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32)
        .copy();
}

// The BIN the product makes of a picture file; empty when it cannot be loaded.
inline QByteArray binOf(const QString &path)
{
    auto loaded = core::loadPicture(fs(path));
    return loaded ? expectedBin(imageOf(loaded.value())) : QByteArray();
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QStringList errorLines;
};

// The built varnello-convert run in `folder` as a script runs it: with no display, in an
// English locale unless a first argument "LANG=..." says otherwise. A last argument ">FILE"
// sends standard output there, ">&-" closes it. Arguments may hold bytes that are not UTF-8
// (as platform::fromPath() keeps them); those runs go through the shell, since QProcess hands
// arguments over as UTF-8 and always opens standard output.
inline Run runConvert(QStringList arguments, const QString &folder, const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LANG"), arguments.value(0).startsWith(u"LANG=")
                                                   ? arguments.takeFirst().mid(5)
                                                   : QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    // "ulimit=N": at most N KiB of address space, for a run that must fail for want of memory.
    const QString limit =
        arguments.value(0).startsWith(u"ulimit=") ? arguments.takeFirst().mid(7) : QString();
    const bool closed = !arguments.isEmpty() && arguments.last() == u">&-";
    if (closed)
        arguments.removeLast();
    else if (!arguments.isEmpty() && arguments.last().startsWith(u'>'))
        process.setStandardOutputFile(arguments.takeLast().mid(1));
    const bool raw =
        closed || std::any_of(arguments.begin(), arguments.end(),
                              [](const QString &a) { return nativeBytes(a) != a.toUtf8(); });
    if (raw || !limit.isEmpty()) {
        QString script = QStringLiteral("exec \"$0\"");
        if (!limit.isEmpty())
            script.prepend(QStringLiteral("ulimit -v %1 && ").arg(limit.toInt()));
        for (const QString &argument : arguments) {
            script += QStringLiteral(" \"$(printf '");
            for (const char byte : nativeBytes(argument))
                script += QStringLiteral("\\%1").arg(unsigned(std::uint8_t(byte)), 3, 8,
                                                     QLatin1Char('0'));
            script += QStringLiteral("')\"");
        }
        if (closed)
            script += QStringLiteral(" >&-");
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), script, QStringLiteral(VARNELLO_CONVERT)});
    } else {
        process.start(QStringLiteral(VARNELLO_CONVERT), arguments);
    }
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts)};
}

// The cases of a data-driven test kept in tests/data/cases/NAME.tsv: a case a line, its name
// and then its fields, split by tabs, with "\n" for a line break; lines starting with # are
// comments. A case named "[unix] ..." or "[linux] ..." is for that system only, "[nosan] ..."
// for builds without the sanitizers.
inline void addCases(const char *name, const QList<const char *> &columns)
{
    for (const char *column : columns)
        QTest::addColumn<QString>(column);
    const QString text = QString::fromUtf8(
        readAll(QStringLiteral(TEST_DATA "/cases/%1.tsv").arg(QString::fromLatin1(name))));
    QVERIFY2(!text.isEmpty(), name);
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        if (line.startsWith(u'#'))
            continue;
        QVERIFY2(fields.size() == columns.size() + 1, qPrintable(line));
#if !defined(Q_OS_UNIX)
        if (fields[0].startsWith(u"[unix]"))
            continue;
#endif
#if !defined(Q_OS_LINUX)
        if (fields[0].startsWith(u"[linux]"))
            continue;
#endif
#if defined(VARNELLO_SANITIZED)
        if (fields[0].startsWith(u"[nosan]"))
            continue;
#endif
        QTestData &row = QTest::newRow(qPrintable(fields[0]));
        for (const QString &field : fields.mid(1))
            row << QString(field).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    }
}

struct FakeMessageBox final : platform::MessageBox
{
    QList<QPair<QString, QString>> shown; // text, title; questions too
    bool yes = true;                      // the answer to every question

    void show(const QString &text, const QString &title) override { shown.append({text, title}); }
    bool ask(const QString &text, const QString &title) override { return show(text, title), yes; }
};

struct FakeDisplayCaps final : platform::DisplayCaps
{
    int bits = 32;
    int width = 1024;
    mutable int asked = 0;

    int bitsPerPixel(const QWidget *) const override { return ++asked, bits; }
    int horizontalResolution(const QWidget *) const override { return width; }
};

struct FakeApplication final : platform::Application
{
    platform::Version versionNumbers{1, 0, 0};
    QString folder;
    int ended = 0;
    int busyDepth = 0;

    platform::Version version() const override { return versionNumbers; }
    QString executableFolder() const override { return folder; }
    void endNow() override { ++ended; }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
};

// Answers each dialog with the next scripted reply: a list of chosen paths, or a cancel.
struct FakeFileDialog final : platform::FileDialogBackend
{
    std::deque<std::optional<QStringList>> replies;
    QList<Request> requests;

    void choose(const QStringList &paths) { replies.push_back(paths); }
    void cancel() { replies.push_back(std::nullopt); }

    std::optional<QStringList> run(const Request &request) override
    {
        requests << request;
        if (replies.empty())
            return std::nullopt;
        const auto reply = replies.front();
        replies.pop_front();
        return reply;
    }
};

struct FakeServices
{
    FakeMessageBox messageBox;
    FakeDisplayCaps displayCaps;
    FakeApplication application;
    FakeFileDialog fileDialog;

    platform::Services services() { return {messageBox, displayCaps, application, fileDialog}; }
};

} // namespace testing
