#pragma once

#include "core/damage_file.h"
#include "core/errors.h"
#include "core/number_text.h"

#include <array>
#include <string>
#include <string_view>

namespace dm {

// Cell texts of the value columns, [slot][column - 1] for grid columns 1 to 22.
using CellTexts = std::array<std::array<std::string, kFieldCount>, kSlotCount>;

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
