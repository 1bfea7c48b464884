#include "commands_fixture.h"

#include "../support/scenarios.h"

#include "shell/application.h"

#include <QFileInfo>

namespace {

using namespace commandtest;
using shell::SaveChangesAnswer;

using UnsavedChangesTest = CommandTest;

enum class Trigger { CloseEditor, CloseStartWindow, Open };

// Closing or opening with a cell typed into or not, and the answer to the question asked.
struct LeavingTheFile {
    const char* name;
    Trigger trigger;
    bool edit;
    std::optional<SaveChangesAnswer> answer; // nothing: no question expected
    bool saved;
    bool goesOn; // the editor closes, or the open dialog shows
    bool textAfter;
    bool markerAfter;
    friend void PrintTo(const LeavingTheFile& scenario, std::ostream* os) { *os << scenario.name; }
};

const LeavingTheFile kLeavingTheFile[] = {
    {"CloseSave", Trigger::CloseEditor, true, SaveChangesAnswer::Save, true, true, true, false},
    {"CloseDiscard", Trigger::CloseEditor, true, SaveChangesAnswer::Discard, false, true, true,
     true},
    {"CloseCancel", Trigger::CloseEditor, true, SaveChangesAnswer::Cancel, false, false, true,
     true},
    {"CloseNothingEdited", Trigger::CloseEditor, false, std::nullopt, false, true, false, false},
    // The window manager or the taskbar closes the hidden start window.
    {"StartWindowSave", Trigger::CloseStartWindow, true, SaveChangesAnswer::Save, true, true, true,
     false},
    {"StartWindowDiscard", Trigger::CloseStartWindow, true, SaveChangesAnswer::Discard, false, true,
     true, true},
    {"StartWindowCancel", Trigger::CloseStartWindow, true, SaveChangesAnswer::Cancel, false, false,
     true, true},
    // The open dialog is cancelled: nothing was read, so nothing typed is given up.
    {"OpenSave", Trigger::Open, true, SaveChangesAnswer::Save, true, true, true, false},
    {"OpenDiscard", Trigger::Open, true, SaveChangesAnswer::Discard, false, true, true, true},
    {"OpenCancel", Trigger::Open, true, SaveChangesAnswer::Cancel, false, false, true, true},
    {"OpenNothingEdited", Trigger::Open, false, std::nullopt, false, true, false, false},
};

class CloseAndOpen : public CommandTest, public testing::WithParamInterface<LeavingTheFile> {};

INSTANTIATE_TEST_SUITE_P(UnsavedChangesTest, CloseAndOpen, testing::ValuesIn(kLeavingTheFile),
                         testsupport::ScenarioName());

TEST_P(CloseAndOpen, AskFirstOnlyWhenTheMarkerIsSet) {
    const LeavingTheFile& c = GetParam();
    const QString path = filePath(QStringLiteral("05damage.dat"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/0fdamage.dat"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    open(path);
    Form3->show();
    shell::resetTerminateRequest();
    const QByteArray before = bytesOf(path);
    if (c.edit)
        typeInto(2, 7, QStringLiteral("123"), /*enter=*/false); // committed by the question
    questions_.asked.clear();
    if (c.answer)
        questions_.saveAnswers.push_back(*c.answer);
    const size_t dialogsBefore = dialogs_.shown.size();

    if (c.trigger == Trigger::CloseEditor) {
        EXPECT_EQ(Form3->close(), c.goesOn);
        EXPECT_EQ(shell::terminateRequested(), c.goesOn);
        EXPECT_EQ(Form3->isVisible(), !c.goesOn);
    } else if (c.trigger == Trigger::CloseStartWindow) {
        EXPECT_EQ(Form1->close(), c.goesOn);
        EXPECT_EQ(shell::terminateRequested(), c.goesOn);
    } else {
        if (c.goesOn)
            dialogs_.answers.push_back(std::nullopt);
        Form3->Open1->trigger();
        EXPECT_EQ(dialogs_.shown.size(), dialogsBefore + (c.goesOn ? 1 : 0));
    }

    EXPECT_EQ(questions_.asked,
              c.answer ? QStringList{QStringLiteral("Save the changes to 05damage.dat?")}
                       : QStringList{});
    EXPECT_EQ(bytesOf(path) != before, c.saved);
    if (c.saved) {
        EXPECT_EQ(tableOf(path)[6].Byte2, 123);
    }
    EXPECT_EQ(grid_->cellText(2, 7) == QStringLiteral("123"), c.textAfter);
    EXPECT_EQ(grid_->markerSet(), c.markerAfter);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    if (grid_->markerSet())
        questions_.saveAnswers.push_back(SaveChangesAnswer::Discard);
    open(std::nullopt);
}

TEST_F(UnsavedChangesTest, AFailingSaveKeepsTheEditorOpenWithItsChanges) {
    const QString path = copySample("00damage.dat");
    open(path);
    const QByteArray before = bytesOf(path);
    typeInto(1, 1, QStringLiteral("not a number"));
    questions_.saveAnswers.push_back(SaveChangesAnswer::Save);
    EXPECT_FALSE(Form3->close());
    EXPECT_FALSE(shell::terminateRequested());
    EXPECT_EQ(errors_.texts(),
              QStringList{QStringLiteral("'not a number' is not a valid integer value.")});
    EXPECT_TRUE(grid_->markerSet());
    EXPECT_EQ(bytesOf(path), before);

    // A failed Open keeps the typed text and its marker too.
    errors_.shown.clear();
    questions_.saveAnswers.push_back(SaveChangesAnswer::Discard);
    open(filePath(QStringLiteral("missing.dat")));
    EXPECT_EQ(errors_.texts(), QStringList{QStringLiteral("File not found.")});
    EXPECT_TRUE(grid_->markerSet());
    EXPECT_EQ(grid_->cellText(1, 1), QStringLiteral("not a number"));
    questions_.saveAnswers.push_back(SaveChangesAnswer::Discard);
    open(std::nullopt);
}

TEST_F(UnsavedChangesTest, MarkerFollowsEditsAndCompleteSavesOnly) {
    const QString path = copySample("0fdamage.dat");
    open(path);
    EXPECT_FALSE(grid_->markerSet()) << "an Open alone never sets it";
    typeInto(6, 2, QStringLiteral("5"));
    EXPECT_TRUE(grid_->markerSet());
    saveAs(std::nullopt);
    EXPECT_TRUE(grid_->markerSet()) << "a cancelled Save As keeps it";
    save();
    EXPECT_FALSE(grid_->markerSet());
    typeInto(6, 3, QStringLiteral("6"));
    saveAs(filePath(QStringLiteral("copy.dat")));
    EXPECT_FALSE(grid_->markerSet());
    // Typing the old text back before leaving the cell is no change.
    const QString old = grid_->cellText(8, 8);
    typeInto(8, 8, QStringLiteral("9"), /*enter=*/false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    for (const QChar character : old)
        QTest::keyClick(QApplication::focusWidget(), character.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(grid_->markerSet());
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(UnsavedChangesTest, WithNoFileNamedAnsweringSaveAsksForANewFile) {
    open(std::nullopt);
    typeInto(2, 1, QStringLiteral("5"));
    const QString target = filePath(QStringLiteral("new.dat"));
    struct Case {
        const char* name;
        std::optional<QString> saveDialog;
        bool closes;
    };
    const Case cases[] = {{"save dialog cancelled", std::nullopt, false},
                          {"new file chosen", target, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        questions_.saveAnswers.push_back(SaveChangesAnswer::Save);
        dialogs_.answers.push_back(c.saveDialog);
        EXPECT_EQ(Form3->close(), c.closes);
        EXPECT_EQ(shell::terminateRequested(), c.closes);
        EXPECT_EQ(grid_->markerSet(), !c.closes);
        EXPECT_EQ(QFileInfo::exists(target), c.closes);
    }
    EXPECT_EQ(tableOf(target)[0].Byte2, 5);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

using SaveAsReplaceTest = CommandTest;

TEST_F(SaveAsReplaceTest, AsksBeforeReplacingAnExistingFile) {
    const QString opened = copySample("00damage.dat");
    open(opened);
    const QString existing = filePath(QStringLiteral("existing.dat"));
    const QByteArray existingBytes("keep me");
    writeBytes(existing, existingBytes);
    const QString question =
        QStringLiteral("existing.dat already exists.\nDo you want to replace it?");

    // No: the dialog comes back; cancelling it then writes nothing.
    questions_.yesNoAnswers.push_back(false);
    dialogs_.answers.push_back(existing);
    dialogs_.answers.push_back(std::nullopt);
    Form3->SaveAs1->trigger();
    EXPECT_EQ(questions_.asked, QStringList{question});
    EXPECT_EQ(dialogs_.shown.size(), 3u);
    EXPECT_EQ(dialogs_.shown.back().fileName, existing) << "it starts with the refused name";
    EXPECT_EQ(bytesOf(existing), existingBytes);

    // No, then another name that does not exist yet: that one is written without a question.
    questions_.asked.clear();
    questions_.yesNoAnswers.push_back(false);
    const QString fresh = filePath(QStringLiteral("fresh.dat"));
    dialogs_.answers.push_back(existing);
    dialogs_.answers.push_back(fresh);
    Form3->SaveAs1->trigger();
    EXPECT_EQ(questions_.asked, QStringList{question});
    EXPECT_EQ(bytesOf(existing), existingBytes);
    EXPECT_EQ(bytesOf(fresh), bytesOf(opened));

    // Yes replaces it.
    questions_.asked.clear();
    questions_.yesNoAnswers.push_back(true);
    saveAs(existing);
    EXPECT_EQ(questions_.asked, QStringList{question});
    EXPECT_EQ(bytesOf(existing), bytesOf(opened));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

} // namespace
