#include "core/platform/system.h"

#include "core/errors.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <climits>
#include <cstdlib>
#include <random>
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

// A write that stores nothing means a full disk.
template <typename WriteNext> void writeAll(std::span<const std::byte> bytes, WriteNext writeNext) {
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t moved = writeNext(bytes.data() + done, bytes.size() - done);
        if (moved == 0)
            raiseIoError(101);
        done += moved;
    }
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The file a link names, so that the link stays a link; a dangling link is written through.
std::string followedLink(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char real[PATH_MAX];
    return ::realpath(path.c_str(), real) ? std::string(real) : std::string();
}

// A file being written in place of another: unnamed while it is written where the file system
// allows it (so that even a kill leaves nothing behind), named and removed on failure otherwise.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& target) : target_(target) {
        fd_ = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            name_ = freeName();
            fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        }
        if (fd_ < 0)
            raiseSystemError(errno, target);
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }

    void write(std::span<const std::byte> bytes) {
        writeAll(bytes, [this](const std::byte* from, std::size_t count) {
            return retried(target_, [&] { return ::write(fd_, from, count); });
        });
    }

    void takeOverFrom(const struct stat& old) {
        ::fchmod(fd_, old.st_mode & 07777);
        [[maybe_unused]] const int owned = ::fchown(fd_, old.st_uid, old.st_gid);
    }

    // Synced, named if it was not, and renamed over the target.
    void commit() {
        if (::fsync(fd_) != 0)
            raiseSystemError(errno, target_);
        if (name_.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            for (;;) {
                std::string name = freeName();
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
                    0) {
                    name_ = std::move(name);
                    break;
                }
                if (errno != EEXIST)
                    raiseSystemError(errno, target_);
            }
        }
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0 && errno != EINTR)
            raiseSystemError(errno, target_);
        if (::rename(name_.c_str(), target_.c_str()) != 0)
            raiseSystemError(errno, target_);
        name_.clear();
        syncFolder();
    }

private:
    std::string freeName() const {
        std::random_device seed;
        std::mt19937 random(seed());
        for (;;) {
            std::string name = target_ + ".tmp" + std::to_string(random() % 1000000);
            struct stat info {};
            if (::lstat(name.c_str(), &info) != 0)
                return name;
        }
    }

    // So that the rename itself survives a power cut.
    void syncFolder() const {
        const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }

    std::string target_;
    std::string name_;
    int fd_ = -1;
};

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

void replaceFile(const std::string& path, std::span<const std::byte> bytes) {
    const std::string target = followedLink(path);
    struct stat old {};
    const bool exists = !target.empty() && ::stat(target.c_str(), &old) == 0;
    if (target.empty() || (exists && !S_ISREG(old.st_mode) && !S_ISDIR(old.st_mode))) {
        SystemFile file(path, OpenMode::CreateOrTruncate);
        writeAll(bytes, [&file](const std::byte* from, std::size_t count) {
            return file.writeNext(from, count);
        });
        file.close();
        return;
    }
    if (exists && S_ISDIR(old.st_mode))
        raiseIoError(kFolderCode);
    ReplacementFile replacement(target);
    replacement.write(bytes);
    if (exists)
        replacement.takeOverFrom(old);
    replacement.commit();
}

std::string_view nativeLineEnd() {
    return "\n";
}

std::FILE* createNewFile(const std::filesystem::path& path) {
    return std::fopen(path.c_str(), "wbx");
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
