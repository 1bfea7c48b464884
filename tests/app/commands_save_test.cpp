#include "commands_fixture.h"

#include <QDir>
#include <QLineEdit>

#include <bit>
#include <cmath>
#include <csignal>
#include <functional>
#include <limits>
#include <sys/resource.h>

namespace {

using namespace commandtest;

using SaveCommandTest = CommandTest;

// A damage file of edge values: infinities, NaNs with payloads, negative zero and subnormals in
// shown and hidden columns, and bytes after the records.
QString writeEdgeValueFile(const QString& path) {
    dm::PartTable table{};
    dm::DamageFileHeader header{};
    for (int i = 0; i < dm::kHeaderSize; ++i)
        header[i] = static_cast<std::uint8_t>(255 - i);
    const float inf = std::numeric_limits<float>::infinity();
    const float nanWithPayload = std::bit_cast<float>(0x7fc12345u);
    const float subnormal = std::numeric_limits<float>::denorm_min();
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        dm::PartRecord& r = table[slot];
        r.OffOn = 255;
        r.Byte7 = static_cast<std::uint8_t>(slot * 7);
        r.Damage = nanWithPayload;
        r.Float1 = -inf;
        r.PX1 = -0.0f;
        r.PY2 = subnormal;
        r.PZ3 = 0.1f + slot;
        r.Float4 = inf;
        r.Float5 = std::bit_cast<float>(0xffc00001u);
    }
    dm::writeWholeFile(localPath(path), header, table);
    QFile file(path);
    if (file.open(QIODevice::Append))
        file.write("trailing bytes stay where they are");
    return path;
}

TEST_F(SaveCommandTest, SaveAndSaveAsWithoutEditsKeepEveryByte) {
    const std::vector<std::pair<const char*, std::function<QString()>>> files = {
        {"00damage.dat", [&] { return copySample("00damage.dat"); }},
        {"0fdamage.dat", [&] { return copySample("0fdamage.dat"); }},
        {"27damage.dat (bytes after the records)", [&] { return copySample("27damage.dat"); }},
        {"edge values",
         [&] { return writeEdgeValueFile(filePath(QStringLiteral("edgedamage.dat"))); }},
    };
    for (const auto& [name, make] : files) {
        SCOPED_TRACE(name);
        const QString path = make();
        const QByteArray before = bytesOf(path);
        open(path);
        save();
        EXPECT_EQ(bytesOf(path), before);
        const QString copy = filePath(QStringLiteral("copy.dat"));
        QFile::remove(copy);
        saveAs(copy);
        EXPECT_EQ(bytesOf(copy), before.left(dm::kRecordsEnd));
        EXPECT_FALSE(grid_->markerSet());
        EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    }
}

TEST_F(SaveCommandTest, SaveWritesTheEditedCellsAndLeavesHeaderAndTrailingBytes) {
    const QString path = copySample("27damage.dat");
    const QByteArray before = bytesOf(path);
    open(path);
    typeInto(1, 3, QStringLiteral("200"));      // Off/On, slot 2
    typeInto(5, 10, QStringLiteral("1.5"));     // Float1, slot 9
    typeInto(10, 30, QStringLiteral("-12.25")); // PX1, slot 29
    typeInto(3, 1, QStringLiteral("$7f"));      // Byte3 as hexadecimal text, slot 0
    ASSERT_TRUE(grid_->markerSet());

    save();

    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    const QByteArray after = bytesOf(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.left(dm::kHeaderSize), before.left(dm::kHeaderSize));
    EXPECT_EQ(after.mid(dm::kRecordsEnd), before.mid(dm::kRecordsEnd));
    const dm::PartTable written = tableOf(path);
    EXPECT_EQ(written[2].OffOn, 200);
    EXPECT_EQ(written[9].Float1, 1.5f);
    EXPECT_EQ(written[29].PX1, -12.25f);
    EXPECT_EQ(written[0].Byte3, 0x7f);
    for (const int untouched : {1, 3, 8, 10, 28})
        EXPECT_EQ(after.mid(dm::recordOffset(untouched), dm::kRecordSize),
                  before.mid(dm::recordOffset(untouched), dm::kRecordSize))
            << "slot " << untouched;
    EXPECT_TRUE(sameRecords(PartTable, written));
    EXPECT_FALSE(grid_->markerSet());
    EXPECT_EQ(grid_->cellText(3, 1), QStringLiteral("$7f")) << "Save does not refill the grid";
    EXPECT_EQ(grid_->lastFilledTexts(), grid_->valueTexts());

    // The saved texts are the new reference: saving again changes nothing.
    save();
    EXPECT_EQ(bytesOf(path), after);
}

