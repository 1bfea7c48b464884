#pragma once

#include "commands.h"
#include "json_document.h"

#include <string>
#include <string_view>

namespace dmtool {

// The differences between two damage files as one JSON object: the differing runs of header
// bytes and of bytes after the records (offsets in the file), every differing field with both
// values as dump writes them and as cell texts, and the counts of bytes after the records.
// "same" tells whether the files are equal byte for byte.
Json compareFiles(const std::string& nameA, const FileImage& a, const std::string& nameB,
                  const FileImage& b, std::string_view decimalSeparator);

// The differences as lines, one per differing run or field
// ("Engine #1 (22) Damage: 130 -> 150"). Fields whose cell texts agree show their exact values.
std::string differenceLines(const Json& differences);

} // namespace dmtool
