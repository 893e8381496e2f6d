// Stand-in until the table made from the translations is wired in.
#include "resources/texts/texts.h"

namespace texts {

std::string_view translated(std::string_view english, Language)
{
    return english;
}

std::string worded(const core::Message &message, Language language)
{
    if (message.empty())
        return {};
    const std::string_view text = translated(message.text, language);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = std::size_t(text[i + 1] - '1');
            if (n < message.values.size())
                out += message.values[n];
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string described(const core::Error &error, Language language)
{
    std::string line;
    const auto add = [&](const std::string &part) {
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
