#include "core/platform/file_replacement.h"

#include "core/errors.h"

#include <cstdio>
#include <random>
#include <string_view>

namespace dm::platform {

namespace {

using Handle = FileCalls::Handle;

constexpr int kInvalidFilename = 3;
constexpr int kAccessDenied = 5;
constexpr std::string_view kTemporaryPrefix = ".du2damage-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryDigits = 16;
// Names tried before a folder full of them counts as one that takes no new file.
constexpr int kMostNamesTried = 100;

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
constexpr char kSeparator = '\\';
#else
constexpr std::string_view kSeparators = "/";
constexpr char kSeparator = '/';
#endif

std::string folderOf(const std::string& path) {
    const std::size_t at = path.find_last_of(kSeparators);
    if (at == std::string::npos)
        return ".";
    const bool root = at == 0 || (at == 2 && path[1] == ':' && kSeparators.size() > 1);
    return path.substr(0, root ? at + 1 : at);
}

std::string inFolder(const std::string& folder, std::string_view name) {
    const bool ended = !folder.empty() && kSeparators.find(folder.back()) != std::string::npos;
    return folder + (ended ? "" : std::string(1, kSeparator)) + std::string(name);
}

std::string temporaryName() {
    static std::mt19937_64 random{std::random_device{}()};
    char digits[kTemporaryDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(random()));
    return std::string(kTemporaryPrefix) + digits + std::string(kTemporarySuffix);
}

// The file a chain of links ends at, whether it exists or not; a loop fails at once.
std::string followedLinks(const std::string& path, const FileCalls& calls) {
    std::string at = path;
    for (int followed = 0; calls.status(at).kind == EntryKind::Link; ++followed) {
        if (followed == kMostLinksFollowed)
            raiseIoError(kInvalidFilename);
        at = calls.linkTarget(at);
    }
    return at;
}

// Temporaries that a writer killed before its rename left behind; a recent one may be in use.
void removeStaleTemporaries(const std::string& folder, FileCalls& calls) {
    for (const std::string& name : calls.entryNames(folder)) {
        if (!isReplacementTemporaryName(name))
            continue;
        const std::string path = inFolder(folder, name);
        const EntryStatus status = calls.status(path);
        if (status.kind == EntryKind::Regular && status.ageSeconds > kStaleTemporarySeconds)
            calls.remove(path);
    }
}

// Closed quietly on every way out but the one that closes it and reports how.
class OpenFile {
public:
    OpenFile(FileCalls& calls, Handle handle) : calls_(calls), handle_(handle) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (open_)
            calls_.closeQuietly(handle_);
    }
    Handle handle() const { return handle_; }
    void close() {
        open_ = false;
        calls_.close(handle_);
    }

private:
    FileCalls& calls_;
    Handle handle_;
    bool open_ = true;
};

// A pipe or a device takes the bytes as they come; a file is cut to them and synced.
void writeInPlace(const std::string& target, std::span<const std::byte> bytes, bool regular,
                  FileCalls& calls) {
    OpenFile file(calls, calls.openForWriting(target));
    calls.write(file.handle(), bytes);
    if (regular) {
        calls.resize(file.handle(), bytes.size());
        calls.sync(file.handle());
    }
    file.close();
}

Handle createTemporary(const std::string& folder, std::string& path, FileCalls& calls) {
    for (int tried = 0; tried < kMostNamesTried; ++tried) {
        path = inFolder(folder, temporaryName());
        if (const std::optional<Handle> made = calls.createTemporary(folder, path))
            return *made;
    }
    raiseIoError(kAccessDenied);
}

void nameTemporary(Handle handle, const std::string& folder, std::string& path, FileCalls& calls) {
    for (int tried = 0; !calls.nameTemporary(handle, path); ++tried) {
        if (tried == kMostNamesTried)
            raiseIoError(kAccessDenied);
        path = inFolder(folder, temporaryName());
    }
}

// Written, synced, named, closed and renamed in this order: the target holds the old bytes or
// all of the new ones at every moment. False, with nothing left behind, when the folder refuses
// to let it replace an existing file.
bool replacedThroughTemporary(const std::string& target, std::span<const std::byte> bytes,
                              bool exists, Handle handle, std::string temporary, FileCalls& calls) {
    const std::string folder = folderOf(target);
    try {
        OpenFile file(calls, handle);
        calls.write(handle, bytes);
        if (exists)
            calls.keepAttributesOf(handle, target);
        calls.sync(handle);
        nameTemporary(handle, folder, temporary, calls);
        file.close();
    } catch (...) {
        calls.remove(temporary);
        throw;
    }
    try {
        calls.rename(temporary, target);
    } catch (const IoError& error) {
        calls.remove(temporary);
        if (exists && error.code() == kAccessDenied)
            return false;
        throw;
    }
    calls.syncFolder(folder);
    return true;
}

} // namespace

bool isReplacementTemporaryName(const std::string& name) {
    const std::size_t length = kTemporaryPrefix.size() + kTemporaryDigits + kTemporarySuffix.size();
    if (name.size() != length || !name.starts_with(kTemporaryPrefix) ||
        !name.ends_with(kTemporarySuffix))
        return false;
    const std::string_view digits =
        std::string_view(name).substr(kTemporaryPrefix.size(), kTemporaryDigits);
    return digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

void replaceFile(const std::string& path, std::span<const std::byte> bytes, FileCalls& calls) {
    const std::string target = followedLinks(path, calls);
    const EntryKind kind = calls.status(target).kind;
    if (kind == EntryKind::Folder)
        raiseIoError(kFolderCode);
    if (kind == EntryKind::Other) {
        writeInPlace(target, bytes, false, calls);
        return;
    }
    const bool exists = kind == EntryKind::Regular;
    if (exists && !calls.mayWrite(target))
        raiseIoError(kAccessDenied);
    const std::string folder = folderOf(target);
    removeStaleTemporaries(folder, calls);
    std::string temporary;
    std::optional<Handle> handle;
    try {
        handle = createTemporary(folder, temporary, calls);
    } catch (const IoError& error) {
        if (!exists || error.code() != kAccessDenied)
            throw;
    }
    // A game folder where only the files may be written, or a shared folder (sticky, like /tmp)
    // where another user's file may be written but not replaced.
    if (!handle || !replacedThroughTemporary(target, bytes, exists, *handle, temporary, calls))
        writeInPlace(target, bytes, true, calls);
}

} // namespace dm::platform
