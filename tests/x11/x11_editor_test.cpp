// The Recent menu driven in a real window on an X server of the test's own: the menu bar clicked
// and keys typed into the menu.
#include "../app/commands_fixture.h"
#include "../support/test_support.h"
#include "x_server.h"

#include <QMenu>
#include <QMenuBar>

#include <functional>

namespace {

using namespace x11test;
using namespace commandtest;

// Lets events run until `done` holds, for at most five seconds.
bool waitUntil(const std::function<bool()>& done) {
    for (int wait = 0; wait < 100 && !done(); ++wait)
        QTest::qWait(50);
    return done();
}

class X11EditorTest : public X11Session {
protected:
    void SetUp() override {
        X11Session::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(files_.isValid());
        shell::setQuestionAnswerer(&questions_);
    }
    void TearDown() override {
        program::destroyWindows();
        shell::setQuestionAnswerer(nullptr);
        EXPECT_TRUE(questions_.yesNoAnswers.empty() && questions_.saveAnswers.empty());
    }

    QString copySample(const char* name) const {
        const QString target = files_.filePath(QLatin1String(name));
        EXPECT_TRUE(QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/") + name, target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

    void startEditor(const QByteArray& settings) {
        QFile ini(folder_.filePath(QStringLiteral("du2daminfo.INI")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(settings);
        ini.close();
        program::createWindows();
        program::showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
        Form1->Button5Click();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
    }

    // Clicks "Recent" on the menu bar; the texts of the menu that drops down.
    static QStringList dropRecentMenu() {
        const QRect title = Form3->MainMenu1->actionGeometry(Form3->Recent1->menuAction());
        QTest::mouseClick(Form3->MainMenu1, Qt::LeftButton, {}, title.center());
        if (!waitUntil([] { return Form3->Recent1->isVisible(); }))
            return {QStringLiteral("<the menu did not drop down>")};
        QStringList texts;
        for (const QAction* entry : Form3->Recent1->actions())
            texts << entry->text();
        return texts;
    }
    // Types the entry's number into the dropped menu.
    static void chooseByNumber(char number) {
        QTest::keyClick(Form3->Recent1, number);
        waitUntil([] { return !Form3->Recent1->isVisible(); });
        QTest::qWait(100);
    }

    testsupport::ExecutableFolder folder_{QStringLiteral(DM_BIN_DIR)};
    testsupport::RecordingPresenter errors_;
    QTemporaryDir files_;
    ScriptedQuestions questions_;
};

TEST_F(X11EditorTest, RecentMenuOpensByItsNumberAndDropsAFileThatIsGone) {
    const QString a = copySample("00damage.dat");
    const QString b = copySample("27damage.dat");
    const QString gone = files_.filePath(QStringLiteral("0fdamage.dat"));
    ASSERT_NO_FATAL_FAILURE(startEditor(
        ("[Recent Files]\nFile1=" + b + "\nFile2=" + a + "\nFile3=" + gone + "\n").toUtf8()));
    EXPECT_EQ(dropRecentMenu(), QStringList({"&1 " + b, "&2 " + a, "&3 " + gone}));
    chooseByNumber('2');
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 00damage.dat"));

    EXPECT_EQ(dropRecentMenu(), QStringList({"&1 " + a, "&2 " + b, "&3 " + gone}));
    chooseByNumber('3');
    EXPECT_EQ(
        errors_.texts(),
        QStringList{gone + QStringLiteral(" is gone; it has been taken off the Recent list.")});
    EXPECT_EQ(dropRecentMenu(), QStringList({"&1 " + a, "&2 " + b}));
    QTest::keyClick(Form3->Recent1, Qt::Key_Escape);
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: 00damage.dat"));
}

} // namespace
