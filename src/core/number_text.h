#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// The texts of numbers in cells and settings, and their grammars.

// Fixed-point text with at most `precision` significant digits and `decimals` decimals.
std::string formatFloatCell(float value, int precision, int decimals,
                            std::string_view decimalSeparator);

// Integer grammar: leading spaces, sign, decimal or "$" / "x" / "0x" hexadecimal, 32-bit range.
// Raises ConvertError "'%s' is not a valid integer value".
std::int32_t parseIntegerCell(const std::string& text);
// Integer grammar, then -128 to 255 ("'%s' is not a valid byte value"); negatives wrap.
std::uint8_t parseByteCell(const std::string& text);
// Float grammar, converted in extended precision and rounded to float32. Raises ConvertError
// "'%s' is not a valid floating point value" or "Floating point overflow".
float parseFloatCell(const std::string& text, std::string_view decimalSeparator);

} // namespace dm
