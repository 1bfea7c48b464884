#include "diff.h"

#include "core/cell_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>

namespace dmtool {

namespace {

// Runs of differing bytes over the length both sides have; offsets count from `base`.
Json byteRuns(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
              std::uint64_t base) {
    Json runs = Json::array();
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i])
            continue;
        const std::size_t start = i;
        while (i < common && a[i] != b[i])
            ++i;
        runs.push_back({{"offset", base + start}, {"length", i - start}});
    }
    return runs;
}

std::string bitsText(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(bits));
    return text;
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

Json fieldChange(int slot, const dm::FieldDef& field, const FileImage& a, const FileImage& b,
                 const std::string& cellA, const std::string& cellB) {
    Json change = {{"slot", slot}, {"part", dm::kSlotNames[slot]}, {"field", field.name}};
    if (field.type == dm::FieldType::Byte) {
        change["a"] = unsigned{a.table[slot].*field.byteField};
        change["b"] = unsigned{b.table[slot].*field.byteField};
    } else {
        change["a"] = floatValue(a.table[slot].*field.floatField);
        change["b"] = floatValue(b.table[slot].*field.floatField);
    }
    change["a_cell"] = cellA;
    change["b_cell"] = cellB;
    if (field.type == dm::FieldType::Float) {
        change["a_bits"] = bitsText(a.table[slot].*field.floatField);
        change["b_bits"] = bitsText(b.table[slot].*field.floatField);
    }
    return change;
}

bool differs(const dm::PartRecord& a, const dm::PartRecord& b, const dm::FieldDef& field) {
    return field.type == dm::FieldType::Byte ? a.*field.byteField != b.*field.byteField
                                             : !sameBits(a.*field.floatField, b.*field.floatField);
}

std::string countOfBytes(std::uint64_t count, const char* between = "") {
    return std::to_string(count) + " " + between + (count == 1 ? "byte" : "bytes");
}

void appendRunLines(std::string& out, const Json& runs, const char* where) {
    for (const Json& run : runs) {
        const auto length = run["length"].get<std::uint64_t>();
        out += std::string(where) + ": " + countOfBytes(length) +
               (length == 1 ? " differs" : " differ") + " at offset " +
               std::to_string(run["offset"].get<std::uint64_t>()) + "\n";
    }
}

// A value as dump writes it; a NaN with its bits, since NaNs differ only there.
std::string exactValue(const Json& value, const Json& bits) {
    if (value == "nan")
        return "nan(" + bits.get<std::string>() + ")";
    return value.is_string() ? value.get<std::string>() : jsonFloat(value.get<float>());
}

} // namespace

Json compareFiles(const std::string& nameA, const FileImage& a, const std::string& nameB,
                  const FileImage& b, std::string_view decimalSeparator) {
    const dm::CellTexts cellsA = dm::fillCells(a.table, decimalSeparator);
    const dm::CellTexts cellsB = dm::fillCells(b.table, decimalSeparator);
    Json fields = Json::array();
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        for (const dm::FieldDef& field : dm::kFields)
            if (differs(a.table[slot], b.table[slot], field))
                fields.push_back(fieldChange(slot, field, a, b, cellsA[slot][field.column - 1],
                                             cellsB[slot][field.column - 1]));
    Json differences = {{"a", nameA}, {"b", nameB}};
    differences["header"] = byteRuns(a.header, b.header, 0);
    differences["fields"] = std::move(fields);
    differences["trailing"] = byteRuns(a.trailing, b.trailing, dm::kRecordsEnd);
    differences["trailing_bytes"] = {{"a", a.trailing.size()}, {"b", b.trailing.size()}};
    differences["same"] = differences["header"].empty() && differences["fields"].empty() &&
                          differences["trailing"].empty() && a.trailing.size() == b.trailing.size();
    return differences;
}

std::string differenceLines(const Json& differences) {
    std::string out;
    appendRunLines(out, differences["header"], "Header");
    for (const Json& change : differences["fields"]) {
        out += change["part"].get<std::string>() + " (" +
               std::to_string(change["slot"].get<int>()) + ") " +
               change["field"].get<std::string>() + ": " + change["a_cell"].get<std::string>() +
               " -> " + change["b_cell"].get<std::string>();
        if (change["a_cell"] == change["b_cell"])
            out += " (same text; exact values " + exactValue(change["a"], change["a_bits"]) +
                   " -> " + exactValue(change["b"], change["b_bits"]) + ")";
        out += '\n';
    }
    appendRunLines(out, differences["trailing"], "After the records");
    const auto countA = differences["trailing_bytes"]["a"].get<std::uint64_t>();
    const auto countB = differences["trailing_bytes"]["b"].get<std::uint64_t>();
    if (countA != countB)
        out += std::string(countA > countB ? "A" : "B") + " has " +
               countOfBytes(countA > countB ? countA - countB : countB - countA, "more ") +
               " after the records\n";
    return out;
}

} // namespace dmtool
