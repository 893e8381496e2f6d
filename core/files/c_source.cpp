#include "core/files/c_source.h"

#include "core/message.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <sstream>

namespace core {

namespace {

// Names a compiler, or a file that includes the standard headers, takes for something else,
// beyond the families meansSomethingElse() spots: the keywords of C to C23 and C++ to C++20
// with C++'s alternative operator names; the standard headers' macros and types that follow no
// pattern; the words GCC and Clang predefine outside strict ISO modes on the systems and
// processors firmware is built on or for (`echo | gcc -dM -E -std=gnu11 -`); main; C++'s std.
constexpr const char *kTakenWords[] = {
    ("alignas alignof and and_eq asm auto bitand bitor bool break case catch char class compl "
     "concept const consteval constexpr constinit const_cast continue co_await co_return "
     "co_yield decltype default delete do double dynamic_cast else enum explicit export extern "
     "false float for friend goto if inline int long mutable namespace new noexcept not not_eq "
     "nullptr operator or or_eq private protected public register reinterpret_cast requires "
     "restrict return short signed sizeof static static_assert static_cast struct switch "
     "template this thread_local throw true try typedef typeid typename typeof typeof_unqual "
     "union unsigned using virtual void volatile while xor xor_eq"),
    ("assert BUFSIZ CHAR_BIT CLOCKS_PER_SEC CMPLX CMPLXF CMPLXL complex DECIMAL_DIG EDOM EILSEQ "
     "EOF ERANGE errno EXIT_FAILURE EXIT_SUCCESS FILE fpclassify HUGE_VAL HUGE_VALF HUGE_VALL I "
     "imaginary INFINITY isfinite isgreater isgreaterequal isinf isless islessequal "
     "islessgreater isnan isnormal isunordered jmp_buf kill_dependency L_tmpnam LC_ALL "
     "LC_COLLATE LC_CTYPE LC_MONETARY LC_NUMERIC LC_TIME MATH_ERREXCEPT math_errhandling "
     "MATH_ERRNO memory_order NAN NDEBUG noreturn NULL offsetof ONCE_FLAG_INIT once_flag "
     "SEEK_CUR SEEK_END SEEK_SET setjmp SIG_DFL SIG_ERR SIG_IGN SIGABRT SIGFPE SIGILL SIGINT "
     "SIGSEGV SIGTERM signbit stderr stdin stdout TIME_ACTIVE TIME_MONOTONIC TIME_THREAD_ACTIVE "
     "TIME_UTC TSS_DTOR_ITERATIONS unreachable va_arg va_copy va_end va_list va_start WEOF"),
    ("AVR i386 linux mc68000 mc68010 mc68020 mc68030 mc68040 mc68060 MIPSEB MIPSEL mips MSP430 "
     "PPC powerpc sparc sun unix WIN32 WIN64 WINNT"),
    "main std",
};

// Whether a name, or a macro made from it, would mean something else to a C or C++ compiler:
// the words above, the standard headers' families of names (types ending in _t, limits in _MAX
// and _MIN, constants in _C, C23's widths such as INT_WIDTH, the format macros such as PRIu8,
// and the macros C reserves for <fenv.h>, <float.h>, <math.h> and <stdatomic.h>), and this
// program's own macros. A name beginning with "picture_" is none of them, which is why it is
// the way out.
bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool meansSomethingElse(const std::string &name)
{
    static const std::set<std::string> words = [] {
        std::set<std::string> set;
        for (const char *list : kTakenWords) {
            std::istringstream each(list);
            for (std::string word; each >> word;)
                set.insert(word);
        }
        // X whose X_WIDTH is C23's, from <stdint.h> and <limits.h>.
        for (const std::string u : {"", "U"}) {
            for (const char *kind : {"", "_LEAST", "_FAST"})
                for (const char *bits : {"8", "16", "32", "64"})
                    set.insert(u + "INT" + kind + bits);
            for (const char *type : {"INTPTR", "INTMAX", "CHAR", "SHRT", "INT", "LONG", "LLONG"})
                set.insert(u + type);
        }
        for (const char *type : {"SCHAR", "PTRDIFF", "SIG_ATOMIC", "SIZE", "WCHAR", "WINT", "BOOL"})
            set.insert(type);
        return set;
    }();
    if (startsWith(name, "picture_"))
        return false;
    const auto upperAfter = [&](std::string_view prefix) {
        return startsWith(name, prefix) && name.size() > prefix.size() &&
               name[prefix.size()] >= 'A' && name[prefix.size()] <= 'Z';
    };
    const auto formatMacro = [&](std::string_view prefix) {
        return startsWith(name, prefix) && name.size() > prefix.size() &&
               ((name[prefix.size()] >= 'a' && name[prefix.size()] <= 'z') ||
                name[prefix.size()] == 'X');
    };
    return words.count(name) != 0 || endsWith(name, "_t") || endsWith(name, "_MAX") ||
           endsWith(name, "_MIN") || endsWith(name, "_C") || formatMacro("PRI") ||
           formatMacro("SCN") || upperAfter("FE_") || upperAfter("FP_") || upperAfter("FLT_") ||
           upperAfter("DBL_") || upperAfter("LDBL_") || upperAfter("ATOMIC_") ||
           startsWith(name, "VARNELLO_");
}

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

const char kHex[] = "0123456789abcdef";

std::string hexOf(std::uint32_t value, int digits)
{
    std::string text(std::size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[std::size_t(i)] = kHex[value & 0xF];
    for (; value != 0; value >>= 4)
        text.insert(text.begin(), kHex[value & 0xF]);
    return text;
}

// The elements, 16 bytes or 8 words a line.
std::string elements(std::span<const std::uint8_t> bin, bool words)
{
    std::string text;
    text.reserve(bin.size() * 6 + 16);
    const std::size_t step = words ? 2 : 1, perLine = 16 / step * step;
    for (std::size_t i = 0; i < bin.size(); i += step) {
        text += i % perLine == 0 ? "    " : " ";
        text += "0x";
        text += words ? hexOf(std::uint32_t(bin[i] | bin[i + 1] << 8), 4) : hexOf(bin[i], 2);
        text += i + step >= bin.size() || (i + step) % perLine == 0 ? ",\n" : ",";
    }
    return text;
}

std::string declaration(const CPicture &picture, const CSourceOptions &options)
{
    const std::string &id = picture.symbol;
    return std::string("const ") + (options.words ? "uint16_t " : "uint8_t ") + id + '[' + id +
           "_WIDTH * " + id + "_HEIGHT" + (options.words ? "" : " * 2") + "] VARNELLO_ATTRIBUTES";
}

// A character of a name, or a byte of it that is not UTF-8 (Unix names are bytes).
struct Character
{
    char32_t code;
    bool rawByte;
};

std::vector<Character> charactersOf(const std::filesystem::path &name)
{
    std::vector<Character> characters;
#if defined(_WIN32)
    const std::wstring &units = name.native();
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = char32_t(units[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(units[++i]) - 0xDC00);
        characters.push_back({c, false});
    }
#else
    const std::string &bytes = name.native();
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = utf8Length(bytes, at);
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (length == 0) {
            characters.push_back({lead, true});
            ++at;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            c = c << 6 | (static_cast<unsigned char>(bytes[at + k]) & 0x3F);
        characters.push_back({c, false});
        at += length;
    }
#endif
    return characters;
}

} // namespace

std::string cIdentifier(const std::filesystem::path &fileName)
{
    std::string name;
    const auto add = [&](const std::string &part) {
        // One underscore at a time: C++ reserves every name holding two in a row, and the
        // macros made by adding "_WIDTH" to a name must not hold them either.
        for (const char c : part)
            if (c != '_' || name.empty() || name.back() != '_')
                name += c;
    };
    // The name without its extension, the part from its last dot on (".logo" has none).
    const std::filesystem::path stem =
        fileName.filename().has_extension() ? fileName.filename().stem() : fileName.filename();
    for (const auto [c, rawByte] : charactersOf(stem)) {
        if (rawByte)
            add("_x" + hexOf(std::uint32_t(c), 2));
        else if (isAsciiLetter(c) || (c >= U'0' && c <= U'9') || c == U'_')
            add(std::string(1, char(c)));
        else if (c < 0x80)
            add("_");
        else
            add("_u" + hexOf(std::uint32_t(c), 4));
    }
    if (!name.empty() && name.back() == '_')
        name.pop_back();
    if (name.empty())
        return "picture";
    if (name.front() == '_')
        name.insert(0, "picture");
    else if (!isAsciiLetter(char32_t(name.front())) || meansSomethingElse(name))
        name.insert(0, "picture_");
    return name;
}

bool isUsableCIdentifier(std::string_view name)
{
    return !name.empty() && cIdentifier(std::filesystem::path(std::string(name) + ".c")) == name;
}

CFiles cSources(std::vector<CPicture> pictures, const CSourceOptions &options)
{
    std::filesystem::path baseFile = options.baseName;
    baseFile += ".c";
    const std::string base = cIdentifier(baseFile);
    const bool table = pictures.size() > 1;
    const std::string tableType = base + "_picture";
    const std::string tableName = base + "_pictures";
    std::string upper = base;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    const std::string count = upper + "_PICTURE_COUNT";
    // The header's name with its case, as a symbol is made: headers of one run whose names make
    // the same guard would declare the same array, and could not be used together anyway.
    const std::string guard = "VARNELLO_" + base + "_h";
    // Every name the text defines is its own: a picture whose name, or a macro made from it,
    // is taken (a.png after a.jpg, logo_WIDTH.png after logo.png, assets_pictures.png in
    // assets.c) gets _2, _3, ... The VARNELLO_ macros need no check: no symbol begins so.
    std::set<std::string> taken{tableType, tableName, count};
    const auto names = [](const std::string &symbol) {
        return std::array{symbol, symbol + "_WIDTH", symbol + "_HEIGHT"};
    };
    for (CPicture &picture : pictures) {
        const std::string wanted = picture.symbol;
        const auto free = [&](const std::string &symbol) {
            const auto made = names(symbol);
            return std::none_of(made.begin(), made.end(),
                                [&](const std::string &name) { return taken.count(name) != 0; });
        };
        for (int n = 2; !free(picture.symbol); ++n)
            picture.symbol = wanted + '_' + std::to_string(n);
        for (const std::string &name : names(picture.symbol))
            taken.insert(name);
    }

    std::string header = "/* Made by varnello-convert: ";
    header += table ? std::to_string(pictures.size()) + " pictures" : pictures.front().pictureName;
    header += " in 65K colours (RGB565), ";
    header += options.words ? "a uint16_t word a pixel" : "two bytes a pixel";
    header += options.order == ByteOrder::Little ? ", low byte first" : ", high byte first";
    header += options.words ? " in memory" : "";
    header += ", rows from the top.\n   Define VARNELLO_ATTRIBUTES for a section or an "
              "alignment, such as PROGMEM. */\n";
    header += "#ifndef " + guard + "\n#define " + guard + "\n\n#include <stdint.h>\n\n";
    header += "#ifndef VARNELLO_ATTRIBUTES\n#define VARNELLO_ATTRIBUTES\n#endif\n\n";
    header += "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n";
    for (const CPicture &picture : pictures) {
        const std::string &id = picture.symbol;
        if (table)
            header += "/* " + picture.pictureName + " */\n";
        header += "#define " + id + "_WIDTH " + std::to_string(picture.size.width) + "\n";
        header += "#define " + id + "_HEIGHT " + std::to_string(picture.size.height) + "\n";
        header += "extern " + declaration(picture, options) + ";\n\n";
    }
    if (table) {
        header += "typedef struct " + tableType +
                  " {\n    const char *name;\n"
                  "    uint32_t width;\n    uint32_t height;\n    const " +
                  (options.words ? "uint16_t" : "uint8_t") + " *data;\n} " + tableType + ";\n\n";
        header += "#define " + count + ' ' + std::to_string(pictures.size()) + "\n";
        header += "extern const " + tableType + ' ' + tableName + '[' + count +
                  "] VARNELLO_ATTRIBUTES;\n\n";
    }
    header += "#ifdef __cplusplus\n}\n#endif\n\n#endif\n";

    CFiles files;
    // The header by the bytes of its file's name, which need not be UTF-8 (as UTF-8 on Windows).
    std::filesystem::path headerFile = options.baseName;
    headerFile += ".h";
#if defined(_WIN32)
    const auto included = headerFile.u8string();
    const std::string headerBytes(included.begin(), included.end());
#else
    const std::string headerBytes = headerFile.native();
#endif
    files.source = options.selfContained
                       ? header + '\n'
                       : "/* Made by varnello-convert; see " + displayPath(headerFile) +
                             ". */\n#include \"" + headerBytes + "\"\n\n";
    for (const CPicture &picture : pictures)
        files.source += declaration(picture, options) + " = {\n" +
                        elements(picture.bin, options.words) + "};\n\n";
    if (table) {
        files.source +=
            "const " + tableType + ' ' + tableName + '[' + count + "] VARNELLO_ATTRIBUTES = {\n";
        for (const CPicture &picture : pictures) {
            const std::string &id = picture.symbol;
            files.source +=
                "    {\"" + id + "\", " + id + "_WIDTH, " + id + "_HEIGHT, " + id + "},\n";
        }
        files.source += "};\n";
    }
    if (!options.selfContained)
        files.header = header;
    return files;
}

} // namespace core
