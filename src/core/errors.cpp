#include "core/errors.h"

#include <cerrno>
#include <sys/stat.h>

namespace dm {

namespace {

bool parentFolderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    struct stat info {};
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

[[noreturn]] void raiseIoError(int code) {
    switch (code) {
    case 2:
        throw IoError(code, "File not found");
    case 3:
        throw IoError(code, "Invalid filename");
    case 4:
        throw IoError(code, "Too many open files");
    case 5:
        throw IoError(code, "File access denied");
    case 100:
        throw IoError(code, "Read beyond end of file");
    case 101:
        throw IoError(code, "Disk full");
    default:
        throw IoError(code, "I/O error " + std::to_string(code));
    }
}

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

} // namespace dm
