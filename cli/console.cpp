#include "cli/console.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#else
#include <csignal>
#include <cstdlib>
#include <unistd.h>
#endif

namespace cli::console {

namespace {

using CleanUp = void (*)() noexcept;
std::atomic<CleanUp> g_cleanUp{nullptr};

#if defined(_WIN32)

std::wstring wide(std::string_view utf8)
{
    std::wstring text;
    // Bytes that are not UTF-8 become U+FFFD.
    if (const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
        size > 0) {
        text.resize(std::size_t(size));
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), size);
    }
    return text;
}

HANDLE handleOf(Stream stream)
{
    const HANDLE handle =
        GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

BOOL WINAPI interrupted(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (const CleanUp cleanUp = g_cleanUp.load())
            cleanUp();
        break;
    default:
        break;
    }
    // The system's own handler then ends the process, as it would have without this one.
    return FALSE;
}

// Names as Windows compares them: UTF-16 units, a surrogate pair as one character.
std::u32string charactersOf(const std::wstring &name)
{
    std::u32string characters;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char32_t unit = char32_t(name[i]);
        if (IS_HIGH_SURROGATE(name[i]) && i + 1 < name.size() && IS_LOW_SURROGATE(name[i + 1])) {
            characters += 0x10000 + ((unit - 0xd800) << 10) + (char32_t(name[i + 1]) - 0xdc00);
            ++i;
        } else {
            characters += unit;
        }
    }
    return characters;
}

bool isHidden(const std::filesystem::path &file)
{
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

std::size_t lastPartStart(const std::wstring &name)
{
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        return slash + 1;
    return name.size() >= 2 && name[1] == L':' ? 2 : 0;
}

#else

extern "C" void interrupted(int signal)
{
    if (const CleanUp cleanUp = g_cleanUp.load())
        cleanUp();
    // The action is the default one again (SA_RESETHAND) and the signal not held back
    // (SA_NODEFER): it ends the process here.
    std::raise(signal);
}

std::FILE *fileOf(Stream stream)
{
    return stream == Stream::Output ? stdout : stderr;
}

// Names as bytes: UTF-8 decoded where it is well formed, each other byte a character of its
// own that matches only itself.
std::u32string charactersOf(const std::string &name)
{
    std::u32string characters;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(name[i]); };
    for (std::size_t i = 0; i < name.size();) {
        const unsigned char lead = byte(i);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xc2 && lead < 0xe0 ? 2
                                   : lead >= 0xe0 && lead < 0xf0 ? 3
                                   : lead >= 0xf0 && lead < 0xf5 ? 4
                                                                 : 0;
        bool wellFormed = length != 0 && i + length <= name.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k)
            wellFormed = (byte(i + k) & 0xc0) == 0x80;
        if (!wellFormed) {
            characters += 0xdc00 + char32_t(lead);
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7f >> length);
        for (std::size_t k = 1; k < length; ++k)
            c = c << 6 | (byte(i + k) & 0x3f);
        characters += c;
        i += length;
    }
    return characters;
}

bool isHidden(const std::filesystem::path &file)
{
    return file.filename().native().starts_with('.');
}

std::size_t lastPartStart(const std::string &name)
{
    const std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

#endif

// Letter case ignored, as Windows ignores it, for the scripts whose names it is likely to meet:
// Latin (with its accented letters), Greek, Cyrillic, and the full-width Latin of Japanese
// text. Capitals become small letters, so that names sort as they did when Qt listed them.
char32_t folded(char32_t c)
{
    if ((c >= U'A' && c <= U'Z') || (c >= 0xc0 && c <= 0xde && c != 0xd7) ||
        (c >= 0x391 && c <= 0x3a9 && c != 0x3a2) || (c >= 0x410 && c <= 0x42f) ||
        (c >= 0xff21 && c <= 0xff3a))
        return c + 0x20;
    if (c == 0x178)
        return 0xff;
    if (c == 0x3c2) // final sigma
        return 0x3c3;
    if (c >= 0x400 && c <= 0x40f)
        return c + 0x50;
    // Latin Extended-A pairs each capital with the small letter after it.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14a && c <= 0x177))
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17e))
        return (c & 1) ? c + 1 : c;
    return c;
}

