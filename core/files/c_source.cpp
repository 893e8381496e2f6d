#include "core/files/c_source.h"

#include "core/files/native_path.h"
#include "core/files/output_name.h"

#include <QList>
#include <QSet>

#include <algorithm>
#include <array>
#include <iterator>

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
bool meansSomethingElse(const QString &name)
{
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char *list : kTakenWords)
            for (const QString &word : QString::fromLatin1(list).split(u' '))
                set.insert(word);
        // X whose X_WIDTH is C23's, from <stdint.h> and <limits.h>.
        for (const QString u : {"", "U"}) {
            for (const QString kind : {"", "_LEAST", "_FAST"})
                for (const QString bits : {"8", "16", "32", "64"})
                    set.insert(u + "INT" + kind + bits);
            for (const QString type : {"INTPTR", "INTMAX", "CHAR", "SHRT", "INT", "LONG", "LLONG"})
                set.insert(u + type);
        }
        for (const QString type :
             {"SCHAR", "PTRDIFF", "SIG_ATOMIC", "SIZE", "WCHAR", "WINT", "BOOL"})
            set.insert(type);
        return set;
    }();
    if (name.startsWith(u"picture_"))
        return false;
    const auto upperAfter = [&](QStringView prefix) {
        return name.startsWith(prefix) && name.size() > prefix.size() &&
               name[prefix.size()].isUpper();
    };
    const auto formatMacro = [&](QStringView prefix) {
        return name.startsWith(prefix) && name.size() > prefix.size() &&
               (name[prefix.size()].isLower() || name[prefix.size()] == u'X');
    };
    return words.contains(name) || name.endsWith(u"_t") || name.endsWith(u"_MAX") ||
           name.endsWith(u"_MIN") || name.endsWith(u"_C") || formatMacro(u"PRI") ||
           formatMacro(u"SCN") || upperAfter(u"FE_") || upperAfter(u"FP_") || upperAfter(u"FLT_") ||
           upperAfter(u"DBL_") || upperAfter(u"LDBL_") || upperAfter(u"ATOMIC_") ||
           name.startsWith(u"VARNELLO_");
}

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

QByteArray hexByte(std::uint8_t b)
{
    constexpr char kHex[] = "0123456789abcdef";
    return QByteArray("0x") + kHex[b >> 4] + kHex[b & 15];
}

// The elements, 16 bytes or 8 words a line.
QByteArray elements(std::span<const std::uint8_t> bin, bool words)
{
    QByteArray text;
    text.reserve(qsizetype(bin.size()) * 6 + 16);
    const std::size_t step = words ? 2 : 1, perLine = 16 / step * step;
    for (std::size_t i = 0; i < bin.size(); i += step) {
        text += i % perLine == 0 ? "    " : " ";
        if (words)
            text += "0x" + QByteArray::number(bin[i] | bin[i + 1] << 8, 16).rightJustified(4, '0');
        else
            text += hexByte(bin[i]);
        text += i + step >= bin.size() || (i + step) % perLine == 0 ? ",\n" : ",";
    }
    return text;
}

QByteArray declaration(const CPicture &picture, const CSourceOptions &options)
{
    const QByteArray id = picture.symbol.toUtf8();
    return QByteArray("const ") + (options.words ? "uint16_t " : "uint8_t ") + id + '[' + id +
           "_WIDTH * " + id + "_HEIGHT" + (options.words ? "" : " * 2") + "] VARNELLO_ATTRIBUTES";
}

} // namespace

