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

// Words a C or C++ compiler, or a file that includes the standard headers, would take for
// something else: the keywords of C11 to C23 and C++20 that a letter starts, C++'s alternative
// operator names, the standard integer and size types, and main.
constexpr const char *kReserved[] = {
    "alignas",
    "alignof",
    "and",
    "and_eq",
    "asm",
    "auto",
    "bitand",
    "bitor",
    "bool",
    "break",
    "case",
    "catch",
    "char",
    "char8_t",
    "char16_t",
    "char32_t",
    "class",
    "compl",
    "concept",
    "const",
    "consteval",
    "constexpr",
    "constinit",
    "const_cast",
    "continue",
    "co_await",
    "co_return",
    "co_yield",
    "decltype",
    "default",
    "delete",
    "do",
    "double",
    "dynamic_cast",
    "else",
    "enum",
    "explicit",
    "export",
    "extern",
    "false",
    "float",
    "for",
    "friend",
    "goto",
    "if",
    "inline",
    "int",
    "int8_t",
    "int16_t",
    "int32_t",
    "int64_t",
    "intmax_t",
    "intptr_t",
    "long",
    "main",
    "mutable",
    "namespace",
    "new",
    "noexcept",
    "not",
    "not_eq",
    "nullptr",
    "operator",
    "or",
    "or_eq",
    "private",
    "protected",
    "ptrdiff_t",
    "public",
    "register",
    "reinterpret_cast",
    "requires",
    "restrict",
    "return",
    "short",
    "signed",
    "size_t",
    "sizeof",
    "static",
    "static_assert",
    "static_cast",
    "struct",
    "switch",
    "template",
    "this",
    "thread_local",
    "throw",
    "true",
    "try",
    "typedef",
    "typeid",
    "typename",
    "typeof",
    "typeof_unqual",
    "uint8_t",
    "uint16_t",
    "uint32_t",
    "uint64_t",
    "uintmax_t",
    "uintptr_t",
    "union",
    "unsigned",
    "using",
    "virtual",
    "void",
    "volatile",
    "wchar_t",
    "while",
    "xor",
    "xor_eq",
};

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool isReserved(const QString &name)
{
    return std::any_of(std::begin(kReserved), std::end(kReserved),
                       [&](const char *word) { return name == QLatin1String(word); });
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
    for (qsizetype i = 0; i < stem.size(); ++i) {
        const char16_t unit = stem[i].unicode();
        if (unit >= 0xDC80 && unit <= 0xDCFF) { // a byte of a name that is not UTF-8
            name += QStringLiteral("_x%1").arg(unit - 0xDC00, 2, 16, QLatin1Char('0'));
            continue;
        }
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < stem.size() && stem[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(unit, stem[++i].unicode());
        if (isAsciiLetter(c) || (c >= U'0' && c <= U'9') || c == U'_')
            name += QChar(unit);
        else if (c < 0x80)
            name += u'_';
        else
            name += QStringLiteral("_u%1").arg(std::uint32_t(c), 4, 16, QLatin1Char('0'));
    }
    if (name.isEmpty())
        return QStringLiteral("picture");
    if (!isAsciiLetter(name.front().unicode()) || isReserved(name))
        name.prepend(name.startsWith(u'_') ? QStringLiteral("picture")
                                           : QStringLiteral("picture_"));
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
    // assets.c) gets _2, _3, ...
    QSet<QString> taken;
    for (const QByteArray &name :
         {tableType, tableName, count, guard, QByteArrayLiteral("VARNELLO_ATTRIBUTES")})
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
