#include "plan.h"
#include "texts.h"

#include "core/files/output_file.h"
#include "core/files/output_name.h"

#include <algorithm>
#include <system_error>

namespace cli {

namespace {

enum class Placement
{
    BesidePicture,
    IntoFolder,
    IntoFile,
    ToStandardOutput,
};

// The letter's lower case, for the scripts whose names a memory card's FAT folds.
char32_t folded(char32_t c)
{
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x100 && c <= 0x17F && c % 2 == 0 && c != 0x130 && c != 0x138)
        return c + 1;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0xFF21 && c <= 0xFF3A) // full-width Latin
        return c + 0x20;
    return c;
}

bool endsWithSeparator(const std::filesystem::path &path)
{
    const auto &native = path.native();
    return !native.empty() &&
           (native.back() == '/' ||
            (std::filesystem::path::preferred_separator == '\\' && native.back() == '\\'));
}

std::string refusal(const std::filesystem::path &source, const std::filesystem::path &output,
                    const std::string &reason)
{
    return said(core::message(VTR("cli", "%1: will not write %2: %3"), source, output, reason));
}

// The output's name when -o does not give it, made of the picture's name; none when there is
// nothing to make it of.
std::optional<std::filesystem::path> outputNameFor(const std::filesystem::path &source,
                                                   const Options &options)
{
    if (options.recipe.format == core::OutputFormat::Bin && !options.fromBin)
        return core::binPathFor(source);
    if (source.filename().empty())
        return std::nullopt;
    return core::withExtension(source, options.fromBin ? "bmp" : "c");
}

// A C source written to standard output or into a device holds its header's declarations.
bool headerBeside(const std::filesystem::path &source)
{
    if (isStandardStream(source))
        return false;
    const core::FileKind kind = core::fileKind(source);
    return kind != core::FileKind::CharacterDevice && kind != core::FileKind::Pipe;
}

// The one file -o names, or standard output: its own refusal for reasons of its own.
std::string usageFor(const Options &options, std::size_t count, Placement &placement)
{
    if (std::count_if(options.pictures.begin(), options.pictures.end(), isStandardStream) > 1)
        return said({VTR("cli", "standard input (-) can be read only once")});
    if (!options.preview.empty() && count > 1)
        return said(core::message(VTR("cli", "--preview takes one picture, but %1 were given"),
                                  std::uint64_t(count)));
    placement = Placement::BesidePicture;
    if (isStandardStream(options.output))
        placement = Placement::ToStandardOutput;
    else if (!options.output.empty() && core::fileKind(options.output) == core::FileKind::Folder)
        placement = Placement::IntoFolder;
    else if (endsWithSeparator(options.output))
        return said(core::message(VTR("cli", "%1: no such folder"), options.output));
    else if (!options.output.empty())
        placement = Placement::IntoFile;
    return {};
}

Plan usageError(std::string text)
{
    Plan plan;
    plan.usageError = std::move(text);
    return plan;
}

} // namespace

std::string identity(const std::filesystem::path &path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    const std::string shown = core::displayPath(absolute.lexically_normal());
    std::string id;
    for (std::size_t at = 0; at < shown.size();) {
        const std::size_t length = std::max<std::size_t>(1, core::utf8Length(shown, at));
        const auto lead = static_cast<unsigned char>(shown[at]);
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            c = c << 6 | (static_cast<unsigned char>(shown[at + k]) & 0x3F);
        core::appendUtf8(id, folded(c));
        at += length;
    }
    return id;
}

std::filesystem::path numbered(const std::filesystem::path &path, int number)
{
    std::string tag = std::to_string(number);
    tag.insert(0, tag.size() < 3 ? 3 - tag.size() : 0, '0');
    std::filesystem::path name = path.filename().stem();
    name += "-" + tag;
    name += path.filename().extension();
    return path.parent_path() / name;
}

Claims::Family Claims::Family::of(const std::filesystem::path &path)
{
    const std::string id = identity(path);
    // numbered() puts "-001" before the dot of the file's name; where the identity of the
    // numbered name first differs from the name's own is where the number goes.
    const std::string dashed = identity(numbered(path, 1));
    std::size_t at = 0;
    while (at < id.size() && id[at] == dashed[at])
        ++at;
    return {id.substr(0, at) + '-', id.substr(at)};
}

