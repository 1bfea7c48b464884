#pragma once

#include "core/cell_text.h"
#include "core/damage_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dmtool {

// The 30 lines of `cells`: 22 tab-separated texts per slot in grid column order.
std::string formatCellLines(const dm::PartTable& table, std::string_view decimalSeparator);

// Splits 30 lines of 22 tab-separated texts; texts are kept as written, blanks included.
// A CRLF line end counts as a line end. Raises dm::DamageError when the shape is wrong.
dm::CellTexts splitCellLines(std::string_view text);

// Parses edited texts against the table they were filled from; texts still as `cells` prints
// them keep their exact values. A bad cell raises dm::DamageError naming its row and column.
dm::PartTable applyCellTexts(const dm::CellTexts& texts, const dm::PartTable& current,
                             std::string_view decimalSeparator);

// The whole file as JSON: header as hex, records by field name, count of bytes after 2110.
std::string dumpJson(const dm::DamageFileHeader& header, const dm::PartTable& table,
                     std::uint64_t trailingBytes);

// Shortest decimal text that reads back to the same float32; "inf", "-inf", "nan" as strings.
std::string jsonFloat(float value);

// The commands proper, on file names. They raise dm::DamageError on any file or data error.
std::string cellsCommand(const std::string& path, std::string_view decimalSeparator);
void applyCommand(const std::string& path, std::string_view cellLines,
                  std::string_view decimalSeparator);
std::string dumpCommand(const std::string& path);

} // namespace dmtool
