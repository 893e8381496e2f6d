// Reading a whole input file on Windows (see input_file.h): judged by what was opened, as on
// Unix, so that NUL, CON, a pipe or a folder is refused, never read without end.
#include "core/files/input_file.h"

#include "core/files/system_reason.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <new>
#include <string>

namespace core {

namespace {

Error cannotRead(const std::filesystem::path &path, Message reason)
{
    return Error{Error::Kind::CannotRead, subjectOf(path), std::move(reason)};
}

// Past MAX_PATH characters the system takes a name only as a full one with the \\?\ prefix.
std::wstring systemName(const std::filesystem::path &path)
{
    const std::wstring &name = path.native();
    if (name.compare(0, 4, L"\\\\?\\") == 0 || name.compare(0, 4, L"\\\\.\\") == 0)
        return name;
    DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    if (size == 0 || (size = GetFullPathNameW(name.c_str(), size, full.data(), nullptr)) == 0 ||
        size >= full.size() || size < MAX_PATH)
        return name;
    full.resize(size);
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

class Handle
{
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {}
    ~Handle()
    {
        if (valid())
            CloseHandle(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

} // namespace

Expected<Bytes> readWholeFile(const std::filesystem::path &path, std::int64_t limit,
                              std::int64_t *sizeFound)
{
    if (path.empty())
        return cannotRead(path, message(VTR("core", "no file name was given")));
    // Others may go on writing, renaming or removing it meanwhile, as on Unix; a folder opens
    // too, to be told apart.
    const Handle file(CreateFileW(systemName(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD failure = GetLastError();
        if (failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND)
            return cannotRead(path, message(VTR("core", "no such file")));
        return cannotRead(path, windowsReason(failure));
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        return cannotRead(path, message(VTR("core", "this is not a regular file")));
    // The standard information, not the whole: that asks the volume too, which costs a trip
    // to another process under Wine for each picture.
    FILE_STANDARD_INFO information;
    if (!GetFileInformationByHandleEx(file.get(), FileStandardInfo, &information,
                                      sizeof information))
        return cannotRead(path, windowsReason(GetLastError()));
    if (information.Directory)
        return cannotRead(path, message(VTR("core", "this is a folder, not a picture file")));
    const std::int64_t size = information.EndOfFile.QuadPart;
    if (sizeFound)
        *sizeFound = size;
    if (size > limit)
        return cannotRead(path, message(VTR("core", "the file is too large (%1 bytes)"), size));

    try {
        // Up to the limit, whatever the size said: the file may grow while it is read.
        Bytes bytes(std::size_t(size) + 1);
        std::size_t filled = 0;
        for (;;) {
            if (filled == bytes.size()) {
                if (std::int64_t(bytes.size()) > limit) {
                    if (sizeFound)
                        *sizeFound = std::int64_t(bytes.size());
                    return cannotRead(path, message(VTR("core", "the file is too large")));
                }
                bytes.resize(
                    std::size_t(std::min<std::int64_t>(2 * std::int64_t(bytes.size()), limit + 1)));
            }
            const DWORD piece =
                DWORD(std::min<std::size_t>(bytes.size() - filled, std::size_t(1) << 30));
            DWORD got = 0;
            if (!ReadFile(file.get(), bytes.data() + filled, piece, &got, nullptr))
                return cannotRead(path, windowsReason(GetLastError()));
            if (got == 0)
                break;
            filled += got;
        }
        if (filled == 0)
            return cannotRead(path, message(VTR("core", "the file is empty")));
        bytes.resize(filled);
        return bytes;
    } catch (const std::bad_alloc &) {
        return Error{Error::Kind::OutOfMemory, subjectOf(path), {}};
    }
}

} // namespace core
