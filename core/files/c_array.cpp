#include "core/files/c_array.h"

#include "core/files/output_name.h"

#include <QList>

#include <algorithm>
#include <iterator>

namespace core {

namespace {

// C11's keywords that an identifier starting with a lower- or upper-case letter can spell.
constexpr const char *kKeywords[] = {
    "auto",    "break",  "case",     "char",   "const",    "continue", "default",
    "do",      "double", "else",     "enum",   "extern",   "float",    "for",
    "goto",    "if",     "inline",   "int",    "long",     "register", "restrict",
    "return",  "short",  "signed",   "sizeof", "static",   "struct",   "switch",
    "typedef", "union",  "unsigned", "void",   "volatile", "while",
};

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

} // namespace

QString cIdentifier(const QString &fileName)
{
    QString name;
    for (const char32_t c : withoutExtension(fileName).toUcs4()) {
        if (isAsciiLetter(c) || (c >= U'0' && c <= U'9') || c == U'_')
            name += QChar(c);
        else if (c < 0x80)
            name += u'_';
        else
            name += QStringLiteral("_u%1").arg(std::uint32_t(c), 4, 16, QLatin1Char('0'));
    }
    if (name.isEmpty())
        return QStringLiteral("picture");
    const bool keyword = std::any_of(std::begin(kKeywords), std::end(kKeywords),
                                     [&](const char *k) { return name == QLatin1String(k); });
    if (!isAsciiLetter(name.front().unicode()) || keyword)
        name.prepend(name.startsWith(u'_') ? QStringLiteral("picture")
                                           : QStringLiteral("picture_"));
    return name;
}

QByteArray cArraySource(std::span<const std::uint8_t> bin, const CArrayHeader &header)
{
    const QByteArray id = header.identifier.toUtf8();
    const QByteArray width = QByteArray::number(header.size.width());
    const QByteArray height = QByteArray::number(header.size.height());
    QByteArray text;
    text.reserve(qsizetype(bin.size()) * 6 + 512);
    text += "/* " + header.pictureName.toUtf8() + ": " + width + " x " + height +
            " pixels in 65K colours (RGB565), two bytes a pixel, " +
            (header.order == ByteOrder::Little ? "low" : "high") + " byte first */\n";
    text += "#include <stdint.h>\n\n";
    text += "#define " + id + "_WIDTH " + width + "\n";
    text += "#define " + id + "_HEIGHT " + height + "\n\n";
    text += "const uint8_t " + id + "[" + id + "_WIDTH * " + id + "_HEIGHT * 2] = {\n";
    constexpr char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bin.size(); ++i) {
        const std::uint8_t b = bin[i];
        text += i % 16 == 0 ? "    0x" : " 0x";
        text += kHex[b >> 4];
        text += kHex[b & 15];
        text += i % 16 == 15 || i + 1 == bin.size() ? ",\n" : ",";
    }
    text += "};\n";
    return text;
}

} // namespace core
