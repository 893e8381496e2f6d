// Messages and errors worded in English and in Japanese, through the table that the build makes
// from the translations. Plain C++, as the library is: it runs wherever the command line does.
#include "resources/texts/texts.h"

#include <cstdio>
#include <iterator>

using core::message;
using texts::described;
using texts::worded;
using Kind = core::Error::Kind;

int main()
{
    constexpr auto en = texts::Language::English;
    constexpr auto ja = texts::Language::Japanese;
    const core::Message gif = core::subjectOf(std::filesystem::path(u8"写真.gif"));
    const struct
    {
        const char *name;
        std::string worded, expected;
    } rows[] = {
        {"values where their numbers say", worded(message("%2, %1, %2", "a", "b"), en), "b, a, b"},
        {"one digit: %10 is the first value and a 0", worded(message("%10", "x"), en), "x0"},
        {"values are not read for numbers", worded(message("%1%2", "%2", "c"), en), "%2c"},
        {"a % without a digit or a value stays", worded(message("5% %0 %3 %", "x"), en),
         "5% %0 %3 %"},
        {"no message, no words", worded(core::Message{}, ja), ""},
        {"no translation: English", worded(message("no such text %1", 7), ja), "no such text 7"},
        {"a translation", worded(message("%1 needs %2", "-s", "5"), ja), "-sには5が必要です"},
        {"an error in English",
         described({Kind::CannotRead, gif, message("the data ends early"), 3}, en),
         "写真.gif: cannot read picture: frame 3: the data ends early"},
        {"an error in Japanese",
         described({Kind::CannotRead, gif, message("%1 needs %2", "a", "b"), 3}, ja),
         "写真.gif: 画像を読み込めません: フレーム3: aにはbが必要です"},
        {"an error of nothing in particular", described({Kind::NothingConverted, {}, {}, 0}, ja),
         "まだ何も変換されていません"},
        {"a subject like a placeholder",
         described({Kind::OutOfMemory, core::subjectOf("%1.jpg"), {}, 0}, en),
         "%1.jpg: not enough memory"},
    };
    int failures = 0;
    for (const auto &row : rows) {
        if (row.worded != row.expected) {
            std::fprintf(stderr, "%s:\n  got      \"%s\"\n  expected \"%s\"\n", row.name,
                         row.worded.c_str(), row.expected.c_str());
            ++failures;
        }
    }
    std::printf("%d of %zu rows failed\n", failures, std::size(rows));
    return failures == 0 ? 0 : 1;
}
