// The writer on Windows (see output_file.h), on the system's wide-character calls so that every
// name works. A regular file is written beside itself and put in place by ReplaceFileW, which
// keeps the old file's security and identity; a device name (NUL, CON, COM1, \\.\...) is
// written into as it is.
#include "core/files/output_file.h"

#include "core/files/system_reason.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace core {

namespace {

using Path = std::filesystem::path;

Error cannotWrite(const Path &path, Message reason)
{
    return Error{Error::Kind::CannotWrite, subjectOf(path), std::move(reason)};
}

class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : m_handle(handle)
    {}
    ~Handle() { close(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void reset(HANDLE handle)
    {
        close();
        m_handle = handle;
    }
    // False when closing fails: a file on a network share may report a failed write only then.
    bool close()
    {
        const bool closed = !valid() || CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

bool startsWith(std::wstring_view text, std::wstring_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

wchar_t asciiUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c;
}

// Where the last part of a name starts: after its last separator, or after a drive ("C:x").
std::size_t lastPartStart(std::wstring_view name)
{
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos)
        return slash + 1;
    return name.size() >= 2 && name[1] == L':' ? 2 : 0;
}

// The names that DOS kept for its devices, in any folder and with any extension ("NUL.txt").
bool isReservedName(std::wstring_view name)
{
    std::wstring_view stem = name.substr(lastPartStart(name));
    stem = stem.substr(0, stem.find_first_of(L".:"));
    while (!stem.empty() && stem.back() == L' ')
        stem.remove_suffix(1);
    std::wstring upper;
    for (const wchar_t c : stem)
        upper += asciiUpper(c);
    for (const wchar_t *device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (upper == device)
            return true;
    if (upper.size() == 4 && (startsWith(upper, L"COM") || startsWith(upper, L"LPT"))) {
        const wchar_t digit = upper[3];
        return (digit >= L'1' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' ||
               digit == L'\u00b3';
    }
    return false;
}

// A name in the device namespace (\\.\COM3, \\.\pipe\x, \\.\PhysicalDrive0), as opposed to a
// file reached through it (\\.\C:\x.BIN). The \\?\ namespace has no devices: \\?\C:\NUL is a
// file.
bool isDevicePath(std::wstring_view name)
{
    if (!startsWith(name, L"\\\\.\\") && !startsWith(name, L"//./"))
        return false;
    const std::wstring_view rest = name.substr(4);
    std::wstring pipe;
    for (const wchar_t c : rest.substr(0, 5))
        pipe += asciiUpper(c);
    if (pipe == L"PIPE\\" || pipe == L"PIPE/")
        return true;
    return rest.find_first_of(L"\\/") == std::wstring_view::npos;
}

bool isDeviceName(std::wstring_view name)
{
    if (startsWith(name, L"\\\\?\\") || startsWith(name, L"\\??\\"))
        return false;
    return isDevicePath(name) || isReservedName(name);
}

// The name to hand the system: a full one, since Wine's ReplaceFileW fails on a relative name;
// past MAX_PATH characters (the temporary's name adds a dozen), with the \\?\ prefix, the only
// way the system takes such a name.
std::wstring systemName(const Path &path)
{
    const std::wstring &name = path.native();
    if (startsWith(name, L"\\\\?\\") || startsWith(name, L"\\\\.\\"))
        return name;
    DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    if (size == 0 || (size = GetFullPathNameW(name.c_str(), size, full.data(), nullptr)) == 0 ||
        size >= full.size())
        return name;
    full.resize(size);
    if (full.size() + 12 < MAX_PATH)
        return full;
    if (startsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Writes all bytes, in pieces that a console or a pipe also takes; 0 or the system's error.
DWORD writeAll(HANDLE handle, ByteView bytes, std::size_t largestPiece)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD piece = DWORD(std::min(bytes.size() - done, largestPiece));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, piece, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        done += written;
    }
    return 0;
}

constexpr std::size_t kFilePiece = std::size_t(1) << 30;
constexpr std::size_t kDevicePiece = std::size_t(1) << 15;

// The named temporary files at work, for Ctrl-C's handler, which the system runs on a thread
// of its own: a list of any length under a lock that is only ever held briefly.
struct NameNode
{
    const wchar_t *name = nullptr;
    NameNode *previous = nullptr;
    NameNode *next = nullptr;
};

SRWLOCK g_namesLock = SRWLOCK_INIT;
NameNode *g_firstName = nullptr;

// A temporary name, listed from before the file is made until it has been put in place or
// removed.
class ListedName
{
public:
    explicit ListedName(std::wstring name)
        : m_name(std::move(name))
    {
        m_node.name = m_name.c_str();
        AcquireSRWLockExclusive(&g_namesLock);
        m_node.next = g_firstName;
        if (g_firstName)
            g_firstName->previous = &m_node;
        g_firstName = &m_node;
        ReleaseSRWLockExclusive(&g_namesLock);
    }

    ~ListedName()
    {
        AcquireSRWLockExclusive(&g_namesLock);
        if (m_node.previous)
            m_node.previous->next = m_node.next;
        else
            g_firstName = m_node.next;
        if (m_node.next)
            m_node.next->previous = m_node.previous;
        ReleaseSRWLockExclusive(&g_namesLock);
    }

    ListedName(const ListedName &) = delete;
    ListedName &operator=(const ListedName &) = delete;

    const std::wstring &name() const { return m_name; }

private:
    std::wstring m_name;
    NameNode m_node;
};

// Eight hex digits that differ between processes, threads and calls; a clash only costs
// another try, since the temporary is made only where no file is.
std::wstring randomSuffix()
{
    static std::atomic<std::uint64_t> calls{0};
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    std::uint64_t x = std::uint64_t(now.QuadPart) ^ std::uint64_t(GetCurrentProcessId()) << 32 ^
                      std::uint64_t(GetCurrentThreadId()) << 16 ^
                      calls.fetch_add(0x9e3779b97f4a7c15u, std::memory_order_relaxed);
    x = (x ^ x >> 30) * 0xbf58476d1ce4e5b9u;
    x = (x ^ x >> 27) * 0x94d049bb133111ebu;
    x ^= x >> 31;
    std::wstring suffix = L".00000000~";
    for (int digit = 8; digit >= 1; --digit, x >>= 4)
        suffix[std::size_t(digit)] = L"0123456789abcdef"[x & 0xf];
    return suffix;
}

// .NAME.xxxxxxxx~ beside the target, NAME cut short, between characters, where the whole would
// not fit in a name's 255 units.
std::wstring temporaryName(const std::wstring &target)
{
    const std::size_t start = lastPartStart(target);
    const std::wstring suffix = randomSuffix();
    std::wstring name = target.substr(start);
    std::size_t fits = 255 - 1 - suffix.size();
    if (name.size() > fits) {
        if (IS_HIGH_SURROGATE(name[fits - 1]))
            --fits;
        name.resize(fits);
    }
    return target.substr(0, start) + L'.' + name + suffix;
}

// A sharing violation is often brief on Windows: a virus scanner or a search indexer looks at
// a file just written. Such failures are tried again for half a second.
template<typename Attempt> bool retried(Attempt attempt)
{
    for (int tries = 1;; ++tries) {
        if (attempt())
            return true;
        const DWORD failure = GetLastError();
        const bool brief = failure == ERROR_SHARING_VIOLATION || failure == ERROR_LOCK_VIOLATION ||
                           failure == ERROR_ACCESS_DENIED ||
                           failure == ERROR_UNABLE_TO_REMOVE_REPLACED;
        if (!brief || tries == 10) {
            SetLastError(failure);
            return false;
        }
        Sleep(DWORD(10 * tries));
    }
}

struct Target
{
    std::wstring name; // the file to write, links followed
    FileKind kind = FileKind::Missing;
    DWORD attributes = 0;
};

std::optional<std::wstring> finalName(HANDLE handle)
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = GetFinalPathNameByHandleW(handle, name.data(), DWORD(name.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (size == 0)
            return std::nullopt;
        if (size < name.size()) {
            name.resize(size);
            return name;
        }
        name.resize(size);
    }
}

// What `path` leads to. With `makeMissing`, a link that leads nowhere yet is followed to the
// file it would make; otherwise it counts as missing.
Message resolve(const Path &path, Target &target, bool makeMissing)
{
    const std::wstring name = systemName(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD failure = GetLastError();
        if (failure != ERROR_FILE_NOT_FOUND && failure != ERROR_PATH_NOT_FOUND)
            return windowsReason(failure);
        target = {name, FileKind::Missing, 0};
        return {};
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        target = {name,
                  attributes & FILE_ATTRIBUTE_DIRECTORY ? FileKind::Folder : FileKind::Regular,
                  attributes};
        return {};
    }
    // A symbolic link or a junction: the system follows it to the end, and names what it found.
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    Handle linked(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!linked.valid()) {
        const DWORD failure = GetLastError();
        if (failure != ERROR_FILE_NOT_FOUND && failure != ERROR_PATH_NOT_FOUND)
            return windowsReason(failure);
        if (!makeMissing) {
            target = {name, FileKind::Missing, 0};
            return {};
        }
        // A link that leads nowhere yet. Making its file through it is how the system tells
        // where that file is; the file goes again when it is closed.
        linked.reset(CreateFileW(name.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_DELETE,
                                 nullptr, CREATE_NEW,
                                 FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!linked.valid())
            return windowsReason(GetLastError());
        const std::optional<std::wstring> found = finalName(linked.get());
        if (!found)
            return windowsReason(GetLastError());
        target = {*found, FileKind::Missing, 0};
        return {};
    }
    BY_HANDLE_FILE_INFORMATION information;
    const std::optional<std::wstring> found = finalName(linked.get());
    if (!found || !GetFileInformationByHandle(linked.get(), &information))
        return windowsReason(GetLastError());
    target = {*found,
              information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? FileKind::Folder
                                                                      : FileKind::Regular,
              information.dwFileAttributes};
    return {};
}

// A regular file, new or replaced: written whole beside the target, then put in its place.
Message replaceWhole(const Target &target, ByteView bytes, const WriteOptions &options)
{
    const bool exists = target.kind == FileKind::Regular;
    if (exists && (target.attributes & FILE_ATTRIBUTE_READONLY))
        return message(VTR("core", "the file is read-only"));

    Handle file;
    std::optional<ListedName> named;
    for (int attempt = 0; attempt < 16 && !file.valid(); ++attempt) {
        named.emplace(temporaryName(target.name));
        // Nobody else opens it, but Ctrl-C's handler may remove it while it is written.
        file.reset(CreateFileW(named->name().c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!file.valid()) {
            const DWORD failure = GetLastError();
            named.reset();
            if (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS)
                return windowsReason(failure);
        }
    }
    if (!file.valid())
        return message(VTR("core", "no free name for a temporary file"));
    // Whatever fails from here on, the temporary goes again.
    struct Remover
    {
        Handle &file;
        const std::wstring &name;
        bool keep = false;
        ~Remover()
        {
            if (!keep) {
                file.close();
                DeleteFileW(name.c_str());
            }
        }
    } remover{file, named->name()};

    if (const DWORD failure = writeAll(file.get(), bytes, kFilePiece))
        return windowsReason(failure);
    // The new file takes the old one's hidden, system and unindexed marks, not the temporary's
    // own hidden mark, and is marked as changed since the last backup, as a file written in
    // place would be. ReplaceFileW is not left to carry them over: Wine's does not.
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes =
        (exists ? target.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                : 0) |
        FILE_ATTRIBUTE_ARCHIVE;
    if (!SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic))
        return windowsReason(GetLastError());
    if (options.durability == Durability::Synced && !FlushFileBuffers(file.get()))
        return windowsReason(GetLastError());
    if (!file.close())
        return windowsReason(GetLastError());

    const wchar_t *from = named->name().c_str();
    const wchar_t *to = target.name.c_str();
    const DWORD moveFlags = MOVEFILE_REPLACE_EXISTING |
                            (options.durability == Durability::Synced ? MOVEFILE_WRITE_THROUGH : 0);
    bool done = false;
    if (exists) {
        // ReplaceFileW keeps the old file's security, creation time and streams. It needs the
        // old file free to go; where another program holds it open without letting it be
        // removed, that is found first, since a failed ReplaceFileW can leave a file of its own
        // behind (Wine's does).
        done = retried([&] {
            {
                const Handle old(CreateFileW(to, DELETE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
                if (!old.valid())
                    return false;
            }
            return bool(
                ReplaceFileW(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
        });
        if (!done) {
            const DWORD failure = GetLastError();
            // Where ReplaceFileW took the old file away but could not put the new one in its
            // place (Wine's removes the old one first), or where the file system does not know
            // it, the new file goes in by name: the old one is never lost without it.
            const bool oldGone = failure == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
                                 GetFileAttributesW(to) == INVALID_FILE_ATTRIBUTES;
            if (oldGone || failure == ERROR_INVALID_FUNCTION || failure == ERROR_NOT_SUPPORTED)
                done = retried([&] { return MoveFileExW(from, to, moveFlags); });
            else
                SetLastError(failure);
        }
    } else {
        // Replacing too: a file that appeared meanwhile is no older than this one.
        done = retried([&] { return MoveFileExW(from, to, moveFlags); });
    }
    if (!done)
        return windowsReason(GetLastError());
    remover.keep = true;
    return {};
}

// A device or a pipe takes the bytes as they come: it is never replaced, never truncated.
// `ordinaryFile` says that the name turned out to be a file's after all, as device names with
// an extension are on newer systems.
Message writeInPlace(const Path &path, ByteView bytes, const WriteOptions &options,
                     bool &ordinaryFile)
{
    const std::wstring &name = path.native();
    const bool reserved = !isDevicePath(name);
    Handle device;
    for (;;) {
        device.reset(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        if (device.valid())
            break;
        const DWORD failure = GetLastError();
        if (failure == ERROR_PIPE_BUSY && options.waitForReader &&
            WaitNamedPipeW(name.c_str(), NMPWAIT_WAIT_FOREVER))
            continue;
        if (reserved && failure == ERROR_FILE_NOT_FOUND &&
            name.find(L'.', lastPartStart(name)) != std::wstring::npos) {
            ordinaryFile = true;
            return {};
        }
        return windowsReason(failure);
    }
    switch (GetFileType(device.get())) {
    case FILE_TYPE_CHAR:
    case FILE_TYPE_PIPE:
        break;
    case FILE_TYPE_DISK:
        if (reserved) {
            ordinaryFile = true;
            return {};
        }
        return message(VTR("core", "this is a block device (a disk or a partition), which is never "
                                   "written"));
    default:
        return message(VTR("core", "this is not a file that can be written"));
    }
    if (const DWORD failure = writeAll(device.get(), bytes, kDevicePiece))
        return windowsReason(failure);
    if (!device.close())
        return windowsReason(GetLastError());
    return {};
}

bool g_standardOutputClosed = false;

HANDLE standardOutput()
{
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return nullptr;
    // A handle that was closed, or never was one.
    if (GetFileType(handle) == FILE_TYPE_UNKNOWN && GetLastError() == ERROR_INVALID_HANDLE)
        return nullptr;
    return handle;
}

} // namespace

void removeTemporaryFiles() noexcept
{
    AcquireSRWLockExclusive(&g_namesLock);
    for (const NameNode *node = g_firstName; node; node = node->next)
        DeleteFileW(node->name);
    ReleaseSRWLockExclusive(&g_namesLock);
}

FileKind fileKind(const Path &path)
{
    const std::wstring &name = path.native();
    if (name.empty())
        return FileKind::Missing;
    if (isDeviceName(name)) {
        if (!isDevicePath(name))
            return FileKind::CharacterDevice;
        const Handle device(CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        if (!device.valid())
            return GetLastError() == ERROR_PIPE_BUSY ? FileKind::Pipe : FileKind::Missing;
        switch (GetFileType(device.get())) {
        case FILE_TYPE_CHAR:
            return FileKind::CharacterDevice;
        case FILE_TYPE_PIPE:
            return FileKind::Pipe;
        default:
            return FileKind::Other;
        }
    }
    Target target;
    if (!resolve(path, target, false).empty())
        return FileKind::Missing;
    return target.kind;
}

Expected<void> writeFile(const Path &path, ByteView bytes, const WriteOptions &options)
{
    if (path.empty())
        return cannotWrite(path, message(VTR("core", "no file name was given")));
    if (isDeviceName(path.native())) {
        bool ordinaryFile = false;
        Message failure = writeInPlace(path, bytes, options, ordinaryFile);
        if (!ordinaryFile) {
            if (!failure.empty())
                return cannotWrite(path, std::move(failure));
            return {};
        }
    }
    Target target;
    Message failure = resolve(path, target, true);
    if (failure.empty()) {
        switch (target.kind) {
        case FileKind::Missing:
        case FileKind::Regular:
            failure = replaceWhole(target, bytes, options);
            break;
        case FileKind::Folder:
            failure = message(VTR("core", "this is a folder"));
            break;
        default:
            failure = message(VTR("core", "this is not a file that can be written"));
            break;
        }
    }
    if (!failure.empty())
        return cannotWrite(path, std::move(failure));
    return {};
}

bool claimStandardStreams()
{
    // Handles are not numbered slots as Unix descriptors are: no file opened later can take
    // standard output's place, so only its state is kept.
    g_standardOutputClosed = standardOutput() == nullptr;
    return !g_standardOutputClosed;
}

Expected<void> writeStandardOutput(ByteView bytes)
{
    const Message name = message(VTR("core", "standard output"));
    const HANDLE output = g_standardOutputClosed ? nullptr : standardOutput();
    if (!output)
        return Error{Error::Kind::CannotWrite, name,
                     message(VTR("core", "standard output is closed"))};
    const bool file = GetFileType(output) == FILE_TYPE_DISK;
    if (const DWORD failure = writeAll(output, bytes, file ? kFilePiece : kDevicePiece)) {
        // Writing to a handle that is only open for reading: the system says "access denied".
        return Error{Error::Kind::CannotWrite, name,
                     failure == ERROR_ACCESS_DENIED
                         ? message(VTR("core", "the stream is not open for writing"))
                         : windowsReason(failure)};
    }
    return {};
}

} // namespace core