QString cIdentifier(const QString &fileName)
{
    QString name;
    const QString stem = withoutExtension(fileName);
    const auto add = [&](const QString &part) {
        // One underscore at a time: C++ reserves every name holding two in a row, and the
        // macros made by adding "_WIDTH" to a name must not hold them either.
        for (const QChar c : part)
            if (c != u'_' || !name.endsWith(u'_'))
                name += c;
    };
    for (qsizetype i = 0; i < stem.size(); ++i) {
        const char16_t unit = stem[i].unicode();
        if (unit >= 0xDC80 && unit <= 0xDCFF) { // a byte of a name that is not UTF-8
            add(QStringLiteral("_x%1").arg(unit - 0xDC00, 2, 16, QLatin1Char('0')));
            continue;
        }
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < stem.size() && stem[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(unit, stem[++i].unicode());
        if (isAsciiLetter(c) || (c >= U'0' && c <= U'9') || c == U'_')
            add(QChar(unit));
        else if (c < 0x80)
            add(QStringLiteral("_"));
        else
            add(QStringLiteral("_u%1").arg(std::uint32_t(c), 4, 16, QLatin1Char('0')));
    }
    if (name.endsWith(u'_'))
        name.chop(1);
    if (name.isEmpty())
        return QStringLiteral("picture");
    if (name.startsWith(u'_'))
        name.prepend(QStringLiteral("picture"));
    else if (!isAsciiLetter(name.front().unicode()) || meansSomethingElse(name))
        name.prepend(QStringLiteral("picture_"));
    return name;
}

bool isUsableCIdentifier(const QString &name)
{
    return !name.isEmpty() && cIdentifier(name + QStringLiteral(".c")) == name;
}

CFiles cSources(std::vector<CPicture> pictures, const CSourceOptions &options)
{
    const QString base = cIdentifier(options.baseName + QStringLiteral(".c"));
    const bool table = pictures.size() > 1;
    const QByteArray tableType = (base + QStringLiteral("_picture")).toUtf8();
    const QByteArray tableName = (base + QStringLiteral("_pictures")).toUtf8();
    const QByteArray count = base.toUpper().toUtf8() + "_PICTURE_COUNT";
    // The header's name with its case, as a symbol is made: headers of one run whose names make
    // the same guard would declare the same array, and could not be used together anyway.
    const QByteArray guard = "VARNELLO_" + base.toUtf8() + "_h";
    // Every name the text defines is its own: a picture whose name, or a macro made from it,
    // is taken (a.png after a.jpg, logo_WIDTH.png after logo.png, assets_pictures.png in
    // assets.c) gets _2, _3, ... The VARNELLO_ macros need no check: no symbol begins so.
    QSet<QString> taken;
    for (const QByteArray &name : {tableType, tableName, count})
        taken.insert(QString::fromUtf8(name));
    const auto names = [](const QString &symbol) {
        return std::array{symbol, symbol + QStringLiteral("_WIDTH"),
                          symbol + QStringLiteral("_HEIGHT")};
    };
    for (CPicture &picture : pictures) {
        const QString wanted = picture.symbol;
        const auto free = [&](const QString &symbol) {
            const auto made = names(symbol);
            return std::none_of(made.begin(), made.end(),
                                [&](const QString &name) { return taken.contains(name); });
        };
        for (int n = 2; !free(picture.symbol); ++n)
            picture.symbol = wanted + QStringLiteral("_%1").arg(n);
        for (const QString &name : names(picture.symbol))
            taken.insert(name);
    }

    QByteArray header = "/* Made by varnello-convert: ";
    header += table ? QByteArray::number(qsizetype(pictures.size())) + " pictures"
                    : pictures.front().pictureName.toUtf8();
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
        const QByteArray id = picture.symbol.toUtf8();
        if (table)
            header += "/* " + picture.pictureName.toUtf8() + " */\n";
        header += "#define " + id + "_WIDTH " + QByteArray::number(picture.size.width()) + "\n";
        header += "#define " + id + "_HEIGHT " + QByteArray::number(picture.size.height()) + "\n";
        header += "extern " + declaration(picture, options) + ";\n\n";
    }
    if (table) {
        header += "typedef struct " + tableType +
                  " {\n    const char *name;\n"
                  "    uint32_t width;\n    uint32_t height;\n    const " +
                  (options.words ? "uint16_t" : "uint8_t") + " *data;\n} " + tableType + ";\n\n";
        header += "#define " + count + ' ' + QByteArray::number(qsizetype(pictures.size())) + "\n";
        header += "extern const " + tableType + ' ' + tableName + '[' + count +
                  "] VARNELLO_ATTRIBUTES;\n\n";
    }
    header += "#ifdef __cplusplus\n}\n#endif\n\n#endif\n";

    CFiles files;
    // The header by the bytes of its file's name, which need not be UTF-8.
    files.source = options.selfContained
                       ? header + '\n'
                       : "/* Made by varnello-convert; see " +
                             displayPath(options.baseName).toUtf8() + ".h. */\n#include \"" +
                             nativePath(options.baseName) + ".h\"\n\n";
    for (const CPicture &picture : pictures)
        files.source += declaration(picture, options) + " = {\n" +
                        elements(picture.bin, options.words) + "};\n\n";
    if (table) {
        files.source +=
            "const " + tableType + ' ' + tableName + '[' + count + "] VARNELLO_ATTRIBUTES = {\n";
        for (const CPicture &picture : pictures) {
            const QByteArray id = picture.symbol.toUtf8();
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
