#pragma once

// The small layer over the operating system that the core and dmtool use: one implementation file
// per platform (system_posix.cpp, system_win32.cpp). Paths and texts are UTF-8 everywhere.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dm::platform {

enum class OpenMode {
    Read,       // an existing regular file, for reading
    ReadWrite,  // an existing regular file, for reading and writing, never truncated
    ReadStream, // an existing file, pipe or device, read from its start to its end
};

// An open file, shared for reading and writing with other processes. Every failure raises the
// IoError of its cause. With Read and ReadWrite a pipe, socket or device is refused at once as
// "Read beyond end of file"; a folder is "Is a folder, not a file" in every mode.
class SystemFile {
public:
    SystemFile(const std::string& path, OpenMode mode);
    SystemFile(SystemFile&& other) noexcept;
    SystemFile& operator=(SystemFile&& other) noexcept;
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;
    ~SystemFile();

    // Bytes moved, which may be fewer than asked; 0 from a read means the end of the file.
    std::size_t readAt(std::int64_t offset, std::byte* bytes, std::size_t count) const;
    // At the current position, so that pipes and devices work too.
    std::size_t readNext(std::byte* bytes, std::size_t count) const;
    std::uint64_t size() const;
    // Reports a failed close (a full disk on a network file system, say).
    void close();

private:
    // No descriptor, and INVALID_HANDLE_VALUE on Windows.
    static constexpr std::intptr_t kClosed = -1;

    void closeQuietly() noexcept;

    std::string path_;
    std::intptr_t handle_; // a descriptor or a HANDLE
};

// A UTF-8 path as the standard library's path: from a plain string, Windows would read the ANSI
// code page.
std::filesystem::path pathOf(const std::string& utf8Path);

// Whether two UTF-8 paths name the same file as this system compares names: on Windows letter case
// and the kind of slash do not count.
bool sameFileName(const std::string& a, const std::string& b);

// The line end this system's text files use.
std::string_view nativeLineEnd();

// Standard input and output pass bytes unchanged (no line-end translation).
void useBinaryStandardStreams();

// Reads standard input straight from the system; 0 means its end. A read error (the input closed,
// a folder given as input) raises "Cannot read standard input: " and its cause, so that it never
// passes for the end of the input.
std::size_t readStandardInput(std::byte* bytes, std::size_t count);

// The command line's arguments after the program name, as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Shared libraries: loads one and finds an entry point; on failure returns null and sets `error`.
void* loadModule(const std::string& path, std::string& error);
void* findModuleEntry(void* module, const char* name);

} // namespace dm::platform
