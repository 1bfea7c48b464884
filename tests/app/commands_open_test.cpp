#include "commands_fixture.h"

#include "../support/grid_helpers.h"
#include "../support/scenarios.h"

#include "paint_box.h"
#include "shell/file_attributes.h"
#include "side_view.h"
#include "top_view.h"

#include <QDir>

#include <vector>

namespace {

using namespace commandtest;

using OpenCommandTest = CommandTest;

using testsupport::PaintCounter;

TEST_F(OpenCommandTest, ReadOnlyFileIsReadShownAndLeftWritable) {
    const QString path = copySample("0fdamage.dat");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    ASSERT_EQ(shell::fileAttributes(path), unsigned{shell::faReadOnly});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form6));
    QCoreApplication::processEvents();
    PaintCounter top(Form5->pb1);
    PaintCounter side(Form6->pb2);

    open(path);
    QCoreApplication::processEvents();

    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    EXPECT_EQ(shell::fileAttributes(path), 0u);
    const dm::PartTable table = tableOf(path);
    EXPECT_TRUE(sameRecords(document().PartTable, table));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(document().DamageFileHeader.data()),
                         dm::kHeaderSize),
              bytesOf(path).left(dm::kHeaderSize));
    EXPECT_EQ(grid_->valueTexts(), filledTexts(table));
    EXPECT_EQ(grid_->lastFilledTexts(), filledTexts(table));
    EXPECT_FALSE(grid_->markerSet());
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 0fdamage.dat"));
    EXPECT_TRUE(Form3->Save1->isEnabled());
    EXPECT_TRUE(Form3->SaveAs1->isEnabled());
    EXPECT_EQ(stored("file settings", "initdirect"), (files_.path() + '/').toStdString());
    EXPECT_TRUE(document().CurrentDamageFile.isOpen());
    EXPECT_EQ(document().CurrentDamageFile.path(), localPath(path));
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_EQ(&Form5->source().table(), &document().PartTable);
    EXPECT_EQ(&Form6->source().table(), &document().PartTable);
    EXPECT_TRUE(Form5->source().markersShown());
    EXPECT_GT(top.paints, 0);
    EXPECT_GT(side.paints, 0);

    ASSERT_EQ(dialogs_.shown.size(), 1u);
    const ScriptedFileDialogs::Shown& dialog = dialogs_.shown[0];
    EXPECT_EQ(dialog.kind, shell::FileDialogKind::Open);
    EXPECT_EQ(dialog.filter,
              QStringLiteral("Damage Files|??damage.dat|Dat Files|*.dat|All files|*"));
    EXPECT_EQ(dialog.filterIndex, 1);
    EXPECT_EQ(dialog.defaultExt, QStringLiteral("dat"));
    EXPECT_EQ(dialog.initialDir, QStringLiteral("c:\\"));
    EXPECT_TRUE(dialog.title.isEmpty());

    // The next showing starts in the remembered folder, read again just before it.
    ini().writeString("file settings", "initdirect", "/elsewhere/");
    open(std::nullopt);
    ASSERT_EQ(dialogs_.shown.size(), 2u);
    EXPECT_EQ(dialogs_.shown[1].initialDir, QStringLiteral("/elsewhere/"));
    EXPECT_EQ(dialogs_.shown[1].fileName, path);
    EXPECT_EQ(stored("file settings", "initdirect"), "/elsewhere/") << "a cancel stores nothing";
}

TEST_F(OpenCommandTest, CancelFillsAnUneditedGridFromTheTableAndEnablesSaving) {
    open(std::nullopt);
    EXPECT_TRUE(Form3->Save1->isEnabled());
    EXPECT_TRUE(Form3->SaveAs1->isEnabled());
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: "));
    EXPECT_EQ(grid_->valueTexts(), filledTexts(dm::PartTable{}));
    EXPECT_EQ(stored("file settings", "initdirect"), "<missing>");
    EXPECT_FALSE(Form5->source().markersShown());

    // No file was ever named: Save asks for a new file like Save As, which writes zeros for the
    // header; cancelled, it writes nothing and keeps the marker.
    typeInto(1, 1, QStringLiteral("7"));
    dialogs_.answers.push_back(std::nullopt);
    save();
    EXPECT_EQ(dialogs_.shown.back().kind, shell::FileDialogKind::Save);
    EXPECT_TRUE(grid_->markerSet());
    const QString copy = filePath(QStringLiteral("copy.dat"));
    dialogs_.answers.push_back(copy);
    save();
    QByteArray zeros(dm::kRecordsEnd, '\0');
    zeros[dm::kHeaderSize] = 7;
    EXPECT_EQ(bytesOf(copy), zeros);
    EXPECT_FALSE(grid_->markerSet());
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: copy.dat"));
    EXPECT_EQ(document().CurrentDamageFile.path(), localPath(copy))
        << "the new file is the current one";

    const QString path = copySample("00damage.dat");
    open(path);
    typeInto(5, 3, QStringLiteral("77"));
    ASSERT_TRUE(grid_->markerSet());
    questions_.saveAnswers.push_back(shell::SaveChangesAnswer::Discard);
    const dm::CellTexts typed = grid_->valueTexts();
    open(std::nullopt);
    EXPECT_EQ(grid_->valueTexts(), typed) << "nothing was read, so the typed values stay";
    EXPECT_TRUE(grid_->markerSet());
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 00damage.dat"));
    EXPECT_EQ(document().CurrentDamageFile.path(), localPath(path));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    questions_.saveAnswers.push_back(shell::SaveChangesAnswer::Discard);
    open(path);
    EXPECT_EQ(grid_->valueTexts(), filledTexts(tableOf(path))) << "a file read replaces them";
    EXPECT_FALSE(grid_->markerSet());
}

