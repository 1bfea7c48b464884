#pragma once

#include <string>
#include <string_view>

namespace dmtool {

// Shortest decimal text that reads back to the same float32; "inf", "-inf", "nan" as strings.
std::string jsonFloat(float value);

// The commands proper, on file names. They raise dm::DamageError on any file or data error.
std::string cellsCommand(const std::string& path, std::string_view decimalSeparator);
void applyCommand(const std::string& path, std::string_view cellLines,
                  std::string_view decimalSeparator);
std::string dumpCommand(const std::string& path);

} // namespace dmtool
