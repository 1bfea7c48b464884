#pragma once

// Replacing a file whole or not at all: the one routine behind Save, Save As, the settings file
// and every file dmtool writes, on every system. The system calls it is made of sit behind
// FileCalls, so that a test can watch their order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dm::platform {

enum class EntryKind { Missing, Regular, Folder, Link, Other };

struct EntryStatus {
    EntryKind kind = EntryKind::Missing;
    std::int64_t ageSeconds = 0; // since its last change
};

// The system calls of a replacement. Those that can fail raise the IoError of their cause.
class FileCalls {
public:
    using Handle = std::intptr_t;

    virtual ~FileCalls() = default;

    // What is at `path`, a link not followed.
    virtual EntryStatus status(const std::string& path) const = 0;
    // The path a link names, a relative one taken from the link's folder.
    virtual std::string linkTarget(const std::string& path) const = 0;
    // Whether the running user may write that existing file.
    virtual bool mayWrite(const std::string& path) const = 0;
    // The names in a folder; none when it cannot be listed.
    virtual std::vector<std::string> entryNames(const std::string& folder) const = 0;

    // A new file in `folder`: unnamed until nameTemporary where the system allows it, otherwise
    // made as `path`; nothing when a file of that name exists.
    virtual std::optional<Handle> createTemporary(const std::string& folder,
                                                  const std::string& path) = 0;
    // Gives a temporary made unnamed the name `path`; false when that name is taken.
    virtual bool nameTemporary(Handle file, const std::string& path) = 0;
    // An existing file for writing from its start, nothing truncated; a pipe or a device too.
    virtual Handle openForWriting(const std::string& path) = 0;
    // All of `bytes` from the current position; a write that stores nothing is "Disk full".
    virtual void write(Handle file, std::span<const std::byte> bytes) = 0;
    virtual void resize(Handle file, std::uint64_t size) = 0;
    // The permission bits of the file at `old`, and its owner where the system lets us.
    virtual void keepAttributesOf(Handle file, const std::string& old) = 0;
    virtual void sync(Handle file) = 0;
    virtual void close(Handle file) = 0;
    virtual void closeQuietly(Handle file) noexcept = 0;
    virtual void rename(const std::string& from, const std::string& to) = 0;
    // So that a rename in it survives a power cut.
    virtual void syncFolder(const std::string& folder) = 0;
    virtual void remove(const std::string& path) noexcept = 0;
};

// This system's calls.
FileCalls& systemFileCalls();

// Temporaries are named ".du2damage-", 16 hexadecimal digits and ".tmp": no user picks such a name,
// and it is as long for every target.
bool isReplacementTemporaryName(const std::string& name);

// A writer at work renames its temporary within seconds; one this old was left by a kill.
constexpr std::int64_t kStaleTemporarySeconds = 10 * 60;
// Links followed before a chain of them counts as a loop.
constexpr int kMostLinksFollowed = 40;

// Puts `bytes` in place of the file at `path`, whole or not at all. A chain of links is followed
// to the file it ends at, which is replaced, so that the links stay. The bytes go to a temporary
// file in that file's folder, synced, renamed over it, and the folder is synced; the old file's
// permission bits (and owner, where allowed) are kept. Where the folder takes no new file, or
// refuses the rename, but the file may be written, it is written in place and synced. A pipe or
// a device takes the bytes as they come. A folder is refused as "Is a folder, not a file", a file
// the user may not write as "File access denied". Stale temporaries of this naming in that folder
// are removed first.
void replaceFile(const std::string& path, std::span<const std::byte> bytes,
                 FileCalls& calls = systemFileCalls());

} // namespace dm::platform
