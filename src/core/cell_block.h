#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// A block of cell texts, rows of cells, as copied from the grid or pasted into it.
using CellBlock = std::vector<std::vector<std::string>>;

// One line of a block: its cells joined by tabs.
std::string cellLine(std::span<const std::string> cells);
// The copied text: the lines joined by CR LF. A last line that is empty ends in CR LF too, so
// that pasting the text gives it back.
std::string formatCellBlock(const CellBlock& block);

// Where one pasted cell lies in its text.
struct CellSpan {
    std::size_t offset;
    std::size_t length;
};
using CellSpans = std::vector<std::vector<CellSpan>>;

constexpr std::size_t kAllCells = std::numeric_limits<std::size_t>::max();

// The cells of a pasted text, UTF-8 or UTF-16: a line ends at CR LF, LF or CR, and a line break
// at the very end starts no line of its own; cells are split at tabs and kept as written. Empty
// text is one empty cell. Only the first `rows` lines and the first `columns` cells of each are
// split out, so that a paste costs no more than what it can fill.
template <typename Char>
CellSpans pastedCells(std::basic_string_view<Char> text, std::size_t rows = kAllCells,
                      std::size_t columns = kAllCells);

// The pasted text's cells themselves.
CellBlock parseCellBlock(std::string_view text, std::size_t rows = kAllCells,
                         std::size_t columns = kAllCells);

} // namespace dm
