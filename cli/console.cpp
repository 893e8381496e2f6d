// Stand-in for Linux until the console module for both systems is merged.
#include "console.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace cli::console {

std::vector<std::filesystem::path> arguments(int argc, char *argv[])
{
    return {argv, argv + argc};
}

std::string utf8Of(const std::filesystem::path &argument)
{
    return argument.native();
}

bool print(Stream stream, std::string_view utf8)
{
    std::FILE *file = stream == Stream::Output ? stdout : stderr;
    return std::fwrite(utf8.data(), 1, utf8.size(), file) == utf8.size() && std::fflush(file) == 0;
}

bool isTerminal(Stream stream)
{
    return ::isatty(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO) != 0;
}

bool userSpeaksJapanese()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char *value = std::getenv(name); value && *value)
            return std::string_view(value).substr(0, 2) == "ja";
    return false;
}

void useBinaryStandardStreams() {}

namespace {

void (*g_cleanUp)() noexcept = nullptr;

void interrupted(int signal)
{
    if (g_cleanUp)
        g_cleanUp();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void onInterrupt(void (*cleanUp)() noexcept)
{
    g_cleanUp = cleanUp;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, interrupted);
}

std::vector<std::filesystem::path> expandWildcards(const std::vector<std::filesystem::path> &pictures)
{
    return pictures;
}

} // namespace cli::console
