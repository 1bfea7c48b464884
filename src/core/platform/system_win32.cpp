#include "core/platform/system.h"

#include "core/errors.h"

#include <windows.h>

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

bool writes(OpenMode mode) {
    return mode == OpenMode::ReadWrite || mode == OpenMode::CreateOrTruncate;
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
    if (writes(mode) && isReadOnlyFile(wide))
        raiseIoError(5);
    const DWORD access = mode == OpenMode::ReadWrite          ? GENERIC_READ | GENERIC_WRITE
                         : mode == OpenMode::CreateOrTruncate ? GENERIC_WRITE
                                                              : GENERIC_READ;
    const DWORD creation = mode == OpenMode::CreateOrTruncate ? CREATE_ALWAYS : OPEN_EXISTING;
    // Shared for deleting too, so that a file held open can still be replaced as a whole.
    const HANDLE file = ::CreateFileW(wide.c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
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

std::size_t SystemFile::writeAt(std::int64_t offset, const std::byte* bytes,
                                std::size_t count) const {
    OVERLAPPED position = at(offset);
    return writeFile(native(handle_), bytes, count, &position);
}

std::size_t SystemFile::readNext(std::byte* bytes, std::size_t count) const {
    return readFile(native(handle_), bytes, count, nullptr);
}

std::size_t SystemFile::writeNext(const std::byte* bytes, std::size_t count) const {
    return writeFile(native(handle_), bytes, count, nullptr);
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

void replaceFile(const std::string& path, std::span<const std::byte> bytes) {
    const std::wstring target = toWide(path);
    if (isReadOnlyFile(target))
        raiseIoError(5);
    if (isFolder(target))
        raiseIoError(kFolderCode);
    // Written beside the target and renamed over it; every failure removes it again.
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (DWORD attempt = ::GetTickCount(); file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L".tmp" + std::to_wstring(attempt % 1000000);
        file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            raiseLastError();
    }
    try {
        for (std::size_t done = 0; done < bytes.size();) {
            const std::size_t moved = writeFile(file, bytes.data() + done, bytes.size() - done, nullptr);
            if (moved == 0)
                raiseIoError(101);
            done += moved;
        }
        if (!::FlushFileBuffers(file))
            raiseLastError();
    } catch (...) {
        ::CloseHandle(file);
        ::DeleteFileW(temporary.c_str());
        throw;
    }
    ::CloseHandle(file);
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        raiseSystemError(error);
    }
}

std::string_view nativeLineEnd() {
    return "\r\n";
}

// The C library's exclusive mode ("x") is missing from older runtimes: the system makes the file.
std::FILE* createNewFile(const std::filesystem::path& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    const int descriptor = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_BINARY);
    if (descriptor == -1) {
        ::CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = ::_fdopen(descriptor, "wb");
    if (stream == nullptr)
        ::_close(descriptor);
    return stream;
}

bool flushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
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
