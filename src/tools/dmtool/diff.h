#pragma once

#include "commands.h"
#include "json_document.h"

#include "core/cell_text.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace dmtool {

// A run of differing bytes, by its offset in the file.
struct ByteRun {
    std::uint64_t offset;
    std::uint64_t length;
};

struct FieldDifference {
    int slot;
    const dm::FieldDef* field;
};

// Everything in which two damage files differ, byte for byte. The bytes after the records are
// compared as they are written out, a piece at a time, so that large files need little memory.
struct Differences {
    std::vector<ByteRun> header;
    std::vector<FieldDifference> fields;
    bool trailingDiffers = false; // over the bytes after the records that both files have
    std::uint64_t trailingA = 0;  // counts of bytes after the records
    std::uint64_t trailingB = 0;
    bool same() const;
};

Differences compareImages(const FileImage& a, const FileImage& b);

// Calls `each` for every run of differing bytes after the records, over the bytes both files
// have, in order, until it returns false.
void forEachTrailingRun(const FileImage& a, const FileImage& b,
                        const std::function<bool(const ByteRun&)>& each);

// Two files compared, with the cell texts their fields show.
struct Comparison {
    std::string nameA;
    std::string nameB;
    const FileImage& a;
    const FileImage& b;
    dm::CellTexts cellsA;
    dm::CellTexts cellsB;
    Differences differences;
};

Comparison compareFiles(std::string nameA, const FileImage& a, std::string nameB,
                        const FileImage& b, std::string_view decimalSeparator);

// One line per differing run or field ("Engine #1 (22) Damage: 130 -> 150"); a field whose
// cell texts agree shows both exact values too.
void writeDifferenceLines(std::ostream& out, const Comparison& comparison);

// The same as one JSON object, laid out as formatJson lays out a value `depth` deep: "header" and
// "trailing" runs, every differing field with both values as dump writes them, as cell texts and
// (floats) as bits, the counts of bytes after the records, and "same". No line end follows.
void writeDifferenceDocument(std::ostream& out, const Comparison& comparison, int depth,
                             int expandedDepth);

} // namespace dmtool
