#include "core/message.h"

#include <cstring>

namespace core {

bool Message::operator==(const Message &other) const
{
    const bool sameText =
        text == other.text || (text && other.text && std::strcmp(text, other.text) == 0);
    return sameText && values == other.values;
}

std::string valueOf(std::int64_t number)
{
    return std::to_string(number);
}

std::string valueOf(std::uint64_t number)
{
    return std::to_string(number);
}

std::string valueOf(const std::filesystem::path &path)
{
    return displayPath(path);
}

std::size_t utf8Length(std::string_view bytes, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char b = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
    return length;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

namespace {

const char kHex[] = "0123456789abcdef";

} // namespace

std::string displayPath(const std::filesystem::path &path)
{
    std::string shown;
#if defined(_WIN32)
    // UTF-16, which may hold a lone surrogate: such a unit as \u{xxxx}.
    const std::wstring &units = path.native();
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t u = char32_t(units[i]);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            appendUtf8(shown, 0x10000 + ((u - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            shown += "\\u{";
            for (int shift = 12; shift >= 0; shift -= 4)
                shown += kHex[u >> shift & 0xF];
            shown += '}';
        } else {
            appendUtf8(shown, u == U'/' ? U'\\' : u);
        }
    }
#else
    const std::string &bytes = path.native();
    for (std::size_t at = 0; at < bytes.size();) {
        if (const std::size_t length = utf8Length(bytes, at)) {
            shown.append(bytes, at, length);
            at += length;
            continue;
        }
        const auto b = static_cast<unsigned char>(bytes[at++]);
        shown += "\\x";
        shown += kHex[b >> 4];
        shown += kHex[b & 0xF];
    }
#endif
    return shown;
}

} // namespace core
