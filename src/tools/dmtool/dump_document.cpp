#include "dump_document.h"

#include "core/errors.h"
#include "core/message_text.h"
#include "core/part_slots.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace dmtool {

namespace {

constexpr const char* kHeaderKey = "header";
constexpr const char* kRecordsKey = "records";
constexpr const char* kTrailingKey = "trailing_bytes";
constexpr const char* kSlotKey = "slot";
constexpr const char* kPartKey = "part";
constexpr const char* kFieldsKey = "fields";

constexpr char kHexDigits[] = "0123456789abcdef";

[[noreturn]] void fail(const std::string& message) {
    throw dm::DamageError(message);
}

std::string shown(const Json& value) {
    return dm::messageText(value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

std::string recordName(int slot) {
    return "slot " + std::to_string(slot) + " (" + dm::kPartSlots[slot].name + ")";
}

void rejectUnknownMembers(const Json& object, std::initializer_list<std::string_view> known,
                          const std::string& where) {
    for (const auto& member : object.items())
        if (std::find(known.begin(), known.end(), member.key()) == known.end())
            fail("Unknown member '" + dm::messageText(member.key()) + "' in " + where);
}

dm::DamageFileHeader parseHeader(const Json& value) {
    dm::DamageFileHeader header{};
    const std::string* text = value.get_ptr<const std::string*>();
    bool valid = text != nullptr && text->size() == 2 * header.size();
    for (std::size_t i = 0; valid && i < header.size(); ++i) {
        const char* digits = text->data() + 2 * i;
        const auto [end, error] = std::from_chars(digits, digits + 2, header[i], 16);
        valid = error == std::errc() && end == digits + 2;
    }
    if (!valid)
        fail("The header is not " + std::to_string(2 * header.size()) + " hexadecimal digits");
    return header;
}

// Whole numbers from -128 to 255; negatives wrap as in the editor's byte cells.
std::optional<std::uint8_t> byteValue(const Json& value) {
    if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 255)
        return static_cast<std::uint8_t>(value.get<std::uint64_t>());
    if (value.is_number_integer() && !value.is_number_unsigned() &&
        value.get<std::int64_t>() >= -128)
        return static_cast<std::uint8_t>(value.get<std::int64_t>());
    return std::nullopt;
}

std::optional<float> floatValueOf(const Json& value, float current) {
    if (value.is_number_float()) // the parser refuses numbers beyond the float range
        return value.get<float>();
    if (value.is_number_unsigned())
        return static_cast<float>(value.get<std::uint64_t>());
    // A signed integer zero comes only from "-0", which dump writes for the float -0.
    if (value.is_number_integer())
        return value == 0 ? -0.0f : static_cast<float>(value.get<std::int64_t>());
    if (value == "inf" || value == "-inf")
        return value == "inf" ? std::numeric_limits<float>::infinity()
                              : -std::numeric_limits<float>::infinity();
    if (value == "nan")
        return std::isnan(current) ? current : std::numeric_limits<float>::quiet_NaN();
    return std::nullopt;
}

// A record names its slot by number, by part name, or by both when they agree.
int slotOf(const Json& record, const std::string& where) {
    std::optional<int> slot;
    if (const auto number = record.find(kSlotKey); number != record.end()) {
        if (!number->is_number_integer() || number->get<std::int64_t>() < 0 ||
            number->get<std::int64_t>() >= dm::kSlotCount)
            fail(where + ": unknown slot " + shown(*number));
        slot = number->get<int>();
    }
    if (const auto part = record.find(kPartKey); part != record.end()) {
        const auto* name = part->get_ptr<const std::string*>();
        const auto found =
            std::find_if(dm::kPartSlots.begin(), dm::kPartSlots.end(),
                         [&](const dm::PartSlot& known) { return name && *name == known.name; });
        if (found == dm::kPartSlots.end())
            fail(where + ": unknown part " + shown(*part));
        const int named = static_cast<int>(found - dm::kPartSlots.begin());
        if (slot && *slot != named)
            fail(where + ": slot " + std::to_string(*slot) + " is " + dm::kPartSlots[*slot].name +
                 ", not " + *name);
        slot = named;
    }
    if (!slot)
        fail(where + " names neither a slot nor a part");
    return *slot;
}

void loadFields(const Json& fields, int slot, dm::PartRecord& record) {
    if (!fields.is_object())
        fail(recordName(slot) + ": the fields are not an object");
    for (const auto& member : fields.items()) {
        const auto field =
            std::find_if(dm::kFields.begin(), dm::kFields.end(),
                         [&](const dm::FieldDef& known) { return member.key() == known.name; });
        if (field == dm::kFields.end())
            fail(recordName(slot) + ": unknown field '" + dm::messageText(member.key()) + "'");
        // Messages are made only on failure: most documents hold hundreds of good values.
        const auto failValue = [&](const char* problem) {
            fail(recordName(slot) + ", field " + field->name + ": " + shown(member.value()) +
                 problem);
        };
        if (field->type == dm::FieldType::Byte) {
            const auto byte = byteValue(member.value());
            if (!byte)
                failValue(" is not a byte value (-128 to 255)");
            record.*field->byteField = *byte;
        } else {
            const auto number = floatValueOf(member.value(), record.*field->floatField);
            if (!number)
                failValue(" is not a number");
            record.*field->floatField = *number;
        }
    }
}

void loadRecords(const Json& records, dm::PartTable& table) {
    if (!records.is_array())
        fail("The records are not an array");
    std::array<bool, dm::kSlotCount> seen{};
    for (std::size_t index = 0; index < records.size(); ++index) {
        const Json& record = records[index];
        const std::string where = "records[" + std::to_string(index) + "]";
        if (!record.is_object())
            fail(where + " is not an object");
        rejectUnknownMembers(record, {kSlotKey, kPartKey, kFieldsKey}, where);
        const int slot = slotOf(record, where);
        if (seen[slot])
            fail(where + ": " + recordName(slot) + " is given twice");
        seen[slot] = true;
        if (const auto fields = record.find(kFieldsKey); fields != record.end())
            loadFields(*fields, slot, table[slot]);
    }
}

} // namespace

Json dumpDocument(const dm::DamageFileHeader& header, const dm::PartTable& table,
                  std::uint64_t trailingBytes) {
    std::string headerHex;
    for (const std::uint8_t byte : header) {
        headerHex += kHexDigits[byte >> 4];
        headerHex += kHexDigits[byte & 0xF];
    }
    Json records = Json::array();
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        Json fields = Json::object();
        for (const dm::FieldDef& field : dm::kFields)
            fields[field.name] = field.type == dm::FieldType::Byte
                                     ? Json(unsigned{table[slot].*field.byteField})
                                     : floatValue(table[slot].*field.floatField);
        Json record = Json::object();
        record[kSlotKey] = slot;
        record[kPartKey] = dm::kPartSlots[slot].name;
        record[kFieldsKey] = std::move(fields);
        records.push_back(std::move(record));
    }
    Json document = Json::object();
    document[kHeaderKey] = headerHex;
    document[kRecordsKey] = std::move(records);
    document[kTrailingKey] = trailingBytes;
    return document;
}

void loadDumpDocument(const Json& document, bool withHeader, dm::DamageFileHeader& header,
                      dm::PartTable& table) {
    if (!document.is_object())
        fail("The document is not an object as 'dmtool dump' writes it");
    rejectUnknownMembers(document, {kHeaderKey, kRecordsKey, kTrailingKey}, "the document");
    dm::DamageFileHeader loadedHeader = header;
    if (withHeader) {
        const auto given = document.find(kHeaderKey);
        if (given == document.end())
            fail("The document holds no header");
        loadedHeader = parseHeader(*given);
    }
    dm::PartTable loadedTable = table;
    if (const auto records = document.find(kRecordsKey); records != document.end())
        loadRecords(*records, loadedTable);
    header = loadedHeader;
    table = loadedTable;
}

} // namespace dmtool
