// What the command line needs of the system it runs on, the same way on Linux and Windows: its
// arguments exactly as given, lines on the terminal in any script, its user's language, and
// pictures' names with wildcards that Windows' shells pass on unexpanded.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cli::console {

// The arguments, the program's name first, each exactly as given: on Unix the bytes of argv
// (names that are not UTF-8 survive), on Windows the wide command line (every name does).
std::vector<std::filesystem::path> arguments(int argc, char *argv[]);

// An argument as UTF-8, for the options' words and values: on Unix its bytes as they are.
std::string utf8Of(const std::filesystem::path &argument);

enum class Stream
{
    Output,
    Error,
};

// Writes UTF-8 text: on a Windows console through its wide-character interface, so that
// Japanese and any name show whatever the console's code page; elsewhere as the bytes.
// False when the stream cannot be written.
bool print(Stream stream, std::string_view utf8);

// Whether the stream is a terminal (a console on Windows).
bool isTerminal(Stream stream);

// Whether the user's language is Japanese: on Unix LC_ALL, LC_MESSAGES or LANG, the first
// set, starting with "ja"; on Windows the user's interface language.
bool userSpeaksJapanese();

// Standard input and output carry bytes, never text with line ends translated (Windows).
void useBinaryStandardStreams();

// Calls `cleanUp` on Ctrl-C, a console's close or a polite kill (SIGINT, SIGTERM, SIGHUP),
// then lets the process end as the signal would have ended it. `cleanUp` must be safe in a
// signal handler.
void onInterrupt(void (*cleanUp)() noexcept);

// For Windows, where cmd.exe and PowerShell pass "pictures\*.jpg" on as it is (the program
// calls it there only; elsewhere the shell has expanded them): each argument whose last part
// holds * or ? becomes the files it matches there, letter case ignored as Windows ignores it,
// in name order; an argument that matches nothing stays as it was.
std::vector<std::filesystem::path>
expandWildcards(const std::vector<std::filesystem::path> &pictures);

} // namespace cli::console
