#include "run.h"
#include "texts.h"

#include "core/decode/picture_limits.h"
#include "core/decode/picture_loader.h"
#include "core/files/bitmap_file.h"
#include "core/files/c_source.h"
#include "core/files/input_file.h"
#include "core/files/output_name.h"
#include "core/files/system_reason.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>

namespace cli {

namespace {

const core::Message kStandardInput{VTR("cli", "standard input")};

// Standard input could feed the reader without end, and a stream that is no picture at all
// (/dev/zero) would be read to the limit before anyone said so. A picture is judged from its
// first bytes; no more than `limit` bytes are ever taken, and one more tells that there were.
core::Expected<core::Bytes> readStandardInput(std::int64_t limit, bool picture)
{
    const auto refused = [](core::Message reason) {
        return core::Error{core::Error::Kind::CannotRead, kStandardInput, std::move(reason)};
    };
    core::Bytes bytes;
    bool judged = !picture;
    for (;;) {
        const std::size_t wanted = std::size_t(
            std::min<std::int64_t>(std::int64_t(1) << 20, limit + 1 - std::int64_t(bytes.size())));
        const std::size_t had = bytes.size();
        bytes.resize(had + wanted);
        const std::size_t got = std::fread(bytes.data() + had, 1, wanted, stdin);
        bytes.resize(had + got);
        if (got < wanted && std::ferror(stdin))
            return refused(core::systemReason(errno));
        if (!judged && (bytes.size() >= core::kPictureSignatureBytes || got == 0)) {
            if (!bytes.empty() && !core::looksLikePicture(bytes))
                return refused({VTR("cli", "not a picture in a format this program reads")});
            judged = true;
        }
        // A BIN file's reader says itself what a longer one means.
        if (std::int64_t(bytes.size()) > limit)
            return picture ? refused(core::message(VTR("cli", "more than %1 bytes came in, the "
                                                              "most this program reads"),
                                                   limit))
                           : core::Expected<core::Bytes>(bytes);
        if (got == 0)
            break;
    }
    if (bytes.empty())
        return refused({VTR("cli", "nothing came in")});
    return bytes;
}

// Writes one output, or in a dry run only says so; the error line, or an empty string.
std::string write(const std::filesystem::path &path, core::ByteView bytes, const Options &options)
{
    if (options.dryRun)
        return {};
    const auto written = isStandardStream(path)
                             ? core::writeStandardOutput(bytes)
                             : core::writeFile(path, bytes, {options.durability, true});
    return written ? std::string() : said(written.error());
}

core::ByteView bytesOf(const std::string &text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

// A C source and its header, as the plan named them: without a header (standard output, a
// device), the source holds everything itself. Each file written is added to `made`.
std::string writeC(const std::filesystem::path &path, const std::filesystem::path &header,
                   std::vector<core::CPicture> pictures, const Options &options,
                   std::vector<Made> &made)
{
    const std::filesystem::path baseName = isStandardStream(path)
                                               ? std::filesystem::path(pictures.front().symbol)
                                               : path.filename().stem();
    const core::Size size = pictures.size() == 1 ? pictures.front().size : core::Size{};
    std::uint64_t bytes = 0;
    for (const core::CPicture &picture : pictures)
        bytes += picture.bin.size();
    const core::CFiles files = core::cSources(
        std::move(pictures),
        {options.recipe.byteOrder, options.cType == CType::Words, baseName, header.empty()});
    if (!header.empty()) {
        if (std::string failed = write(header, bytesOf(files.header), options); !failed.empty())
            return failed;
        made.push_back({header, Made::Kind::CHeader, size, 0});
    }
    if (std::string failed = write(path, bytesOf(files.source), options); !failed.empty())
        return failed;
    made.push_back({path, Made::Kind::CSource, size, bytes});
    return {};
}

// --from-bin: the BIN file's bytes, of exactly the length its size takes, back into the
// picture the display unit shows.
void showBin(const Job &job, const std::string &name, core::Size size, const Options &options,
             Outcome &outcome)
{
    const auto expected = core::binSize(std::uint64_t(size.width), std::uint64_t(size.height));
    const auto wrongLength = [&](std::int64_t length) {
        return said(core::message(VTR("cli", "%1: is %2 bytes long, but a BIN file of %3 x %4 "
                                             "pixels is %5 bytes"),
                                  name, length, size.width, size.height, expected));
    };
    core::Bytes bytes;
    if (isStandardStream(job.source)) {
        // One byte past the length is enough to tell a wrong one.
        auto read = readStandardInput(std::int64_t(expected), false);
        if (!read) {
            outcome.error = said(read.error());
            return;
        }
        bytes = std::move(read.value());
        if (std::uint64_t(bytes.size()) > expected) {
            outcome.error = said(core::message(VTR("cli", "%1: is more than %2 bytes long, but a "
                                                          "BIN file of %3 x %4 pixels is %2 "
                                                          "bytes"),
                                               name, expected, size.width, size.height));
            return;
        }
    } else {
        // The length is judged before anything is read: a wrong file may be huge.
        std::int64_t length = -1;
        auto read = core::readWholeFile(job.source, std::int64_t(expected), &length);
        if (!read) {
            outcome.error = length > std::int64_t(expected)
                                ? wrongLength(length)
                                : said(core::message(VTR("cli", "%1: cannot read BIN file: %2"),
                                                     name, said(read.error().reason)));
            return;
        }
        bytes = std::move(read.value());
    }
    if (std::uint64_t(bytes.size()) != expected) {
        outcome.error = wrongLength(std::int64_t(bytes.size()));
        return;
    }
    const core::PixelStore picture = core::pictureOfBin(bytes, size, options.recipe.byteOrder);
    const core::Bytes bitmap = core::bitmapBytes(picture);
    if (bitmap.empty()) {
        outcome.error =
            said(core::Error{core::Error::Kind::OutOfMemory, core::Message{"%1", {name}}, {}});
        return;
    }
    outcome.error = write(job.output, bitmap, options);
    outcome.size = size;
    if (outcome.error.empty())
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

    // What errors are about: the picture's file, or standard input.
    core::Message subject() const
    {
        return isStandardStream(m_job.source) ? kStandardInput : core::subjectOf(m_job.source);
    }
    std::string name() const { return said(subject()); }

    // Why a picture of this size once shaped is refused: the whole line; or nothing.
    std::optional<std::string> tooLarge(core::Size shaped) const
    {
        const auto limit = m_options.maxSize;
        if (!limit || (shaped.width <= limit->width && shaped.height <= limit->height))
            return std::nullopt;
        return said(core::message(VTR("cli", "%1: too large: the picture is %2 x %3 pixels, "
                                             "--max-size allows %4 x %5"),
                                  name(), shaped.width, shaped.height, limit->width,
                                  limit->height));
    }

    // `number` counts the frames of an animation from 1; 0 for a picture on its own.
    std::string convert(core::PixelStore &picture, int number)
    {
        const auto named = [&](const std::filesystem::path &path) {
            return number == 0 || path.empty() ? path : numbered(path, number);
        };
        const std::filesystem::path output = named(m_job.output), header = named(m_job.header),
                                    preview = named(m_job.preview);
        // A frame's names were planned as a family; what each leads to is seen only now.
        if (number != 0)
            for (const std::filesystem::path &path : {output, header, preview})
                if (!path.empty() && m_job.claims)
                    if (const std::string reason =
                            m_job.claims->clash(m_job.index, m_job.source, path);
                        !reason.empty())
                        return said(core::message(VTR("cli", "%1: will not write %2: %3"), name(),
                                                  path, reason));
        if (const auto applied =
                core::applyRecipe(picture, m_options.recipe, m_bin, !preview.empty(), subject());
            !applied)
            return said(applied.error());
        if (auto refusal = tooLarge(picture.size()))
            return *refusal;
        m_outcome.size = picture.size();
        const auto bytes = std::uint64_t(m_bin.size());
        const std::filesystem::path pictureName = named(pictureFile());
        const std::span<const std::uint8_t> bin(m_bin);

        if (m_job.collected) {
            m_outcome.collected.push_back({symbolFor(pictureName), core::displayPath(pictureName),
                                           picture.size(),
                                           core::BinBuffer(bin.begin(), bin.end())});
        } else if (m_options.recipe.format == core::OutputFormat::C) {
            if (std::string failed = writeC(
                    output, header,
                    {{symbolFor(pictureName), core::displayPath(pictureName), picture.size(), bin}},
                    m_options, m_outcome.made);
                !failed.empty())
                return failed;
        } else {
            if (std::string failed = write(output, bin, m_options); !failed.empty())
                return failed;
            m_outcome.made.push_back({output, Made::Kind::Bin, picture.size(), bytes});
        }
        if (!preview.empty()) {
            const core::Bytes bitmap = core::bitmapBytes(picture);
            if (bitmap.empty())
                return said(core::Error{core::Error::Kind::OutOfMemory, subject(), {}});
            if (std::string failed = write(preview, bitmap, m_options); !failed.empty())
                return failed;
            m_outcome.made.push_back({preview, Made::Kind::Preview, picture.size(), bytes});
        }
        ++m_outcome.frames;
        return {};
    }

private:
    // What the picture is called in C source: its file's name; from standard input the
    // output's, when it has one.
    std::filesystem::path pictureFile() const
    {
        if (!isStandardStream(m_job.source))
            return m_job.source.filename();
        return !isStandardStream(m_job.output) && !m_job.collected ? m_job.output.filename()
                                                                   : "picture";
    }

    std::string symbolFor(const std::filesystem::path &pictureName) const
    {
        return m_options.symbol.empty() ? core::cIdentifier(pictureName) : m_options.symbol;
    }

    const Job &m_job;
    const Options &m_options;
    core::BinBuffer &m_bin;
    Outcome &m_outcome;
};

void runJobOrThrow(const Job &job, const Options &options, core::BinBuffer &bin, core::Size &loaded,
                   Outcome &outcome)
{
    if (!job.refusal.empty()) {
        outcome.error = job.refusal;
        return;
    }
    // A worker's pictures take over one another's memory, which the system would otherwise
    // clear for each of them.
    static thread_local core::PixelStore::Recycling recycling;
    Converter converter(job, options, bin, outcome);
    const core::Message subject = converter.subject();
    if (options.fromBin) {
        showBin(job, converter.name(), *options.fromBin, options, outcome);
        return;
    }

    const auto bytes = isStandardStream(job.source)
                           ? readStandardInput(core::kMaxPictureFileBytes, true)
                           : core::readPictureFile(job.source);
    if (!bytes) {
        outcome.error = said(bytes.error());
        return;
    }
    // The size is judged from the header, before a pixel is decoded; a refusal here is the
    // line itself, not a failure to read.
    std::optional<std::string> refused;
    const auto checkSize = [&](core::Size upright) -> std::optional<core::Message> {
        loaded = upright;
        if (const auto crop = core::cropRefusal(upright, options.recipe))
            refused = converter.name() + ": " + said(*crop);
        else
            refused = converter.tooLarge(core::shapedSize(upright, options.recipe));
        return refused ? std::optional(core::Message{"%1", {*refused}}) : std::nullopt;
    };
    const core::LoadOptions load = core::loadOptionsFor(options.recipe, checkSize);

    // A failure inside a frame is the frame's own line.
    std::string failed;
    if (options.frames) {
        // An animation damaged in a later frame is refused before any frame is written, so
        // that a picture that fails leaves none of its files; one frame at a time, in bounded
        // memory.
        if (core::frameCount(bytes.value()) > 1)
            if (const auto whole =
                    core::decodeFrames(bytes.value(), subject, load,
                                       [](int, core::PixelStore &) { return std::nullopt; });
                !whole) {
                outcome.error = refused ? *refused : said(whole.error());
                return;
            }
        const auto frames = core::decodeFrames(
            bytes.value(), subject, load,
            [&](int index, core::PixelStore &frame) -> std::optional<core::Message> {
                failed = converter.convert(frame, index + 1);
                return failed.empty() ? std::nullopt : std::optional(core::Message{"%1", {failed}});
            });
        if (!frames)
            outcome.error = !failed.empty() ? failed : refused ? *refused : said(frames.error());
        return;
    }

    auto picture = core::loadForRecipe(bytes.value(), subject, options.recipe, checkSize);
    if (!picture) {
        outcome.error = refused ? *refused : said(picture.error());
        return;
    }
    outcome.error = converter.convert(picture.value(), 0);
    if (const int count = core::frameCount(bytes.value()); count > 1 && outcome.error.empty())
        outcome.note = said(core::message(VTR("cli", "%1: an animation of %2 frames; the first "
                                                     "was converted (--frames converts each)"),
                                          converter.name(), count));
}

} // namespace

Outcome runJob(const Job &job, const Options &options, core::BinBuffer &bin)
{
    Outcome outcome;
    // Any allocation of a job may fail (a vector of a step, a copy for the C source); that is
    // this picture's error line, and the run goes on with the next.
    core::Size loaded;
    try {
        runJobOrThrow(job, options, bin, loaded, outcome);
    } catch (const std::bad_alloc &) {
        const core::Message subject =
            isStandardStream(job.source) ? kStandardInput : core::subjectOf(job.source);
        outcome.error = said(
            core::Error{core::Error::Kind::OutOfMemory, subject,
                        loaded.isEmpty()
                            ? core::Message()
                            : core::message(VTR("core", "a picture of %1 x %2 pixels does not fit"),
                                            loaded.width, loaded.height)});
    }
    // A picture that fails leaves none of its files: the frames or the header written before
    // the failure go again. Devices, pipes and links keep what they were given.
    if (!outcome.error.empty()) {
        if (!options.dryRun)
            for (const Made &made : outcome.made)
                if (!isStandardStream(made.path)) {
                    std::error_code ignored;
                    if (std::filesystem::is_regular_file(
                            std::filesystem::symlink_status(made.path)))
                        std::filesystem::remove(made.path, ignored);
                }
        outcome.made.clear();
    }
    return outcome;
}

std::string writeOneSource(const Plan &plan, const Options &options, std::vector<Outcome> &outcomes)
{
    std::vector<core::CPicture> pictures;
    for (const Outcome &outcome : outcomes)
        for (const auto &[symbol, pictureName, size, bin] : outcome.collected)
            pictures.push_back({symbol, pictureName, size, bin});
    if (pictures.empty())
        return {};
    std::vector<Made> made;
    const std::string failed =
        writeC(options.output, plan.oneHeader, std::move(pictures), options, made);
    if (failed.empty())
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
        failed += outcome.error.empty() ? 0 : 1;
        if (report)
            report(i, outcome);
    }
    return failed;
}

} // namespace cli