bool Claims::Family::holds(const std::string &id) const
{
    if (id.size() < before.size() + after.size() || id.compare(0, before.size(), before) != 0 ||
        id.compare(id.size() - after.size(), after.size(), after) != 0)
        return false;
    // Three digits at least, with leading zeros; more only without.
    const std::string_view digits =
        std::string_view(id).substr(before.size(), id.size() - before.size() - after.size());
    if (digits.size() < 3 || (digits.size() > 3 && digits.front() == '0') || digits == "000")
        return false;
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A file reached through a link has a second identity, that of the file it points to. The
// folder's real name is asked for once for all its files: finding it looks at each folder on
// the way, which Wine makes slow.
std::vector<std::string> Claims::identities(const std::filesystem::path &path) const
{
    std::vector<std::string> all{identity(path)};
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (error || !std::filesystem::exists(status))
        return all;
    std::filesystem::path real;
    const std::filesystem::path name = path.filename();
    if (std::filesystem::is_symlink(status) || name.empty() || name == "." || name == "..") {
        real = std::filesystem::canonical(path, error);
    } else {
        const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
        const std::lock_guard lock(m_foldersLock);
        auto known = m_folders.find(folder);
        if (known == m_folders.end())
            known = m_folders.emplace(folder, std::filesystem::canonical(folder, error)).first;
        if (known->second.empty())
            return all;
        real = known->second / name;
    }
    if (!error && identity(real) != all.front())
        all.push_back(identity(real));
    return all;
}

void Claims::addSource(const std::filesystem::path &picture)
{
    if (!isStandardStream(picture))
        for (const std::string &id : identities(picture))
            m_sources.emplace(id, picture);
}

std::string Claims::clash(std::size_t job, const std::filesystem::path &source,
                          const std::filesystem::path &path) const
{
    if (isStandardStream(path))
        return {};
    if (!isStandardStream(source) && core::wouldOverwriteSource(source, path))
        return said({VTR("cli", "it is the picture itself")});
    for (const std::string &id : identities(path)) {
        if (m_sources.count(id))
            return said({VTR("cli", "it is also given as a picture to convert")});
        if (const auto earlier = m_claimed.find(id);
            earlier != m_claimed.end() && earlier->second.job != job)
            return said(
                core::message(VTR("cli", "%1 is converted into it too"), earlier->second.picture));
        for (const auto &[family, claim] : m_families)
            if (claim.job != job && family.holds(id))
                return said(
                    core::message(VTR("cli", "%1 is converted into it too"), claim.picture));
    }
    return {};
}

std::pair<std::string, std::filesystem::path>
Claims::clashOfNumbered(std::size_t job, const std::filesystem::path &path) const
{
    const Family mine = Family::of(path);
    for (const auto &[id, picture] : m_sources)
        if (mine.holds(id))
            return {said({VTR("cli", "it is also given as a picture to convert")}), picture};
    for (const auto &[id, claim] : m_claimed)
        if (claim.job != job && mine.holds(id))
            return {said(core::message(VTR("cli", "%1 is converted into it too"), claim.picture)),
                    claim.path};
    for (const auto &[family, claim] : m_families)
        if (claim.job != job && family == mine)
            return {said(core::message(VTR("cli", "%1 is converted into it too"), claim.picture)),
                    numbered(path, 1)};
    return {};
}

void Claims::claim(std::size_t job, const std::filesystem::path &source,
                   const std::filesystem::path &path, bool numbered)
{
    if (path.empty() || isStandardStream(path))
        return;
    if (numbered)
        m_families.emplace_back(Family::of(path), Claim{job, source, path});
    else
        for (const std::string &id : identities(path))
            m_claimed.emplace(id, Claim{job, source, path});
}

Plan planJobs(const Options &options)
{
    const std::size_t count = options.pictures.size();
    Placement placement = Placement::BesidePicture;
    if (std::string usage = usageFor(options, count, placement); !usage.empty())
        return usageError(std::move(usage));

    const bool single =
        placement == Placement::IntoFile || placement == Placement::ToStandardOutput;
    const bool cSource = options.recipe.format == core::OutputFormat::C && !options.fromBin;
    // Several pictures can share one C source, with a table of them.
    const bool oneSource = single && count > 1 && cSource;
    if (single && count > 1 && !oneSource)
        return usageError(said(core::message(VTR("cli", "-o %1 takes one picture, but %2 were "
                                                        "given; to convert several, give a "
                                                        "folder that exists"),
                                             options.output, std::uint64_t(count))));
    if (!single && std::any_of(options.pictures.begin(), options.pictures.end(), isStandardStream))
        return usageError(
            said({VTR("cli", "a picture from standard input needs -o FILE or -o -")}));

    auto claims = std::make_shared<Claims>();
    for (const std::filesystem::path &picture : options.pictures)
        claims->addSource(picture);

    Plan plan;
    plan.oneSource = oneSource;
    if (oneSource && headerBeside(options.output))
        plan.oneHeader = core::withExtension(options.output, "h");
    plan.jobs.reserve(count);
    for (const std::filesystem::path &source : options.pictures) {
        const std::size_t index = plan.jobs.size();
        Job job{index,          source, options.output, options.preview, {},
                options.frames, {},     oneSource,      claims};
        if (placement == Placement::BesidePicture || placement == Placement::IntoFolder) {
            // The rule is applied to the name alone: on a shorter name it would eat into the
            // folder and put the file somewhere else.
            const auto name = outputNameFor(source.filename(), options);
            if (!name) {
                // "pictures/" is a likelier slip than a two-letter name, and worth saying so.
                std::filesystem::path folder = source;
                if (!endsWithSeparator(folder))
                    folder += "/";
                job.refusal =
                    core::fileKind(source) == core::FileKind::Folder
                        ? said(core::message(VTR("cli", "%1: this is a folder; give the pictures "
                                                        "in it, such as %2*.jpg"),
                                             source, folder))
                        : said(core::message(VTR("cli", "%1: the name is too short to make a BIN "
                                                        "name from (fewer than three "
                                                        "characters); use -o FILE"),
                                             source));
                plan.jobs.push_back(job);
                continue;
            }
            job.output = placement == Placement::IntoFolder ? options.output / *name
                                                            : *outputNameFor(source, options);
        }
        if (oneSource)
            job.header = plan.oneHeader;
        else if (cSource && headerBeside(job.output))
            job.header = core::withExtension(job.output, "h");

        // Each of the job's files against its own others, the pictures and the earlier jobs'
        // files; the first that clashes names the refusal.
        const std::filesystem::path mine[] = {job.output, job.header, job.preview};
        // The reason and the name it concerns.
        const auto check = [&](std::size_t at) -> std::pair<std::string, std::filesystem::path> {
            const std::filesystem::path &path = mine[at];
            for (std::size_t other = 0; other < at; ++other)
                if (!mine[other].empty() && !isStandardStream(mine[other]) &&
                    identity(mine[other]) == identity(path))
                    return {said({at == 1 ? VTR("cli", "the C source and its header would be one "
                                                       "file")
                                  : other == 0
                                      ? VTR("cli", "the preview and the BIN file would be one file")
                                      : VTR("cli", "the preview and the C header would be one "
                                                   "file")}),
                            path};
            // The one source of several pictures is every job's, as if each were the first.
            if (oneSource && at < 2)
                return {claims->clash(0, source, path), path};
            return job.numbered ? claims->clashOfNumbered(index, path)
                                : std::pair{claims->clash(index, source, path), path};
        };
        for (std::size_t at = 0; at < std::size(mine) && job.refusal.empty(); ++at)
            if (!mine[at].empty())
                if (const auto [reason, path] = check(at); !reason.empty())
                    job.refusal = refusal(source, path, reason);
        // A picture made of a BIN file is likely to be named as the picture the BIN file was
        // made of; that one stays, unless -o names it.
        if (job.refusal.empty() && options.fromBin && !single &&
            core::fileKind(job.output) != core::FileKind::Missing)
            job.refusal =
                refusal(source, job.output,
                        said({VTR("cli", "the file exists; name it with -o to replace it")}));

        if (job.refusal.empty())
            for (std::size_t at = 0; at < std::size(mine); ++at)
                claims->claim(oneSource && at < 2 ? 0 : index, source, mine[at], job.numbered);
        plan.jobs.push_back(job);
    }
    return plan;
}

} // namespace cli
