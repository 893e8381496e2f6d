#include "run.h"
#include "texts.h"

#include "core/decode/picture_limits.h"
#include "core/decode/picture_loader.h"
#include "core/dithering.h"
#include "core/files/bitmap_file.h"
#include "core/files/c_array.h"
#include "core/fitting.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <thread>

namespace cli {

namespace {

QString standardInput()
{
    return Texts::tr("standard input");
}

core::Expected<QByteArray> readStandardInput()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return core::Error{core::Error::Kind::CannotRead, standardInput(), in.errorString()};
    QByteArray bytes;
    for (;;) {
        const QByteArray piece = in.read(qint64(1) << 20);
        if (in.error() != QFileDevice::NoError)
            return core::Error{core::Error::Kind::CannotRead, standardInput(), in.errorString()};
        if (piece.isEmpty())
            break;
        if (bytes.size() + piece.size() > core::kMaxPictureFileBytes)
            return core::Error{core::Error::Kind::CannotRead, standardInput(),
                               Texts::tr("the picture is too large")};
        bytes += piece;
    }
    return bytes;
}

core::Expected<core::PixelStore> decodeStandardInput(const core::LoadOptions &load)
{
    const auto bytes = readStandardInput();
    if (!bytes)
        return bytes.error();
    if (bytes.value().isEmpty())
        return core::Error{core::Error::Kind::CannotRead, standardInput(),
                           Texts::tr("nothing came in")};
    return core::decodePicture(bytes.value(), standardInput(), load);
}

core::Expected<void> writeStandardOutput(std::span<const std::uint8_t> bin)
{
    const QString name = Texts::tr("standard output");
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return core::Error{core::Error::Kind::CannotWrite, name, out.errorString()};
    const auto size = qint64(bin.size());
    if (out.write(reinterpret_cast<const char *>(bin.data()), size) != size || !out.flush())
        return core::Error{core::Error::Kind::CannotWrite, name, out.errorString()};
    return {};
}

QString writeOutput(const QString &path, std::span<const std::uint8_t> bytes,
                    core::Durability durability)
{
    const auto written = path == kStandardStream ? writeStandardOutput(bytes)
                                                 : core::writeBinFile(path, bytes, durability);
    return written ? QString() : written.error().toString();
}

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

QString notEnoughMemory(const QString &name)
{
    return core::Error{core::Error::Kind::OutOfMemory, name, {}}.toString();
}

// Turning and fitting, when asked for, each giving up its input as it makes its output.
QString shape(core::PixelStore &picture, const QString &name, const Options &options)
{
    if (options.rotation == 0 && !options.fit)
        return {};
    core::PixelStore shaped = core::turned(std::move(picture), options.rotation);
    if (options.fit && !shaped.isNull())
        shaped = core::fitted(std::move(shaped), *options.fit, options.fitMode, options.background);
    if (shaped.isNull())
        return notEnoughMemory(name);
    picture = std::move(shaped);
    return {};
}

// --from-bin: the BIN file's bytes, of exactly the length its size takes, back into the
// picture the display unit shows.
QString showBin(const Job &job, const QString &name, QSize size, const Options &options)
{
    const auto expected = core::binSize(std::uint64_t(size.width()), std::uint64_t(size.height()));
    const auto wrongLength = [&](qint64 length) {
        return Texts::tr("%1: is %2 bytes long, but a BIN file of %3 x %4 pixels is %5 bytes")
            .arg(name)
            .arg(length)
            .arg(size.width())
            .arg(size.height())
            .arg(expected);
    };
    QByteArray bytes;
    if (job.source == kStandardStream) {
        auto read = readStandardInput();
        if (!read)
            return read.error().toString();
        bytes = std::move(read.value());
    } else {
        QFile file(job.source);
        const auto cannotRead = [&] {
            return Texts::tr("%1: cannot read BIN file: %2").arg(name, file.errorString());
        };
        if (!file.open(QIODevice::ReadOnly))
            return cannotRead();
        // The length is judged before anything is read: a wrong file may be huge.
        if (std::uint64_t(file.size()) != expected)
            return wrongLength(file.size());
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return cannotRead();
    }
    if (std::uint64_t(bytes.size()) != expected)
        return wrongLength(bytes.size());

    const core::PixelStore picture = core::pictureOfBin(bytesOf(bytes), size, options.byteOrder);
    if (picture.isNull())
        return notEnoughMemory(name);
    if (job.output != kStandardStream) {
        const auto saved = core::saveBitmap(job.output, picture);
        return saved ? QString() : saved.error().toString();
    }
    const QByteArray bitmap = core::bitmapBytes(picture);
    if (bitmap.isEmpty())
        return notEnoughMemory(name);
    return writeOutput(job.output, bytesOf(bitmap), options.durability);
}

} // namespace

