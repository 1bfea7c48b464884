#include "core/platform/system.h"

#include "core/platform/file_replacement.h"

#include "core/errors.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <utility>

namespace dm::platform {

namespace {

// One transfer moves at most this much; callers loop over short transfers anyway.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

HANDLE native(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The causes of the message table get their codes; any other error is "I/O error" and its number.
[[noreturn]] void raiseSystemError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        raiseIoError(2);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_NO_UNICODE_TRANSLATION:
        raiseIoError(3);
    case ERROR_TOO_MANY_OPEN_FILES:
        raiseIoError(4);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        raiseIoError(5);
    case ERROR_HANDLE_EOF:
        raiseIoError(100);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        raiseIoError(101);
    default:
        throw IoError(static_cast<int>(error), "I/O error " + std::to_string(error));
    }
}

[[noreturn]] void raiseLastError() {
    raiseSystemError(::GetLastError());
}

std::wstring toWide(const std::string& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length == 0)
        raiseLastError();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string toUtf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

// The system's own text for an error code, without its closing full stop and line end.
std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length != 0 ? std::wstring(text, length) : std::wstring();
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : toUtf8(message);
}

bool takesOnlyRegularFiles(OpenMode mode) {
    return mode == OpenMode::Read || mode == OpenMode::ReadWrite;
}

// Windows never opens a read-only file for writing. Asked here as well, so that a system that
// lets an administrator through anyway (Wine run by root) refuses it alike.
bool isReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Shared for deleting too, so that a file held open can still be replaced as a whole.
HANDLE openExisting(const std::wstring& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

OVERLAPPED at(std::int64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return position;
}

DWORD chunk(std::size_t count) {
    return static_cast<DWORD>(std::min(count, kLargestTransfer));
}

std::size_t readFile(HANDLE file, std::byte* bytes, std::size_t count, OVERLAPPED* position) {
    DWORD got = 0;
    if (::ReadFile(file, bytes, chunk(count), &got, position))
        return got;
    const DWORD error = ::GetLastError();
    // The end of a file read at an offset, and the end of a pipe whose writer has gone.
    if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE)
        return 0;
    raiseSystemError(error);
}

std::size_t writeFile(HANDLE file, const std::byte* bytes, std::size_t count,
                      OVERLAPPED* position) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes, chunk(count), &written, position))
        raiseLastError();
    return written;
}

} // namespace

SystemFile::SystemFile(const std::string& path, OpenMode mode) : path_(path), handle_(kClosed) {
    const std::wstring wide = toWide(path);
    if (mode == OpenMode::ReadWrite && isReadOnlyFile(wide))
        raiseIoError(5);
    const DWORD access = mode == OpenMode::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const HANDLE file = openExisting(wide, access);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Windows refuses a folder as access denied.
        if (error == ERROR_ACCESS_DENIED && isFolder(wide))
            raiseIoError(kFolderCode);
        raiseSystemError(error);
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    if (takesOnlyRegularFiles(mode) && ::GetFileType(file) != FILE_TYPE_DISK) {
        closeQuietly();
        raiseIoError(100);
    }
}

std::size_t SystemFile::readAt(std::int64_t offset, std::byte* bytes, std::size_t count) const {
    OVERLAPPED position = at(offset);
    return readFile(native(handle_), bytes, count, &position);
}

std::size_t SystemFile::readNext(std::byte* bytes, std::size_t count) const {
    return readFile(native(handle_), bytes, count, nullptr);
}

std::uint64_t SystemFile::size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(native(handle_), &size))
        raiseLastError();
    return static_cast<std::uint64_t>(size.QuadPart);
}

void SystemFile::close() {
    const HANDLE file = native(std::exchange(handle_, kClosed));
    if (file != INVALID_HANDLE_VALUE && !::CloseHandle(file))
        raiseLastError();
}

void SystemFile::closeQuietly() noexcept {
    if (handle_ != kClosed)
        ::CloseHandle(native(std::exchange(handle_, kClosed)));
}

namespace {

constexpr ULONG kRelativeLink = 1; // SYMLINK_FLAG_RELATIVE

// The symbolic link's part of a reparse point's data, as the system hands it out.
struct SymbolicLinkData {
    ULONG tag;
    USHORT dataLength;
    USHORT reserved;
    USHORT substituteOffset;
    USHORT substituteLength;
    USHORT printOffset;
    USHORT printLength;
    ULONG flags;
    WCHAR names[1];
};

std::int64_t secondsSince(const FILETIME& time) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (std::int64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
    };
    return (ticks(now) - ticks(time)) / 10'000'000;
}

bool isSymbolicLink(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return found.dwReserved0 == IO_REPARSE_TAG_SYMLINK;
}

