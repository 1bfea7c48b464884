#include "commands_fixture.h"
#include "drop_helpers.h"

#include "command_line.h"
#include "outside_files.h"
#include "paint_box.h"
#include "side_view.h"
#include "top_view.h"

#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace {

using namespace commandtest;
using shell::SaveChangesAnswer;

TEST(CommandLineTest, OptionsFilesAndProblems) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool help;
        bool version;
        bool platformOption;
        std::vector<std::string> files;
        std::string problem;
    };
    const Case cases[] = {
        {"nothing", {}, false, false, false, {}, ""},
        {"one file", {"05damage.dat"}, false, false, false, {"05damage.dat"}, ""},
        {"help", {"--help"}, true, false, false, {}, ""},
        {"short help", {"-h"}, true, false, false, {}, ""},
        {"version", {"--version"}, false, true, false, {}, ""},
        {"after --, options are files", {"--", "--help"}, false, false, false, {"--help"}, ""},
        {"a lone dash is a file", {"-"}, false, false, false, {"-"}, ""},
        {"Qt's platform option",
         {"-platform", "xcb"},
         false,
         false,
         true,
         {"xcb"},
         "unknown option '-platform'"},
        {"unknown option", {"-x", "a.dat"}, false, false, false, {"a.dat"}, "unknown option '-x'"},
        {"two files",
         {"a.dat", "b.dat"},
         false,
         false,
         false,
         {"a.dat", "b.dat"},
         "takes one file, 2 given"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const startup::CommandLine line = startup::parseCommandLine(c.args);
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.version, c.version);
        EXPECT_EQ(line.platformOption, c.platformOption);
        EXPECT_EQ(line.files, c.files);
        EXPECT_EQ(line.problem(), c.problem);
    }
}

TEST(CommandLineTest, WaylandSessionsRunThroughXWaylandUnlessThePlatformWasChosen) {
    using startup::DisplayChoice;
    struct Case {
        const char* name;
        startup::DisplayEnvironment environment;
        bool platformOption;
        DisplayChoice expected;
    };
    const Case cases[] = {
        {"X11 session", {"", ":0", "", "x11"}, false, DisplayChoice::AsIs},
        {"Wayland session with XWayland",
         {"", ":0", "wayland-0", "wayland"},
         false,
         DisplayChoice::XWayland},
        {"Wayland display only named by the session",
         {"", ":1", "", "wayland"},
         false,
         DisplayChoice::XWayland},
        {"Wayland without XWayland", {"", "", "wayland-0", "wayland"}, false, DisplayChoice::AsIs},
        {"platform chosen in the environment",
         {"wayland", ":0", "wayland-0", "wayland"},
         false,
         DisplayChoice::AsIs},
        {"platform chosen on the command line",
         {"", ":0", "wayland-0", "wayland"},
         true,
         DisplayChoice::AsIs},
        {"no display at all", {"", "", "", "tty"}, false, DisplayChoice::NoDisplay},
        {"no display but a platform chosen", {"offscreen", "", "", ""}, false, DisplayChoice::AsIs},
    };
    for (const Case& c : cases)
        EXPECT_EQ(startup::chooseDisplay(c.environment, c.platformOption), c.expected) << c.name;
}

class CommandLineOpenTest : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        shell::setFileDialogRunner(&dialogs_);
    }
    void TearDown() override {
        ShellTest::TearDown();
        shell::setFileDialogRunner(nullptr);
    }

    ScriptedFileDialogs dialogs_; // any dialog shown fails the test: it has no answers
};

TEST_F(CommandLineOpenTest, FileOpensAtOnceInTheShownEditor) {
    struct Case {
        const char* name;
        const char* sample;
        QString caption;
        QStringList errors;
        bool saveEnabled;
    };
    const Case cases[] = {
        {"damage file", "0fdamage.dat", QStringLiteral("Editing DM File: 0fdamage.dat"), {}, true},
        {"file too short",
         "ffdamage.dat",
         QStringLiteral("Editing DM File: "),
         {QStringLiteral("Read beyond end of file.")},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(iniPath());
        errors_.shown.clear();
        program::createWindows();
        program::openAtStart(QStringLiteral(DM_SAMPLES_DIR "/") + c.sample);
        EXPECT_TRUE(Form3->isVisible());
        EXPECT_FALSE(Form1->isVisible());
        EXPECT_EQ(Form3->windowTitle(), c.caption);
        EXPECT_EQ(errors_.texts(), c.errors);
        EXPECT_EQ(Form3->Save1->isEnabled(), c.saveEnabled);
        EXPECT_EQ(stored("file settings", "initdirect"), DM_SAMPLES_DIR "/");
        EXPECT_TRUE(dialogs_.shown.empty());
        program::destroyWindows();
    }
}

using FileDropTest = CommandTest;

TEST_F(FileDropTest, OneLocalDatFileDroppedOnTheEditorOrAViewOpens) {
    const QString upper = copySample("0fdamage.dat");
    const QString renamed = filePath(QStringLiteral("05DAMAGE.DAT"));
    ASSERT_TRUE(QFile::rename(upper, renamed));
    const QString other = copySample("27damage.dat");
    struct Case {
        const char* name;
        QWidget* target;
        QStringList files;
        QString caption; // empty: refused
    };
    const Case cases[] = {
        {"grid", grid_->viewport(), {renamed}, QStringLiteral("Editing DM File: 05DAMAGE.DAT")},
        {"top view", Form5->pb1, {other}, QStringLiteral("Editing DM File: 27damage.dat")},
        {"side view", Form6, {renamed}, QStringLiteral("Editing DM File: 05DAMAGE.DAT")},
        {"two files", Form5->pb1, {renamed, other}, {}},
        {"not a damage file", Form6, {filePath(QStringLiteral("notes.txt"))}, {}},
        {"remote file",
         grid_->viewport(),
         {QStringLiteral("https://example.org/05damage.dat")},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString before = Form3->windowTitle();
        EXPECT_EQ(dragAndDrop(c.target, c.files), !c.caption.isEmpty());
        EXPECT_EQ(Form3->windowTitle(), c.caption.isEmpty() ? before : c.caption);
    }
    EXPECT_TRUE(dialogs_.shown.empty());
    EXPECT_TRUE(errors_.shown.empty());
}

TEST_F(FileDropTest, DropAsksAboutUnsavedChangesAsOpenDoes) {
    const QString first = copySample("0fdamage.dat");
    const QString second = copySample("27damage.dat");
    open(first);
    for (const SaveChangesAnswer answer : {SaveChangesAnswer::Cancel, SaveChangesAnswer::Discard}) {
        SCOPED_TRACE(answer == SaveChangesAnswer::Cancel ? "cancel" : "discard");
        typeInto(2, 7, QStringLiteral("123"));
        questions_.asked.clear();
        questions_.saveAnswers.push_back(answer);
        EXPECT_TRUE(dragAndDrop(Form6, {second}));
        EXPECT_EQ(questions_.asked.size(), 1);
        EXPECT_EQ(Form3->windowTitle(), answer == SaveChangesAnswer::Cancel
                                            ? QStringLiteral("Editing DM File: 0fdamage.dat")
                                            : QStringLiteral("Editing DM File: 27damage.dat"));
    }
    EXPECT_EQ(dialogs_.shown.size(), 1u) << "only the first, scripted Open showed its dialog";
}

} // namespace
