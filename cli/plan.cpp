#include "plan.h"
#include "texts.h"

#include "core/files/native_path.h"
#include "core/files/output_file.h"
#include "core/files/output_name.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

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

} // namespace

Plan planJobs(const Options &options)
{
    const auto count = options.pictures.size();
    const auto usage = [](const QString &text) { return Plan{{}, text}; };

    if (options.pictures.count(kStandardStream.toString()) > 1)
        return usage(Texts::tr("standard input (-) can be read only once"));
    if (!options.preview.isEmpty() && count > 1)
        return usage(Texts::tr("--preview takes one picture, but %1 were given").arg(count));

    Placement placement = Placement::BesidePicture;
    if (options.output == kStandardStream)
        placement = Placement::ToStandardOutput;
    else if (!options.output.isEmpty() && core::fileKind(options.output) == core::FileKind::Folder)
        placement = Placement::IntoFolder;
    else if (endsWithSeparator(options.output))
        return usage(Texts::tr("%1: no such folder").arg(core::displayPath(options.output)));
    else if (!options.output.isEmpty())
        placement = Placement::IntoFile;

    const bool single =
        placement == Placement::IntoFile || placement == Placement::ToStandardOutput;
    // Several pictures can share one C source, with a table of them.
    const bool oneSource =
        single && count > 1 && options.recipe.format == core::OutputFormat::C && !options.fromBin;
    if (single && count > 1 && !oneSource)
        return usage(Texts::tr("-o %1 takes one picture, but %2 were given; to convert "
                               "several, give a folder that exists")
                         .arg(core::displayPath(options.output))
                         .arg(count));
    if (!single && options.pictures.contains(kStandardStream.toString()))
        return usage(Texts::tr("a picture from standard input needs -o FILE or -o -"));

    QSet<QString> sources;
    for (const QString &picture : options.pictures)
        if (picture != kStandardStream)
            for (const QString &id : identities(picture))
                sources.insert(id);
    QHash<QString, QString> claimedBy; // output identity -> the picture that writes it

    Plan plan;
    plan.oneSource = oneSource;
    plan.jobs.reserve(std::size_t(count));
    for (const QString &source : options.pictures) {
        Job job{source, options.output, options.preview, {}, oneSource};
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

        const auto clash = [&](const QString &path) -> QString {
            if (path == kStandardStream)
                return {};
            if (source != kStandardStream && core::wouldOverwriteSource(source, path))
                return Texts::tr("it is the picture itself");
            for (const QString &id : identities(path)) {
                if (sources.contains(id))
                    return Texts::tr("it is also given as a picture to convert");
                if (const auto earlier = claimedBy.constFind(id);
                    earlier != claimedBy.cend() && !(oneSource && path == options.output))
                    return Texts::tr("%1 is converted into it too")
                        .arg(core::displayPath(*earlier));
            }
            return {};
        };
        QString target = job.output;
        QString reason = clash(job.output);
        if (reason.isEmpty() && !job.preview.isEmpty()) {
            target = job.preview;
            reason = job.output != kStandardStream && identity(job.preview) == identity(job.output)
                         ? Texts::tr("the preview and the BIN file would be one file")
                         : clash(job.preview);
        }
        // A picture made of a BIN file is likely to be named as the picture the BIN file was
        // made of; that one stays, unless -o names it.
        if (reason.isEmpty() && options.fromBin && !single &&
            core::fileKind(job.output) != core::FileKind::Missing)
            reason = Texts::tr("the file exists; name it with -o to replace it");
        if (!reason.isEmpty())
            job.refusal = refusal(source, target, reason);

        if (job.refusal.isEmpty())
            for (const QString &id : identities(job.output))
                claimedBy.insert(id, source);
        plan.jobs.push_back(job);
    }
    return plan;
}

} // namespace cli