class WindowsFileCalls final : public FileCalls {
public:
    EntryStatus status(const std::string& path) const override {
        const std::wstring wide = toWide(path);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
            return {};
        const DWORD attributes = data.dwFileAttributes;
        const EntryKind kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && isSymbolicLink(wide)
                                   ? EntryKind::Link
                               : (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                                                         : EntryKind::Regular;
        return {kind, secondsSince(data.ftLastWriteTime)};
    }

    std::string linkTarget(const std::string& path) const override {
        const HANDLE link = ::CreateFileW(
            toWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
            nullptr);
        if (link == INVALID_HANDLE_VALUE)
            raiseLastError();
        std::vector<std::byte> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
        DWORD got = 0;
        const BOOL read = ::DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0,
                                            buffer.data(), DWORD(buffer.size()), &got, nullptr);
        const DWORD error = ::GetLastError();
        ::CloseHandle(link);
        if (!read)
            raiseSystemError(error);
        const auto* data = reinterpret_cast<const SymbolicLinkData*>(buffer.data());
        // The name as shown, or else the system's own without its prefix "\??\".
        std::wstring target(data->names + data->printOffset / sizeof(WCHAR),
                            data->printLength / sizeof(WCHAR));
        if (target.empty()) {
            target.assign(data->names + data->substituteOffset / sizeof(WCHAR),
                          data->substituteLength / sizeof(WCHAR));
            if (target.starts_with(L"\\??\\"))
                target.erase(0, 4);
        }
        if (!(data->flags & kRelativeLink))
            return toUtf8(target);
        const auto slash = path.find_last_of("/\\");
        return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
               toUtf8(target);
    }

    // The read-only attribute and the file's access rights both count.
    bool mayWrite(const std::string& path) const override {
        const std::wstring wide = toWide(path);
        if (isReadOnlyFile(wide))
            return false;
        const HANDLE file = openExisting(wide, GENERIC_WRITE);
        if (file == INVALID_HANDLE_VALUE)
            return ::GetLastError() != ERROR_ACCESS_DENIED;
        ::CloseHandle(file);
        return true;
    }

    std::vector<std::string> entryNames(const std::string& folder) const override {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW((toWide(folder) + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(toUtf8(found.cFileName));
        while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return names;
    }

    std::optional<Handle> createTemporary(const std::string&, const std::string& path) override {
        const HANDLE file = ::CreateFileW(toWide(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return reinterpret_cast<Handle>(file);
        if (::GetLastError() == ERROR_FILE_EXISTS)
            return std::nullopt;
        raiseLastError();
    }

    // Made with its name already.
    bool nameTemporary(Handle, const std::string&) override { return true; }

    Handle openForWriting(const std::string& path) override {
        const HANDLE file = openExisting(toWide(path), GENERIC_WRITE);
        if (file == INVALID_HANDLE_VALUE)
            raiseLastError();
        return reinterpret_cast<Handle>(file);
    }

    void write(Handle file, std::span<const std::byte> bytes) override {
        for (std::size_t done = 0; done < bytes.size();) {
            const std::size_t moved =
                writeFile(native(file), bytes.data() + done, bytes.size() - done, nullptr);
            if (moved == 0)
                raiseIoError(101);
            done += moved;
        }
    }

    void resize(Handle file, std::uint64_t size) override {
        LARGE_INTEGER end{};
        end.QuadPart = LONGLONG(size);
        if (!::SetFilePointerEx(native(file), end, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(native(file)))
            raiseLastError();
    }

    // The new file takes the folder's rights; the read-only attribute never gets this far.
    void keepAttributesOf(Handle, const std::string&) override {}

    void sync(Handle file) override {
        if (!::FlushFileBuffers(native(file)))
            raiseLastError();
    }

    void close(Handle file) override {
        if (!::CloseHandle(native(file)))
            raiseLastError();
    }

    void closeQuietly(Handle file) noexcept override { ::CloseHandle(native(file)); }

    void rename(const std::string& from, const std::string& to) override {
        if (!::MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            raiseLastError();
    }

    // The rename was written through.
    void syncFolder(const std::string&) override {}

    void remove(const std::string& path) noexcept override { ::DeleteFileW(toWide(path).c_str()); }
};

} // namespace

FileCalls& systemFileCalls() {
    static WindowsFileCalls calls;
    return calls;
}

bool sameFileName(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    try {
        std::wstring wideA = toWide(a);
        std::wstring wideB = toWide(b);
        std::replace(wideA.begin(), wideA.end(), L'/', L'\\');
        std::replace(wideB.begin(), wideB.end(), L'/', L'\\');
        // Ordinal, as the file system compares names, not by the user's language.
        return ::CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                      static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
    } catch (const IoError&) {
        return false; // not UTF-8: no file has that name
    }
}

std::string_view nativeLineEnd() {
    return "\r\n";
}

void useBinaryStandardStreams() {
    for (std::FILE* stream : {stdin, stdout, stderr})
        ::_setmode(::_fileno(stream), _O_BINARY);
}

std::size_t readStandardInput(std::byte* bytes, std::size_t count) {
    DWORD got = 0;
    if (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), bytes, chunk(count), &got, nullptr))
        return got;
    const DWORD error = ::GetLastError();
    // The end of a pipe whose writer has gone.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
        return 0;
    throw DamageError("Cannot read standard input: " + systemMessage(error));
}

std::vector<std::string> commandLineArguments(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(toUtf8(wide[i]));
    ::LocalFree(wide);
    return args;
}

void* loadModule(const std::string& path, std::string& error) {
    const HMODULE module = ::LoadLibraryW(toWide(path).c_str());
    if (module == nullptr)
        error = path + ": cannot be loaded (error " + std::to_string(::GetLastError()) + ")";
    return reinterpret_cast<void*>(module);
}

void* findModuleEntry(void* module, const char* name) {
    const FARPROC entry = ::GetProcAddress(static_cast<HMODULE>(module), name);
    return reinterpret_cast<void*>(reinterpret_cast<std::intptr_t>(entry));
}

} // namespace dm::platform
