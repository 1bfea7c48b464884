#include "core/damage_file.h"

#include "core/errors.h"

#include "core/platform/file_replacement.h"
#include "core/platform/system.h"

#include <algorithm>
#include <cstring>

namespace dm {

namespace {

using Record = PartRecord;

constexpr FieldDef byteField(const char* name, int offset, int column,
                             std::uint8_t Record::*field) {
    return {name, offset, FieldType::Byte, column, 0, 0, field, nullptr};
}

constexpr FieldDef floatField(const char* name, int offset, int column, int precision, int decimals,
                              float Record::*field) {
    return {name, offset, FieldType::Float, column, precision, decimals, nullptr, field};
}

constexpr int kFileNotFound = 2;
constexpr int kNoFileNamed = 102;

using platform::OpenMode;
using platform::SystemFile;

SystemFile openNamed(const std::string& path, OpenMode mode) {
    if (path.empty())
        raiseIoError(kNoFileNamed);
    return SystemFile(path, mode);
}

// Every transfer moves all its bytes or fails: a read that ends early is "Read beyond end of
// file", a write that stores nothing is "Disk full".
template <typename Transfer> void transferAll(std::size_t count, int shortCode, Transfer transfer) {
    for (std::size_t done = 0; done < count;) {
        const std::size_t moved = transfer(done);
        if (moved == 0)
            raiseIoError(shortCode);
        done += moved;
    }
}

void readExactly(const SystemFile& file, std::int64_t offset, std::uint8_t* bytes,
                 std::size_t count) {
    auto* target = reinterpret_cast<std::byte*>(bytes);
    transferAll(count, 100, [&](std::size_t done) {
        return file.readAt(offset + std::int64_t(done), target + done, count - done);
    });
}

// The whole file as it is now.
std::vector<std::uint8_t> readWhole(const SystemFile& file) {
    const std::uint64_t size = file.size();
    if (size > kMostDamageFileBytes)
        raiseIoError(kTooLargeCode);
    std::vector<std::uint8_t> bytes(size);
    readExactly(file, 0, bytes.data(), bytes.size());
    return bytes;
}

// All bytes are in before anything given is touched, so a short file changes nothing.
void decodeInto(std::span<const std::uint8_t> bytes, DamageFileHeader& header, PartTable& table) {
    if (bytes.size() < std::size_t{kRecordsEnd})
        raiseIoError(100);
    std::copy_n(bytes.begin(), kHeaderSize, header.begin());
    for (int slot = 0; slot < kSlotCount; ++slot)
        table[slot] = decodeRecord(bytes.data() + recordOffset(slot));
}

void readInto(const SystemFile& file, DamageFileHeader& header, PartTable& table) {
    std::array<std::uint8_t, kRecordsEnd> bytes{};
    readExactly(file, 0, bytes.data(), bytes.size());
    decodeInto(bytes, header, table);
}

// A file that may be read but not written is opened for reading.
SystemFile openForEditing(const std::string& path, bool& readOnly) {
    try {
        readOnly = false;
        return openNamed(path, OpenMode::ReadWrite);
    } catch (const IoError& error) {
        if (error.code() != 5)
            throw;
    }
    SystemFile file = openNamed(path, OpenMode::Read);
    readOnly = true;
    return file;
}

std::array<std::uint8_t, kSlotCount * kRecordSize> encodeRecords(const PartTable& table) {
    std::array<std::uint8_t, kSlotCount * kRecordSize> bytes{};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto record = encodeRecord(table[slot]);
        std::copy(record.begin(), record.end(), bytes.begin() + slot * kRecordSize);
    }
    return bytes;
}

// Whatever followed the records.
std::span<const std::uint8_t> tailOf(std::span<const std::uint8_t> bytes) {
    return bytes.subspan(std::min(bytes.size(), std::size_t{kRecordsEnd}));
}

// Header, records and whatever followed the records, as a file holds them.
std::vector<std::uint8_t> wholeFileBytes(const DamageFileHeader& header, const PartTable& table,
                                         std::span<const std::uint8_t> tail) {
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    const auto records = encodeRecords(table);
    bytes.insert(bytes.end(), records.begin(), records.end());
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

} // namespace

const std::array<FieldDef, kFieldCount> kFields = {{
    byteField("OffOn", 0, 1, &Record::OffOn),
    byteField("Byte2", 1, 2, &Record::Byte2),
    byteField("Byte3", 2, 3, &Record::Byte3),
    floatField("PX1", 3, 10, 7, 2, &Record::PX1),
    floatField("PY1", 7, 11, 7, 2, &Record::PY1),
    floatField("PZ1", 11, 12, 7, 2, &Record::PZ1),
    floatField("PX2", 15, 13, 7, 2, &Record::PX2),
    floatField("PY2", 19, 14, 7, 2, &Record::PY2),
    floatField("PZ2", 23, 15, 7, 2, &Record::PZ2),
    floatField("PX3", 27, 16, 7, 2, &Record::PX3),
    floatField("PY3", 31, 17, 7, 2, &Record::PY3),
    floatField("PZ3", 35, 18, 7, 2, &Record::PZ3),
    floatField("Damage", 39, 4, 7, 0, &Record::Damage),
    floatField("Float1", 43, 5, 8, 3, &Record::Float1),
    byteField("Byte4", 47, 6, &Record::Byte4),
    floatField("Float2", 48, 7, 8, 3, &Record::Float2),
    byteField("Byte5", 52, 8, &Record::Byte5),
    floatField("Float3", 53, 9, 8, 3, &Record::Float3),
    byteField("Byte6", 57, 19, &Record::Byte6),
    floatField("Float4", 58, 20, 8, 3, &Record::Float4),
    byteField("Byte7", 62, 21, &Record::Byte7),
    floatField("Float5", 63, 22, 8, 3, &Record::Float5),
}};

const std::array<const char*, kGridColumnCount> kColumnCaptions = {
    "Plane Part", "Off/On", "Byte2", "Byte3", "Damage", "Float1", "Byte4", "Float2",
    "Byte5",      "Float3", "PX1",   "PY1",   "PZ1",    "PX2",    "PY2",   "PZ2",
    "PX3",        "PY3",    "PZ3",   "Byte6", "Float4", "Byte7",  "Float5"};

std::array<std::uint8_t, kRecordSize> encodeRecord(const PartRecord& record) {
    std::array<std::uint8_t, kRecordSize> bytes{};
    for (const FieldDef& field : kFields) {
        if (field.type == FieldType::Byte) {
            bytes[field.offset] = record.*field.byteField;
        } else {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &(record.*field.floatField), sizeof bits);
            for (int i = 0; i < 4; ++i)
                bytes[field.offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
        }
    }
    return bytes;
}

PartRecord decodeRecord(const std::uint8_t* bytes) {
    PartRecord record;
    for (const FieldDef& field : kFields) {
        if (field.type == FieldType::Byte) {
            record.*field.byteField = bytes[field.offset];
        } else {
            std::uint32_t bits = 0;
            for (int i = 0; i < 4; ++i)
                bits |= std::uint32_t{bytes[field.offset + i]} << (8 * i);
            std::memcpy(&(record.*field.floatField), &bits, sizeof bits);
        }
    }
    return record;
}

void readDamageFile(const std::string& path, DamageFileHeader& header, PartTable& table) {
    readInto(openNamed(path, OpenMode::Read), header, table);
}

void updateDamageFile(const std::string& path, const DamageFileHeader& header,
                      const PartTable& table) {
    std::vector<std::uint8_t> onDisk = readWhole(openNamed(path, OpenMode::Read));
    if (onDisk.size() < std::size_t{kRecordsEnd})
        raiseIoError(100);
    const std::vector<std::uint8_t> bytes = wholeFileBytes(header, table, tailOf(onDisk));
    if (bytes != onDisk)
        platform::replaceFile(path, std::as_bytes(std::span(bytes)));
}

void writeWholeFile(const std::string& path, const DamageFileHeader& header,
                    const PartTable& table) {
    const std::vector<std::uint8_t> bytes = wholeFileBytes(header, table, {});
    platform::replaceFile(path, std::as_bytes(std::span(bytes)));
}

std::uint64_t damageFileSize(const std::string& path) {
    return openNamed(path, OpenMode::Read).size();
}

DamageFile::DamageFile() = default;

DamageFile::~DamageFile() = default;

void DamageFile::open(const std::string& path, DamageFileHeader& header, PartTable& table) {
    bool readOnly = false;
    SystemFile file = openForEditing(path, readOnly);
    std::vector<std::uint8_t> bytes = readWhole(file);
    decodeInto(bytes, header, table);
    adopt(std::move(file), readOnly, path, std::move(bytes));
}

void DamageFile::save(const PartTable& table) {
    if (path_.empty())
        raiseIoError(kNoFileNamed);
    DamageFileHeader header{};
    std::copy_n(known_.begin(), std::min(known_.size(), header.size()), header.begin());
    replaceWith(path_, wholeFileBytes(header, table, tailOf(known_)));
}

void DamageFile::saveAs(const std::string& path, const DamageFileHeader& header,
                        const PartTable& table) {
    std::vector<std::uint8_t> bytes = wholeFileBytes(header, table, tailOf(known_));
    if (path.empty())
        raiseIoError(kNoFileNamed);
    replaceWith(path, std::move(bytes));
}

// The file held open is let go while a file of its name is replaced, so that no system refuses
// the rename; when the replacement fails it is held again.
void DamageFile::replaceWith(const std::string& path, std::vector<std::uint8_t> bytes) {
    file_.reset();
    bool readOnly = false;
    try {
        platform::replaceFile(path, std::as_bytes(std::span(bytes)));
    } catch (const DamageError&) {
        try {
            file_ = std::make_unique<SystemFile>(openForEditing(path_, readOnly));
        } catch (const DamageError&) {
        }
        throw;
    }
    SystemFile file = openForEditing(path, readOnly);
    adopt(std::move(file), readOnly, path, std::move(bytes));
}

void DamageFile::adopt(SystemFile file, bool readOnly, const std::string& path,
                       std::vector<std::uint8_t> bytes) {
    file_ = std::make_unique<SystemFile>(std::move(file));
    readOnly_ = readOnly;
    path_ = path;
    known_ = std::move(bytes);
}

bool DamageFile::changedOnDisk() const {
    return changedBytesOnDisk().has_value();
}

std::optional<std::vector<std::uint8_t>> DamageFile::changedBytesOnDisk() const {
    if (path_.empty())
        return std::nullopt;
    try {
        std::vector<std::uint8_t> onDisk = readWhole(SystemFile(path_, OpenMode::Read));
        if (onDisk == known_)
            return std::nullopt;
        return onDisk;
    } catch (const IoError& error) {
        // A file deleted by another program, or grown past any damage file, counts as changed:
        // it holds none of our bytes.
        if (error.code() == kFileNotFound || error.code() == kTooLargeCode)
            return std::vector<std::uint8_t>{};
        return std::nullopt;
    }
}

void DamageFile::close() {
    file_.reset();
}

void DamageFile::reset() {
    close();
    path_.clear();
    readOnly_ = false;
    known_.clear();
}

} // namespace dm
