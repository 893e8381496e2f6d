#include "options.h"
#include "texts.h"

#include "console.h"
#include "core/decode/picture_limits.h"
#include "core/files/c_source.h"
#include "core/version.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace cli {

namespace {

const char *const kDescription =
    VTR("cli",
        "Converts BMP, JPEG, PNG and GIF pictures into 65K-colour BIN files for the display unit:\n"
        "two bytes a pixel, 5-6-5 bits of red, green and blue, low byte first, rows from the top.\n"
        "Unless options below change them, the bytes are the same as the window program writes.\n"
        "\n"
        "Each BIN file is written beside its picture, named as the window's batch run names it:\n"
        "the last three characters of the name become BIN (photo.jpg gives photo.BIN). An older\n"
        "file of that name is replaced whole; a picture given on the command line never is. A\n"
        "device or a pipe (-o /dev/null) is written into, never replaced.");

const char *const kExamples =
    VTR("cli", "Exit status: 0 when every picture was converted, 1 when any failed,\n"
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

// An option's value: its words as UTF-8, and the path it names when it names one.
struct Value
{
    std::string text;
    std::filesystem::path path;
};

// One option: its names, the placeholder of its value (none for a switch), its help, what it
// wants when the value is wrong, and how it sets the options. One row is one option.
struct Row
{
    char shortName;
    const char *name;
    const char *value;
    const char *help;
    const char *wants;
    bool (*read)(Options &, const Value &);
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
     VTR("cli", "Write into the folder PATH (one that exists), or, for one picture "
                "or one C source of several, into the file PATH; - is standard "
                "output."),
     VTR("cli", "a file or folder name"),
     [](Options &o, const Value &v) { return o.output = v.path, !v.text.empty(); }},
    {0, "preview", "FILE.bmp",
     VTR("cli", "Also write what the display unit will show as a 24-bit BMP file "
                "(one picture only)."),
     VTR("cli", "a file name"),
     [](Options &o, const Value &v) {
         return o.preview = v.path, !v.text.empty() && v.text != "-";
     },
     true},
    {0, "max-size", "WxH",
     VTR("cli", "Refuse pictures wider or taller than this, such as 640x480, once "
                "cut, turned and fitted. Default: no limit."),
     VTR("cli", "WIDTHxHEIGHT, such as 640x480"),
     [](Options &o, const Value &v) { return setOptional(core::sizeFromWord(v.text), o.maxSize); },
     true},
    {'j', "jobs", "N", VTR("cli", "Convert N pictures at a time (default: the number of cores)."),
     VTR("cli", "a whole number of at least 1"),
     [](Options &o, const Value &v) {
         const char *end = v.text.data() + v.text.size();
         const auto [stop, failure] = std::from_chars(v.text.data(), end, o.jobs);
         return failure == std::errc() && stop == end && o.jobs >= 1 &&
                std::all_of(v.text.begin(), v.text.end(),
                            [](char c) { return c >= '0' && c <= '9'; });
     }},
    {0, "sync", nullptr,
     VTR("cli", "Wait until each file is on the disk, so that it survives a power "
                "cut. Slower."),
     nullptr,
     [](Options &o, const Value &) { return o.durability = core::Durability::Synced, true; }},
    {'q', "quiet", nullptr, VTR("cli", "Show only errors: no progress, no summary."), nullptr,
     [](Options &o, const Value &) { return o.quiet = true; }},
    {0, "json", nullptr,
     VTR("cli", "Describe each picture and what was made of it as JSON on standard "
                "output, instead of the summary."),
     nullptr, [](Options &o, const Value &) { return o.json = true; }},
    {0, "dry-run", nullptr, VTR("cli", "Convert but write nothing: say what each output would be."),
     nullptr, [](Options &o, const Value &) { return o.dryRun = true; }},
    {0, "byte-order", "le|be",
     VTR("cli", "The order of each pixel's two bytes: le, low byte first (the BIN "
                "file's, the default), or be, high byte first. With --from-bin, the "
                "order the BIN files were written in."),
     VTR("cli", "le or be"),
     [](Options &o, const Value &v) {
         return set(core::byteOrderFromWord(v.text), o.recipe.byteOrder);
     }},
    {0, "crop", "X,Y,W,H",
     VTR("cli", "Keep only W x H pixels from X, Y of each picture (0,0 is its top "
                "left), before anything else."),
     VTR("cli", "X,Y,WIDTH,HEIGHT, such as 0,0,320,240"),
     [](Options &o, const Value &v) {
         return setOptional(core::cropFromWord(v.text), o.recipe.crop);
     },
     true},
    {0, "alpha", "ignore|blend",
     VTR("cli", "Transparent pixels: ignore takes the colour the file stores for them "
                "(the default), blend lays them over the --background colour."),
     VTR("cli", "ignore or blend"),
     [](Options &o, const Value &v) { return set(core::alphaFromWord(v.text), o.recipe.alpha); },
     true},
    {0, "colour-key", "RRGGBB",
     VTR("cli", "Pixels less than half opaque become exactly this colour, for "
                "firmware that skips it when it draws."),
     VTR("cli", "a colour as RRGGBB in hex, such as ff00ff"),
     [](Options &o, const Value &v) {
         return setOptional(core::colourFromWord(v.text), o.recipe.colourKey);
     },
     true},
    {0, "background", "RRGGBB",
     VTR("cli", "The colour of the bands that --fit-mode contain adds and that "
                "--alpha blend lays pictures over, in hex (default: 000000, black)."),
     VTR("cli", "a colour as RRGGBB in hex, such as ff8000"),
     [](Options &o, const Value &v) {
         return set(core::colourFromWord(v.text), o.recipe.background);
     },
     true},
    {0, "rotate", "90|180|270",
     VTR("cli", "Turn each picture clockwise by 90, 180 or 270 degrees, before "
                "--fit."),
     VTR("cli", "90, 180 or 270"),
     [](Options &o, const Value &v) {
         return set(core::rotationFromWord(v.text), o.recipe.rotation) && o.recipe.rotation != 0;
     },
     true},
    {0, "fit", "WxH",
     VTR("cli", "Scale each picture to exactly this size, such as 320x240, the "
                "panel's. A picture of that size is left as it is."),
     VTR("cli", "WIDTHxHEIGHT, such as 320x240"),
     [](Options &o, const Value &v) {
         return setOptional(core::sizeFromWord(v.text), o.recipe.panel);
     },
     true},
    {0, "fit-mode", "contain|cover|stretch",
     VTR("cli", "How --fit scales: contain (the default: the whole picture, centred "
                "on the background), cover (the whole panel, the overhang cut off "
                "on both sides) or stretch (the aspect given up)."),
     VTR("cli", "contain, cover or stretch"),
     [](Options &o, const Value &v) {
         return set(core::fitModeFromWord(v.text), o.recipe.fitMode);
     },
     true},
    {0, "dither", "none|ordered|fs",
     VTR("cli", "Dither before the 65K-colour encoding: none (the default: each "
                "channel truncated, as the window does), ordered (an 8x8 Bayer "
                "pattern) or fs (Floyd-Steinberg error diffusion)."),
     VTR("cli", "none, ordered or fs"),
     [](Options &o, const Value &v) { return set(core::ditherFromWord(v.text), o.recipe.dither); },
     true},
    {0, "frames", nullptr,
     VTR("cli", "Every frame of an animated GIF, each its own output, numbered "
                "before the last dot of the name (anim-001.BIN, anim-002.BIN, ...). "
                "Without it, the first frame."),
     nullptr, [](Options &o, const Value &) { return o.frames = true; }, true},
    {0, "format", "bin|c",
     VTR("cli", "Write bin (the default), or c: C source NAME.c and its header "
                "NAME.h beside the picture, with the bytes in the array NAME, "
                "NAME being the picture's name made into a C identifier."),
     VTR("cli", "bin or c"),
     [](Options &o, const Value &v) {
         const bool c = v.text == "c";
         o.recipe.format = c ? core::OutputFormat::C : core::OutputFormat::Bin;
         return c || v.text == "bin";
     },
     true},
    {0, "name", "SYMBOL",
     VTR("cli", "With --format c, the array's name instead of the picture's (one "
                "picture)."),
     VTR("cli", "a C identifier that means nothing else to C or C++, such as logo_le"),
     [](Options &o, const Value &v) {
         return o.symbol = v.text, core::isUsableCIdentifier(v.text);
     },
     true},
    {0, "c-type", "u8|u16",
     VTR("cli", "With --format c, the array's elements: u8, the bytes (the default), "
                "or u16, each pixel's 5-6-5 word as a uint16_t (byte-swapped with "
                "--byte-order be)."),
     VTR("cli", "u8 or u16"),
     [](Options &o, const Value &v) {
         o.cType = v.text == "u16" ? CType::Words : CType::Bytes;
         return v.text == "u8" || v.text == "u16";
     },
     true},
    {0, "from-bin", "WxH",
     VTR("cli", "The other way: read BIN files of WxH pixels and write what the "
                "display unit shows of each as a 24-bit BMP file, NAME.bmp beside "
                "the BIN file (a file already there is not replaced, unless -o "
                "names it)."),
     VTR("cli", "WIDTHxHEIGHT, such as 320x240"),
     [](Options &o, const Value &v) { return setOptional(core::sizeFromWord(v.text), o.fromBin); }},
    {'h', "help", nullptr, VTR("cli", "Show this help."), nullptr, nullptr},
    {'v', "version", nullptr, VTR("cli", "Show the version."), nullptr, nullptr},
};

std::string tr(const char *text)
{
    return said(core::Message{text});
}

std::string versionLine()
{
    return "varnello-convert " + std::to_string(core::kVersionMajor) + '.' +
           std::to_string(core::kVersionMinor) + '.' + std::to_string(core::kVersionRevision) +
           '\n';
}

std::string optionName(const Row &row)
{
    return std::string("--") + row.name;
}

// The columns of UTF-8 text on a terminal: from U+1100 on, where the wide scripts begin, a
// character takes two.
int columnsOf(std::string_view utf8)
{
    int columns = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = std::max<std::size_t>(1, core::utf8Length(utf8, at));
        const auto lead = static_cast<unsigned char>(utf8[at]);
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            c = c << 6 | (static_cast<unsigned char>(utf8[at + k]) & 0x3F);
        columns += c >= 0x1100 ? 2 : 1;
        at += length;
    }
    return columns;
}

