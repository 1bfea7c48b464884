#include "core/errors.h"

namespace dm {

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
    case kFolderCode:
        throw IoError(code, "Is a folder, not a file");
    case kTooLargeCode:
        throw IoError(code, "File too large to be a damage file");
    default:
        throw IoError(code, "I/O error " + std::to_string(code));
    }
}

} // namespace dm
