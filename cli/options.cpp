#include "options.h"
#include "texts.h"

#include "core/decode/picture_limits.h"
#include "core/files/c_source.h"
#include "core/version.h"

#include <algorithm>
#include <array>

namespace cli {

namespace {

const char *const kDescription = QT_TRANSLATE_NOOP(
    "cli",
    "Converts BMP, JPEG, PNG and GIF pictures into 65K-colour BIN files for the display unit:\n"
    "two bytes a pixel, 5-6-5 bits of red, green and blue, low byte first, rows from the top.\n"
    "Unless options below change them, the bytes are the same as the window program writes.\n"
    "\n"
    "Each BIN file is written beside its picture, named as the window's batch run names it:\n"
    "the last three characters of the name become BIN (photo.jpg gives photo.BIN). An older\n"
    "file of that name is replaced whole; a picture given on the command line never is. A\n"
    "device or a pipe (-o /dev/null) is written into, never replaced.");

const char *const kExamples = QT_TRANSLATE_NOOP(
    "cli", "Exit status: 0 when every picture was converted, 1 when any failed,\n"
           "2 when the command line was wrong.\n"
           "\n"
           "Examples:\n"
           "  varnello-convert photo.jpg\n"
           "  varnello-convert -o out/ pictures/*.bmp\n"
           "  varnello-convert --max-size 320x240 -o logo.BIN logo.bmp\n"
           "  cat photo.jpg | varnello-convert -o - - > photo.BIN\n"
           "\n"
           "For firmware: logo.c and logo.h hold logo.png fitted to a 320x240\n"
           "panel and dithered, as a C array; photo.BIN holds photo.jpg turned\n"
           "a quarter to fill a 240x320 panel, high byte first; shown.bmp is\n"
           "what the display unit shows of photo.BIN, read back the same way.\n"
           "  varnello-convert --fit 320x240 --dither fs --format c logo.png\n"
           "  varnello-convert --rotate 90 --fit 240x320 --fit-mode cover \\\n"
           "      --byte-order be photo.jpg\n"
           "  varnello-convert --from-bin 240x320 --byte-order be -o shown.bmp \\\n"
           "      photo.BIN\n");

// One option: its names, the placeholder of its value (none for a switch), its help, what it
// wants when the value is wrong, and how it sets the options. One row is one option.
struct Row
{
    char shortName;
    const char *name;
    const char *value;
    const char *help;
    const char *wants;
    bool (*read)(Options &, const QString &);
    // Shapes a picture, so makes no sense when BIN files are turned back into pictures.
    bool shapes = false;
};

template<typename T> bool set(std::optional<T> parsed, T &field)
{
    if (parsed)
        field = *parsed;
    return parsed.has_value();
}

template<typename T> bool setOptional(std::optional<T> parsed, std::optional<T> &field)
{
    field = parsed;
    return parsed.has_value();
}

const Row kRows[] = {
    {'o', "output", "PATH",
     QT_TRANSLATE_NOOP("cli", "Write into the folder PATH (one that exists), or, for one picture "
                              "or one C source of several, into the file PATH; - is standard "
                              "output."),
     QT_TRANSLATE_NOOP("cli", "a file or folder name"),
     [](Options &o, const QString &v) { return o.output = v, !v.isEmpty(); }},
    {0, "preview", "FILE.bmp",
     QT_TRANSLATE_NOOP("cli", "Also write what the display unit will show as a 24-bit BMP file "
                              "(one picture only)."),
     QT_TRANSLATE_NOOP("cli", "a file name"),
     [](Options &o, const QString &v) {
         return o.preview = v, !v.isEmpty() && v != kStandardStream;
     },
     true},
    {0, "max-size", "WxH",
     QT_TRANSLATE_NOOP("cli", "Refuse pictures wider or taller than this, such as 640x480, once "
                              "cut, turned and fitted. Default: no limit."),
     QT_TRANSLATE_NOOP("cli", "WIDTHxHEIGHT, such as 640x480"),
     [](Options &o, const QString &v) { return setOptional(core::sizeFromWord(v), o.maxSize); },
     true},
    {'j', "jobs", "N",
     QT_TRANSLATE_NOOP("cli", "Convert N pictures at a time (default: the number of cores)."),
     QT_TRANSLATE_NOOP("cli", "a whole number of at least 1"),
     [](Options &o, const QString &v) {
         bool ok = false;
         o.jobs = v.toInt(&ok);
         return ok && o.jobs >= 1 &&
                std::all_of(v.begin(), v.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
     }},
    {0, "sync", nullptr,
     QT_TRANSLATE_NOOP("cli", "Wait until each file is on the disk, so that it survives a power "
                              "cut. Slower."),
     nullptr,
     [](Options &o, const QString &) { return o.durability = core::Durability::Synced, true; }},
    {'q', "quiet", nullptr, QT_TRANSLATE_NOOP("cli", "Show only errors: no progress, no summary."),
     nullptr, [](Options &o, const QString &) { return o.quiet = true; }},
    {0, "json", nullptr,
     QT_TRANSLATE_NOOP("cli", "Describe each picture and what was made of it as JSON on standard "
                              "output, instead of the summary."),
     nullptr, [](Options &o, const QString &) { return o.json = true; }},
    {0, "dry-run", nullptr,
     QT_TRANSLATE_NOOP("cli", "Convert but write nothing: say what each output would be."), nullptr,
     [](Options &o, const QString &) { return o.dryRun = true; }},
    {0, "byte-order", "le|be",
     QT_TRANSLATE_NOOP("cli", "The order of each pixel's two bytes: le, low byte first (the BIN "
                              "file's, the default), or be, high byte first. With --from-bin, the "
                              "order the BIN files were written in."),
     QT_TRANSLATE_NOOP("cli", "le or be"),
     [](Options &o, const QString &v) {
         return set(core::byteOrderFromWord(v), o.recipe.byteOrder);
     }},
    {0, "crop", "X,Y,W,H",
     QT_TRANSLATE_NOOP("cli", "Keep only W x H pixels from X, Y of each picture (0,0 is its top "
                              "left), before anything else."),
     QT_TRANSLATE_NOOP("cli", "X,Y,WIDTH,HEIGHT, such as 0,0,320,240"),
     [](Options &o, const QString &v) { return setOptional(core::cropFromWord(v), o.recipe.crop); },
     true},
    {0, "alpha", "ignore|blend",
     QT_TRANSLATE_NOOP("cli",
                       "Transparent pixels: ignore takes the colour the file stores for them "
                       "(the default), blend lays them over the --background colour."),
     QT_TRANSLATE_NOOP("cli", "ignore or blend"),
     [](Options &o, const QString &v) { return set(core::alphaFromWord(v), o.recipe.alpha); },
     true},
    {0, "colour-key", "RRGGBB",
     QT_TRANSLATE_NOOP("cli", "Pixels less than half opaque become exactly this colour, for "
                              "firmware that skips it when it draws."),
     QT_TRANSLATE_NOOP("cli", "a colour as RRGGBB in hex, such as ff00ff"),
     [](Options &o, const QString &v) {
         return setOptional(core::colourFromWord(v), o.recipe.colourKey);
     },
     true},
    {0, "background", "RRGGBB",
     QT_TRANSLATE_NOOP("cli", "The colour of the bands that --fit-mode contain adds and that "
                              "--alpha blend lays pictures over, in hex (default: 000000, black)."),
     QT_TRANSLATE_NOOP("cli", "a colour as RRGGBB in hex, such as ff8000"),
     [](Options &o, const QString &v) { return set(core::colourFromWord(v), o.recipe.background); },
     true},
    {0, "rotate", "90|180|270",
     QT_TRANSLATE_NOOP("cli", "Turn each picture clockwise by 90, 180 or 270 degrees, before "
                              "--fit."),
     QT_TRANSLATE_NOOP("cli", "90, 180 or 270"),
     [](Options &o, const QString &v) {
         return set(core::rotationFromWord(v), o.recipe.rotation) && o.recipe.rotation != 0;
     },
     true},
    {0, "fit", "WxH",
     QT_TRANSLATE_NOOP("cli", "Scale each picture to exactly this size, such as 320x240, the "
                              "panel's. A picture of that size is left as it is."),
     QT_TRANSLATE_NOOP("cli", "WIDTHxHEIGHT, such as 320x240"),
     [](Options &o, const QString &v) {
         return setOptional(core::sizeFromWord(v), o.recipe.panel);
     },
     true},
    {0, "fit-mode", "contain|cover|stretch",
     QT_TRANSLATE_NOOP("cli", "How --fit scales: contain (the default: the whole picture, centred "
                              "on the background), cover (the whole panel, the overhang cut off "
                              "on both sides) or stretch (the aspect given up)."),
     QT_TRANSLATE_NOOP("cli", "contain, cover or stretch"),
     [](Options &o, const QString &v) { return set(core::fitModeFromWord(v), o.recipe.fitMode); },
     true},
    {0, "dither", "none|ordered|fs",
     QT_TRANSLATE_NOOP("cli", "Dither before the 65K-colour encoding: none (the default: each "
                              "channel truncated, as the window does), ordered (an 8x8 Bayer "
                              "pattern) or fs (Floyd-Steinberg error diffusion)."),
     QT_TRANSLATE_NOOP("cli", "none, ordered or fs"),
     [](Options &o, const QString &v) { return set(core::ditherFromWord(v), o.recipe.dither); },
     true},
    {0, "frames", nullptr,
     QT_TRANSLATE_NOOP("cli", "Every frame of an animated GIF, each its own output, numbered "
                              "before the last dot of the name (anim-001.BIN, anim-002.BIN, ...). "
                              "Without it, the first frame."),
     nullptr, [](Options &o, const QString &) { return o.frames = true; }, true},
    {0, "format", "bin|c",
     QT_TRANSLATE_NOOP("cli", "Write bin (the default), or c: C source NAME.c and its header "
                              "NAME.h beside the picture, with the bytes in the array NAME, "
                              "NAME being the picture's name made into a C identifier."),
     QT_TRANSLATE_NOOP("cli", "bin or c"),
     [](Options &o, const QString &v) {
         const bool c = v == u"c";
         o.recipe.format = c ? core::OutputFormat::C : core::OutputFormat::Bin;
         return c || v == u"bin";
     },
     true},
    {0, "name", "SYMBOL",
     QT_TRANSLATE_NOOP("cli", "With --format c, the array's name instead of the picture's (one "
                              "picture)."),
     QT_TRANSLATE_NOOP("cli",
                       "a C identifier that means nothing else to C or C++, such as logo_le"),
     [](Options &o, const QString &v) { return o.symbol = v, core::isUsableCIdentifier(v); }, true},
    {0, "c-type", "u8|u16",
     QT_TRANSLATE_NOOP("cli", "With --format c, the array's elements: u8, the bytes (the default), "
                              "or u16, each pixel's 5-6-5 word as a uint16_t (byte-swapped with "
                              "--byte-order be)."),
     QT_TRANSLATE_NOOP("cli", "u8 or u16"),
     [](Options &o, const QString &v) {
         o.cType = v == u"u16" ? CType::Words : CType::Bytes;
         return v == u"u8" || v == u"u16";
     },
     true},
    {0, "from-bin", "WxH",
     QT_TRANSLATE_NOOP("cli", "The other way: read BIN files of WxH pixels and write what the "
                              "display unit shows of each as a 24-bit BMP file, NAME.bmp beside "
                              "the BIN file (a file already there is not replaced, unless -o "
                              "names it)."),
     QT_TRANSLATE_NOOP("cli", "WIDTHxHEIGHT, such as 320x240"),
     [](Options &o, const QString &v) { return setOptional(core::sizeFromWord(v), o.fromBin); }},
    {'h', "help", nullptr, QT_TRANSLATE_NOOP("cli", "Show this help."), nullptr, nullptr},
    {'v', "version", nullptr, QT_TRANSLATE_NOOP("cli", "Show the version."), nullptr, nullptr},
};

QString tr(const char *text)
{
    return QCoreApplication::translate("cli", text);
}

QString versionLine()
{
    return QStringLiteral("varnello-convert %1.%2.%3\n")
        .arg(core::kVersionMajor)
        .arg(core::kVersionMinor)
        .arg(core::kVersionRevision);
}

QString optionName(const Row &row)
{
    return QStringLiteral("--") + QLatin1String(row.name);
}

// Lines of at most `width` columns after `indent` blanks, broken at blanks where there are any;
// Japanese, which has none, anywhere. Wide characters take two columns.
QString wrapped(const QString &text, int indent, int width)
{
    QString out;
    QString line;
    int columns = 0;
    const auto flush = [&] {
        out += QString(indent, u' ') + line.trimmed() + u'\n';
        line.clear();
        columns = 0;
    };
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        int wordColumns = 0;
        for (const QChar c : word)
            wordColumns += c.unicode() >= 0x1100 ? 2 : 1;
        if (columns > 0 && columns + 1 + wordColumns > width)
            flush();
        if (columns > 0) {
            line += u' ';
            ++columns;
        }
        for (const QChar c : word) {
            const int w = c.unicode() >= 0x1100 ? 2 : 1;
            if (columns + w > width)
                flush();
            line += c;
            columns += w;
        }
    }
    if (!line.isEmpty())
        flush();
    return out;
}

QString helpText()
{
    QString text = Texts::tr("Usage: varnello-convert [options] PICTURE...") +
                   QStringLiteral("\n\n") + tr(kDescription) + QStringLiteral("\n\n") +
                   Texts::tr("Options:") + u'\n';
    for (const Row &row : kRows) {
        text += QStringLiteral("  ");
        if (row.shortName)
            text += QStringLiteral("-%1, ").arg(QLatin1Char(row.shortName));
        text += optionName(row);
        if (row.value)
            text += u' ' + QLatin1String(row.value);
        text += u'\n' + wrapped(tr(row.help), 6, 72);
    }
    text += QStringLiteral("\n  PICTURE...\n") +
            wrapped(Texts::tr("The pictures to convert (with --from-bin, the BIN files); - is "
                              "standard input."),
                    6, 72);
    return text + u'\n' + tr(kExamples);
}

// The options' names a mistyped one is closest to, when it is close: two letters off at most.
QString nearest(const QString &typed)
{
    const auto distance = [](const QString &a, const QString &b) {
        std::vector<qsizetype> previous(std::size_t(b.size()) + 1), current(previous.size());
        for (qsizetype j = 0; j <= b.size(); ++j)
            previous[std::size_t(j)] = j;
        for (qsizetype i = 1; i <= a.size(); ++i) {
            current[0] = i;
            for (qsizetype j = 1; j <= b.size(); ++j)
                current[std::size_t(j)] =
                    std::min({previous[std::size_t(j)] + 1, current[std::size_t(j - 1)] + 1,
                              previous[std::size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            std::swap(previous, current);
        }
        return previous.back();
    };
    QString best;
    qsizetype bestDistance = 3;
    for (const Row &row : kRows)
        if (const qsizetype d = distance(typed, QLatin1String(row.name)); d < bestDistance) {
            bestDistance = d;
            best = optionName(row);
        }
    return best;
}

const Row *findRow(QStringView name, bool isShort)
{
    for (const Row &row : kRows)
        if (isShort ? (row.shortName && name == QChar(QLatin1Char(row.shortName)))
                    : name == QLatin1String(row.name))
            return &row;
    return nullptr;
}

Parsed usageError(const QString &text)
{
    return {Parsed::Action::UsageError, {}, text};
}

// What the options say together, once each has been read.
QString checkTogether(const Options &options, const QList<const Row *> &given)
{
    const auto isGiven = [&](const char *name) {
        return std::any_of(given.begin(), given.end(),
                           [&](const Row *row) { return qstrcmp(row->name, name) == 0; });
    };
    if (options.pictures.isEmpty())
        return Texts::tr("no picture was given");
    if (options.fromBin) {
        for (const Row *row : given)
            if (row->shapes)
                return Texts::tr("--from-bin cannot be combined with %1").arg(optionName(*row));
    }
    // A size that the program could not hold is refused before anything is read.
    for (const auto &[name, size] :
         {std::pair{"fit", options.recipe.panel}, std::pair{"from-bin", options.fromBin}})
        if (size)
            if (const QString refusal = core::sizeRefusal(size->width(), size->height());
                !refusal.isEmpty())
                return QStringLiteral("--%1 %2: %3")
                    .arg(QLatin1String(name), core::sizeWord(*size), refusal);
    // Without what they refine, these would do nothing, which is likelier a slip than meant.
    if (isGiven("fit-mode") && !options.recipe.panel)
        return Texts::tr("%1 needs %2").arg(QStringLiteral("--fit-mode"), QStringLiteral("--fit"));
    for (const char *cOnly : {"name", "c-type"})
        if (isGiven(cOnly) && options.recipe.format != core::OutputFormat::C)
            return Texts::tr("%1 needs %2")
                .arg(QStringLiteral("--") + QLatin1String(cOnly), QStringLiteral("--format c"));
    if (isGiven("name") && options.pictures.size() > 1)
        return Texts::tr("--name names one picture, but %1 were given")
            .arg(options.pictures.size());
    if (options.frames && options.output == kStandardStream)
        return Texts::tr("--frames makes several files, which standard output cannot take");
    if (options.frames && !options.preview.isEmpty())
        return Texts::tr("--frames cannot be combined with --preview");
    if (options.json && options.output == kStandardStream)
        return Texts::tr("--json and -o - would both write to standard output");
    return {};
}

} // namespace

Parsed parseArguments(const QStringList &arguments, int defaultJobs)
{
    // Help and the version win over anything wrong beside them.
    for (const QString &argument : arguments.mid(1)) {
        if (argument == u"--")
            break;
        if (argument == u"-h" || argument == u"--help")
            return {Parsed::Action::ShowHelp, {}, helpText()};
        if (argument == u"-v" || argument == u"--version")
            return {Parsed::Action::ShowVersion, {}, versionLine()};
    }

    Options options;
    options.jobs = defaultJobs;
    QList<const Row *> given;
    bool onlyPictures = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (onlyPictures || argument == kStandardStream || !argument.startsWith(u'-')) {
            options.pictures << argument;
            continue;
        }
        if (argument == u"--") {
            onlyPictures = true;
            continue;
        }
        // --name=value, --name value, -o value, -ovalue.
        const bool isShort = !argument.startsWith(u"--");
        const qsizetype equals = isShort ? -1 : argument.indexOf(u'=');
        const QString name =
            isShort ? argument.mid(1, 1) : argument.mid(2, equals < 0 ? -1 : equals - 2);
        const Row *row = findRow(name, isShort);
        if (!row || !row->read) {
            const QString typed =
                isShort ? QStringLiteral("-") + name : QStringLiteral("--") + name;
            const QString close = isShort ? QString() : nearest(name);
            return usageError(
                close.isEmpty()
                    ? Texts::tr("there is no option %1").arg(typed)
                    : Texts::tr("there is no option %1; did you mean %2?").arg(typed, close));
        }
        QString value;
        if (row->value) {
            if (equals >= 0)
                value = argument.mid(equals + 1);
            else if (isShort && argument.size() > 2)
                value = argument.mid(2);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                return usageError(
                    Texts::tr("%1 needs a value: %2").arg(optionName(*row), tr(row->wants)));
        } else if (equals >= 0 || (isShort && argument.size() > 2)) {
            return usageError(Texts::tr("%1 takes no value").arg(optionName(*row)));
        }
        if (!row->read(options, value))
            return usageError(
                Texts::tr("%1 wants %2, not \"%3\"")
                    .arg(row->shortName == 'o' ? QStringLiteral("-o") : optionName(*row),
                         tr(row->wants), value));
        given << row;
    }
    if (const QString wrong = checkTogether(options, given); !wrong.isEmpty())
        return usageError(wrong);
    return {Parsed::Action::Run, options, {}};
}

} // namespace cli
