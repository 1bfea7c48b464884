#pragma once

#include "shell_fixture.h"

#include "core/damage_file.h"
#include "damage_document.h"
#include "editor_window.h"
#include "file_names.h"
#include "program.h"
#include "shell/file_dialog.h"
#include "shell/question.h"
#include "start_window.h"
#include "string_grid.h"

#include <QApplication>
#include <QFile>
#include <QTest>

#include <deque>
#include <optional>

namespace commandtest {

// Tables compared as the bytes they write, so NaNs compare by their bits.
inline testing::AssertionResult sameRecords(const dm::PartTable& actual,
                                            const dm::PartTable& expected) {
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        if (dm::encodeRecord(actual[slot]) != dm::encodeRecord(expected[slot]))
            return testing::AssertionFailure() << "slot " << slot << " differs";
    return testing::AssertionSuccess();
}

// Answers the file dialogs from a script and records what each dialog was shown with.
class ScriptedFileDialogs : public shell::FileDialogRunner {
public:
    struct Shown {
        shell::FileDialogKind kind;
        QString title;
        QString filter;
        int filterIndex;
        QString defaultExt;
        QString initialDir;
        QString fileName;
    };

    std::optional<QString> run(const shell::FileDialog& dialog, QWidget*) override {
        shown.push_back({dialog.kind(), dialog.title(), dialog.filter(), dialog.filterIndex(),
                         dialog.defaultExt(), dialog.initialDir(), dialog.fileName()});
        if (answers.empty()) {
            ADD_FAILURE() << "a file dialog nobody expected";
            return std::nullopt;
        }
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // A name to confirm, or nothing to cancel.
    std::deque<std::optional<QString>> answers;
    std::vector<Shown> shown;
};

// Answers the program's questions from a script and records the texts asked.
class ScriptedQuestions : public shell::QuestionAnswerer {
public:
    shell::SaveChangesAnswer askSaveChanges(const QString&, const QString& text,
                                            QWidget*) override {
        asked << text;
        if (saveAnswers.empty()) {
            ADD_FAILURE() << "an unexpected question: " << text.toStdString();
            return shell::SaveChangesAnswer::Cancel;
        }
        const shell::SaveChangesAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }

    bool askYesNo(const QString&, const QString& text, QWidget*) override {
        asked << text;
        if (yesNoAnswers.empty()) {
            ADD_FAILURE() << "an unexpected question: " << text.toStdString();
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }

    std::deque<shell::SaveChangesAnswer> saveAnswers;
    std::deque<bool> yesNoAnswers;
    QStringList asked;
};

// The program's windows with the editor shown, scripted dialogs and questions, and a folder of
// damage files.
class CommandTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(files_.isValid());
        // The damage file state lives for the whole process; every test starts as a new run.
        shell::setFileDialogRunner(&dialogs_);
        shell::setQuestionAnswerer(&questions_);
        program::createWindows();
        Form1->Button5Click();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
        grid_ = Form3->StringGrid1;
    }

    void TearDown() override {
        ShellTest::TearDown();
        shell::setFileDialogRunner(nullptr);
        shell::setQuestionAnswerer(nullptr);
        EXPECT_TRUE(dialogs_.answers.empty()) << "dialog answers left over";
        EXPECT_TRUE(questions_.saveAnswers.empty() && questions_.yesNoAnswers.empty())
            << "question answers left over";
    }

    QString filePath(const QString& name) const { return files_.filePath(name); }
    static DamageDocument& document() { return program::document(); }

    // A copy of a sample damage file in the test's folder.
    QString copySample(const char* name) const {
        const QString target = filePath(QLatin1String(name));
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/") + name, target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void writeBytes(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static dm::PartTable tableOf(const QString& path) {
        dm::DamageFileHeader header;
        dm::PartTable table;
        dm::readDamageFile(localPath(path), header, table);
        return table;
    }

    // "Open" with the dialog confirming `path`, or cancelled with nothing.
    void open(const std::optional<QString>& path) {
        dialogs_.answers.push_back(path);
        Form3->Open1->trigger();
    }
    void save() { Form3->Save1->trigger(); }
    void saveAs(const std::optional<QString>& path) {
        dialogs_.answers.push_back(path);
        Form3->SaveAs1->trigger();
    }

    // Types into a cell as a user does: the cell becomes current, typing opens its editor. The
    // text is committed only when `enter` is pressed.
    void typeInto(int column, int row, const QString& text, bool enter = true) {
        if (!Form3->isActiveWindow()) {
            Form3->show();
            Form3->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
        }
        grid_->setFocus();
        grid_->setCurrentCell(column, row);
        for (const QChar character : text)
            QTest::keyClick(QApplication::focusWidget(), character.toLatin1());
        if (enter)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    dm::CellTexts filledTexts(const dm::PartTable& table) const {
        return dm::fillCells(table, grid_->decimalSeparator().toStdString());
    }

    QTemporaryDir files_;
    ScriptedFileDialogs dialogs_;
    ScriptedQuestions questions_;
    StringGrid* grid_ = nullptr;
};

} // namespace commandtest