// * for any run of characters, ? for any one; nothing else is special.
bool matches(std::u32string_view pattern, std::u32string_view name)
{
    std::size_t p = 0, n = 0;
    std::size_t star = std::u32string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == U'?' || folded(pattern[p]) == folded(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::u32string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

std::vector<std::filesystem::path> arguments([[maybe_unused]] int argc,
                                             [[maybe_unused]] char *argv[])
{
    std::vector<std::filesystem::path> list;
#if defined(_WIN32)
    int count = 0;
    if (LPWSTR *words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            list.emplace_back(std::wstring(words[i]));
        LocalFree(words);
        return list;
    }
    // Only when memory has run out: the arguments in the system's code page.
    for (int i = 0; i < argc; ++i) {
        std::wstring word;
        if (const int size = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0); size > 1) {
            word.resize(std::size_t(size));
            MultiByteToWideChar(CP_ACP, 0, argv[i], -1, word.data(), size);
            word.pop_back();
        }
        list.emplace_back(std::move(word));
    }
#else
    for (int i = 0; i < argc; ++i)
        list.emplace_back(std::string(argv[i]));
#endif
    return list;
}

std::string utf8Of(const std::filesystem::path &argument)
{
#if defined(_WIN32)
    // A lone surrogate becomes U+FFFD: an option's word or value never holds one.
    const std::wstring &text = argument.native();
    std::string utf8;
    if (const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                             nullptr, nullptr);
        size > 0) {
        utf8.resize(std::size_t(size));
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), size, nullptr,
                            nullptr);
    }
    return utf8;
#else
    return argument.native();
#endif
}

bool print(Stream stream, std::string_view utf8)
{
#if defined(_WIN32)
    const HANDLE handle = handleOf(stream);
    if (!handle)
        return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring text = wide(utf8);
        for (std::size_t done = 0; done < text.size();) {
            // Pieces the console takes at once, a surrogate pair never split between two.
            std::size_t piece = std::min<std::size_t>(text.size() - done, 8192);
            if (done + piece < text.size() && IS_HIGH_SURROGATE(text[done + piece - 1]))
                --piece;
            DWORD written = 0;
            if (!WriteConsoleW(handle, text.data() + done, DWORD(piece), &written, nullptr) ||
                written == 0)
                return false;
            done += written;
        }
        return true;
    }
    for (std::size_t done = 0; done < utf8.size();) {
        const DWORD piece = DWORD(std::min<std::size_t>(utf8.size() - done, std::size_t(1) << 20));
        DWORD written = 0;
        if (!WriteFile(handle, utf8.data() + done, piece, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
#else
    // At once, so that lines and what goes to standard output by other ways keep their order.
    std::FILE *file = fileOf(stream);
    return std::fwrite(utf8.data(), 1, utf8.size(), file) == utf8.size() && std::fflush(file) == 0;
#endif
}

bool isTerminal(Stream stream)
{
#if defined(_WIN32)
    DWORD mode = 0;
    const HANDLE handle = handleOf(stream);
    return handle && GetConsoleMode(handle, &mode);
#else
    return ::isatty(::fileno(fileOf(stream))) != 0;
#endif
}

bool userSpeaksJapanese()
{
#if defined(_WIN32)
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
#else
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char *value = std::getenv(variable); value && *value)
            return std::string_view(value).starts_with("ja");
    return false;
#endif
}

void useBinaryStandardStreams()
{
#if defined(_WIN32)
    // Only where the stream is there: the C runtime may end the process over a closed one.
    if (const HANDLE input = GetStdHandle(STD_INPUT_HANDLE); input && input != INVALID_HANDLE_VALUE)
        _setmode(_fileno(stdin), _O_BINARY);
    if (handleOf(Stream::Output))
        _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void onInterrupt(void (*cleanUp)() noexcept)
{
    g_cleanUp = cleanUp;
#if defined(_WIN32)
    SetConsoleCtrlHandler(interrupted, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = interrupted;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start (nohup, a job in the background) stays ignored.
        struct sigaction was = {};
        if (sigaction(signal, nullptr, &was) == 0 && was.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
#endif
}

std::vector<std::filesystem::path>
expandWildcards(const std::vector<std::filesystem::path> &pictures)
{
    using String = std::filesystem::path::string_type;
    std::vector<std::filesystem::path> expanded;
    for (const std::filesystem::path &picture : pictures) {
        const String &spelt = picture.native();
        const std::size_t start = lastPartStart(spelt);
        const String pattern = spelt.substr(start);
        if (pattern.find_first_of(std::filesystem::path("*?").native()) == String::npos) {
            expanded.push_back(picture);
            continue;
        }
        // The folder as the user spelt it, so that errors and output names read the same.
        const String folder = spelt.substr(0, start);
        const std::u32string wanted = charactersOf(pattern);
        struct Found
        {
            std::u32string key; // letter case ignored
            String name;
        };
        std::vector<Found> found;
        std::error_code error;
        for (std::filesystem::directory_iterator entry(
                 folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder),
                 error);
             !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
            const String name = entry->path().filename().native();
            const std::u32string characters = charactersOf(name);
            std::error_code notFile;
            if (!matches(wanted, characters) || !entry->is_regular_file(notFile) ||
                isHidden(entry->path()))
                continue;
            std::u32string key = characters;
            std::transform(key.begin(), key.end(), key.begin(), folded);
            found.push_back({std::move(key), name});
        }
        if (found.empty()) {
            expanded.push_back(picture);
            continue;
        }
        std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) {
            return a.key != b.key ? a.key < b.key : a.name < b.name;
        });
        for (Found &file : found)
            expanded.emplace_back(folder + file.name);
    }
    return expanded;
}

} // namespace cli::console