// An Open that fails after its dialog: the name chosen there, the error it shows, and whether the
// chosen folder is remembered before the failure.
class AFailedOpen;
struct FailedOpen {
    const char* name;
    QString (*prepare)(const AFailedOpen&); // returns the name chosen in the dialog
    QString (*message)(const AFailedOpen&);
    bool folderRemembered;
    friend void PrintTo(const FailedOpen& scenario, std::ostream* os) { *os << scenario.name; }
};

class AFailedOpen : public CommandTest, public testing::WithParamInterface<FailedOpen> {
public:
    // The scenarios act through the fixture's helpers.
    using CommandTest::iniPath;

    // The folder the dialog chooses from.
    const QString other = filePath(QStringLiteral("other"));
};

const FailedOpen kFailedOpens[] = {
    {"FileMissing", [](const AFailedOpen& t) { return t.other + "/05damage.dat"; },
     [](const AFailedOpen&) { return QStringLiteral("File not found."); }, true},
    {"FolderGivenForTheFile",
     [](const AFailedOpen& t) {
         QDir().mkpath(t.other + "/06damage.dat");
         return t.other + "/06damage.dat";
     },
     [](const AFailedOpen&) { return QStringLiteral("Is a folder, not a file."); }, true},
    {"FileTooShort",
     [](const AFailedOpen& t) {
         QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/ffdamage.dat"), t.other + "/ffdamage.dat");
         return t.other + "/ffdamage.dat";
     },
     [](const AFailedOpen&) { return QStringLiteral("Read beyond end of file."); }, true},
};

INSTANTIATE_TEST_SUITE_P(OpenCommandTest, AFailedOpen, testing::ValuesIn(kFailedOpens),
                         testsupport::ScenarioName());

TEST_P(AFailedOpen, LeavesThePreviousFileCurrentAndShown) {
    const FailedOpen& scenario = GetParam();
    const QString opened = copySample("00damage.dat");
    const QByteArray openedBytes = bytesOf(opened);
    ASSERT_TRUE(QDir().mkpath(other));
    open(opened);
    ASSERT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    const dm::PartTable table = document().PartTable;
    const dm::DamageFileHeader header = document().DamageFileHeader;
    const dm::CellTexts texts = grid_->valueTexts();
    ini().writeString("file settings", "initdirect", "/before/");
    const QString chosen = scenario.prepare(*this);

    open(chosen);

    EXPECT_EQ(errors_.texts(), QStringList{scenario.message(*this)});
    EXPECT_TRUE(sameRecords(document().PartTable, table));
    EXPECT_EQ(document().DamageFileHeader, header);
    EXPECT_EQ(grid_->valueTexts(), texts);
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 00damage.dat"));
    EXPECT_EQ(document().fileName(), opened);
    EXPECT_TRUE(Form5->source().markersShown());
    EXPECT_TRUE(document().CurrentDamageFile.isOpen());
    EXPECT_EQ(document().CurrentDamageFile.path(), localPath(opened));
    // What happened before the read stays done.
    if (QFileInfo(chosen).isFile()) {
        EXPECT_EQ(shell::fileAttributes(chosen), 0u);
    }
    if (scenario.folderRemembered) {
        EXPECT_EQ(stored("file settings", "initdirect"), (other + '/').toStdString());
    }
    if (QFileInfo(iniPath()).isDir())
        QDir(iniPath()).removeRecursively();

    // A later Save writes into the file the grid shows, and only there.
    errors_.shown.clear();
    const QByteArray chosenBytes = bytesOf(chosen);
    typeInto(1, 1, QStringLiteral("9"));
    save();
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    EXPECT_NE(bytesOf(opened), openedBytes);
    EXPECT_EQ(tableOf(opened)[0].OffOn, 9);
    EXPECT_EQ(bytesOf(chosen), chosenBytes);
}

