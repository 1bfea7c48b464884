#pragma once

#include <QString>

#include <optional>

namespace shell {

// The file attributes that mean something here: a file without owner write permission counts
// as read-only. Hidden, system and archive have no meaning on this platform.
enum FileAttribute : unsigned { faReadOnly = 0x01 };

// The file's attributes, or nothing when there is no such file.
std::optional<unsigned> fileAttributes(const QString& path);

// Clears every attribute: a read-only file gets its owner write permission back.
// False when the file is missing or its permissions cannot be changed.
bool clearFileAttributes(const QString& path);

} // namespace shell
