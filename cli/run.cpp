#include "run.h"
#include "texts.h"

#include "core/decode/picture_limits.h"
#include "core/decode/picture_loader.h"
#include "core/files/bitmap_file.h"
#include "core/files/c_source.h"
#include "core/files/input_file.h"
#include "core/files/native_path.h"
#include "core/files/output_name.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>

namespace cli {

namespace {

QString standardInput()
{
    return Texts::tr("standard input");
}

// Standard input could feed the reader without end, and a stream that is no picture at all
// (/dev/zero) would be read to the limit before anyone said so. A picture is judged from its
// first bytes; no more than `limit` bytes are ever taken, and one more tells that there were.
core::Expected<QByteArray> readStandardInput(qint64 limit, bool picture)
{
    const auto refused = [](const QString &reason) {
        return core::Error{core::Error::Kind::CannotRead, standardInput(), reason};
    };
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return refused(in.errorString());
    QByteArray bytes;
    bool judged = !picture;
    for (;;) {
        const QByteArray piece =
            in.read(std::min<qint64>(qint64(1) << 20, limit + 1 - bytes.size()));
        if (in.error() != QFileDevice::NoError)
            return refused(in.errorString());
        bytes += piece;
        if (!judged && (bytes.size() >= core::kPictureSignatureBytes || piece.isEmpty())) {
            if (!bytes.isEmpty() && !core::looksLikePicture(bytes))
                return refused(Texts::tr("not a picture in a format this program reads"));
            judged = true;
        }
        // A BIN file's reader says itself what a longer one means.
        if (bytes.size() > limit)
            return picture ? refused(Texts::tr("more than %1 bytes came in, the most this "
                                               "program reads")
                                         .arg(limit))
                           : core::Expected<QByteArray>(bytes);
        if (piece.isEmpty())
            break;
    }
    if (bytes.isEmpty())
        return refused(Texts::tr("nothing came in"));
    return bytes;
}

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

// Writes one output, or in a dry run only says so; the error line, or an empty string.
QString write(const QString &path, std::span<const std::uint8_t> bytes, const Options &options)
{
    if (options.dryRun)
        return {};
    const auto written = path == kStandardStream
                             ? core::writeStandardOutput(bytes)
                             : core::writeFile(path, bytes, {options.durability, true});
    return written ? QString() : written.error().toString();
}

QString notEnoughMemory(const QString &name)
{
    return core::Error{core::Error::Kind::OutOfMemory, name, {}}.toString();
}

// A C source and its header, as the plan named them: without a header (standard output, a
// device), the source holds everything itself. Each file written is added to `made`.
QString writeC(const QString &path, const QString &header, std::vector<core::CPicture> pictures,
               const Options &options, std::vector<Made> &made)
{
    const QString baseName = path == kStandardStream
                                 ? pictures.front().symbol
                                 : core::withoutExtension(QFileInfo(path).fileName());
    const QSize size = pictures.size() == 1 ? pictures.front().size : QSize();
    std::uint64_t bytes = 0;
    for (const core::CPicture &picture : pictures)
        bytes += picture.bin.size();
    const core::CFiles files = core::cSources(
        std::move(pictures),
        {options.recipe.byteOrder, options.cType == CType::Words, baseName, header.isEmpty()});
    if (!header.isEmpty()) {
        if (QString failed = write(header, bytesOf(files.header), options); !failed.isEmpty())
            return failed;
        made.push_back({header, Made::Kind::CHeader, size, 0});
    }
    if (QString failed = write(path, bytesOf(files.source), options); !failed.isEmpty())
        return failed;
    made.push_back({path, Made::Kind::CSource, size, bytes});
    return {};
}

// --from-bin: the BIN file's bytes, of exactly the length its size takes, back into the
// picture the display unit shows.
void showBin(const Job &job, const QString &name, QSize size, const Options &options,
             Outcome &outcome)
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
        // One byte past the length is enough to tell a wrong one.
        auto read = readStandardInput(qint64(expected), false);
        if (!read) {
            outcome.error = read.error().toString();
            return;
        }
        bytes = std::move(read.value());
        if (std::uint64_t(bytes.size()) > expected) {
            outcome.error = Texts::tr("%1: is more than %2 bytes long, but a BIN file of %3 x %4 "
                                      "pixels is %2 bytes")
                                .arg(name)
                                .arg(expected)
                                .arg(size.width())
                                .arg(size.height());
            return;
        }
    } else {
        // The length is judged before anything is read: a wrong file may be huge.
        qint64 length = -1;
        auto read = core::readWholeFile(job.source, qint64(expected), &length);
        if (!read) {
            outcome.error =
                length > qint64(expected)
                    ? wrongLength(length)
                    : Texts::tr("%1: cannot read BIN file: %2").arg(name, read.error().reason);
            return;
        }
        bytes = std::move(read.value());
    }
    if (std::uint64_t(bytes.size()) != expected) {
        outcome.error = wrongLength(bytes.size());
        return;
    }
    const core::PixelStore picture =
        core::pictureOfBin(bytesOf(bytes), size, options.recipe.byteOrder);
    const QByteArray bitmap = core::bitmapBytes(picture);
    if (bitmap.isEmpty()) {
        outcome.error = notEnoughMemory(name);
        return;
    }
    outcome.error = write(job.output, bytesOf(bitmap), options);
    outcome.size = size;
    if (outcome.error.isEmpty())
        outcome.made.push_back({job.output, Made::Kind::Bitmap, size, expected});
}

