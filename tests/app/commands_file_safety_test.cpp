#include "commands_fixture.h"

#include "../support/mounted_tmpfs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

using namespace commandtest;
using shell::SaveChangesAnswer;

using FileSafetyTest = CommandTest;

// Another program writes the open file; Save, or the question's Save before the editor closes,
// asks first. No leaves the file, its time and the grid as they were.
TEST_F(FileSafetyTest, SaveAsksBeforeOverwritingAFileChangedByAnotherProgram) {
    const QString question = QStringLiteral("The file has been changed by another program since "
                                            "it was opened. Overwrite it with your values?");
    enum class Via { Save, CloseQuestion };
    struct Case {
        const char* name;
        Via via;
        bool overwrite;
    };
    const Case cases[] = {{"Save, No", Via::Save, false},
                          {"Save, Yes", Via::Save, true},
                          {"closing, Save, No", Via::CloseQuestion, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (grid_->markerSet())
            questions_.saveAnswers.push_back(SaveChangesAnswer::Discard);
        const QString path = copySample("0fdamage.dat");
        open(path);
        typeInto(3, 2, QStringLiteral("42"));
        QByteArray byOthers = bytesOf(path);
        byOthers[qsizetype(dm::recordOffset(5))] = char(99);
        writeBytes(path, byOthers);
        const QDateTime written = QFileInfo(path).lastModified();
        questions_.asked.clear();
        questions_.yesNoAnswers.push_back(c.overwrite);
        if (c.via == Via::Save) {
            save();
        } else {
            questions_.saveAnswers.push_back(SaveChangesAnswer::Save);
            Form3->close();
            EXPECT_TRUE(Form3->isVisible()) << "a cancelled save keeps the editor open";
        }
        EXPECT_EQ(questions_.asked.back(), question);
        EXPECT_EQ(grid_->cellText(3, 2), QStringLiteral("42"));
        EXPECT_EQ(grid_->markerSet(), !c.overwrite);
        if (c.overwrite) {
            EXPECT_EQ(tableOf(path)[1].Byte3, 42);
            EXPECT_EQ(bytesOf(path).at(qsizetype(dm::recordOffset(5))), char(1))
                << "the grid's value wins";
            save();
            EXPECT_EQ(questions_.asked.size(), 1) << "our own save is no change by others";
        } else {
            EXPECT_EQ(bytesOf(path), byOthers);
            EXPECT_EQ(QFileInfo(path).lastModified(), written);
        }
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// Another program empties or deletes the open file: Save asks, and Yes writes the file whole, the
// header and the bytes after the records as they were read around the grid's records.
TEST_F(FileSafetyTest, SaveAfterTheFileWasEmptiedOrDeletedWritesItWhole) {
    const QString question = QStringLiteral("The file has been changed by another program since "
                                            "it was opened. Overwrite it with your values?");
    struct Case {
        const char* name;
        bool deleted;
        bool overwrite;
    };
    const Case cases[] = {
        {"emptied, Yes", false, true}, {"deleted, Yes", true, true}, {"deleted, No", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (grid_->markerSet())
            questions_.saveAnswers.push_back(SaveChangesAnswer::Discard);
        const QString path = copySample("27damage.dat"); // 35 bytes follow its records
        open(path);
        QByteArray expected = bytesOf(path);
        typeInto(3, 2, QStringLiteral("42"));
        expected[qsizetype(dm::recordOffset(1) + 2)] = char(42);
        if (c.deleted)
            QFile::remove(path);
        else
            writeBytes(path, QByteArray());
        questions_.asked.clear();
        questions_.yesNoAnswers.push_back(c.overwrite);
        save();
        EXPECT_EQ(questions_.asked, QStringList{question});
        EXPECT_EQ(grid_->markerSet(), !c.overwrite);
        if (c.overwrite) {
            EXPECT_EQ(bytesOf(path).toHex(), expected.toHex());
        } else {
            EXPECT_FALSE(QFileInfo::exists(path));
        }
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// Read-only media stop root too: the file opens read-only and Save asks for a new file.
TEST_F(FileSafetyTest, AFileThatCannotBeWrittenOpensReadOnlyAndSaveActsAsSaveAs) {
    testsupport::MountedTmpfs media(std::filesystem::path(files_.path().toStdString()) / "media",
                                    "64k");
    if (!media.mounted())
        GTEST_SKIP() << testsupport::kMountNeedsRoot;
    const QString path = QString::fromStdString((media.path() / "0fdamage.dat").string());
    ASSERT_TRUE(QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/0fdamage.dat"), path));
    ASSERT_TRUE(media.makeReadOnly());
    const QByteArray before = bytesOf(path);
    const QDateTime modified = QFileInfo(path).lastModified();

    open(path);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 0fdamage.dat (read-only)"));
    EXPECT_EQ(grid_->valueTexts(), filledTexts(tableOf(path)));
    typeInto(3, 2, QStringLiteral("42"));
    const QString copy = filePath(QStringLiteral("writable.dat"));
    dialogs_.answers.push_back(copy);
    save();
    EXPECT_EQ(dialogs_.shown.back().kind, shell::FileDialogKind::Save);
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
    EXPECT_EQ(tableOf(copy)[1].Byte3, 42);
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: writable.dat"));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// The settings file cannot be written (a folder stands in its place): said once, and every Open
// still opens. A folder whose name holds a line break opens silently, and is not remembered.
TEST_F(FileSafetyTest, SettingsThatCannotBeWrittenNeverStopAnOpen) {
    const QString message = QStringLiteral("Unable to write to %1.").arg(iniPath());
    ini().writeString("file settings", "initdirect", "/before/");
    const QString broken = filePath(QStringLiteral("line\nbreak"));
    ASSERT_TRUE(QDir().mkpath(broken));
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/27damage.dat"), broken + "/27damage.dat"));
    open(broken + "/27damage.dat");
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 27damage.dat"));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    EXPECT_EQ(stored("file settings", "initdirect"), "/before/");

    const QString settingsText = QString::fromLatin1(bytesOf(iniPath()));
    QFile::remove(iniPath());
    ASSERT_TRUE(QDir().mkpath(iniPath()));
    for (const char* sample : {"00damage.dat", "0fdamage.dat"}) {
        SCOPED_TRACE(sample);
        open(copySample(sample));
        EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: ") + sample);
        EXPECT_EQ(errors_.texts(), QStringList{message}) << "once in a run";
    }
    EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

} // namespace
