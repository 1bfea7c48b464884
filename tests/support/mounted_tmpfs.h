#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport {

// Why a test that needs a small file system did not run.
inline constexpr const char* kMountNeedsRoot =
    "needs root (CAP_SYS_ADMIN) to mount a small file system, which this run lacks";

// A small tmpfs mounted on a new folder for as long as this lives: full disks and read-only media
// that stop root too. mounted() is false where this machine cannot mount one.
class MountedTmpfs {
public:
    MountedTmpfs(std::filesystem::path at, const std::string& size) : at_(std::move(at)) {
        std::filesystem::create_directories(at_);
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    MountedTmpfs(const MountedTmpfs&) = delete;
    MountedTmpfs& operator=(const MountedTmpfs&) = delete;
    ~MountedTmpfs() {
        if (mounted_)
            ::umount(at_.c_str());
    }

    bool mounted() const { return mounted_; }
    const std::filesystem::path& path() const { return at_; }

    // Writes a file until no byte more fits.
    void fill() const {
        std::ofstream filler(at_ / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
        }
    }

    bool makeReadOnly() const {
        return ::mount(nullptr, at_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::filesystem::path at_;
    bool mounted_ = false;
};

} // namespace testsupport
