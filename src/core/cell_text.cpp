#include "core/cell_text.h"

#include "core/number_text.h"

namespace dm {

namespace {

// Unsigned byte as a plain decimal number.
std::string formatByteCell(std::uint8_t value) {
    return std::to_string(value);
}

std::string formatField(const PartRecord& record, const FieldDef& field,
                        std::string_view decimalSeparator) {
    if (field.type == FieldType::Byte)
        return formatByteCell(record.*field.byteField);
    return formatFloatCell(record.*field.floatField, field.precision, field.decimals,
                           decimalSeparator);
}

} // namespace

CellTexts fillCells(const PartTable& table, std::string_view decimalSeparator) {
    CellTexts texts;
    for (int slot = 0; slot < kSlotCount; ++slot)
        for (const FieldDef& field : kFields)
            texts[slot][field.column - 1] = formatField(table[slot], field, decimalSeparator);
    return texts;
}

PartTable parseCells(const CellTexts& texts, const CellTexts& lastFilled, const PartTable& current,
                     std::string_view decimalSeparator) {
    PartTable parsed = current;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        for (const FieldDef& field : kFields) {
            const std::string& text = texts[slot][field.column - 1];
            if (text == lastFilled[slot][field.column - 1])
                continue;
            try {
                if (field.type == FieldType::Byte)
                    parsed[slot].*field.byteField = parseByteCell(text);
                else
                    parsed[slot].*field.floatField = parseFloatCell(text, decimalSeparator);
            } catch (const ConvertError& error) {
                throw CellParseError(error, slot + 1, field.column);
            }
        }
    }
    return parsed;
}

} // namespace dm