QString runJob(const Job &job, const Options &options, core::BinBuffer &bin)
{
    if (!job.refusal.isEmpty())
        return job.refusal;
    const QString name = job.source == kStandardStream ? standardInput() : job.source;
    if (options.fromBin)
        return showBin(job, name, *options.fromBin, options);

    // A worker's pictures take over one another's memory, which the system would otherwise
    // clear for each of them.
    static thread_local core::PixelStore::Recycling recycling;
    // The size --max-size judges is the picture's after --rotate and --fit, known from its
    // header, so a picture too large costs no decoding. --fit lets a decoder deliver the
    // picture smaller, towards the box as it stands before --rotate turns the picture.
    const bool across = options.rotation % 180 != 0;
    core::LoadOptions load;
    QString tooLarge;
    if (const std::optional<QSize> limit = options.maxSize)
        load.checkSize = [&, limit](QSize upright) {
            const QSize size = options.fit ? *options.fit : across ? upright.transposed() : upright;
            if (size.width() > limit->width() || size.height() > limit->height())
                tooLarge = Texts::tr("%1: too large: the picture is %2 x %3 pixels, --max-size "
                                     "allows %4 x %5")
                               .arg(name)
                               .arg(size.width())
                               .arg(size.height())
                               .arg(limit->width())
                               .arg(limit->height());
            return tooLarge;
        };
    if (options.fit)
        load.shrinkFor = across ? options.fit->transposed() : *options.fit;
    auto loaded = job.source == kStandardStream ? decodeStandardInput(load)
                                                : core::loadPicture(job.source, load);
    if (!loaded)
        return tooLarge.isEmpty() ? loaded.error().toString() : tooLarge;
    core::PixelStore &picture = loaded.value();
    if (const QString failed = shape(picture, name, options); !failed.isEmpty())
        return failed;

    const auto bytes =
        core::binSize(std::uint64_t(picture.width()), std::uint64_t(picture.height()));
    const auto outOfMemory = [&] {
        return core::Error{core::Error::Kind::OutOfMemory, name,
                           Texts::tr("%1 bytes are needed for the BIN file").arg(bytes)}
            .toString();
    };
    if (bytes > bin.max_size())
        return outOfMemory();
    try {
        // Shrinking keeps the memory; growing zero-fills only the new part.
        bin.resize(std::size_t(bytes));
    } catch (const std::bad_alloc &) {
        return outOfMemory();
    }
    core::dither(picture, options.dither);
    core::convertInto(picture, bin, !job.preview.isEmpty());
    core::applyByteOrder(bin, options.byteOrder);

    QString failed;
    if (options.format == Format::C) {
        // Standard input has no name; the output's, when it has one, is the likeliest wish.
        const bool named = job.source != kStandardStream;
        const QString arrayName = named                           ? QFileInfo(job.source).fileName()
                                  : job.output != kStandardStream ? QFileInfo(job.output).fileName()
                                                                  : QString();
        const core::CArrayHeader header{core::cIdentifier(arrayName),
                                        named ? arrayName : QStringLiteral("standard input"),
                                        picture.size(), options.byteOrder};
        failed =
            writeOutput(job.output, bytesOf(core::cArraySource(bin, header)), options.durability);
    } else {
        failed = writeOutput(job.output, bin, options.durability);
    }
    if (!failed.isEmpty())
        return failed;
    if (!job.preview.isEmpty())
        if (const auto saved = core::saveBitmap(job.preview, picture); !saved)
            return saved.error().toString();
    return {};
}

std::size_t runPlan(const std::vector<Job> &jobs, const Options &options, const Outcome &outcome)
{
    const std::size_t count = jobs.size();
    if (count == 0)
        return 0;
    std::vector<QString> errors(count);
    std::vector<bool> finished(count, false);
    std::mutex mutex;
    std::condition_variable someFinished;
    std::atomic<std::size_t> next{0};

    const auto work = [&] {
        core::BinBuffer bin;
        for (std::size_t i = next++; i < count; i = next++) {
            QString error = runJob(jobs[i], options, bin);
            {
                const std::lock_guard lock(mutex);
                errors[i] = std::move(error);
                finished[i] = true;
            }
            someFinished.notify_one();
        }
    };

    const auto workers = std::clamp<std::size_t>(std::size_t(options.jobs), 1, count);
    std::vector<std::jthread> threads;
    threads.reserve(workers);
    for (std::size_t w = 0; w < workers; ++w)
        threads.emplace_back(work);

    std::size_t failed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock lock(mutex);
        someFinished.wait(lock, [&] { return bool(finished[i]); });
        const QString error = std::move(errors[i]);
        lock.unlock();
        failed += error.isEmpty() ? 0 : 1;
        if (outcome)
            outcome(i, error);
    }
    return failed;
}

} // namespace cli
