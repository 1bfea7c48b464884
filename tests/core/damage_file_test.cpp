#include "damage_file_fixture.h"

#include <cmath>
#include <cstring>
#include <functional>

using namespace dm;

namespace {

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST_F(DamageFileTest, RandomFilesRoundTripThroughBothWriters) {
    // Names with blanks and letters beyond ASCII work as well.
    const std::pair<std::size_t, std::string> files[] = {
        {0, "in.dat"}, {1, "with blanks.dat"}, {7, "\u00e9t\u00e9 \u6a5f.dat"}, {500, "in.dat"}};
    for (const auto& [extra, name] : files) {
        const Bytes original = randomBytes(kRecordsEnd + extra, static_cast<unsigned>(extra) + 11);
        const std::string path = write(name, original);
        DamageFileHeader header{};
        PartTable table{};
        readDamageFile(path, header, table);

        updateDamageFile(path, header, table);
        EXPECT_EQ(contents(path), original) << "unchanged, " << extra << " trailing bytes";

        header[0] ^= 0xFF;
        table[kSlotCount - 1].Float5 = -table[kSlotCount - 1].Float5;
        updateDamageFile(path, header, table);
        Bytes updated = original;
        updated[0] ^= 0xFF;
        updated[kRecordsEnd - 1] ^= 0x80; // the sign bit of the last float
        EXPECT_EQ(contents(path), updated) << "updated, " << extra << " trailing bytes";

        const std::string copy = pathOf("copy " + name);
        writeWholeFile(copy, header, table);
        const Bytes written = contents(copy);
        ASSERT_EQ(written.size(), std::size_t{kRecordsEnd});
        EXPECT_TRUE(std::equal(written.begin(), written.end(), updated.begin()))
            << "whole file, " << extra << " trailing bytes";
    }
}

TEST_F(DamageFileTest, EveryFieldLandsAtItsOffsetWithoutPadding) {
    PartRecord record;
    record.OffOn = 1, record.Byte2 = 2, record.Byte3 = 3, record.Byte4 = 4, record.Byte5 = 5;
    record.Byte6 = 6, record.Byte7 = 7;
    record.PX1 = 1.5f, record.PY1 = 2.5f, record.PZ1 = 3.5f, record.PX2 = 4.5f;
    record.PY2 = 5.5f, record.PZ2 = 6.5f, record.PX3 = 7.5f, record.PY3 = 8.5f;
    record.PZ3 = 9.5f, record.Damage = 10.5f, record.Float1 = 11.5f, record.Float2 = 12.5f;
    record.Float3 = 13.5f, record.Float4 = 14.5f, record.Float5 = 15.5f;
    PartTable table{};
    table[3] = record;
    const std::string path = pathOf("fields.dat");
    writeWholeFile(path, DamageFileHeader{}, table);
    const Bytes bytes = contents(path);

    struct Expected {
        int offset;
        int size;
        std::uint32_t value;
    };
    const std::vector<Expected> expected = {{0, 1, 1},
                                            {1, 1, 2},
                                            {2, 1, 3},
                                            {3, 4, bitsOf(1.5f)},
                                            {7, 4, bitsOf(2.5f)},
                                            {11, 4, bitsOf(3.5f)},
                                            {15, 4, bitsOf(4.5f)},
                                            {19, 4, bitsOf(5.5f)},
                                            {23, 4, bitsOf(6.5f)},
                                            {27, 4, bitsOf(7.5f)},
                                            {31, 4, bitsOf(8.5f)},
                                            {35, 4, bitsOf(9.5f)},
                                            {39, 4, bitsOf(10.5f)},
                                            {43, 4, bitsOf(11.5f)},
                                            {47, 1, 4},
                                            {48, 4, bitsOf(12.5f)},
                                            {52, 1, 5},
                                            {53, 4, bitsOf(13.5f)},
                                            {57, 1, 6},
                                            {58, 4, bitsOf(14.5f)},
                                            {62, 1, 7},
                                            {63, 4, bitsOf(15.5f)}};
    ASSERT_EQ(expected.size(), std::size_t{kFieldCount});
    const std::size_t base = recordOffset(3);
    for (const Expected& field : expected) {
        std::uint32_t value = 0;
        for (int i = 0; i < field.size; ++i)
            value |= std::uint32_t{bytes[base + field.offset + i]} << (8 * i);
        EXPECT_EQ(value, field.value) << "relative offset " << field.offset;
    }
    EXPECT_EQ(encodeRecord(decodeRecord(bytes.data() + base)), encodeRecord(record));
}

TEST_F(DamageFileTest, SpecialValuesAreReadAsStored) {
    Bytes bytes(kRecordsEnd, 0);
    bytes[recordOffset(0)] = 255;
    const std::uint32_t infinity = 0x7F800000, signallingNan = 0x7F800001;
    std::memcpy(&bytes[recordOffset(0) + 3], &infinity, 4);
    std::memcpy(&bytes[recordOffset(0) + 7], &signallingNan, 4);
    DamageFileHeader header{};
    PartTable table{};
    readDamageFile(write("special.dat", bytes), header, table);
    EXPECT_EQ(table[0].OffOn, 255);
    EXPECT_TRUE(std::isinf(table[0].PX1));
    EXPECT_EQ(bitsOf(table[0].PY1), signallingNan);
}

TEST_F(DamageFileTest, FailedReadsChangeNothing) {
    DamageFileHeader header{};
    header.fill(0xAB);
    PartTable table{};
    table[29].Float5 = 42.0f;
    const DamageFileHeader headerBefore = header;

    for (const std::size_t size : {0u, 99u, 100u, 2109u}) {
        const std::string path = write("short.dat", Bytes(size, 0x11));
        try {
            readDamageFile(path, header, table);
            ADD_FAILURE() << size << " bytes read without error";
        } catch (const IoError& error) {
            EXPECT_EQ(error.code(), 100);
            EXPECT_STREQ(error.what(), "Read beyond end of file");
        }
        EXPECT_EQ(header, headerBefore);
        EXPECT_EQ(table[29].Float5, 42.0f);
        EXPECT_EQ(table[0].OffOn, 0);
    }
}

TEST_F(DamageFileTest, FailuresCarryTheirCodeAndMessage) {
    fs::create_directories(folder / "a-folder");
    const std::string missing = pathOf("missing.dat");
    const std::string noFolder = pathOf("nowhere/x.dat");
    const std::string aFolder = pathOf("a-folder");
    const std::string oversized = write("oversized.dat", Bytes(kRecordsEnd, 0));
    fs::resize_file(oversized, kMostDamageFileBytes + 1);
    const PartTable table{};
    std::vector<FailureCase> cases = {
        {"read missing file", [&] { readInto(missing); }, 2, "File not found"},
        {"read in missing folder", [&] { readInto(noFolder); }, 3, "Invalid filename"},
        {"read a folder", [&] { openAsCurrent(aFolder); }, dm::kFolderCode,
         "Is a folder, not a file"},
        {"read a folder without writing", [&] { readInto(aFolder); }, dm::kFolderCode,
         "Is a folder, not a file"},
        {"update a missing file", [&] { updateDamageFile(missing, {}, table); }, 2,
         "File not found"},
        {"save as into a missing folder", [&] { writeWholeFile(noFolder, {}, table); }, 3,
         "Invalid filename"},
        {"save as onto a folder", [&] { writeWholeFile(aFolder, {}, table); }, dm::kFolderCode,
         "Is a folder, not a file"},
        {"size of a missing file", [&] { damageFileSize(missing); }, 2, "File not found"},
        {"open a file over the limit", [&] { openAsCurrent(oversized); }, kTooLargeCode,
         "File too large to be a damage file"},
        {"update a file over the limit", [&] { updateDamageFile(oversized, {}, table); },
         kTooLargeCode, "File too large to be a damage file"},
        {"save with no file named",
         [&] {
             DamageFile f;
             f.save(table);
         },
         102, "I/O error 102"},
        {"save after a reset",
         [&] {
             DamageFile f;
             f.open(write("reset.dat", Bytes(kRecordsEnd, 0)), header_, table_);
             f.reset();
             EXPECT_FALSE(f.isOpen());
             f.save(table);
         },
         102, "I/O error 102"},
    };
    for (FailureCase& c : platformFailureCases(*this))
        cases.push_back(std::move(c));
    for (const FailureCase& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const IoError& error) {
            EXPECT_EQ(error.code(), c.code) << c.what;
            EXPECT_STREQ(error.what(), c.message) << c.what;
        }
        if (c.afterwards)
            c.afterwards();
    }
}

