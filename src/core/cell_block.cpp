#include "core/cell_block.h"

#include <algorithm>

namespace dm {

std::string cellLine(std::span<const std::string> cells) {
    std::string line;
    for (const std::string& cell : cells) {
        if (&cell != cells.data())
            line += '\t';
        line += cell;
    }
    return line;
}

std::string formatCellBlock(const CellBlock& block) {
    std::string text;
    for (const auto& row : block) {
        if (&row != block.data())
            text += "\r\n";
        text += cellLine(row);
    }
    // A text that ended in an empty line would lose it: a line break at the end starts none.
    if (!block.empty() && cellLine(block.back()).empty())
        text += "\r\n";
    return text;
}

template <typename Char>
CellSpans pastedCells(std::basic_string_view<Char> text, std::size_t rows, std::size_t columns) {
    constexpr Char kLineEnds[] = {Char('\r'), Char('\n')};
    const std::basic_string_view<Char> lineEnds(kLineEnds, 2);
    CellSpans lines;
    std::size_t start = 0;
    while (lines.size() < rows) {
        const std::size_t end = std::min(text.find_first_of(lineEnds, start), text.size());
        const std::basic_string_view<Char> line = text.substr(0, end);
        std::vector<CellSpan>& cells = lines.emplace_back();
        for (std::size_t cell = start; cells.size() < columns;) {
            const std::size_t tab = std::min(line.find(Char('\t'), cell), end);
            cells.push_back({cell, tab - cell});
            if (tab == end)
                break;
            cell = tab + 1;
        }
        if (end == text.size())
            break;
        start = end + (text.substr(end, 2) == lineEnds ? 2 : 1);
        if (start == text.size())
            break;
    }
    return lines;
}

template CellSpans pastedCells(std::basic_string_view<char>, std::size_t, std::size_t);
template CellSpans pastedCells(std::basic_string_view<char16_t>, std::size_t, std::size_t);

CellBlock parseCellBlock(std::string_view text, std::size_t rows, std::size_t columns) {
    CellBlock block;
    for (const std::vector<CellSpan>& line : pastedCells(text, rows, columns)) {
        std::vector<std::string>& cells = block.emplace_back();
        for (const CellSpan& cell : line)
            cells.emplace_back(text.substr(cell.offset, cell.length));
    }
    return block;
}

} // namespace dm
