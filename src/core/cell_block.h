#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// A block of cell texts, rows of cells, as copied from the grid or pasted into it.
using CellBlock = std::vector<std::vector<std::string>>;

// One line of a block: its cells joined by tabs.
std::string cellLine(std::span<const std::string> cells);
// The copied text: the lines joined by CR LF, with no line break after the last.
std::string formatCellBlock(const CellBlock& block);
// The pasted text: a line ends at CR LF, LF or CR, and a line break at the very end starts no
// line of its own; cells are split at tabs and kept as written. Empty text is one empty cell.
CellBlock parseCellBlock(std::string_view text);

} // namespace dm
