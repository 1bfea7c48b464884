#include "diff.h"

#include "core/part_slots.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <ostream>
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

std::string runLine(const ByteRun& run, const char* where) {
    return std::string(where) + ": " + byteCount(run.length) +
           (run.length == 1 ? " differs" : " differ") + " at offset " + std::to_string(run.offset) +
           "\n";
}

Json runDocument(const ByteRun& run) {
    return {{"offset", run.offset}, {"length", run.length}};
}

Json runsDocument(const std::vector<ByteRun>& runs) {
    Json document = Json::array();
    for (const ByteRun& run : runs)
        document.push_back(runDocument(run));
    return document;
}

Json fieldValue(const dm::PartRecord& record, const dm::FieldDef& field) {
    if (field.type == dm::FieldType::Byte)
        return unsigned{record.*field.byteField};
    return floatValue(record.*field.floatField);
}

// Fills `bytes` from `offset` on as far as the file goes; the count it got.
std::size_t readFrom(const dm::platform::SystemFile& file, std::uint64_t offset,
                     std::span<std::byte> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t got = file.readAt(static_cast<std::int64_t>(offset + done),
                                            bytes.data() + done, bytes.size() - done);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

Json fieldsDocument(const Comparison& comparison) {
    Json fields = Json::array();
    for (const auto& [slot, field] : comparison.differences.fields) {
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
    return fields;
}

std::string indent(int depth) {
    return std::string(2 * std::size_t(depth), ' ');
}

} // namespace

bool Differences::same() const {
    return header.empty() && fields.empty() && !trailingDiffers && trailingA == trailingB;
}

Differences compareImages(const FileImage& a, const FileImage& b) {
    Differences differences;
    differences.header = byteRuns(a.header, b.header, 0);
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        for (const dm::FieldDef& field : dm::kFields)
            if (differs(a.table[slot], b.table[slot], field))
                differences.fields.push_back({slot, &field});
    forEachTrailingRun(a, b, [&](const ByteRun&) { return !(differences.trailingDiffers = true); });
    differences.trailingA = a.trailingBytes;
    differences.trailingB = b.trailingBytes;
    return differences;
}

void forEachTrailingRun(const FileImage& a, const FileImage& b,
                        const std::function<bool(const ByteRun&)>& each) {
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    std::vector<std::byte> piecesA(kPiece);
    std::vector<std::byte> piecesB(kPiece);
    std::optional<std::uint64_t> runStart; // a run may go on into the next piece
    for (std::uint64_t offset = dm::kRecordsEnd;;) {
        const std::size_t common =
            std::min(readFrom(*a.file, offset, piecesA), readFrom(*b.file, offset, piecesB));
        for (std::size_t i = 0; i < common; ++i) {
            const bool differ = piecesA[i] != piecesB[i];
            if (differ && !runStart) {
                runStart = offset + i;
            } else if (!differ && runStart) {
                if (!each({*runStart, offset + i - *runStart}))
                    return;
                runStart.reset();
            }
        }
        offset += common;
        if (common < kPiece) {
            if (runStart)
                each({*runStart, offset - *runStart});
            return;
        }
    }
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

void writeDifferenceLines(std::ostream& out, const Comparison& comparison) {
    const Differences& differences = comparison.differences;
    for (const ByteRun& run : differences.header)
        out << runLine(run, "Header");
    for (const auto& [slot, field] : differences.fields) {
        const std::string& cellA = comparison.cellsA[slot][field->column - 1];
        const std::string& cellB = comparison.cellsB[slot][field->column - 1];
        out << dm::kPartSlots[slot].name << " (" << slot << ") " << field->name << ": " << cellA
            << " -> " << cellB;
        if (cellA == cellB) // only floats: differing bytes always show differing texts
            out << " (same text; exact values "
                << exactValue(comparison.a.table[slot].*field->floatField) << " -> "
                << exactValue(comparison.b.table[slot].*field->floatField) << ")";
        out << '\n';
    }
    forEachTrailingRun(comparison.a, comparison.b, [&](const ByteRun& run) {
        out << runLine(run, "After the records");
        return true;
    });
    const std::uint64_t countA = differences.trailingA;
    const std::uint64_t countB = differences.trailingB;
    if (countA != countB)
        out << (countA > countB ? "A" : "B") << " has "
            << byteCount(countA > countB ? countA - countB : countB - countA, "more ")
            << " after the records\n";
}

void writeDifferenceDocument(std::ostream& out, const Comparison& comparison, int depth,
                             int expandedDepth) {
    const Differences& differences = comparison.differences;
    const char* separator = "";
    const auto member = [&](const char* key, const Json& value) {
        out << separator << '\n'
            << indent(depth + 1) << formatJsonValue(Json(key), 0, 0) << ": "
            << formatJsonValue(value, depth + 1, expandedDepth);
        separator = ",";
    };
    out << '{';
    member("a", comparison.nameA);
    member("b", comparison.nameB);
    member("header", runsDocument(differences.header));
    member("fields", fieldsDocument(comparison));
    out << ",\n" << indent(depth + 1) << "\"trailing\": ";
    bool anyRun = false;
    forEachTrailingRun(comparison.a, comparison.b, [&](const ByteRun& run) {
        out << (anyRun ? "," : "[") << '\n'
            << indent(depth + 2) << formatJsonValue(runDocument(run), depth + 2, expandedDepth);
        anyRun = true;
        return true;
    });
    out << (anyRun ? "\n" + indent(depth + 1) + "]" : std::string("[]"));
    member("trailing_bytes", {{"a", differences.trailingA}, {"b", differences.trailingB}});
    member("same", differences.same());
    out << '\n' << indent(depth) << '}';
}

} // namespace dmtool
