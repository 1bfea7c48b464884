#pragma once

#include "core/damage_file.h"
#include "core/errors.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// Cell texts of the value columns, [slot][column - 1] for grid columns 1 to 22.
using CellTexts = std::array<std::array<std::string, kFieldCount>, kSlotCount>;

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

// The 22 texts of every slot, exactly as the editor's fill writes them.
CellTexts fillCells(const PartTable& table, std::string_view decimalSeparator);

// A cell that stopped a save: its message, grid row (1 to 30) and grid column (1 to 22).
class CellParseError : public ConvertError {
public:
    CellParseError(const ConvertError& cause, int row, int column)
        : ConvertError(cause.what()), row_(row), column_(column) {}
    int row() const { return row_; }
    int column() const { return column_; }

private:
    int row_;
    int column_;
};

// Parses every cell into a new table before anything is stored. A cell whose text equals the
// text last filled into it keeps the value `current` holds. Cells are visited row by row in
// field order; the first bad cell raises CellParseError.
PartTable parseCells(const CellTexts& texts, const CellTexts& lastFilled, const PartTable& current,
                     std::string_view decimalSeparator);

} // namespace dm