// Lines of at most `width` columns after `indent` blanks, broken at blanks where there are any;
// Japanese, which has none, anywhere.
std::string wrapped(std::string_view text, int indent, int width)
{
    std::string out, line;
    int columns = 0;
    const auto flush = [&] {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += std::string(std::size_t(indent), ' ') + line + '\n';
        line.clear();
        columns = 0;
    };
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t blank = std::min(text.find(' ', start), text.size());
        const std::string_view word = text.substr(start, blank - start);
        start = blank + 1;
        if (word.empty())
            continue;
        if (columns > 0 && columns + 1 + columnsOf(word) > width)
            flush();
        if (columns > 0) {
            line += ' ';
            ++columns;
        }
        for (std::size_t at = 0; at < word.size();) {
            const std::size_t length = std::max<std::size_t>(1, core::utf8Length(word, at));
            const int w = columnsOf(word.substr(at, length));
            if (columns + w > width)
                flush();
            line += word.substr(at, length);
            columns += w;
            at += length;
        }
    }
    if (!line.empty())
        flush();
    return out;
}

std::string helpText()
{
    std::string text = said({VTR("cli", "Usage: varnello-convert [options] PICTURE...")}) + "\n\n" +
                       tr(kDescription) + "\n\n" + said({VTR("cli", "Options:")}) + '\n';
    for (const Row &row : kRows) {
        text += "  ";
        if (row.shortName)
            text += std::string("-") + row.shortName + ", ";
        text += optionName(row);
        if (row.value)
            text += std::string(" ") + row.value;
        text += '\n' + wrapped(tr(row.help), 6, 72);
    }
    text += "\n  PICTURE...\n" +
            wrapped(said({VTR("cli", "The pictures to convert (with --from-bin, the BIN files); - "
                                     "is standard input.")}),
                    6, 72);
    return text + '\n' + tr(kExamples);
}