// One picture (or one frame) of a job, loaded: the recipe, then its outputs.
class Converter
{
public:
    Converter(const Job &job, const Options &options, core::BinBuffer &bin, Outcome &outcome)
        : m_job(job)
        , m_options(options)
        , m_bin(bin)
        , m_outcome(outcome)
    {}

    QString name() const
    {
        return m_job.source == kStandardStream ? standardInput() : core::displayPath(m_job.source);
    }

    // Why a picture of this size once shaped is refused, or an empty string.
    QString tooLarge(QSize shaped) const
    {
        const auto limit = m_options.maxSize;
        if (!limit || (shaped.width() <= limit->width() && shaped.height() <= limit->height()))
            return {};
        return Texts::tr("%1: too large: the picture is %2 x %3 pixels, --max-size allows "
                         "%4 x %5")
            .arg(name())
            .arg(shaped.width())
            .arg(shaped.height())
            .arg(limit->width())
            .arg(limit->height());
    }

    // `number` counts the frames of an animation from 1; 0 for a picture on its own.
    QString convert(core::PixelStore &picture, int number)
    {
        const auto named = [&](const QString &path) {
            return number == 0 || path.isEmpty() ? path : numbered(path, number);
        };
        const QString output = named(m_job.output), header = named(m_job.header),
                      preview = named(m_job.preview);
        // A frame's names were planned as a family; what each leads to is seen only now.
        if (number != 0)
            for (const QString &path : {output, header, preview})
                if (!path.isEmpty() && m_job.claims)
                    if (const QString reason = m_job.claims->clash(m_job.index, m_job.source, path);
                        !reason.isEmpty())
                        return Texts::tr("%1: will not write %2: %3")
                            .arg(name(), core::displayPath(path), reason);
        if (const auto applied =
                core::applyRecipe(picture, m_options.recipe, m_bin, !preview.isEmpty(), name());
            !applied)
            return applied.error().toString();
        if (const QString refusal = tooLarge(picture.size()); !refusal.isEmpty())
            return refusal;
        m_outcome.size = picture.size();
        const auto bytes = std::uint64_t(m_bin.size());
        const QString pictureName = named(pictureFile());
        const std::span<const std::uint8_t> bin(m_bin);

        if (m_job.collected) {
            m_outcome.collected.push_back({symbolFor(pictureName), core::displayPath(pictureName),
                                           picture.size(),
                                           core::BinBuffer(bin.begin(), bin.end())});
        } else if (m_options.recipe.format == core::OutputFormat::C) {
            if (QString failed = writeC(
                    output, header,
                    {{symbolFor(pictureName), core::displayPath(pictureName), picture.size(), bin}},
                    m_options, m_outcome.made);
                !failed.isEmpty())
                return failed;
        } else {
            if (QString failed = write(output, bin, m_options); !failed.isEmpty())
                return failed;
            m_outcome.made.push_back({output, Made::Kind::Bin, picture.size(), bytes});
        }
        if (!preview.isEmpty()) {
            const QByteArray bitmap = core::bitmapBytes(picture);
            if (bitmap.isEmpty())
                return notEnoughMemory(name());
            if (QString failed = write(preview, bytesOf(bitmap), m_options); !failed.isEmpty())
                return failed;
            m_outcome.made.push_back({preview, Made::Kind::Preview, picture.size(), bytes});
        }
        ++m_outcome.frames;
        return {};
    }

private:
    // What the picture is called in C source: its file's name; from standard input the
    // output's, when it has one.
    QString pictureFile() const
    {
        if (m_job.source != kStandardStream)
            return QFileInfo(m_job.source).fileName();
        return m_job.output != kStandardStream && !m_job.collected
                   ? QFileInfo(m_job.output).fileName()
                   : QStringLiteral("picture");
    }

