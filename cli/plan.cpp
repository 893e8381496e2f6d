#include "plan.h"
#include "texts.h"

#include "core/files/native_path.h"
#include "core/files/output_file.h"
#include "core/files/output_name.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

enum class Placement
{
    BesidePicture,
    IntoFolder,
    IntoFile,
    ToStandardOutput,
};

// One spelling per file, so that "a/../x.BIN" and "x.BIN" are seen to clash. Letter case
// counts for nothing: BIN files mostly go onto memory cards, whose FAT file system takes
// photo.BIN and PHOTO.BIN for one file, and refusing too much is better than letting two
// pictures write one file.
QString identity(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toCaseFolded();
}

// A file reached through a link has a second identity, that of the file it points to.
QStringList identities(const QString &path)
{
    QStringList all{identity(path)};
    if (const QString canonical = core::canonicalPath(path);
        !canonical.isEmpty() && identity(canonical) != all.front())
        all << identity(canonical);
    return all;
}

bool endsWithSeparator(const QString &path)
{
    return path.endsWith(u'/') || (QDir::separator() == u'\\' && path.endsWith(u'\\'));
}

QString refusal(const QString &source, const QString &output, const QString &reason)
{
    return Texts::tr("%1: will not write %2: %3")
        .arg(core::displayPath(source), core::displayPath(output), reason);
}

// The output's name when -o does not give it, made of the picture's name; none when there is
// nothing to make it of.
std::optional<QString> outputNameFor(const QString &source, const Options &options)
{
    if (options.recipe.format == core::OutputFormat::Bin && !options.fromBin)
        return core::binPathFor(source);
    if (QFileInfo(source).fileName().isEmpty())
        return std::nullopt;
    return core::withExtension(source, options.fromBin ? u"bmp" : u"c");
}

// A C source written to standard output or into a device holds its header's declarations.
bool headerBeside(const QString &source)
{
    if (source == kStandardStream)
        return false;
    const core::FileKind kind = core::fileKind(source);
    return kind != core::FileKind::CharacterDevice && kind != core::FileKind::Pipe;
}

// The one file -o names, or standard output: its own refusal for reasons of its own.
QString usageFor(const Options &options, qsizetype count, Placement &placement)
{
    if (options.pictures.count(kStandardStream.toString()) > 1)
        return Texts::tr("standard input (-) can be read only once");
    if (!options.preview.isEmpty() && count > 1)
        return Texts::tr("--preview takes one picture, but %1 were given").arg(count);
    placement = Placement::BesidePicture;
    if (options.output == kStandardStream)
        placement = Placement::ToStandardOutput;
    else if (!options.output.isEmpty() && core::fileKind(options.output) == core::FileKind::Folder)
        placement = Placement::IntoFolder;
    else if (endsWithSeparator(options.output))
        return Texts::tr("%1: no such folder").arg(core::displayPath(options.output));
    else if (!options.output.isEmpty())
        placement = Placement::IntoFile;
    return {};
}

Plan usageError(const QString &text)
{
    Plan plan;
    plan.usageError = text;
    return plan;
}

} // namespace

QString numbered(const QString &path, int number)
{
    const qsizetype nameStart =
        std::max(path.lastIndexOf(u'/'), path.lastIndexOf(QDir::separator())) + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString tag = QStringLiteral("-%1").arg(number, 3, 10, QLatin1Char('0'));
    return dot > nameStart ? path.left(dot) + tag + path.mid(dot) : path + tag;
}

Claims::Family Claims::Family::of(const QString &path)
{
    const QString id = identity(path);
    // numbered() puts "-001" before the dot of the file's name; where the identity of the
    // numbered name first differs from the name's own is where the number goes.
    const QString dashed = identity(numbered(path, 1));
    qsizetype at = 0;
    while (at < id.size() && id[at] == dashed[at])
        ++at;
    return {id.left(at) + u'-', id.mid(at)};
}

bool Claims::Family::holds(const QString &id) const
{
    if (!id.startsWith(before) || !id.endsWith(after) || id.size() < before.size() + after.size())
        return false;
    // Three digits at least, with leading zeros; more only without.
    const QStringView digits =
        QStringView(id).mid(before.size(), id.size() - before.size() - after.size());
    if (digits.size() < 3 || (digits.size() > 3 && digits.front() == u'0') || digits == u"000")
        return false;
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void Claims::addSource(const QString &picture)
{
    if (picture != kStandardStream)
        for (const QString &id : identities(picture))
            m_sources.insert(id, picture);
}

QString Claims::clash(std::size_t job, const QString &source, const QString &path) const
{
    if (path == kStandardStream)
        return {};
    if (source != kStandardStream && core::wouldOverwriteSource(source, path))
        return Texts::tr("it is the picture itself");
    for (const QString &id : identities(path)) {
        if (m_sources.contains(id))
            return Texts::tr("it is also given as a picture to convert");
        if (const auto earlier = m_claimed.constFind(id);
            earlier != m_claimed.cend() && earlier->job != job)
            return Texts::tr("%1 is converted into it too")
                .arg(core::displayPath(earlier->picture));
        for (const auto &[family, claim] : m_families)
            if (claim.job != job && family.holds(id))
                return Texts::tr("%1 is converted into it too")
                    .arg(core::displayPath(claim.picture));
    }
    return {};
}

std::pair<QString, QString> Claims::clashOfNumbered(std::size_t job, const QString &path) const
{
    const Family mine = Family::of(path);
    for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it)
        if (mine.holds(it.key()))
            return {Texts::tr("it is also given as a picture to convert"), *it};
    for (auto it = m_claimed.cbegin(); it != m_claimed.cend(); ++it)
        if (it->job != job && mine.holds(it.key()))
            return {Texts::tr("%1 is converted into it too").arg(core::displayPath(it->picture)),
                    it->path};
    for (const auto &[family, claim] : m_families)
        if (claim.job != job && family == mine)
            return {Texts::tr("%1 is converted into it too").arg(core::displayPath(claim.picture)),
                    numbered(path, 1)};
    return {};
}

