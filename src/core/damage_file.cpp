#include "core/damage_file.h"

#include "core/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

constexpr int kNoFileNamed = 102;

class FileHandle {
public:
    FileHandle(const std::string& path, int flags) : path_(path) {
        if (path.empty())
            raiseIoError(kNoFileNamed);
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
        if (fd_ < 0)
            raiseSystemError(errno, path);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    void readExactly(std::int64_t offset, std::uint8_t* bytes, std::size_t count) const {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(fd_, bytes + done, count - done, offset + done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                raiseSystemError(errno, path_);
            if (got == 0)
                raiseIoError(100);
            done += static_cast<std::size_t>(got);
        }
    }

    void writeExactly(std::int64_t offset, const std::uint8_t* bytes, std::size_t count) const {
        writeLoop(count, [&](std::size_t done) {
            return ::pwrite(fd_, bytes + done, count - done, offset + done);
        });
    }

    // Writes at the current position, so a pipe or a device takes the bytes as well.
    void writeFromStart(const std::byte* bytes, std::size_t count) const {
        writeLoop(count,
                  [&](std::size_t done) { return ::write(fd_, bytes + done, count - done); });
    }

    // Close errors (a full disk on a network file system, say) must not pass for success.
    void close() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR)
            raiseSystemError(errno, path_);
    }

    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    template <typename Put> void writeLoop(std::size_t count, Put put) const {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t written = put(done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                raiseSystemError(errno, path_);
            if (written == 0)
                raiseIoError(101);
            done += static_cast<std::size_t>(written);
        }
    }

    std::string path_;
    int fd_ = -1;
};

// All bytes are in before anything given is touched, so a short file changes nothing.
void readInto(const FileHandle& file, DamageFileHeader& header, PartTable& table) {
    std::array<std::uint8_t, kRecordsEnd> bytes{};
    file.readExactly(0, bytes.data(), bytes.size());
    std::copy_n(bytes.begin(), kHeaderSize, header.begin());
    for (int slot = 0; slot < kSlotCount; ++slot)
        table[slot] = decodeRecord(bytes.data() + recordOffset(slot));
}

std::array<std::uint8_t, kSlotCount * kRecordSize> encodeRecords(const PartTable& table) {
    std::array<std::uint8_t, kSlotCount * kRecordSize> bytes{};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto record = encodeRecord(table[slot]);
        std::copy(record.begin(), record.end(), bytes.begin() + slot * kRecordSize);
    }
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
    // A pipe without a writer then reads as empty instead of waiting forever.
    const FileHandle file(path, O_RDONLY | O_NONBLOCK);
    readInto(file, header, table);
}

void writeRecordsInPlace(const std::string& path, const PartTable& table) {
    FileHandle file(path, O_RDWR);
    const auto bytes = encodeRecords(table);
    file.writeExactly(kHeaderSize, bytes.data(), bytes.size());
    file.close();
}

void writeHeaderInPlace(const std::string& path, const DamageFileHeader& header) {
    FileHandle file(path, O_RDWR);
    file.writeExactly(0, header.data(), header.size());
    file.close();
}

void writeWholeFile(const std::string& path, const DamageFileHeader& header,
                    const PartTable& table) {
    const auto records = encodeRecords(table);
    std::array<std::uint8_t, kRecordsEnd> bytes{};
    std::copy(header.begin(), header.end(), bytes.begin());
    std::copy(records.begin(), records.end(), bytes.begin() + kHeaderSize);
    writeNewFile(path, std::as_bytes(std::span(bytes)));
}

void writeNewFile(const std::string& path, std::span<const std::byte> bytes) {
    FileHandle file(path, O_WRONLY | O_CREAT | O_TRUNC);
    file.writeFromStart(bytes.data(), bytes.size());
    file.close();
}

DamageFile::~DamageFile() {
    close();
}

void DamageFile::open(const std::string& path, DamageFileHeader& header, PartTable& table) {
    FileHandle file(path, O_RDWR);
    readInto(file, header, table);
    close();
    path_ = path;
    fd_ = file.release();
}

void DamageFile::save(const PartTable& table) const {
    writeRecordsInPlace(path_, table);
}

void DamageFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void DamageFile::reset() {
    close();
    path_.clear();
}

} // namespace dm
