#pragma once

#include "json_document.h"

#include "core/damage_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dmtool {

// A damage file read whole: header, records and the bytes after them.
struct FileImage {
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    std::vector<std::uint8_t> trailing;
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
