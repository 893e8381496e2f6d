#include "core/files/system_reason.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>

// Missing from MinGW-w64's headers.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

namespace core {

namespace {

// The system's own words for a rare error, English where the system has them, without the
// final full stop and line end, as UTF-8.
std::string systemWords(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = 0;
    // A Japanese Windows may have no English texts: then its own.
    for (const DWORD language : {DWORD(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), DWORD(0)}) {
        length = FormatMessageW(flags, nullptr, error, language, reinterpret_cast<LPWSTR>(&text), 0,
                                nullptr);
        if (length != 0)
            break;
    }
    std::wstring words(text ? text : L"", length);
    LocalFree(text);
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' ||
                              words.back() == L' ' || words.back() == L'.'))
        words.pop_back();
    std::string utf8;
    if (const int size = WideCharToMultiByte(CP_UTF8, 0, words.data(), int(words.size()), nullptr,
                                             0, nullptr, nullptr);
        size > 0) {
        utf8.resize(std::size_t(size));
        WideCharToMultiByte(CP_UTF8, 0, words.data(), int(words.size()), utf8.data(), size, nullptr,
                            nullptr);
    }
    if (utf8.empty()) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(error));
        utf8 = code;
    }
    return utf8;
}

} // namespace

Message windowsReason(std::uint32_t error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return message(VTR("core", "no such file or folder"));
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return message(VTR("core", "permission denied"));
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return message(VTR("core", "no space left on the device"));
    case ERROR_DISK_QUOTA_EXCEEDED:
        return message(VTR("core", "the disk quota is used up"));
    case ERROR_WRITE_PROTECT:
        return message(VTR("core", "the file system is read-only"));
    case ERROR_NOT_READY:
        // A card reader without its card, a drive without its disc.
        return message(VTR("core", "the device is not ready"));
    case ERROR_DIRECTORY:
        return message(VTR("core", "a part of the path is not a folder"));
    case ERROR_FILENAME_EXCED_RANGE:
        return message(VTR("core", "the name is too long"));
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        // A name with one of \ / : * ? " < > | in it, or a name the file system refuses.
        return message(VTR("core", "the name is not valid on this system"));
    case ERROR_CANT_RESOLVE_FILENAME:
        return message(VTR("core", "too many symbolic links"));
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        return message(VTR("core", "the device reported an input/output error"));
    case ERROR_FILE_TOO_LARGE:
        return message(VTR("core", "the file is too large for the file system"));
    case ERROR_TOO_MANY_OPEN_FILES:
        return message(VTR("core", "too many files are open"));
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return message(VTR("core", "not enough memory"));
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_DELETE_PENDING:
    case ERROR_PIPE_BUSY:
        return message(VTR("core", "the file is in use"));
    case ERROR_NOT_SAME_DEVICE:
        return message(VTR("core", "the file cannot be moved to another file system"));
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED: // Wine's word for it
        return message(VTR("core", "the program reading from the pipe has closed it"));
    case ERROR_INVALID_HANDLE:
        return message(VTR("core", "the stream is not open for writing"));
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return message(VTR("core", "the file exists already"));
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
        return message(VTR("core", "the device does not take this operation"));
    default:
        return message(VTR("core", "system error %1 (%2)"), std::uint64_t(error),
                       systemWords(DWORD(error)));
    }
}

} // namespace core
