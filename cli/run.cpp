#include "run.h"
#include "texts.h"

#include "core/bitmap_file.h"
#include "core/picture_loader.h"

#include <QFile>

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

core::Expected<core::PixelStore> readStandardInput()
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
    if (bytes.isEmpty())
        return core::Error{core::Error::Kind::CannotRead, standardInput(),
                           Texts::tr("nothing came in")};
    return core::decodePicture(bytes, standardInput());
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

} // namespace

QString runJob(const Job &job, const RunSettings &settings, core::BinBuffer &bin)
{
    if (!job.refusal.isEmpty())
        return job.refusal;

    auto loaded =
        job.source == kStandardStream ? readStandardInput() : core::loadPicture(job.source);
    if (!loaded)
        return loaded.error().toString();
    core::PixelStore &picture = loaded.value();

    const QString name = job.source == kStandardStream ? standardInput() : job.source;
    if (const auto limit = settings.maxSize;
        limit && (picture.width() > limit->width() || picture.height() > limit->height()))
        return Texts::tr("%1: too large: the picture is %2 x %3 pixels, --max-size allows "
                         "%4 x %5")
            .arg(name)
            .arg(picture.width())
            .arg(picture.height())
            .arg(limit->width())
            .arg(limit->height());

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
    core::convertInto(picture, bin, !job.preview.isEmpty());

    const auto written = job.output == kStandardStream
                             ? writeStandardOutput(bin)
                             : core::writeBinFile(job.output, bin, settings.durability);
    if (!written)
        return written.error().toString();
    if (!job.preview.isEmpty())
        if (const auto saved = core::saveBitmap(job.preview, picture); !saved)
            return saved.error().toString();
    return {};
}

std::size_t runPlan(const std::vector<Job> &jobs, const RunSettings &settings,
                    const Outcome &outcome)
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
            QString error = runJob(jobs[i], settings, bin);
            {
                const std::lock_guard lock(mutex);
                errors[i] = std::move(error);
                finished[i] = true;
            }
            someFinished.notify_one();
        }
    };

    const auto workers = std::clamp<std::size_t>(std::size_t(settings.jobs), 1, count);
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
