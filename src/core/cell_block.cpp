#include "core/cell_block.h"

namespace dm {

namespace {

std::vector<std::string> cellsOf(std::string_view line) {
    std::vector<std::string> cells;
    for (;;) {
        const auto tab = line.find('\t');
        cells.emplace_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return cells;
        line.remove_prefix(tab + 1);
    }
}

} // namespace

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
    return text;
}

CellBlock parseCellBlock(std::string_view text) {
    CellBlock block;
    for (;;) {
        const auto end = text.find_first_of("\r\n");
        block.push_back(cellsOf(text.substr(0, end)));
        if (end == std::string_view::npos)
            return block;
        const bool crlf = text.substr(end, 2) == "\r\n";
        text.remove_prefix(end + (crlf ? 2 : 1));
        if (text.empty())
            return block;
    }
}

} // namespace dm
