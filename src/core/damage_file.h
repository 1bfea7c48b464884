#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

constexpr int kSlotCount = 30;
constexpr int kHeaderSize = 100;
constexpr int kRecordSize = 67;
constexpr int kRecordsEnd = kHeaderSize + kSlotCount * kRecordSize; // 2110
// The editor holds a file whole, the bytes after the records too; no damage file comes near this,
// and a larger file (picked by mistake) is refused before it can take the memory.
constexpr std::uint64_t kMostDamageFileBytes = std::uint64_t{64} << 20;
constexpr int kFieldCount = 22;
constexpr int kGridColumnCount = 23; // column 0 holds the part names
constexpr int kShownColumnCount = 19;
constexpr int kGridRowCount = 31; // row 0 holds the captions

// One part's record in memory; fields in file order. Transferred field by field, never as a block.
struct PartRecord {
    std::uint8_t OffOn = 0, Byte2 = 0, Byte3 = 0;
    float PX1 = 0, PY1 = 0, PZ1 = 0, PX2 = 0, PY2 = 0, PZ2 = 0, PX3 = 0, PY3 = 0, PZ3 = 0;
    float Damage = 0, Float1 = 0;
    std::uint8_t Byte4 = 0;
    float Float2 = 0;
    std::uint8_t Byte5 = 0;
    float Float3 = 0;
    std::uint8_t Byte6 = 0;
    float Float4 = 0;
    std::uint8_t Byte7 = 0;
    float Float5 = 0;
};

using PartTable = std::array<PartRecord, kSlotCount>;
using DamageFileHeader = std::array<std::uint8_t, kHeaderSize>;

enum class FieldType { Byte, Float };

// The one description of a record's fields: reader, writers, fill and parse all walk it.
struct FieldDef {
    const char* name;
    int offset; // relative to the record's start
    FieldType type;
    int column;    // grid column 1 to 22
    int precision; // float cells only
    int decimals;  // float cells only
    std::uint8_t PartRecord::*byteField;
    float PartRecord::*floatField;
};

// The 22 fields in file order.
extern const std::array<FieldDef, kFieldCount> kFields;

// Built-in captions: "Plane Part" then the 22 field captions in column order.
extern const std::array<const char*, kGridColumnCount> kColumnCaptions;

constexpr std::int64_t recordOffset(int slot) {
    return kHeaderSize + std::int64_t{kRecordSize} * slot;
}

// Bytes of one record exactly as they stand in the file.
std::array<std::uint8_t, kRecordSize> encodeRecord(const PartRecord& record);
PartRecord decodeRecord(const std::uint8_t* bytes);

// A damage file read whole. The read is all or nothing: on failure nothing given is changed.
void readDamageFile(const std::string& path, DamageFileHeader& header, PartTable& table);

// Replaces an existing damage file whole, as Save does: `header`, `table`'s records and the bytes
// that follow the records on disk. A file whose bytes would not change is not written, so that it
// keeps its modification time.
void updateDamageFile(const std::string& path, const DamageFileHeader& header,
                      const PartTable& table);

// Replaces the file whole by header and records: 2110 bytes.
void writeWholeFile(const std::string& path, const DamageFileHeader& header,
                    const PartTable& table);

// Size in bytes of an existing damage file; a pipe, socket or device is refused as the reader does.
std::uint64_t damageFileSize(const std::string& path);

namespace platform {
class SystemFile;
}

// The current damage file: named by the last confirmed Open and held open for reading and writing,
// or for reading only when writing it is refused. It remembers the bytes it last read or wrote, so
// that a change by another program can be noticed and the bytes after the records are carried
// along by Save As.
class DamageFile {
public:
    DamageFile();
    DamageFile(const DamageFile&) = delete;
    DamageFile& operator=(const DamageFile&) = delete;
    ~DamageFile();

    // Opens the named file and reads it; on failure the previous file stays current and open.
    void open(const std::string& path, DamageFileHeader& header, PartTable& table);
    // Replaces the current file whole: the header and the bytes after the records as last read or
    // saved, and `table`'s records, whatever another program left on disk; "I/O error 102" when
    // none was named.
    void save(const PartTable& table);
    // Writes header, records and the bytes that followed the records of the file last read into
    // `path`, whole or not at all; that file then becomes the current one.
    void saveAs(const std::string& path, const DamageFileHeader& header, const PartTable& table);
    // True when the file on disk no longer holds the bytes of the last Open or save, or is gone.
    // A file that cannot be read any more counts as unchanged: the save then says what is wrong.
    bool changedOnDisk() const;
    // The file's bytes on disk when they are not those of the last Open or save, as
    // changedOnDisk sees them; nothing otherwise.
    std::optional<std::vector<std::uint8_t>> changedBytesOnDisk() const;
    void close();
    // Closes the file and forgets its name, as before the first Open.
    void reset();
    bool isOpen() const { return file_ != nullptr; }
    bool readOnly() const { return readOnly_; }
    const std::string& path() const { return path_; }

private:
    void replaceWith(const std::string& path, std::vector<std::uint8_t> bytes);
    void adopt(platform::SystemFile file, bool readOnly, const std::string& path,
               std::vector<std::uint8_t> bytes);

    std::string path_;
    std::unique_ptr<platform::SystemFile> file_;
    bool readOnly_ = false;
    std::vector<std::uint8_t> known_;
};

} // namespace dm