void Claims::claim(std::size_t job, const QString &source, const QString &path, bool numbered)
{
    if (path.isEmpty() || path == kStandardStream)
        return;
    if (numbered)
        m_families.emplace_back(Family::of(path), Claim{job, source, path});
    else
        for (const QString &id : identities(path))
            m_claimed.insert(id, Claim{job, source, path});
}

Plan planJobs(const Options &options)
{
    const auto count = options.pictures.size();
    Placement placement = Placement::BesidePicture;
    if (QString usage = usageFor(options, count, placement); !usage.isEmpty())
        return usageError(usage);

    const bool single =
        placement == Placement::IntoFile || placement == Placement::ToStandardOutput;
    const bool cSource = options.recipe.format == core::OutputFormat::C && !options.fromBin;
    // Several pictures can share one C source, with a table of them.
    const bool oneSource = single && count > 1 && cSource;
    if (single && count > 1 && !oneSource)
        return usageError(Texts::tr("-o %1 takes one picture, but %2 were given; to convert "
                                    "several, give a folder that exists")
                              .arg(core::displayPath(options.output))
                              .arg(count));
    if (!single && options.pictures.contains(kStandardStream.toString()))
        return usageError(Texts::tr("a picture from standard input needs -o FILE or -o -"));

    auto claims = std::make_shared<Claims>();
    for (const QString &picture : options.pictures)
        claims->addSource(picture);

    Plan plan;
    plan.oneSource = oneSource;
    if (oneSource && headerBeside(options.output))
        plan.oneHeader = core::withExtension(options.output, u"h");
    plan.jobs.reserve(std::size_t(count));
    for (const QString &source : options.pictures) {
        const std::size_t index = plan.jobs.size();
        Job job{index,          source, options.output, options.preview, {},
                options.frames, {},     oneSource,      claims};
        if (placement == Placement::BesidePicture || placement == Placement::IntoFolder) {
            // The rule is applied to the name alone: on a shorter name it would eat into the
            // folder and put the file somewhere else.
            const auto name = outputNameFor(QFileInfo(source).fileName(), options);
            if (!name) {
                // "pictures/" is a likelier slip than a two-letter name, and worth saying so.
                job.refusal =
                    core::fileKind(source) == core::FileKind::Folder
                        ? Texts::tr("%1: this is a folder; give the pictures in it, such as "
                                    "%2*.jpg")
                              .arg(core::displayPath(source),
                                   core::displayPath(endsWithSeparator(source) ? source
                                                                               : source + u'/'))
                        : Texts::tr("%1: the name is too short to make a BIN name from "
                                    "(fewer than three characters); use -o FILE")
                              .arg(core::displayPath(source));
                plan.jobs.push_back(job);
                continue;
            }
            job.output = placement == Placement::IntoFolder ? QDir(options.output).filePath(*name)
                                                            : *outputNameFor(source, options);
        }
        if (oneSource)
            job.header = plan.oneHeader;
        else if (cSource && headerBeside(job.output))
            job.header = core::withExtension(job.output, u"h");

        // Each of the job's files against its own others, the pictures and the earlier jobs'
        // files; the first that clashes names the refusal.
        const QString mine[] = {job.output, job.header, job.preview};
        // The reason and the name it concerns.
        const auto check = [&](std::size_t at) -> std::pair<QString, QString> {
            const QString &path = mine[at];
            for (std::size_t other = 0; other < at; ++other)
                if (!mine[other].isEmpty() && mine[other] != kStandardStream &&
                    identity(mine[other]) == identity(path))
                    return {at == 1 ? Texts::tr("the C source and its header would be one file")
                            : other == 0
                                ? Texts::tr("the preview and the BIN file would be one file")
                                : Texts::tr("the preview and the C header would be one "
                                            "file"),
                            path};
            // The one source of several pictures is every job's, as if each were the first.
            if (oneSource && at < 2)
                return {claims->clash(0, source, path), path};
            return job.numbered ? claims->clashOfNumbered(index, path)
                                : std::pair{claims->clash(index, source, path), path};
        };
        for (std::size_t at = 0; at < std::size(mine) && job.refusal.isEmpty(); ++at)
            if (!mine[at].isEmpty())
                if (const auto [reason, path] = check(at); !reason.isEmpty())
                    job.refusal = refusal(source, path, reason);
        // A picture made of a BIN file is likely to be named as the picture the BIN file was
        // made of; that one stays, unless -o names it.
        if (job.refusal.isEmpty() && options.fromBin && !single &&
            core::fileKind(job.output) != core::FileKind::Missing)
            job.refusal = refusal(source, job.output,
                                  Texts::tr("the file exists; name it with -o to replace it"));

        if (job.refusal.isEmpty())
            for (std::size_t at = 0; at < std::size(mine); ++at)
                claims->claim(oneSource && at < 2 ? 0 : index, source, mine[at], job.numbered);
        plan.jobs.push_back(job);
    }
    return plan;
}

} // namespace cli