    QString symbolFor(const QString &pictureName) const
    {
        return m_options.symbol.isEmpty() ? core::cIdentifier(pictureName) : m_options.symbol;
    }

    const Job &m_job;
    const Options &m_options;
    core::BinBuffer &m_bin;
    Outcome &m_outcome;
};

} // namespace

namespace {

void runJobOrThrow(const Job &job, const Options &options, core::BinBuffer &bin, QSize &loaded,
                   Outcome &outcome)
{
    if (!job.refusal.isEmpty()) {
        outcome.error = job.refusal;
        return;
    }
    // A worker's pictures take over one another's memory, which the system would otherwise
    // clear for each of them.
    static thread_local core::PixelStore::Recycling recycling;
    Converter converter(job, options, bin, outcome);
    const QString name = converter.name();
    if (options.fromBin) {
        showBin(job, name, *options.fromBin, options, outcome);
        return;
    }

    const auto bytes = job.source == kStandardStream
                           ? readStandardInput(core::kMaxPictureFileBytes, true)
                           : core::readPictureFile(job.source);
    if (!bytes) {
        outcome.error = bytes.error().toString();
        return;
    }
    // The size is judged from the header, before a pixel is decoded; a refusal here is the
    // line itself, not a failure to read.
    QString refused;
    const auto checkSize = [&](QSize upright) {
        loaded = upright;
        refused = core::cropRefusal(upright, options.recipe);
        if (!refused.isEmpty())
            refused = name + QStringLiteral(": ") + refused;
        else
            refused = converter.tooLarge(core::shapedSize(upright, options.recipe));
        return refused;
    };
    const core::LoadOptions load = core::loadOptionsFor(options.recipe, checkSize);

    // A failure inside a frame is the frame's own line.
    QString failed;
    if (options.frames) {
        // An animation damaged in a later frame is refused before any frame is written, so
        // that a picture that fails leaves none of its files; one frame at a time, in bounded
        // memory.
        if (core::frameCount(bytes.value()) > 1)
            if (const auto whole = core::decodeFrames(
                    bytes.value(), name, load, [](int, core::PixelStore &) { return QString(); });
                !whole) {
                outcome.error = !refused.isEmpty() ? refused : whole.error().toString();
                return;
            }
        const auto frames =
            core::decodeFrames(bytes.value(), name, load, [&](int index, core::PixelStore &frame) {
                failed = converter.convert(frame, index + 1);
                return failed.isEmpty() ? QString() : QStringLiteral("stop");
            });
        if (!frames)
            outcome.error = !failed.isEmpty()    ? failed
                            : !refused.isEmpty() ? refused
                                                 : frames.error().toString();
        return;
    }

    auto picture = core::loadForRecipe(bytes.value(), name, options.recipe, checkSize);
    if (!picture) {
        outcome.error = !refused.isEmpty() ? refused : picture.error().toString();
        return;
    }
    outcome.error = converter.convert(picture.value(), 0);
    if (const int count = core::frameCount(bytes.value()); count > 1 && outcome.error.isEmpty())
        outcome.note = Texts::tr("%1: an animation of %2 frames; the first was converted "
                                 "(--frames converts each)")
                           .arg(name)
                           .arg(count);
    return;
}

} // namespace

