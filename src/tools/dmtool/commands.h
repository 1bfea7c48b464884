#pragma once

#include "json_document.h"

#include "core/damage_file.h"
#include "core/platform/system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dmtool {

// A damage file read: header and records; the bytes after them stay in the file, held open.
struct FileImage {
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    std::uint64_t trailingBytes = 0; // after the records
    std::optional<dm::platform::SystemFile> file;
};

// The commands proper, on file names. They raise dm::DamageError on any file or data error.
FileImage readFileImage(const std::string& path);
std::string cellsCommand(const std::string& path, std::string_view decimalSeparator);
void applyCommand(const std::string& path, std::string_view cellLines,
                  std::string_view decimalSeparator);
Json dumpCommand(const std::string& path);
// Checks every value of the document before FILE is written; FILE is untouched on failure.
void loadCommand(const std::string& path, std::string_view jsonText, bool withHeader);

} // namespace dmtool