// A failed Open or Save As leaves the file that was current open, and Save writes to it.
TEST_F(DamageFileTest, AFailedOpenOrSaveAsKeepsThePreviousFileCurrent) {
    Bytes first(kRecordsEnd, 0);
    first[recordOffset(2) + 1] = 9;
    const std::string shortPath = write("short.dat", Bytes(2109, 1));
    fs::create_directories(folder / "a-folder");
    struct Case {
        const char* name;
        std::function<void(DamageFile&, DamageFileHeader&, PartTable&)> fail;
    };
    const Case cases[] = {
        {"open a short file",
         [&](auto& file, auto& header, auto& table) { file.open(shortPath, header, table); }},
        {"save as onto a folder",
         [&](auto& file, auto& header, auto& table) {
             file.saveAs(pathOf("a-folder"), header, table);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string firstPath = write("first.dat", first);
        DamageFile file;
        DamageFileHeader header{};
        PartTable table{};
        file.open(firstPath, header, table);
        EXPECT_THROW(c.fail(file, header, table), IoError);
        EXPECT_EQ(file.path(), firstPath);
        EXPECT_TRUE(file.isOpen());
        EXPECT_EQ(table[2].Byte2, 9);

        table[2].Byte2 = 10;
        file.save(table);
        EXPECT_EQ(contents(firstPath)[recordOffset(2) + 1], 10);
        EXPECT_EQ(contents(shortPath), Bytes(2109, 1));
    }
}

// The largest file is held whole; one that another program grows past the limit holds none of our
// bytes, so Save asks before replacing it.
TEST_F(DamageFileTest, TheLargestFileOpensAndOneGrownPastItCountsAsChanged) {
    const std::string path = write("largest.dat", Bytes(kRecordsEnd, 3));
    fs::resize_file(path, kMostDamageFileBytes);
    DamageFile file;
    file.open(path, header_, table_);
    EXPECT_EQ(table_[kSlotCount - 1].Byte7, 3);
    EXPECT_FALSE(file.changedOnDisk());
    fs::resize_file(path, kMostDamageFileBytes + 1);
    EXPECT_TRUE(file.changedOnDisk());
}

// Save As carries the bytes after the records along and moves the current file; what another
// program writes between saves is noticed, what we write ourselves is not, and Save writes the
// whole file over it.
TEST_F(DamageFileTest, SaveAsMovesTheCurrentFileAndChangesByOthersAreNoticed) {
    const Bytes original = randomBytes(kRecordsEnd + 35, 7);
    const std::string opened = write("opened.dat", original);
    DamageFile file;
    file.open(opened, header_, table_);
    EXPECT_FALSE(file.changedOnDisk());
    table_[1].Byte2 = 42;
    const std::string copy = pathOf("copy.dat");
    file.saveAs(copy, header_, table_);
    Bytes expected = original;
    expected[recordOffset(1) + 1] = 42;
    EXPECT_EQ(contents(copy), expected);
    EXPECT_EQ(file.path(), copy);
    EXPECT_EQ(contents(opened), original);
    EXPECT_FALSE(file.changedOnDisk());

    Bytes byOthers = expected;
    byOthers[5] ^= 1;
    write("copy.dat", byOthers);
    EXPECT_TRUE(file.changedOnDisk()) << "a header byte";
    write("copy.dat", Bytes(expected.begin(), expected.end() - 1));
    EXPECT_TRUE(file.changedOnDisk()) << "one byte shorter";
    write("copy.dat", byOthers);
    table_[2].Byte3 = 7;
    file.save(table_);
    EXPECT_FALSE(file.changedOnDisk()) << "our own save";
    EXPECT_EQ(contents(copy)[5], expected[5]) << "Save writes the header as it was read";
    EXPECT_EQ(contents(copy)[recordOffset(2) + 2], 7);
}

TEST(FieldTable, ColumnsCoverOneToTwentyTwoOnce) {
    std::vector<int> seen(kFieldCount + 1, 0);
    int nextOffset = 0;
    for (const FieldDef& field : kFields) {
        ++seen.at(field.column);
        EXPECT_EQ(field.offset, nextOffset) << field.name;
        nextOffset += field.type == FieldType::Byte ? 1 : 4;
        EXPECT_STREQ(kColumnCaptions[field.column],
                     field.name == std::string("OffOn") ? "Off/On" : field.name);
    }
    EXPECT_EQ(nextOffset, kRecordSize);
    for (int column = 1; column <= kFieldCount; ++column)
        EXPECT_EQ(seen[column], 1) << "column " << column;
}

} // namespace
