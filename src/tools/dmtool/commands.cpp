#include "commands.h"

#include "core/cell_text.h"
#include "core/damage_file.h"
#include "core/errors.h"
#include "core/part_slots.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace dmtool {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendFieldValue(std::string& out, const dm::PartRecord& record, const dm::FieldDef& field) {
    if (field.type == dm::FieldType::Byte)
        out += std::to_string(record.*field.byteField);
    else
        out += jsonFloat(record.*field.floatField);
}

// The 30 lines of `cells`: 22 tab-separated texts per slot in grid column order.
std::string formatCellLines(const dm::PartTable& table, std::string_view decimalSeparator) {
    const dm::CellTexts texts = dm::fillCells(table, decimalSeparator);
    std::string out;
    out.reserve(dm::kSlotCount * dm::kFieldCount * 8);
    for (const auto& row : texts) {
        for (int column = 0; column < dm::kFieldCount; ++column) {
            if (column > 0)
                out += '\t';
            out += row[column];
        }
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

// The whole file as JSON: header as hex, records by field name, count of bytes after 2110.
std::string dumpJson(const dm::DamageFileHeader& header, const dm::PartTable& table,
                     std::uint64_t trailingBytes) {
    std::string out = "{\n  \"header\": \"";
    for (const std::uint8_t byte : header) {
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 0xF];
    }
    out += "\",\n  \"records\": [\n";
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        out += "    {\"slot\": " + std::to_string(slot) + ", \"part\": ";
        appendJsonString(out, dm::kPartSlots[slot].name);
        out += ", \"fields\": {";
        for (const dm::FieldDef& field : dm::kFields) {
            if (&field != &dm::kFields.front())
                out += ", ";
            appendJsonString(out, field.name);
            out += ": ";
            appendFieldValue(out, table[slot], field);
        }
        out += slot + 1 < dm::kSlotCount ? "}},\n" : "}}\n";
    }
    out += "  ],\n  \"trailing_bytes\": " + std::to_string(trailingBytes) + "\n}\n";
    return out;
}

} // namespace

std::string jsonFloat(float value) {
    if (std::isnan(value))
        return "\"nan\"";
    if (std::isinf(value))
        return value > 0 ? "\"inf\"" : "\"-inf\"";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
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
    dm::writeRecordsInPlace(path, edited);
}

std::string dumpCommand(const std::string& path) {
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    dm::readDamageFile(path, header, table);
    const std::uint64_t size = dm::damageFileSize(path);
    return dumpJson(header, table, size > dm::kRecordsEnd ? size - dm::kRecordsEnd : 0);
}

} // namespace dmtool
