// What an open file does alike on every system; the rest is in system_posix.cpp and
// system_win32.cpp.
#include "core/platform/system.h"

#include <utility>

namespace dm::platform {

SystemFile::SystemFile(SystemFile&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, kClosed)) {}

SystemFile& SystemFile::operator=(SystemFile&& other) noexcept {
    if (this != &other) {
        closeQuietly();
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, kClosed);
    }
    return *this;
}

SystemFile::~SystemFile() {
    closeQuietly();
}

std::filesystem::path pathOf(const std::string& utf8Path) {
    return std::u8string(utf8Path.begin(), utf8Path.end());
}

} // namespace dm::platform
