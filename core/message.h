// Sentences of the program as the core leaves them: an English text, which is also the key of
// its translations, with "%1" to "%9" where values go, and the values. The core never words a
// sentence in a language: the window and the command line do (texts::worded()), each in its
// own, from the one translation source in resources/translations.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Marks a text for the translations, in a context; lupdate reads it as QT_TRANSLATE_NOOP.
#define VTR(context, text) text

namespace core {

struct Message
{
    Message() = default;
    Message(const char *text, std::vector<std::string> values = {})
        : text(text)
        , values(std::move(values))
    {}

    const char *text = nullptr;      // a static English text marked with VTR(); null: none
    std::vector<std::string> values; // UTF-8, for "%1", "%2", ...

    bool empty() const noexcept { return text == nullptr; }
    bool operator==(const Message &other) const;
};

// A value as a message shows it: numbers in decimal, a path as displayPath() shows it.
inline std::string valueOf(std::string_view text)
{
    return std::string(text);
}
inline std::string valueOf(const char *text)
{
    return text;
}
inline std::string valueOf(const std::string &text)
{
    return text;
}
std::string valueOf(std::int64_t number);
std::string valueOf(std::uint64_t number);
inline std::string valueOf(int number)
{
    return valueOf(std::int64_t(number));
}
inline std::string valueOf(unsigned number)
{
    return valueOf(std::uint64_t(number));
}
std::string valueOf(const std::filesystem::path &path);

template<typename... Values> Message message(const char *text, const Values &...values)
{
    return Message{text, {valueOf(values)...}};
}

// The length of the well-formed UTF-8 sequence at `at` (RFC 3629: no overlong forms, no
// surrogates, nothing past U+10FFFF), or 0.
std::size_t utf8Length(std::string_view bytes, std::size_t at);

// Appends the code point `c` in UTF-8.
void appendUtf8(std::string &out, char32_t c);

// A path as messages show it: UTF-8 with the system's separators; on Unix each byte of the
// name that is not well-formed UTF-8 as \xNN, on Windows each lone surrogate as \u{XXXX}, so
// that every name can be shown and told apart.
std::string displayPath(const std::filesystem::path &path);

} // namespace core
