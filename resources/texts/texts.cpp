#include "resources/texts/texts.h"

#include "texts/japanese_table.h"

#include <algorithm>
#include <functional>

namespace texts {

namespace {

using generated::japanese;
using generated::Translation;

// The binary search below relies on it; the table is made by a script, so it is checked here.
static_assert(std::ranges::adjacent_find(japanese, std::ranges::greater_equal{},
                                         &Translation::english) == japanese.end(),
              "the table of translations is not sorted by its English texts");

} // namespace

std::string_view translated(std::string_view english, Language language)
{
    if (language == Language::Japanese) {
        const auto found = std::ranges::lower_bound(japanese, english, {}, &Translation::english);
        if (found != japanese.end() && found->english == english)
            return found->japanese;
    }
    return english;
}

std::string worded(const core::Message &message, Language language)
{
    if (message.empty())
        return {};
    const std::string_view text = translated(message.text, language);
    std::string words;
    words.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // One digit only: "%10" is the first value and a 0. A "%N" without its value stays,
        // so that the fault shows.
        const bool digit =
            text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
        const std::size_t n = digit ? std::size_t(text[i + 1] - '0') : 0;
        if (n > 0 && n <= message.values.size()) {
            words += message.values[n - 1];
            ++i;
        } else {
            words += text[i];
        }
    }
    return words;
}

std::string described(const core::Error &error, Language language)
{
    std::string line;
    const auto add = [&line](const std::string &part) {
        if (part.empty())
            return;
        if (!line.empty())
            line += ": ";
        line += part;
    };
    add(worded(error.subject, language));
    add(worded(core::kindText(error.kind), language));
    if (error.frame > 0)
        add(worded(core::message(VTR("core", "frame %1"), error.frame), language));
    add(worded(error.reason, language));
    return line;
}

} // namespace texts