Outcome runJob(const Job &job, const Options &options, core::BinBuffer &bin)
{
    Outcome outcome;
    // Any allocation of a job may fail (a vector of a step, a copy for the C source); that is
    // this picture's error line, and the run goes on with the next.
    QSize loaded;
    try {
        runJobOrThrow(job, options, bin, loaded, outcome);
    } catch (const std::bad_alloc &) {
        const QString name =
            job.source == kStandardStream ? standardInput() : core::displayPath(job.source);
        outcome.error =
            core::Error{core::Error::Kind::OutOfMemory, name,
                        loaded.isEmpty() ? QString()
                                         : Texts::tr("a picture of %1 x %2 pixels does not fit")
                                               .arg(loaded.width())
                                               .arg(loaded.height())}
                .toString();
    }
    // A picture that fails leaves none of its files: the frames or the header written before
    // the failure go again. Devices, pipes and links keep what they were given.
    if (!outcome.error.isEmpty()) {
        if (!options.dryRun)
            for (const Made &made : outcome.made)
                if (made.path != kStandardStream) {
                    std::error_code ignored;
                    const auto path = core::fsPath(made.path);
                    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path)))
                        std::filesystem::remove(path, ignored);
                }
        outcome.made.clear();
    }
    return outcome;
}

QString writeOneSource(const Plan &plan, const Options &options, std::vector<Outcome> &outcomes)
{
    std::vector<core::CPicture> pictures;
    for (const Outcome &outcome : outcomes)
        for (const auto &[symbol, pictureName, size, bin] : outcome.collected)
            pictures.push_back({symbol, pictureName, size, bin});
    if (pictures.empty())
        return {};
    std::vector<Made> made;
    const QString failed =
        writeC(options.output, plan.oneHeader, std::move(pictures), options, made);
    if (failed.isEmpty())
        for (Outcome &outcome : outcomes)
            for (const auto &picture : outcome.collected)
                for (const Made &file : made)
                    outcome.made.push_back(
                        {file.path, file.kind, picture.size,
                         file.kind == Made::Kind::CHeader ? 0 : std::uint64_t(picture.bin.size())});
    return failed;
}

std::size_t runPlan(const std::vector<Job> &jobs, const Options &options, const Report &report)
{
    const std::size_t count = jobs.size();
    if (count == 0)
        return 0;
    std::vector<Outcome> outcomes(count);
    std::vector<bool> finished(count, false);
    std::mutex mutex;
    std::condition_variable someFinished;
    std::atomic<std::size_t> next{0};

    const auto work = [&] {
        core::BinBuffer bin;
        for (std::size_t i = next++; i < count; i = next++) {
            Outcome outcome = runJob(jobs[i], options, bin);
            {
                const std::lock_guard lock(mutex);
                outcomes[i] = std::move(outcome);
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
        Outcome outcome;
        {
            std::unique_lock lock(mutex);
            someFinished.wait(lock, [&] { return bool(finished[i]); });
            outcome = std::move(outcomes[i]);
        }
        failed += outcome.error.isEmpty() ? 0 : 1;
        if (report)
            report(i, outcome);
    }
    return failed;
}

} // namespace cli
