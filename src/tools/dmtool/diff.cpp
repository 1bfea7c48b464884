#include "diff.h"

#include "core/part_slots.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>

namespace dmtool {

namespace {

// Runs of differing bytes over the length both sides have; offsets count from `base`.
std::vector<ByteRun> byteRuns(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                              std::uint64_t base) {
    std::vector<ByteRun> runs;
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i])
            continue;
        const std::size_t start = i;
        while (i < common && a[i] != b[i])
            ++i;
        runs.push_back({base + start, i - start});
    }
    return runs;
}

bool differs(const dm::PartRecord& a, const dm::PartRecord& b, const dm::FieldDef& field) {
    if (field.type == dm::FieldType::Byte)
        return a.*field.byteField != b.*field.byteField;
    return std::memcmp(&(a.*field.floatField), &(b.*field.floatField), sizeof(float)) != 0;
}

std::string bitsText(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(bits));
    return text;
}

// A float as dump writes it, without quotes; a NaN with its bits, since NaNs differ only there.
std::string exactValue(float value) {
    if (std::isnan(value))
        return "nan(" + bitsText(value) + ")";
    const std::string text = jsonFloat(value);
    return text.starts_with('"') ? text.substr(1, text.size() - 2) : text;
}

std::string byteCount(std::uint64_t count, const char* between = "") {
    return std::to_string(count) + " " + between + (count == 1 ? "byte" : "bytes");
}

void appendRunLines(std::string& out, const std::vector<ByteRun>& runs, const char* where) {
    for (const ByteRun& run : runs)
        out += std::string(where) + ": " + byteCount(run.length) +
               (run.length == 1 ? " differs" : " differ") + " at offset " +
               std::to_string(run.offset) + "\n";
}

Json runsDocument(const std::vector<ByteRun>& runs) {
    Json document = Json::array();
    for (const ByteRun& run : runs)
        document.push_back({{"offset", run.offset}, {"length", run.length}});
    return document;
}

Json fieldValue(const dm::PartRecord& record, const dm::FieldDef& field) {
    if (field.type == dm::FieldType::Byte)
        return unsigned{record.*field.byteField};
    return floatValue(record.*field.floatField);
}

} // namespace

bool Differences::same() const {
    return header.empty() && fields.empty() && trailing.empty() && trailingA == trailingB;
}

Differences compareImages(const FileImage& a, const FileImage& b) {
    Differences differences;
    differences.header = byteRuns(a.header, b.header, 0);
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        for (const dm::FieldDef& field : dm::kFields)
            if (differs(a.table[slot], b.table[slot], field))
                differences.fields.push_back({slot, &field});
    differences.trailing = byteRuns(a.trailing, b.trailing, dm::kRecordsEnd);
    differences.trailingA = a.trailing.size();
    differences.trailingB = b.trailing.size();
    return differences;
}

Comparison compareFiles(std::string nameA, const FileImage& a, std::string nameB,
                        const FileImage& b, std::string_view decimalSeparator) {
    return {std::move(nameA),
            std::move(nameB),
            a,
            b,
            dm::fillCells(a.table, decimalSeparator),
            dm::fillCells(b.table, decimalSeparator),
            compareImages(a, b)};
}

std::string differenceLines(const Comparison& comparison) {
    const Differences& differences = comparison.differences;
    std::string out;
    appendRunLines(out, differences.header, "Header");
    for (const auto& [slot, field] : differences.fields) {
        const std::string& cellA = comparison.cellsA[slot][field->column - 1];
        const std::string& cellB = comparison.cellsB[slot][field->column - 1];
        out += std::string(dm::kPartSlots[slot].name) + " (" + std::to_string(slot) + ") " +
               field->name + ": " + cellA + " -> " + cellB;
        if (cellA == cellB) // only floats: differing bytes always show differing texts
            out += " (same text; exact values " +
                   exactValue(comparison.a.table[slot].*field->floatField) + " -> " +
                   exactValue(comparison.b.table[slot].*field->floatField) + ")";
        out += '\n';
    }
    appendRunLines(out, differences.trailing, "After the records");
    const std::uint64_t countA = differences.trailingA;
    const std::uint64_t countB = differences.trailingB;
    if (countA != countB)
        out += std::string(countA > countB ? "A" : "B") + " has " +
               byteCount(countA > countB ? countA - countB : countB - countA, "more ") +
               " after the records\n";
    return out;
}

Json differenceDocument(const Comparison& comparison) {
    const Differences& differences = comparison.differences;
    Json fields = Json::array();
    for (const auto& [slot, field] : differences.fields) {
        const dm::PartRecord& a = comparison.a.table[slot];
        const dm::PartRecord& b = comparison.b.table[slot];
        Json change = {{"slot", slot},
                       {"part", dm::kPartSlots[slot].name},
                       {"field", field->name},
                       {"a", fieldValue(a, *field)},
                       {"b", fieldValue(b, *field)},
                       {"a_cell", comparison.cellsA[slot][field->column - 1]},
                       {"b_cell", comparison.cellsB[slot][field->column - 1]}};
        if (field->type == dm::FieldType::Float) {
            change["a_bits"] = bitsText(a.*field->floatField);
            change["b_bits"] = bitsText(b.*field->floatField);
        }
        fields.push_back(std::move(change));
    }
    Json document = {{"a", comparison.nameA}, {"b", comparison.nameB}};
    document["header"] = runsDocument(differences.header);
    document["fields"] = std::move(fields);
    document["trailing"] = runsDocument(differences.trailing);
    document["trailing_bytes"] = {{"a", differences.trailingA}, {"b", differences.trailingB}};
    document["same"] = differences.same();
    return document;
}

} // namespace dmtool
