#include "options.h"
#include "texts.h"

#include "core/decode/picture_limits.h"
#include "core/version.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <initializer_list>

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
    "rows from the top. Unless options below change them, the bytes are the same as the\n"
    "window program writes.\n"
    "\n"
    "Each BIN file is written beside its picture, named as the window's batch run names it:\n"
    "the last three characters of the name become BIN (photo.jpg gives photo.BIN). An older\n"
    "file of that name is replaced whole; a picture given on the command line never is. A\n"
    "device or a pipe (-o /dev/null) is written into, never replaced.");

const char *const kExamples =
    QT_TRANSLATE_NOOP("cli", "\n"
                             "Exit status: 0 when every picture was converted, 1 when any failed,\n"
                             "2 when the command line was wrong.\n"
                             "\n"
                             "Examples:\n"
                             "  varnello-convert photo.jpg\n"
                             "  varnello-convert -o out/ pictures/*.bmp\n"
                             "  varnello-convert --max-size 320x240 -o logo.BIN logo.bmp\n"
                             "  cat photo.jpg | varnello-convert -o - - > photo.BIN\n"
                             "\n"
                             "For firmware: logo.c holds logo.png fitted to a 320x240 panel\n"
                             "and dithered, as a C array; photo.BIN holds photo.jpg turned a\n"
                             "quarter to fill a 240x320 panel, high byte first; shown.bmp is\n"
                             "what the display unit shows of photo.BIN.\n"
                             "  varnello-convert --fit 320x240 --dither fs --format c logo.png\n"
                             "  varnello-convert --rotate 90 --fit 240x320 --fit-mode cover \\\n"
                             "      --byte-order be photo.jpg\n"
                             "  varnello-convert --from-bin 320x240 -o shown.bmp photo.BIN\n");

Parsed usageError(const QString &text)
{
    return {Parsed::Action::UsageError, {}, text};
}

// The index of `value` among `words`, or -1.
qsizetype choice(const QString &value, std::initializer_list<const char *> words)
{
    qsizetype i = 0;
    for (const char *word : words) {
        if (value == QLatin1String(word))
            return i;
        ++i;
    }
    return -1;
}