// The option's name a mistyped one is closest to, when it is close: two letters off at most.
std::string nearest(std::string_view typed)
{
    const auto distance = [](std::string_view a, std::string_view b) {
        std::vector<std::size_t> previous(b.size() + 1), current(previous.size());
        for (std::size_t j = 0; j <= b.size(); ++j)
            previous[j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            current[0] = i;
            for (std::size_t j = 1; j <= b.size(); ++j)
                current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                       previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            std::swap(previous, current);
        }
        return previous.back();
    };
    std::string best;
    std::size_t bestDistance = 3;
    for (const Row &row : kRows)
        if (const std::size_t d = distance(typed, row.name); d < bestDistance) {
            bestDistance = d;
            best = optionName(row);
        }
    return best;
}

const Row *findRow(std::string_view name, bool isShort)
{
    for (const Row &row : kRows)
        if (isShort ? (row.shortName && name.size() == 1 && name[0] == row.shortName)
                    : name == row.name)
            return &row;
    return nullptr;
}

Parsed usageError(std::string text)
{
    return {Parsed::Action::UsageError, {}, std::move(text)};
}

// What the options say together, once each has been read; the message, or none.
std::optional<core::Message> checkTogether(const Options &options,
                                           const std::vector<const Row *> &given)
{
    const auto isGiven = [&](std::string_view name) {
        return std::any_of(given.begin(), given.end(),
                           [&](const Row *row) { return name == row->name; });
    };
    if (options.pictures.empty())
        return core::Message{VTR("cli", "no picture was given")};
    if (options.fromBin) {
        for (const Row *row : given)
            if (row->shapes)
                return core::message(VTR("cli", "--from-bin cannot be combined with %1"),
                                     optionName(*row));
    }
    // A size that the program could not hold is refused before anything is read.
    for (const auto &[name, size] :
         {std::pair{"fit", options.recipe.panel}, std::pair{"from-bin", options.fromBin}})
        if (size)
            if (const auto refusal = core::sizeRefusal(size->width, size->height))
                return core::Message{"--%1 %2: %3", {name, core::sizeWord(*size), said(*refusal)}};
    // Without what they refine, these would do nothing, which is likelier a slip than meant.
    if (isGiven("fit-mode") && !options.recipe.panel)
        return core::message(VTR("cli", "%1 needs %2"), "--fit-mode", "--fit");
    for (const char *cOnly : {"name", "c-type"})
        if (isGiven(cOnly) && options.recipe.format != core::OutputFormat::C)
            return core::message(VTR("cli", "%1 needs %2"), std::string("--") + cOnly,
                                 "--format c");
    if (isGiven("name") && options.pictures.size() > 1)
        return core::message(VTR("cli", "--name names one picture, but %1 were given"),
                             std::uint64_t(options.pictures.size()));
    if (options.frames && isStandardStream(options.output))
        return core::Message{
            VTR("cli", "--frames makes several files, which standard output cannot take")};
    if (options.frames && !options.preview.empty())
        return core::Message{VTR("cli", "--frames cannot be combined with --preview")};
    if (options.json && isStandardStream(options.output))
        return core::Message{VTR("cli", "--json and -o - would both write to standard output")};
    return std::nullopt;
}

