#include "shell_fixture.h"

#include "core/damage_file.h"
#include "damage_document.h"
#include "editor_window.h"
#include "program.h"
#include "shell/window_placement.h"
#include "side_view.h"
#include "start_window.h"
#include "top_view.h"
#include "views/view_sizes.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <fstream>

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace {

using namespace shelltest;

class PlacementKeeperTest : public ShellTest {
protected:
    void writeIni(const std::string& text) {
        std::ofstream(iniPath().toStdString(), std::ios::binary) << text;
    }
    static QRect outer(const dm::Placement& p) {
        return QRect(p.left, p.top, p.right - p.left, p.bottom - p.top);
    }
    static QRect outerOf(const QWidget* window) { return outer(shell::windowPlacement(window)); }
};

TEST_F(PlacementKeeperTest, ShowingAViewTakesItsStoredPlacementEveryTime) {
    writeIni("[HBTV]\nForm5=200,0,1,100,50,650,600\n[HBSV]\nForm6=200,0,1,120,90,620,490\n");
    program::createWindows();
    Form1->Button5Click();
    EXPECT_EQ(outerOf(Form5), QRect(100, 50, 550, 550));
    EXPECT_EQ(Form5->frameGeometry(), QRect(100, 50, 550, 550));
    EXPECT_EQ(outerOf(Form6), QRect(120, 90, 500, 400));

    // Moved and resized, hidden and shown again: back where the file says.
    Form5->setGeometry(300, 200, 200, 150);
    Form5->close();
    Form3->hitbox->trigger();
    EXPECT_EQ(Form5->frameGeometry(), QRect(100, 50, 550, 550));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(PlacementKeeperTest, WrongShapesLeaveTheWindowWhereTheWindowSystemPutsIt) {
    program::createWindows();
    Form3->hitboxClick();
    const QRect unkept = Form5->frameGeometry();
    program::destroyWindows();
    for (const char* value : {"201,0,1,100,100,600,500", "200,0,1,100,100,600",
                              "200,0,1,100,100,600,500,7", "200", ""}) {
        writeIni(std::string("[HBTV]\nForm5=") + value + "\n");
        program::createWindows();
        Form3->hitboxClick();
        EXPECT_EQ(Form5->frameGeometry(), unkept) << value;
        program::destroyWindows();
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(PlacementKeeperTest, ABadFieldIsShownAndTheWindowKeepsItsPlacement) {
    struct Case {
        std::string ini;
        bool editor;
        QString shown; // empty: no error box
    };
    const Case cases[] = {
        {"[HBTV]\nForm5=200,0,1,abc,100,600,500\n", false, "'abc' is not a valid integer value."},
        {"[HBTV]\nForm5=200,x,1,10,10,600,560\n", false, ""},
        {"[Common]\nForm3=200,x,1,10,10,600,500\n", true, "'x' is not a valid integer value."},
    };
    program::createWindows();
    shell::showWindow(Form3);
    shell::showWindow(Form5);
    QCoreApplication::processEvents();
    const QRect unkeptEditor = Form3->frameGeometry();
    const QRect unkeptView = Form5->frameGeometry();
    program::destroyWindows();
    for (const Case& c : cases) {
        writeIni(c.ini);
        errors_.shown.clear();
        program::createWindows();
        QWidget* window = c.editor ? static_cast<QWidget*>(Form3) : Form5;
        shell::showWindow(window);
        QCoreApplication::processEvents();
        EXPECT_TRUE(window->isVisible());
        if (c.shown.isEmpty()) {
            EXPECT_TRUE(errors_.shown.empty()) << c.ini;
            EXPECT_EQ(window->frameGeometry(), QRect(10, 10, 590, 550)) << c.ini;
        } else {
            ASSERT_EQ(errors_.shown.size(), 1u) << c.ini;
            EXPECT_EQ(errors_.shown[0].text, c.shown);
            EXPECT_EQ(errors_.shown[0].caption, QStringLiteral("Quellor Damage File Editor"));
            EXPECT_EQ(window->frameGeometry(), c.editor ? unkeptEditor : unkeptView) << c.ini;
        }
        program::destroyWindows();
    }
}

TEST_F(PlacementKeeperTest, RectanglesBeyondTheScreenMoveBackInside) {
    const QSize screen = shell::primaryScreenSize();
    const std::string value = "200,0,1," + std::to_string(screen.width() - 100) + ",0," +
                              std::to_string(screen.width() + 400) + ",400";
    writeIni("[HBSV]\nForm6=" + value + "\n");
    program::createWindows();
    Form3->hitboxClick();
    EXPECT_EQ(Form6->frameGeometry(), QRect(screen.width() - 500, 0, 500, 400));
}

TEST_F(PlacementKeeperTest, BrokenStoredPlacementsComeUpUsableAndAreStoredHealed) {
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
        QSize smallest; // client size
    };
    const Case cases[] = {
        {"side view without area", "HBSV", "Form6", "200,0,1,300,300,200,200",
         views::kSideViewDesignSize},
        {"top view without area", "HBTV", "Form5", "200,0,1,300,300,300,300",
         views::kTopViewDesignSize},
        {"huge top view", "HBTV", "Form5", "200,0,1,0,0,100000,100000", views::kTopViewDesignSize},
        {"far left", "HBTV", "Form5", "200,0,1,-2147483000,0,2000,300", views::kTopViewDesignSize},
        {"above the screen", "HBSV", "Form6", "200,0,1,10,-5000,600,-4500",
         views::kSideViewDesignSize},
        {"editor without area", "Common", "Form3", "200,0,1,10,10,10,10", QSize(1, 1)},
    };
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize work = QGuiApplication::primaryScreen()->availableSize();
    for (const Case& c : cases) {
        writeIni(std::string("[") + c.section + "]\n" + c.key + "=" + c.value + "\n");
        program::createWindows();
        Form1->Button5Click();
        Form3->hitbox->trigger();
        QWidget* window = std::string(c.key) == "Form3"   ? static_cast<QWidget*>(Form3)
                          : std::string(c.key) == "Form5" ? static_cast<QWidget*>(Form5)
                                                          : Form6;
        const QRect shown = window->frameGeometry();
        EXPECT_TRUE(window->isVisible()) << c.name;
        EXPECT_GE(window->width(), c.smallest.width()) << c.name;
        EXPECT_GE(window->height(), c.smallest.height()) << c.name;
        EXPECT_LE(shown.width(), work.width()) << c.name;
        EXPECT_LE(shown.height(), work.height()) << c.name;
        EXPECT_GE(shown.top(), screen.top()) << c.name << ": the title bar must be reachable";
        EXPECT_GE(shown.right() + 1, screen.left() + dm::kReachableTitleWidth) << c.name;
        EXPECT_LE(shown.left(), screen.right()) << c.name;
        program::destroyWindows();
        const std::optional<dm::Placement> healed =
            dm::parsePlacement(stored(c.section, c.key), true, {});
        ASSERT_TRUE(healed) << c.name;
        EXPECT_EQ(outer(*healed), shown) << c.name << ": stored " << stored(c.section, c.key);
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(PlacementKeeperTest, TheEditorKeepsItsShowStateAndTheViewsDoNot) {
    writeIni("[Common]\nForm3=200,0,3,50,60,650,460\n[HBTV]\nForm5=200,0,3,40,30,590,590\n");
    program::createWindows();
    Form1->Button5Click();
    EXPECT_TRUE(Form3->isMaximized());
    EXPECT_EQ(shell::windowPlacement(Form3), (dm::Placement{0, 3, 50, 60, 650, 460}));
    EXPECT_FALSE(Form5->isMaximized());
    EXPECT_EQ(shell::windowPlacement(Form5), (dm::Placement{0, 1, 40, 30, 590, 590}));

    // The next run finds the editor maximised again over the same normal rectangle.
    program::destroyWindows();
    EXPECT_EQ(stored("Common", "Form3"), "200,0,3,50,60,650,460");
    program::createWindows();
    Form1->Button5Click();
    EXPECT_TRUE(Form3->isMaximized());
}

TEST_F(PlacementKeeperTest, TheEndStoresThreePlacementsAndDropsColourAndFont) {
    writeIni("; kept\n[file settings]\ninitdirect=/planes/\n"
             "[HBTV]\nForm5Color=255\nForm5Font=Arial\n[Common]\nform3font=x\n");
    program::createWindows();
    Form1->Button5Click();
    shell::setWindowPlacement(Form5, {0, 1, 205, 106, 728, 650});
    EXPECT_EQ(Form5->frameGeometry(), QRect(205, 106, 523, 544));
    shell::setWindowPlacement(Form6, {0, 1, 10, 20, 472, 400});
    shell::setWindowPlacement(Form3, {0, 1, 30, 40, 827, 367});

    Form3->close();
    EXPECT_TRUE(shell::terminateRequested());
    program::destroyWindows();
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Form3, nullptr);

    EXPECT_EQ(stored("HBTV", "Form5"), "200,0,1,205,106,728,650");
    EXPECT_EQ(stored("HBSV", "Form6"), "200,0,1,10,20,472,400");
    EXPECT_EQ(stored("Common", "Form3"), "200,0,1,30,40,827,367");
    for (const auto& [section, key] : std::vector<std::pair<const char*, const char*>>{
             {"HBTV", "Form5Color"}, {"HBTV", "Form5Font"}, {"Common", "Form3Font"}})
        EXPECT_EQ(stored(section, key), "<missing>") << key;
    EXPECT_EQ(stored("file settings", "initdirect"), "/planes/");
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("; kept"));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(PlacementKeeperTest, EndingFromTheStartWindowStoresTheUnshownPlacements) {
    program::createWindows();
    program::showMainWindow();
    Form1->close();
    EXPECT_TRUE(shell::terminateRequested());
    // Never on the screen, the windows have no position of their own: they lie at the work area's
    // top left corner with their sizes, the frame the start window has included.
    const QPoint corner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    const QMargins frame = shell::frameMargins(Form1);
    const auto value = [&corner](QSize outer) {
        return dm::formatPlacement({0, 1, corner.x(), corner.y(), corner.x() + outer.width(),
                                    corner.y() + outer.height()});
    };
    const std::string editor = value(QSize(797, 327));
    const std::string top = value(views::kTopViewDesignSize.grownBy(frame));
    const std::string side = value(views::kSideViewDesignSize.grownBy(frame));
    program::destroyWindows();
    EXPECT_EQ(stored("Common", "Form3"), editor);
    EXPECT_EQ(stored("HBTV", "Form5"), top);
    EXPECT_EQ(stored("HBSV", "Form6"), side);
    EXPECT_EQ(stored("file settings", "initdirect"), "<missing>") << "nothing else is written";
}

#ifdef __linux__
// Counts the times a file in a folder is written or replaced, from now on.
class FileWriteCounter {
public:
    FileWriteCounter(const QString& folder, QString name)
        : name_(std::move(name)), fd_(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~FileWriteCounter() { close(fd_); }

    int writes() {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && QFile::decodeName(event->name) == name_)
                    ++writes_;
                at += sizeof(inotify_event) + event->len;
            }
        return writes_;
    }

private:
    QString name_;
    int fd_;
    int writes_ = 0;
};
#endif

TEST_F(PlacementKeeperTest, EachWindowStoresItsPlacementInOneWriteAndUnshownOnesKeepTheirs) {
    struct Case {
        const char* name;
        bool colourAndFont; // keys a placement save drops
        bool started;       // the start button was pressed: all three windows were shown
        int writes;
    };
    const Case cases[] = {
        {"never shown, colour and font to drop", true, false, 3},
        {"shown, colour and font to drop", true, true, 3},
        {"shown, stored the same", false, true, 0},
    };
    const std::string editor = "200,0,1,1,41,798,368";
    const std::string top = "200,0,1,206,30,729,574";
    const std::string side = "200,0,1,11,21,473,401";
    for (const Case& c : cases) {
        const std::string extra = c.colourAndFont ? "Form5Color=255\nForm5Font=Arial\n" : "";
        writeIni("[Common]\nForm3=" + editor + "\n" + (c.colourAndFont ? "form3font=x\n" : "") +
                 "[HBTV]\nForm5=" + top + "\n" + extra + "[HBSV]\nForm6=" + side + "\n" +
                 (c.colourAndFont ? "Form6Color=1\n" : ""));
        program::createWindows();
        program::showMainWindow();
        if (c.started)
            Form1->Button5Click();
#ifdef __linux__
        FileWriteCounter counter(folder_.path(), QStringLiteral("du2daminfo.INI"));
#endif
        program::destroyWindows();
#ifdef __linux__
        EXPECT_EQ(counter.writes(), c.writes) << c.name;
#endif
        EXPECT_EQ(stored("Common", "Form3"), editor) << c.name;
        EXPECT_EQ(stored("HBTV", "Form5"), top) << c.name;
        EXPECT_EQ(stored("HBSV", "Form6"), side) << c.name;
        EXPECT_EQ(stored("HBTV", "Form5Color"), "<missing>") << c.name;
        EXPECT_EQ(stored("Common", "Form3Font"), "<missing>") << c.name;
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(PlacementKeeperTest, AnUnwritableFileIsShownOnceAndTheProgramStillEnds) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("du2daminfo.INI")));
    program::createWindows();
    Form1->Button5Click();
    Form3->close();
    program::destroyWindows();
    const QString message =
        QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(iniPath()) + '.';
    EXPECT_EQ(errors_.texts(), QStringList{message});
    for (const auto& shown : errors_.shown)
        EXPECT_EQ(shown.caption, QStringLiteral("Quellor Damage File Editor"));
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Form6, nullptr);
}

TEST_F(PlacementKeeperTest, ClosingTheEditorClosesTheCurrentDamageFile) {
    const std::string path = folder_.filePath(QStringLiteral("00damage.dat")).toStdString();
    dm::writeWholeFile(path, dm::DamageFileHeader{}, dm::PartTable{});
    program::createWindows();
    Form1->Button5Click();
    DamageDocument& document = program::document();
    document.open(QString::fromStdString(path));
    ASSERT_TRUE(document.CurrentDamageFile.isOpen());
    Form3->close();
    EXPECT_FALSE(document.CurrentDamageFile.isOpen());
    EXPECT_TRUE(shell::terminateRequested());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 2110);
}

} // namespace
