#include "options.h"
#include "texts.h"

#include "core/version.h"

#include <QCommandLineParser>

#include <algorithm>

namespace cli {

namespace {

QString versionLine()
{
    return QStringLiteral("varnello-convert %1.%2.%3\n")
        .arg(core::kVersionMajor)
        .arg(core::kVersionMinor)
        .arg(core::kVersionRevision);
}

const char *const kDescription = QT_TRANSLATE_NOOP(
    "cli",
    "Converts BMP and JPEG pictures (PNG and GIF too) into 65K-colour BIN files for the\n"
    "display unit: two bytes a pixel, 5-6-5 bits of red, green and blue, low byte first,\n"
    "rows from the top. The bytes are the same as the window program writes.\n"
    "\n"
    "Each BIN file is written beside its picture, named as the window's batch run names it:\n"
    "the last three characters of the name become BIN (photo.jpg gives photo.BIN). An older\n"
    "BIN file is replaced; a picture never is.");

const char *const kExamples =
    QT_TRANSLATE_NOOP("cli", "\n"
                             "Exit status: 0 when every picture was converted, 1 when any failed,\n"
                             "2 when the command line was wrong.\n"
                             "\n"
                             "Examples:\n"
                             "  varnello-convert photo.jpg\n"
                             "  varnello-convert -o out/ pictures/*.bmp\n"
                             "  varnello-convert --max-size 320x240 -o logo.BIN logo.bmp\n"
                             "  cat photo.jpg | varnello-convert -o - - > photo.BIN\n");

Parsed usageError(const QString &text)
{
    return {Parsed::Action::UsageError, {}, text};
}

} // namespace

std::optional<QSize> parseSize(QStringView text)
{
    const qsizetype x = text.indexOf(u'x', 0, Qt::CaseInsensitive);
    if (x < 0)
        return std::nullopt;
    bool widthOk = false;
    bool heightOk = false;
    // toInt() would take a sign and surrounding blanks; a size is digits only.
    const auto digitsOnly = [](QStringView part) {
        return !part.isEmpty() &&
               std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); });
    };
    const QStringView widthText = text.left(x);
    const QStringView heightText = text.mid(x + 1);
    if (!digitsOnly(widthText) || !digitsOnly(heightText))
        return std::nullopt;
    const int width = widthText.toInt(&widthOk);
    const int height = heightText.toInt(&heightOk);
    if (!widthOk || !heightOk || width < 1 || height < 1)
        return std::nullopt;
    return QSize(width, height);
}

Parsed parseArguments(const QStringList &arguments, int defaultJobs)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Texts::tr(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        Texts::tr("Write into the folder <path> (one that exists), or, for a single "
                  "picture, into the file <path>; - is standard output."),
        QStringLiteral("path"));
    const QCommandLineOption preview(
        QStringLiteral("preview"),
        Texts::tr("Also write the preview the window shows after converting, as a "
                  "24-bit BMP file (one picture only)."),
        QStringLiteral("file.bmp"));
    const QCommandLineOption maxSize(
        QStringLiteral("max-size"),
        Texts::tr("Refuse pictures wider or taller than this, such as 640x480. "
                  "Default: no limit."),
        QStringLiteral("WxH"));
    const QCommandLineOption jobs(
        {QStringLiteral("j"), QStringLiteral("jobs")},
        Texts::tr("Convert <n> pictures at a time (default: %1, the number of cores).")
            .arg(defaultJobs),
        QStringLiteral("n"));
    const QCommandLineOption sync(
        QStringLiteral("sync"),
        Texts::tr("Wait until each BIN file is on the disk, so that it survives a power "
                  "cut. Slower."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   Texts::tr("Show only errors: no progress, no summary."));
    parser.addOptions({output, preview, maxSize, jobs, sync, quiet});
    parser.addPositionalArgument(QStringLiteral("pictures"),
                                 Texts::tr("The pictures to convert; - is standard input."),
                                 QStringLiteral("PICTURE..."));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Qt starts the text with the program's path as it was called; the name reads better.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(u'\n'),
                     Texts::tr("Usage: varnello-convert [options] PICTURE..."));
        return {Parsed::Action::ShowHelp, {}, text + Texts::tr(kExamples)};
    }
    if (parser.isSet(version))
        return {Parsed::Action::ShowVersion, {}, versionLine()};

    Options options;
    options.pictures = parser.positionalArguments();
    if (options.pictures.isEmpty())
        return usageError(Texts::tr("no picture was given"));
    options.output = parser.value(output);
    if (parser.isSet(output) && options.output.isEmpty())
        return usageError(Texts::tr("-o needs a file or folder name"));
    options.preview = parser.value(preview);
    if (parser.isSet(preview) && (options.preview.isEmpty() || options.preview == kStandardStream))
        return usageError(Texts::tr("--preview needs a file name"));
    if (parser.isSet(maxSize)) {
        options.maxSize = parseSize(parser.value(maxSize));
        if (!options.maxSize)
            return usageError(Texts::tr("--max-size wants WIDTHxHEIGHT, such as 640x480, "
                                        "not \"%1\"")
                                  .arg(parser.value(maxSize)));
    }
    options.jobs = defaultJobs;
    if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1)
            return usageError(Texts::tr("--jobs wants a whole number of at least 1, not "
                                        "\"%1\"")
                                  .arg(parser.value(jobs)));
    }
    options.jobs = std::max(options.jobs, 1);
    options.quiet = parser.isSet(quiet);
    options.durability = parser.isSet(sync) ? core::Durability::Synced : core::Durability::Unsynced;
    return {Parsed::Action::Run, options, {}};
}

} // namespace cli