using Native = std::filesystem::path::string_type;

Native nativeOf(std::string_view ascii)
{
    return Native(ascii.begin(), ascii.end());
}

bool startsWith(const Native &text, std::string_view ascii)
{
    return text.size() >= ascii.size() && text.compare(0, ascii.size(), nativeOf(ascii)) == 0;
}

Value valueOf(Native native)
{
    const std::filesystem::path path(std::move(native));
    return {console::utf8Of(path), path};
}

} // namespace

bool isStandardStream(const std::filesystem::path &path)
{
    return path.native() == nativeOf("-");
}

Parsed parseArguments(const std::vector<std::filesystem::path> &arguments, int defaultJobs)
{
    // Help and the version win over anything wrong beside them.
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const Native &argument = arguments[i].native();
        if (argument == nativeOf("--"))
            break;
        if (argument == nativeOf("-h") || argument == nativeOf("--help"))
            return {Parsed::Action::ShowHelp, {}, helpText()};
        if (argument == nativeOf("-v") || argument == nativeOf("--version"))
            return {Parsed::Action::ShowVersion, {}, versionLine()};
    }

    Options options;
    options.jobs = defaultJobs;
    std::vector<const Row *> given;
    bool onlyPictures = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const Native &argument = arguments[i].native();
        if (onlyPictures || isStandardStream(arguments[i]) || !startsWith(argument, "-")) {
            options.pictures.push_back(arguments[i]);
            continue;
        }
        if (argument == nativeOf("--")) {
            onlyPictures = true;
            continue;
        }
        // --name=value, --name value, -o value, -ovalue.
        const bool isShort = !startsWith(argument, "--");
        const std::size_t equals = isShort ? Native::npos : argument.find(nativeOf("=")[0]);
        const std::string name = console::utf8Of(std::filesystem::path(
            isShort ? argument.substr(1, 1)
                    : argument.substr(2, equals == Native::npos ? Native::npos : equals - 2)));
        const Row *row = findRow(name, isShort);
        if (!row || !row->read) {
            const std::string typed = (isShort ? "-" : "--") + name;
            const std::string close = isShort ? std::string() : nearest(name);
            return usageError(said(
                close.empty() ? core::message(VTR("cli", "there is no option %1"), typed)
                              : core::message(VTR("cli", "there is no option %1; did you mean %2?"),
                                              typed, close)));
        }
        Value value;
        if (row->value) {
            if (equals != Native::npos)
                value = valueOf(argument.substr(equals + 1));
            else if (isShort && argument.size() > 2)
                value = valueOf(argument.substr(2));
            else if (i + 1 < arguments.size())
                value = valueOf(arguments[++i].native());
            else
                return usageError(said(core::message(VTR("cli", "%1 needs a value: %2"),
                                                     optionName(*row), tr(row->wants))));
        } else if (equals != Native::npos || (isShort && argument.size() > 2)) {
            return usageError(
                said(core::message(VTR("cli", "%1 takes no value"), optionName(*row))));
        }
        if (!row->read(options, value))
            return usageError(
                said(core::message(VTR("cli", "%1 wants %2, not \"%3\""),
                                   row->shortName == 'o' ? std::string("-o") : optionName(*row),
                                   tr(row->wants), value.text)));
        given.push_back(row);
    }
    if (const auto wrong = checkTogether(options, given))
        return usageError(said(*wrong));
    return {Parsed::Action::Run, options, {}};
}

} // namespace cli
