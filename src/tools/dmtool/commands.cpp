#include "commands.h"

#include "dump_document.h"

#include "core/cell_block.h"
#include "core/cell_text.h"
#include "core/errors.h"
#include "core/message_text.h"
#include "core/part_slots.h"

#include "core/platform/system.h"

#include <array>
#include <cstddef>

namespace dmtool {

namespace {

// The 30 lines of `cells`: the 22 texts of each slot in grid column order, joined as the grid
// copies them.
std::string formatCellLines(const dm::PartTable& table, std::string_view decimalSeparator) {
    const dm::CellTexts texts = dm::fillCells(table, decimalSeparator);
    std::string out;
    out.reserve(dm::kSlotCount * dm::kFieldCount * 8);
    for (const auto& row : texts) {
        out += dm::cellLine(row);
        out += '\n';
    }
    return out;
}

// Splits 30 lines of 22 tab-separated texts; texts are kept as written, blanks included.
// A CRLF line end counts as a line end. Raises dm::DamageError when the shape is wrong.
dm::CellTexts splitCellLines(std::string_view text) {
    dm::CellTexts texts;
    int row = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (row < dm::kSlotCount) {
            int column = 0;
            for (std::size_t start = 0;; ++column) {
                const auto tab = line.find('\t', start);
                if (column < dm::kFieldCount)
                    texts[row][column] = std::string(line.substr(start, tab - start));
                if (tab == std::string_view::npos)
                    break;
                start = tab + 1;
            }
            if (column + 1 != dm::kFieldCount)
                throw dm::DamageError("Line " + std::to_string(row + 1) +
                                      " of the cell texts holds " + std::to_string(column + 1) +
                                      " cells, " + std::to_string(dm::kFieldCount) + " expected");
        }
        ++row;
    }
    if (row != dm::kSlotCount)
        throw dm::DamageError("The cell texts hold " + std::to_string(row) + " lines, " +
                              std::to_string(dm::kSlotCount) + " expected");
    return texts;
}

// Parses edited texts against the table they were filled from; texts still as `cells` prints
// them keep their exact values. A bad cell raises dm::DamageError naming its row and column.
dm::PartTable applyCellTexts(const dm::CellTexts& texts, const dm::PartTable& current,
                             std::string_view decimalSeparator) {
    const dm::CellTexts lastFilled = dm::fillCells(current, decimalSeparator);
    try {
        return dm::parseCells(texts, lastFilled, current, decimalSeparator);
    } catch (const dm::CellParseError& error) {
        throw dm::ConvertError("row " + std::to_string(error.row()) + " (" +
                               dm::kPartSlots[error.row() - 1].name + "), column " +
                               dm::kColumnCaptions[error.column()] + ": " + error.what());
    }
}

// Two files take part in a load: its file errors say which one failed.
template <typename Work> void namingFileErrors(const std::string& path, Work work) {
    try {
        work();
    } catch (const dm::IoError& error) {
        throw dm::IoError(error.code(), dm::escapedText(path) + ": " + error.what());
    }
}

} // namespace

FileImage readFileImage(const std::string& path) {
    FileImage image;
    dm::readDamageFile(path, image.header, image.table);
    image.file.emplace(path, dm::platform::OpenMode::Read);
    const std::uint64_t size = image.file->size();
    image.trailingBytes = size > dm::kRecordsEnd ? size - dm::kRecordsEnd : 0;
    return image;
}

std::string cellsCommand(const std::string& path, std::string_view decimalSeparator) {
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    dm::readDamageFile(path, header, table);
    return formatCellLines(table, decimalSeparator);
}

void applyCommand(const std::string& path, std::string_view cellLines,
                  std::string_view decimalSeparator) {
    dm::DamageFileHeader header{};
    dm::PartTable current{};
    dm::readDamageFile(path, header, current);
    const dm::PartTable edited =
        applyCellTexts(splitCellLines(cellLines), current, decimalSeparator);
    dm::updateDamageFile(path, header, edited);
}

Json dumpCommand(const std::string& path) {
    const FileImage image = readFileImage(path);
    return dumpDocument(image.header, image.table, image.trailingBytes);
}

void loadCommand(const std::string& path, std::string_view jsonText, bool withHeader) {
    const Json document = parseJson(jsonText);
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    namingFileErrors(path, [&] { dm::readDamageFile(path, header, table); });
    loadDumpDocument(document, withHeader, header, table);
    namingFileErrors(path, [&] { dm::updateDamageFile(path, header, table); });
}

} // namespace dmtool
