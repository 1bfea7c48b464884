#include "core/platform/system.h"

#include "core/errors.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dm::platform {

namespace {

bool parentFolderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    struct stat info {};
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The causes of the message table get their codes; any other error is "I/O error" and its number.
[[noreturn]] void raiseSystemError(int error, const std::string& path) {
    switch (error) {
    case ENOENT:
        raiseIoError(parentFolderExists(path) ? 2 : 3);
    case ENOTDIR:
    case ENAMETOOLONG:
        raiseIoError(3);
    case EMFILE:
    case ENFILE:
        raiseIoError(4);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        raiseIoError(5);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // too large for the file system: as good as full
        raiseIoError(101);
    default:
        throw IoError(error, "I/O error " + std::to_string(error));
    }
}

int openFlags(OpenMode mode) {
    // Non-blocking, so that a pipe without a writer or a device never holds the open up.
    switch (mode) {
    case OpenMode::Read:
        return O_RDONLY | O_NONBLOCK | O_NOCTTY;
    case OpenMode::ReadWrite:
        return O_RDWR | O_NONBLOCK | O_NOCTTY;
    case OpenMode::ReadStream:
        return O_RDONLY | O_NOCTTY;
    case OpenMode::CreateOrTruncate:
        return O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY;
    }
    return O_RDONLY;
}

bool takesOnlyRegularFiles(OpenMode mode) {
    return mode == OpenMode::Read || mode == OpenMode::ReadWrite;
}

bool isSpecialFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

template <typename Transfer> std::size_t retried(const std::string& path, Transfer transfer) {
    for (;;) {
        const ssize_t moved = transfer();
        if (moved >= 0)
            return static_cast<std::size_t>(moved);
        if (errno != EINTR)
            raiseSystemError(errno, path);
    }
}

} // namespace

SystemFile::SystemFile(const std::string& path, OpenMode mode) : path_(path), handle_(kClosed) {
    const int fd = ::open(path.c_str(), openFlags(mode) | O_CLOEXEC, 0666);
    if (fd < 0) {
        // A socket cannot be opened at all; it is refused like the other special files.
        if (errno == ENXIO && takesOnlyRegularFiles(mode) && isSpecialFile(path))
            raiseIoError(100);
        raiseSystemError(errno, path);
    }
    handle_ = fd;
    struct stat info {};
    const int code = ::fstat(fd, &info) != 0                                 ? errno
                     : S_ISDIR(info.st_mode)                                 ? EISDIR
                     : takesOnlyRegularFiles(mode) && !S_ISREG(info.st_mode) ? ENXIO
                                                                             : 0;
    if (code == 0)
        return;
    closeQuietly();
    if (code == ENXIO)
        raiseIoError(100);
    raiseSystemError(code, path);
}

std::size_t SystemFile::readAt(std::int64_t offset, std::byte* bytes, std::size_t count) const {
    return retried(path_, [&] { return ::pread(int(handle_), bytes, count, offset); });
}

std::size_t SystemFile::writeAt(std::int64_t offset, const std::byte* bytes,
                                std::size_t count) const {
    return retried(path_, [&] { return ::pwrite(int(handle_), bytes, count, offset); });
}

std::size_t SystemFile::readNext(std::byte* bytes, std::size_t count) const {
    return retried(path_, [&] { return ::read(int(handle_), bytes, count); });
}

std::size_t SystemFile::writeNext(const std::byte* bytes, std::size_t count) const {
    return retried(path_, [&] { return ::write(int(handle_), bytes, count); });
}

std::uint64_t SystemFile::size() const {
    struct stat info {};
    if (::fstat(int(handle_), &info) != 0)
        raiseSystemError(errno, path_);
    return static_cast<std::uint64_t>(info.st_size);
}

void SystemFile::close() {
    const int fd = int(std::exchange(handle_, kClosed));
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        raiseSystemError(errno, path_);
}

void SystemFile::closeQuietly() noexcept {
    if (handle_ != kClosed)
        ::close(int(std::exchange(handle_, kClosed)));
}

std::string_view nativeLineEnd() {
    return "\n";
}

bool flushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

void useBinaryStandardStreams() {}

std::size_t readStandardInput(std::byte* bytes, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, bytes, count);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw DamageError(std::string("Cannot read standard input: ") + std::strerror(errno));
    }
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void* loadModule(const std::string& path, std::string& error) {
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        error = ::dlerror();
    return module;
}

void* findModuleEntry(void* module, const char* name) {
    return ::dlsym(module, name);
}

} // namespace dm::platform
