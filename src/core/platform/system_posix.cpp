#include "core/platform/system.h"

#include "core/platform/file_replacement.h"

#include "core/errors.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <memory>
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
    case ELOOP:
        raiseIoError(3);
    case EMFILE:
    case ENFILE:
        raiseIoError(4);
    case EISDIR:
        raiseIoError(kFolderCode);
    case EACCES:
    case EPERM:
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

// A write that stores nothing means a full disk.
template <typename WriteNext> void writeAll(std::span<const std::byte> bytes, WriteNext writeNext) {
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t moved = writeNext(bytes.data() + done, bytes.size() - done);
        if (moved == 0)
            raiseIoError(101);
        done += moved;
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

std::size_t SystemFile::readNext(std::byte* bytes, std::size_t count) const {
    return retried(path_, [&] { return ::read(int(handle_), bytes, count); });
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

namespace {

EntryKind kindOf(mode_t mode) {
    return S_ISLNK(mode)   ? EntryKind::Link
           : S_ISREG(mode) ? EntryKind::Regular
           : S_ISDIR(mode) ? EntryKind::Folder
                           : EntryKind::Other;
}

class PosixFileCalls final : public FileCalls {
public:
    EntryStatus status(const std::string& path) const override {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return {};
        return {kindOf(info.st_mode), std::int64_t{::time(nullptr) - info.st_mtime}};
    }

    std::string linkTarget(const std::string& path) const override {
        std::string text(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
        if (length < 0)
            raiseSystemError(errno, path);
        text.resize(std::size_t(length));
        const auto slash = path.find_last_of('/');
        if (text.starts_with('/') || slash == std::string::npos)
            return text;
        return path.substr(0, slash + 1) + text;
    }

    bool mayWrite(const std::string& path) const override {
        return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    }

    std::vector<std::string> entryNames(const std::string& folder) const override {
        std::vector<std::string> names;
        const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.c_str()), ::closedir);
        if (!entries)
            return names;
        while (const dirent* entry = ::readdir(entries.get()))
            names.emplace_back(entry->d_name);
        return names;
    }

    // Unnamed where the file system allows it, so that a kill while writing leaves nothing.
    std::optional<Handle> createTemporary(const std::string& folder,
                                          const std::string& path) override {
        int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            return std::nullopt;
        if (fd < 0)
            raiseSystemError(errno, path);
        return fd;
    }

    bool nameTemporary(Handle file, const std::string& path) override {
        struct stat info {};
        if (::fstat(int(file), &info) != 0)
            raiseSystemError(errno, path);
        if (info.st_nlink > 0)
            return true;
        const std::string self = "/proc/self/fd/" + std::to_string(file);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            raiseSystemError(errno, path);
        return false;
    }

    Handle openForWriting(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            raiseSystemError(errno, path);
        return fd;
    }

    void write(Handle file, std::span<const std::byte> bytes) override {
        writeAll(bytes, [file](const std::byte* from, std::size_t count) {
            return retried({}, [&] { return ::write(int(file), from, count); });
        });
    }

    void resize(Handle file, std::uint64_t size) override {
        if (::ftruncate(int(file), off_t(size)) != 0)
            raiseSystemError(errno, {});
    }

    void keepAttributesOf(Handle file, const std::string& old) override {
        struct stat info {};
        if (::stat(old.c_str(), &info) != 0)
            return;
        ::fchmod(int(file), info.st_mode & 07777);
        [[maybe_unused]] const int owned = ::fchown(int(file), info.st_uid, info.st_gid);
    }

    void sync(Handle file) override {
        if (::fsync(int(file)) != 0)
            raiseSystemError(errno, {});
    }

    void close(Handle file) override {
        if (::close(int(file)) != 0 && errno != EINTR)
            raiseSystemError(errno, {});
    }

    void closeQuietly(Handle file) noexcept override { ::close(int(file)); }

    void rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0)
            raiseSystemError(errno, to);
    }

    // A folder that cannot be synced (some file systems refuse it) keeps the rename all the same.
    void syncFolder(const std::string& folder) override {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }

    void remove(const std::string& path) noexcept override { ::unlink(path.c_str()); }
};

} // namespace

FileCalls& systemFileCalls() {
    static PosixFileCalls calls;
    return calls;
}

bool sameFileName(const std::string& a, const std::string& b) {
    return a == b;
}

std::string_view nativeLineEnd() {
    return "\n";
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