// "ff8000": six hex digits, nothing else.
std::optional<core::Colour> parseColour(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok || text.size() != 6 || !std::all_of(text.begin(), text.end(), [](QChar c) {
            return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
        }))
        return std::nullopt;
    return core::rgb(int(value >> 16), int(value >> 8 & 0xFF), int(value & 0xFF));
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
        Texts::tr("Also write what the display unit will show, after any --rotate, --fit and "
                  "--dither, as a 24-bit BMP file (one picture only)."),
        QStringLiteral("file.bmp"));
    const QCommandLineOption maxSize(
        QStringLiteral("max-size"),
        Texts::tr("Refuse pictures wider or taller than this, such as 640x480, after --rotate "
                  "and --fit. Default: no limit."),
        QStringLiteral("WxH"));
    const QCommandLineOption jobs(
        {QStringLiteral("j"), QStringLiteral("jobs")},
        Texts::tr("Convert <n> pictures at a time (default: the number of cores)."),
        QStringLiteral("n"));
    const QCommandLineOption sync(
        QStringLiteral("sync"),
        Texts::tr("Wait until each BIN file is on the disk, so that it survives a power "
                  "cut. Slower."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   Texts::tr("Show only errors: no progress, no summary."));
    const QCommandLineOption byteOrder(
        QStringLiteral("byte-order"),
        Texts::tr("The order of each pixel's two bytes: le, low byte first (the BIN file's, the "
                  "default), or be, high byte first. With --from-bin, the order the BIN files "
                  "were written in."),
        QStringLiteral("order"));
    const QCommandLineOption dither(
        QStringLiteral("dither"),
        Texts::tr("Dither before the 65K-colour encoding: none (the default: each channel "
                  "truncated, as the window does), ordered (an 8x8 Bayer pattern) or fs "
                  "(Floyd-Steinberg error diffusion)."),
        QStringLiteral("method"));
    const QCommandLineOption fit(
        QStringLiteral("fit"),
        Texts::tr("Scale each picture to exactly this size, such as 320x240, the panel's. A "
                  "picture of that size is left as it is."),
        QStringLiteral("WxH"));
    const QCommandLineOption fitMode(
        QStringLiteral("fit-mode"),
        Texts::tr("How --fit scales: contain (the default: the whole picture, centred on the "
                  "background), cover (the whole panel, the overhang cut off on both sides) or "
                  "stretch (the aspect given up)."),
        QStringLiteral("mode"));
    const QCommandLineOption background(
        QStringLiteral("background"),
        Texts::tr("The colour of the bands that --fit-mode contain adds, in hex (default: "
                  "000000, black)."),
        QStringLiteral("RRGGBB"));
    const QCommandLineOption rotate(
        QStringLiteral("rotate"),
        Texts::tr("Turn each picture clockwise by 90, 180 or 270 degrees, before --fit."),
        QStringLiteral("degrees"));
    const QCommandLineOption format(
        QStringLiteral("format"),
        Texts::tr("Write bin (the default), or c: C source, NAME.c beside the picture, with the "
                  "bytes as the array NAME and the size as NAME_WIDTH and NAME_HEIGHT, NAME "
                  "being the picture's name made into a C identifier."),
        QStringLiteral("format"));
    const QCommandLineOption fromBin(
        QStringLiteral("from-bin"),
        Texts::tr("The other way: read BIN files of WxH pixels and write what the display "
                  "unit shows of each as a 24-bit BMP file, NAME.bmp beside the BIN file (a "
                  "file already there is not replaced, unless -o names it)."),
        QStringLiteral("WxH"));
    parser.addOptions({output, preview, maxSize, jobs, sync, quiet, byteOrder, dither, fit, fitMode,
                       background, rotate, format, fromBin});
    parser.addPositionalArgument(
        QStringLiteral("pictures"),
        Texts::tr("The pictures to convert (with --from-bin, the BIN files); - is standard "
                  "input."),
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

    // A size that the program could not hold is refused before anything is read.
    const auto panelSize = [&](const QCommandLineOption &option,
                               std::optional<QSize> &size) -> QString {
        const QString value = parser.value(option);
        size = parseSize(value);
        if (!size)
            return Texts::tr("%1 wants WIDTHxHEIGHT, such as 320x240, not \"%2\"")
                .arg(QStringLiteral("--") + option.names().constFirst(), value);
        if (const QString refusal = core::sizeRefusal(size->width(), size->height());
            !refusal.isEmpty())
            return QStringLiteral("--%1 %2: %3").arg(option.names().constFirst(), value, refusal);
        return {};
    };
    if (const qsizetype i = choice(parser.value(byteOrder), {"le", "be"}); i >= 0)
        options.byteOrder = i == 0 ? core::ByteOrder::Little : core::ByteOrder::Big;
    else if (parser.isSet(byteOrder))
        return usageError(
            Texts::tr("--byte-order wants le or be, not \"%1\"").arg(parser.value(byteOrder)));

    if (parser.isSet(fromBin)) {
        for (const QCommandLineOption *other :
             {&dither, &fit, &fitMode, &background, &rotate, &format, &maxSize, &preview})
            if (parser.isSet(*other))
                return usageError(Texts::tr("--from-bin cannot be combined with --%1")
                                      .arg(other->names().constFirst()));
        if (const QString wrong = panelSize(fromBin, options.fromBin); !wrong.isEmpty())
            return usageError(wrong);
        return {Parsed::Action::Run, options, {}};
    }

    if (const qsizetype i = choice(parser.value(dither), {"none", "ordered", "fs"}); i >= 0)
        options.dither = std::array{core::Dither::None, core::Dither::Ordered,
                                    core::Dither::FloydSteinberg}[std::size_t(i)];
    else if (parser.isSet(dither))
        return usageError(
            Texts::tr("--dither wants none, ordered or fs, not \"%1\"").arg(parser.value(dither)));
    if (const qsizetype i = choice(parser.value(rotate), {"90", "180", "270"}); i >= 0)
        options.rotation = int(i + 1) * 90;
    else if (parser.isSet(rotate))
        return usageError(
            Texts::tr("--rotate wants 90, 180 or 270, not \"%1\"").arg(parser.value(rotate)));
    if (const qsizetype i = choice(parser.value(format), {"bin", "c"}); i >= 0)
        options.format = i == 0 ? Format::Bin : Format::C;
    else if (parser.isSet(format))
        return usageError(
            Texts::tr("--format wants bin or c, not \"%1\"").arg(parser.value(format)));

    // Without --fit these would do nothing, which is likelier a slip than meant.
    for (const QCommandLineOption *needsFit : {&fitMode, &background})
        if (parser.isSet(*needsFit) && !parser.isSet(fit))
            return usageError(Texts::tr("--%1 needs --fit").arg(needsFit->names().constFirst()));
    if (parser.isSet(fit))
        if (const QString wrong = panelSize(fit, options.fit); !wrong.isEmpty())
            return usageError(wrong);
    if (const qsizetype i = choice(parser.value(fitMode), {"contain", "cover", "stretch"}); i >= 0)
        options.fitMode = std::array{core::FitMode::Contain, core::FitMode::Cover,
                                     core::FitMode::Stretch}[std::size_t(i)];
    else if (parser.isSet(fitMode))
        return usageError(Texts::tr("--fit-mode wants contain, cover or stretch, not \"%1\"")
                              .arg(parser.value(fitMode)));
    if (parser.isSet(background)) {
        const auto colour = parseColour(parser.value(background));
        if (!colour)
            return usageError(Texts::tr("--background wants a colour as RRGGBB in hex, such "
                                        "as ff8000, not \"%1\"")
                                  .arg(parser.value(background)));
        options.background = *colour;
    }
    return {Parsed::Action::Run, options, {}};
}

} // namespace cli