TEST_F(OpenCommandTest, AFailedFirstOpenLeavesSavingDisabled) {
    open(copySample("ffdamage.dat"));
    EXPECT_EQ(errors_.texts(), QStringList{QStringLiteral("Read beyond end of file.")});
    EXPECT_FALSE(Form3->Save1->isEnabled());
    EXPECT_FALSE(Form3->SaveAs1->isEnabled());
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: "));
    EXPECT_FALSE(document().CurrentDamageFile.isOpen());
    EXPECT_FALSE(Form5->source().markersShown());
    EXPECT_EQ(stored("file settings", "initdirect"), (files_.path() + '/').toStdString());
}

TEST_F(OpenCommandTest, ColumnsAreFittedAfterEveryOpenAndNarrowAgain) {
    dm::PartTable wide{};
    for (dm::PartRecord& record : wide)
        record.Float1 = 123456.5f;
    const QString widePath = filePath(QStringLiteral("wide.dat"));
    const QString narrowPath = filePath(QStringLiteral("narrow.dat"));
    dm::writeWholeFile(localPath(widePath), {}, wide);
    dm::writeWholeFile(localPath(narrowPath), {}, dm::PartTable{});

    const int float1 = 5;
    const int atStart = testsupport::gridColumnWidth(*grid_, float1);
    open(widePath);
    const int afterWide = testsupport::gridColumnWidth(*grid_, float1);
    open(narrowPath);
    const int afterNarrow = testsupport::gridColumnWidth(*grid_, float1);
    EXPECT_GT(afterWide, atStart);
    EXPECT_LT(afterNarrow, afterWide);
    EXPECT_EQ(afterNarrow, atStart) << "the caption \"Float1\" is the widest text again";
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// The editor's creation: caption files, then column sizes, then the caption; a failure skips the
// rest and the window keeps its design caption.
using EditorCreationTest = shelltest::ShellTest;

TEST_F(EditorCreationTest, CaptionFilesColumnSizesAndCaptionInThisOrder) {
    struct Case {
        const char* removed;
        QString caption;
        QString columnOneCaption;
    };
    const QString designCaption = QStringLiteral("Click \"Open\" to open a Damage File.");
    const std::vector<Case> cases = {
        {nullptr, QStringLiteral("Editing DM File: "), QStringLiteral("Off/On, from file")},
        {"DM Row Headers.txt", designCaption, QStringLiteral("Off/On, from file")},
        {"DM Column Headers.txt", designCaption, QStringLiteral("Off/On")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.removed ? c.removed : "both present");
        QFile columns(folder_.filePath(QStringLiteral("DM Column Headers.txt")));
        ASSERT_TRUE(columns.open(QIODevice::WriteOnly | QIODevice::Truncate));
        columns.write("Plane Part\r\nOff/On, from file\r\n");
        columns.close();
        if (c.removed)
            QFile::remove(folder_.filePath(QLatin1String(c.removed)));
        errors_.shown.clear();

        program::createWindows();
        StringGrid* const grid = Form3->StringGrid1;
        EXPECT_EQ(Form3->centralWidget(), grid);
        EXPECT_EQ(Form3->windowTitle(), c.caption);
        EXPECT_EQ(Form3->StringGrid1->cellText(1, 0), c.columnOneCaption);
        const bool sized = c.removed == nullptr;
        EXPECT_EQ(testsupport::gridColumnWidth(*Form3->StringGrid1, 1) !=
                      StringGrid::kInitialColumnWidth,
                  sized);
        const QStringList expected =
            c.removed ? QStringList{QStringLiteral("Cannot open file %1.")
                                        .arg(QDir::toNativeSeparators(
                                            folder_.filePath(QLatin1String(c.removed))))}
                      : QStringList{};
        EXPECT_EQ(errors_.texts(), expected);
        program::destroyWindows();
        if (c.removed)
            QFile::copy(QStringLiteral(DM_BIN_DIR "/") + QLatin1String(c.removed),
                        folder_.filePath(QLatin1String(c.removed)));
    }
}

TEST(FileNames, SplitAtTheLastSeparator) {
    struct Case {
        const char* name;
        const char* folder;
    };
    const std::vector<Case> cases = {
        {"/home/pilot/00damage.dat", "/home/pilot/"},
        {"c:\\games\\data/01damage.dat", "c:\\games\\data/"},
        {"c:/games\\02damage.dat", "c:/games\\"},
        {"d:03damage.dat", "d:"},
        {"04damage.dat", ""},
        {"/folder/", "/folder/"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(folderOfFileName(name), QString::fromUtf8(c.folder));
        EXPECT_EQ(folderOfFileName(name) + withoutFolder(name), name);
    }
    EXPECT_EQ(localPath(QString::fromUtf8("/tmp/\xC3\x84ltere.dat")), "/tmp/\xC3\x84ltere.dat");
}

} // namespace
