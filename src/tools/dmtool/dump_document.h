#pragma once

// The JSON shape of one damage file, written by `dump` and read back by `load`: both sides live
// here so that they cannot drift apart.

#include "json_document.h"

#include "core/damage_file.h"

#include <cstdint>

namespace dmtool {

// Containers of a dump document nested less deep than this stand one member per line.
constexpr int kDumpExpandedDepth = 2;

// The header as hex, every record's slot, part name and 22 fields by name, and the count of
// bytes after the records.
Json dumpDocument(const dm::DamageFileHeader& header, const dm::PartTable& table,
                  std::uint64_t trailingBytes);

// Writes the values a dump document holds over `table`, and over `header` when `withHeader`.
// Records and fields the document leaves out keep their values; "nan" keeps a NaN already there.
// Every value is checked before anything changes: a bad one raises dm::DamageError naming its
// record and field, and `header` and `table` are then as they were.
void loadDumpDocument(const Json& document, bool withHeader, dm::DamageFileHeader& header,
                      dm::PartTable& table);

} // namespace dmtool