TEST_F(SaveCommandTest, ATextStillInTheCellEditorIsSaved) {
    const QString path = copySample("00damage.dat");
    open(path);
    typeInto(7, 4, QStringLiteral("2.5"), /*enter=*/false); // Float2, slot 3
    ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
    save();
    EXPECT_EQ(tableOf(path)[3].Float2, 2.5f);
    EXPECT_FALSE(grid_->markerSet());
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(SaveCommandTest, SaveAsWritesACopyAndSaveKeepsWritingTheOpenedFile) {
    const QString opened = copySample("27damage.dat");
    const QByteArray openedBytes = bytesOf(opened);
    const QString lastRead = copySample("0fdamage.dat");
    open(opened);
    open(lastRead);
    open(opened);
    typeInto(3, 2, QStringLiteral("42")); // Byte3, slot 1
    const QString copy = filePath(QStringLiteral("copy"));

    saveAs(copy);

    ASSERT_EQ(dialogs_.shown.size(), 4u);
    const ScriptedFileDialogs::Shown& dialog = dialogs_.shown.back();
    EXPECT_EQ(dialog.kind, platform::FileDialogKind::Save);
    EXPECT_EQ(dialog.title, QStringLiteral("Save DM File as..."));
    EXPECT_EQ(dialog.filter, QStringLiteral("Damage Files|*.dat|All Files|*.*"));
    EXPECT_EQ(dialog.defaultExt, QStringLiteral("dat"));
    const QByteArray copied = bytesOf(copy + ".dat");
    ASSERT_EQ(copied.size(), dm::kRecordsEnd);
    EXPECT_EQ(copied.left(dm::kHeaderSize), openedBytes.left(dm::kHeaderSize));
    EXPECT_EQ(tableOf(copy + ".dat")[1].Byte3, 42);
    EXPECT_EQ(bytesOf(opened), openedBytes) << "Save As leaves the opened file alone";
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 27damage.dat"));
    EXPECT_FALSE(grid_->markerSet());

    typeInto(3, 5, QStringLiteral("43")); // Byte3, slot 4
    save();
    EXPECT_EQ(tableOf(opened)[1].Byte3, 42);
    EXPECT_EQ(tableOf(opened)[4].Byte3, 43);
    EXPECT_EQ(bytesOf(copy + ".dat"), copied) << "the copy is not the current damage file";
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(SaveCommandTest, AFailedSaveWritesNothingAndKeepsTheMarker) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::function<void()> command;
        QString message;
        GridCell current; // the current cell afterwards; {0, 0} when not checked
        std::function<void()> check;
    };
    const QString opened = copySample("00damage.dat");
    const QString existing = filePath(QStringLiteral("existing.dat"));
    const QString fresh = filePath(QStringLiteral("fresh.dat"));
    const QByteArray existingBytes("an existing file that must not be truncated");
    const std::vector<Case> cases = {
        {"Save, bad byte cell",
         [&] { typeInto(2, 5, QStringLiteral("abc")); },
         [&] { save(); },
         QStringLiteral("'abc' is not a valid integer value."),
         {2, 5},
         [] {}},
        {"Save, byte out of range",
         [&] { typeInto(3, 30, QStringLiteral("256")); },
         [&] { save(); },
         QStringLiteral("'256' is not a valid byte value."),
         {3, 30},
         [] {}},
        {"Save, bad float cell after a good one",
         [&] {
             typeInto(4, 1, QStringLiteral("1.5"));
             typeInto(9, 12, QStringLiteral("1,5"));
         },
         [&] { save(); },
         QStringLiteral("'1,5' is not a valid floating point value."),
         {9, 12},
         [] {}},
        {"Save As over an existing file, bad cell",
         [&] {
             writeBytes(existing, existingBytes);
             typeInto(17, 20, QStringLiteral("x"));
             questions_.replaceAnswers.push_back(true);
         },
         [&] { saveAs(existing); },
         QStringLiteral("'x' is not a valid floating point value."),
         {17, 20},
         [&] { EXPECT_EQ(bytesOf(existing), existingBytes); }},
        {"Save As into a new file, bad cell",
         [&] { typeInto(1, 1, QStringLiteral("-")); },
         [&] { saveAs(fresh); },
         QStringLiteral("'-' is not a valid integer value."),
         {1, 1},
         [&] { EXPECT_FALSE(QFileInfo::exists(fresh)); }},
        {"Save As into a missing folder",
         [&] { typeInto(1, 1, QStringLiteral("3")); },
         [&] { saveAs(filePath(QStringLiteral("no/such/folder/x.dat"))); },
         QStringLiteral("Invalid filename."),
         {0, 0},
         [] {}},
        {"Save As onto a full disk",
         [&] {
             QFile::link(QStringLiteral("/dev/full"), filePath(QStringLiteral("full.dat")));
             typeInto(1, 1, QStringLiteral("3"));
         },
         [&] { saveAs(filePath(QStringLiteral("full.dat"))); },
         QStringLiteral("Disk full."),
         {0, 0},
         [] {}},
        {"Save, the opened file became a folder",
         [&] {
             typeInto(1, 1, QStringLiteral("3"));
             QFile::remove(opened);
             QDir().mkpath(opened);
         },
         [&] { save(); },
         QStringLiteral("File access denied."),
         {0, 0},
         [&] {
             QDir(opened).removeRecursively();
             QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/00damage.dat"), opened);
         }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(opened);
        ASSERT_TRUE(QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/00damage.dat"), opened));
        QFile::setPermissions(opened, QFile::ReadOwner | QFile::WriteOwner);
        open(opened);
        const QByteArray openedBytes = bytesOf(opened);
        const dm::PartTable table = PartTable;
        const dm::CellTexts lastFilled = grid_->lastFilledTexts();
        c.prepare();
        ASSERT_TRUE(grid_->markerSet());
        const dm::CellTexts typed = grid_->valueTexts();
        errors_.shown.clear();

        c.command();

        EXPECT_EQ(errors_.texts(), QStringList{c.message});
        EXPECT_TRUE(grid_->markerSet());
        EXPECT_TRUE(sameRecords(PartTable, table));
        EXPECT_EQ(grid_->lastFilledTexts(), lastFilled);
        EXPECT_EQ(grid_->valueTexts(), typed);
        if (c.current.column != 0) {
            EXPECT_EQ(grid_->currentCell(), c.current);
        }
        if (QFileInfo(opened).isFile()) {
            EXPECT_EQ(bytesOf(opened), openedBytes);
        }
        c.check();
        QFile::remove(fresh);
        questions_.saveAnswers.push_back(platform::SaveChangesAnswer::Discard);
    }
    open(std::nullopt);
}

// Save on a full disk: the current damage file is a device that reads zeros and takes no writes.
TEST_F(SaveCommandTest, SaveOntoAFullDiskKeepsTheMarker) {
    // A save in place never grows the file, and a device is no damage file: a file size limit
    // below the records makes the system refuse the write as a full disk would.
    open(copySample("00damage.dat"));
    ASSERT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    typeInto(1, 1, QStringLiteral("7"));
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previousLimit{};
    ::getrlimit(RLIMIT_FSIZE, &previousLimit);
    const rlimit limit{dm::kHeaderSize, previousLimit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    save();
    ::setrlimit(RLIMIT_FSIZE, &previousLimit);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_EQ(errors_.texts(), QStringList{QStringLiteral("Disk full.")});
    EXPECT_TRUE(grid_->markerSet());
}

} // namespace
