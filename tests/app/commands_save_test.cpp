#include "commands_fixture.h"

#include "../support/scenarios.h"

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
        EXPECT_EQ(bytesOf(copy), before) << "the bytes after the records come along";
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
    EXPECT_TRUE(sameRecords(document().PartTable, written));
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

TEST_F(SaveCommandTest, SaveAsMakesTheNewFileCurrentAndNeverWritesTheOldOneAgain) {
    const QString opened = copySample("27damage.dat");
    const QByteArray openedBytes = bytesOf(opened);
    const QString lastRead = copySample("0fdamage.dat");
    open(opened);
    open(lastRead);
    open(opened);
    typeInto(3, 2, QStringLiteral("42")); // Byte3, slot 1
    QDir().mkpath(filePath(QStringLiteral("other")));
    const QString copy = filePath(QStringLiteral("other/copy"));
    writeBytes(copy + ".dat", "an existing file");
    QFile::setPermissions(copy + ".dat", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    questions_.yesNoAnswers.push_back(true);

    saveAs(copy);

    ASSERT_EQ(dialogs_.shown.size(), 4u);
    const ScriptedFileDialogs::Shown& dialog = dialogs_.shown.back();
    EXPECT_EQ(dialog.kind, shell::FileDialogKind::Save);
    EXPECT_EQ(dialog.title, QStringLiteral("Save DM File as..."));
    EXPECT_EQ(dialog.filter, QStringLiteral("Damage Files|*.dat|All Files|*.*"));
    EXPECT_EQ(dialog.defaultExt, QStringLiteral("dat"));
    EXPECT_EQ(dialog.initialDir, folderOfFileName(opened)) << "the current file's folder";
    EXPECT_EQ(dialog.fileName, QStringLiteral("27damage.dat")) << "and its name";
    const QByteArray copied = bytesOf(copy + ".dat");
    ASSERT_EQ(copied.size(), openedBytes.size()) << "the bytes after the records come along";
    EXPECT_EQ(copied.left(dm::kHeaderSize), openedBytes.left(dm::kHeaderSize));
    EXPECT_EQ(copied.mid(dm::kRecordsEnd), openedBytes.mid(dm::kRecordsEnd));
    EXPECT_EQ(tableOf(copy + ".dat")[1].Byte3, 42);
    const QFile::Permissions ourAccess = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFile::permissions(copy + ".dat") & ~ourAccess,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther)
        << "the replaced file keeps its permission bits";
    EXPECT_EQ(bytesOf(opened), openedBytes) << "Save As leaves the opened file alone";
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: copy.dat"));
    EXPECT_FALSE(grid_->markerSet());
    EXPECT_EQ(QDir(filePath(QStringLiteral("other"))).entryList(QDir::Files),
              QStringList{QStringLiteral("copy.dat")})
        << "no temporary file is left";

    typeInto(3, 5, QStringLiteral("43")); // Byte3, slot 4
    save();
    EXPECT_EQ(tableOf(copy + ".dat")[4].Byte3, 43) << "Save writes into the new file";
    EXPECT_EQ(bytesOf(opened), openedBytes) << "and never again into the old one";
    dialogs_.answers.push_back(std::nullopt);
    Form3->SaveAs1->trigger();
    EXPECT_EQ(dialogs_.shown.back().initialDir, folderOfFileName(copy));
    EXPECT_EQ(dialogs_.shown.back().fileName, QStringLiteral("copy.dat"));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// A Save or Save As that fails: what is done before it, the command, the error it shows and the
// current cell afterwards ({0, 0} when not checked).
class AFailedSave;
struct FailedSave {
    const char* name;
    void (*prepare)(AFailedSave&);
    void (*command)(AFailedSave&);
    const char* message;
    GridCell current;
    void (*check)(AFailedSave&); // what else holds afterwards; may be null
    friend void PrintTo(const FailedSave& scenario, std::ostream* os) { *os << scenario.name; }
};

class AFailedSave : public CommandTest, public testing::WithParamInterface<FailedSave> {
public:
    // The scenarios act through the fixture's helpers.
    using CommandTest::bytesOf;
    using CommandTest::filePath;
    using CommandTest::questions_;
    using CommandTest::save;
    using CommandTest::saveAs;
    using CommandTest::typeInto;
    using CommandTest::writeBytes;

    const QString opened = filePath(QStringLiteral("00damage.dat"));
    const QString existing = filePath(QStringLiteral("existing.dat"));
    const QString fresh = filePath(QStringLiteral("fresh.dat"));
    const QByteArray existingBytes{"an existing file that must not be truncated"};
};

const FailedSave kFailedSaves[] = {
    {"SaveABadByteCell",
     [](AFailedSave& t) { t.typeInto(2, 5, QStringLiteral("abc")); },
     [](AFailedSave& t) { t.save(); },
     "'abc' is not a valid integer value.",
     {2, 5},
     nullptr},
    {"SaveAByteOutOfRange",
     [](AFailedSave& t) { t.typeInto(3, 30, QStringLiteral("256")); },
     [](AFailedSave& t) { t.save(); },
     "'256' is not a valid byte value.",
     {3, 30},
     nullptr},
    {"SaveABadFloatCellAfterAGoodOne",
     [](AFailedSave& t) {
         t.typeInto(4, 1, QStringLiteral("1.5"));
         t.typeInto(9, 12, QStringLiteral("1,5"));
     },
     [](AFailedSave& t) { t.save(); },
     "'1,5' is not a valid floating point value.",
     {9, 12},
     nullptr},
    {"SaveAsOverAnExistingFileWithABadCell",
     [](AFailedSave& t) {
         t.writeBytes(t.existing, t.existingBytes);
         t.typeInto(17, 20, QStringLiteral("x"));
         t.questions_.yesNoAnswers.push_back(true);
     },
     [](AFailedSave& t) { t.saveAs(t.existing); },
     "'x' is not a valid floating point value.",
     {17, 20},
     [](AFailedSave& t) { EXPECT_EQ(t.bytesOf(t.existing), t.existingBytes); }},
    {"SaveAsIntoANewFileWithABadCell",
     [](AFailedSave& t) { t.typeInto(1, 1, QStringLiteral("-")); },
     [](AFailedSave& t) { t.saveAs(t.fresh); },
     "'-' is not a valid integer value.",
     {1, 1},
     [](AFailedSave& t) { EXPECT_FALSE(QFileInfo::exists(t.fresh)); }},
    {"SaveAsIntoAMissingFolder",
     [](AFailedSave& t) { t.typeInto(1, 1, QStringLiteral("3")); },
     [](AFailedSave& t) { t.saveAs(t.filePath(QStringLiteral("no/such/folder/x.dat"))); },
     "Invalid filename.",
     {0, 0},
     nullptr},
    {"SaveAsOntoAFullDisk",
     [](AFailedSave& t) {
         QFile::link(QStringLiteral("/dev/full"), t.filePath(QStringLiteral("full.dat")));
         t.typeInto(1, 1, QStringLiteral("3"));
     },
     [](AFailedSave& t) { t.saveAs(t.filePath(QStringLiteral("full.dat"))); },
     "Disk full.",
     {0, 0},
     nullptr},
    {"SaveWhenTheOpenedFileBecameAFolder",
     [](AFailedSave& t) {
         t.typeInto(1, 1, QStringLiteral("3"));
         QFile::remove(t.opened);
         QDir().mkpath(t.opened);
     },
     [](AFailedSave& t) { t.save(); },
     "Is a folder, not a file.",
     {0, 0},
     nullptr},
};

INSTANTIATE_TEST_SUITE_P(SaveCommandTest, AFailedSave, testing::ValuesIn(kFailedSaves),
                         testsupport::ScenarioName());

TEST_P(AFailedSave, WritesNothingAndKeepsTheMarker) {
    const FailedSave& scenario = GetParam();
    ASSERT_TRUE(QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/00damage.dat"), opened));
    QFile::setPermissions(opened, QFile::ReadOwner | QFile::WriteOwner);
    open(opened);
    const QByteArray openedBytes = bytesOf(opened);
    const dm::PartTable table = document().PartTable;
    const dm::CellTexts lastFilled = grid_->lastFilledTexts();
    scenario.prepare(*this);
    ASSERT_TRUE(grid_->markerSet());
    const dm::CellTexts typed = grid_->valueTexts();
    errors_.shown.clear();

    scenario.command(*this);

    EXPECT_EQ(errors_.texts(), QStringList{QString::fromUtf8(scenario.message)});
    EXPECT_TRUE(grid_->markerSet());
    EXPECT_TRUE(sameRecords(document().PartTable, table));
    EXPECT_EQ(grid_->lastFilledTexts(), lastFilled);
    EXPECT_EQ(grid_->valueTexts(), typed);
    if (scenario.current.column != 0) {
        EXPECT_EQ(grid_->currentCell(), scenario.current);
    }
    if (QFileInfo(opened).isFile()) {
        EXPECT_EQ(bytesOf(opened), openedBytes);
    }
    if (scenario.check)
        scenario.check(*this);
    // The marker stays set, so leaving the file asks first.
    questions_.saveAnswers.push_back(shell::SaveChangesAnswer::Discard);
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
