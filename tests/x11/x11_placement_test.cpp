// Restores stored placements under a real X server, started here, and looks at the screen to see
// where the windows really are.
#include "../support/test_support.h"
#include "about_box.h"
#include "aircraft_list_window.h"
#include "axis_window.h"
#include "editor_window.h"
#include "hitbox_3d_view.h"
#include "program.h"
#include "shell/application.h"
#include "side_view.h"
#include "start_window.h"
#include "top_view.h"
#include "x_server.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using namespace x11test;

class X11PlacementTest : public X11Session {
protected:
    void TearDown() override { program::destroyWindows(); }

    void writeIni(const QByteArray& text) {
        QFile file(folder_.filePath(QStringLiteral("du2daminfo.INI")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Covers the window's client area with one colour, so the screen shows where it is.
    static void mark(QWidget* window, QColor colour) {
        auto* cover = new QWidget(window);
        cover->setAutoFillBackground(true);
        QPalette palette = cover->palette();
        palette.setColor(QPalette::Window, colour);
        cover->setPalette(palette);
        cover->setGeometry(0, 0, 4000, 4000); // clipped to the window, whatever size it takes
        cover->show();
        cover->raise();
    }

    // The bounding box of the colour in a grab of the whole X screen.
    static QRect whereOnScreen(QColor colour) {
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        QRect box;
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                if (screen.pixelColor(x, y) == colour)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    std::string stored(const char* section, const char* key) const {
        QSettings file(folder_.filePath(QStringLiteral("du2daminfo.INI")), QSettings::IniFormat);
        return file.value(QLatin1String(section) + '/' + key)
            .toStringList()
            .join(',')
            .toStdString();
    }

    testsupport::ExecutableFolder folder_{QStringLiteral(DM_BIN_DIR)};
    testsupport::RecordingPresenter errors_;
};

TEST_F(X11PlacementTest, ViewsAppearWhereTheSettingsFileSays) {
    // The side view lies partly beyond the right edge and comes back inside.
    writeIni("[HBTV]\r\nForm5=200,0,1,100,100,650,650\r\n"
             "[HBSV]\r\nForm6=200,0,1,900,0,1400,400\r\n");
    program::createWindows();
    EXPECT_EQ(QGuiApplication::primaryScreen()->geometry().size(),
              QSize(kScreenWidth, kScreenHeight));
    mark(Form5, Qt::magenta);
    mark(Form6, Qt::cyan);
    program::showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    Form1->Button5Click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form6));
    Form3->hide(); // the editor, shown last, would cover parts of the views
    QTest::qWait(300);

    // No window manager runs, so there is no frame: the outer rectangle is the client area.
    EXPECT_EQ(whereOnScreen(Qt::magenta), QRect(100, 100, 550, 550));
    EXPECT_EQ(whereOnScreen(Qt::cyan), QRect(524, 0, 500, 400));

    // Moved, hidden and shown again: back at the stored place.
    Form5->move(10, 400);
    QTest::qWait(200);
    Form5->hide();
    shell::showWindow(Form5);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    QTest::qWait(300);
    EXPECT_EQ(whereOnScreen(Qt::magenta), QRect(100, 100, 550, 550));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(X11PlacementTest, UnderAWindowManagerTheFrameLiesWhereTheSettingsFileSays) {
    if (!onPath("openbox"))
        GTEST_SKIP() << "openbox is not installed: the scenario with a window frame is not run";
    const WindowManager manager(server_->display());
    QTest::qWait(1000);
    writeIni("[HBTV]\r\nForm5=200,0,1,100,100,650,650\r\n"
             "[HBSV]\r\nForm6=200,0,1,520,50,1020,450\r\n");
    program::createWindows();
    program::showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    Form1->Button5Click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form6));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
    QTest::qWait(500);

    const QMargins frame = Form5->windowHandle()->frameMargins();
    ASSERT_FALSE(frame.isNull()) << "the window manager put no frame around the top view";
    EXPECT_EQ(Form5->frameGeometry(), QRect(100, 100, 550, 550));
    EXPECT_EQ(Form5->geometry(), QRect(100, 100, 550, 550).marginsRemoved(frame));
    EXPECT_EQ(Form6->frameGeometry(), QRect(520, 50, 500, 400));
    // The editor's first size counts its frame.
    EXPECT_EQ(Form3->frameGeometry().size(), QSize(797, 327));

    // Hidden and shown again: the frame, not the client area, goes back to the stored place.
    Form5->move(10, 300);
    QTest::qWait(200);
    Form5->hide();
    QTest::qWait(200);
    shell::showWindow(Form5);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    QTest::qWait(500);
    // Qt may not have heard of the new frame yet; the client area tells where the frame is.
    EXPECT_EQ(Form5->geometry(), QRect(100, 100, 550, 550).marginsRemoved(frame));

    // Nothing moved since: the end stores what it was given, with no creep by one frame.
    program::destroyWindows();
    EXPECT_EQ(stored("HBTV", "Form5"), "200,0,1,100,100,650,650");
    EXPECT_EQ(stored("HBSV", "Form6"), "200,0,1,520,50,1020,450");
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

class X11FramedTest : public X11PlacementTest {
protected:
    void SetUp() override {
        X11PlacementTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (!onPath("openbox"))
            GTEST_SKIP()
                << "openbox is not installed: the scenarios with a window frame are not run";
        manager_ = std::make_unique<WindowManager>(server_->display());
        QTest::qWait(1000);
    }
    void TearDown() override {
        X11PlacementTest::TearDown();
        manager_.reset();
    }

    // One run of the program up to the editor, ended by `end` while it is open.
    void runToEditor(const std::function<void()>& end = [] {}) {
        program::createWindows();
        program::showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
        Form1->Button5Click();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
        QTest::qWait(500);
        end();
        program::destroyWindows();
    }

    std::unique_ptr<WindowManager> manager_;
};

TEST_F(X11FramedTest, AnEditorEndingMaximisedStoresItsNormalRectangleRunAfterRun) {
    writeIni("[Common]\r\nForm3=200,0,1,50,60,850,460\r\n");
    ASSERT_NO_FATAL_FAILURE(runToEditor([] {
        Form3->showMaximized();
        QTest::qWait(500);
        ASSERT_TRUE(Form3->isMaximized());
    }));
    for (int run = 1; run <= 5; ++run) {
        EXPECT_EQ(stored("Common", "Form3"), "200,0,3,50,60,850,460") << run;
        ASSERT_NO_FATAL_FAILURE(runToEditor([] { EXPECT_TRUE(Form3->isMaximized()); }));
    }
    // Un-maximised, it comes back exactly at the stored rectangle, and keeps it.
    for (int run = 1; run <= 2; ++run) {
        ASSERT_NO_FATAL_FAILURE(runToEditor([run] {
            Form3->showNormal();
            const QRect stored(50, 60, 800, 400);
            // The window manager takes its time; a busy machine more.
            for (int wait = 0; wait < 50 && Form3->windowHandle()->frameGeometry() != stored;
                 ++wait)
                QTest::qWait(100);
            QTest::qWait(300);
            EXPECT_EQ(Form3->windowHandle()->frameGeometry(), stored) << run;
        }));
        EXPECT_EQ(stored("Common", "Form3"), "200,0,1,50,60,850,460") << run;
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(X11FramedTest, TheAircraftListComesUpAtItsDesignPlaceEveryTime) {
    // Its design place, 945, 171, 260 x 631, moved inside the 1024 x 768 screen.
    const QRect inside(kScreenWidth - 260, kScreenHeight - 631, 260, 631);
    for (int run = 0; run < 12; ++run) {
        ASSERT_NO_FATAL_FAILURE(runToEditor([run, inside] {
            Form3->AircraftList1->trigger();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(Form4));
            QTest::qWait(300);
            // As the window system has it: the widget's own frame is not always up to date.
            EXPECT_EQ(Form4->windowHandle()->frameGeometry(), inside) << run;
        }));
    }
}

// The same screen at 144 dots per inch: Qt scales by 1.5, so the windows' sizes take more of it.
class X11HighDpiTest : public X11FramedTest {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_SCALE_FACTOR", "1.5");
        X11PlacementTest::SetUpTestSuite();
    }
    static void TearDownTestSuite() {
        X11PlacementTest::TearDownTestSuite();
        qunsetenv("QT_SCALE_FACTOR");
    }
};

TEST_F(X11HighDpiTest, EveryWindowOpensInsideTheWorkArea) {
    struct Case {
        const char* name;
        QByteArray ini;
    };
    const Case cases[] = {
        {"first run", ""},
        {"placements stored at 96 dots per inch",
         "[Common]\r\nForm3=200,0,1,100,300,897,627\r\n[HBTV]\r\nForm5=200,0,1,0,0,523,544\r\n"
         "[HBSV]\r\nForm6=200,0,1,500,300,962,680\r\n[HB3D]\r\nForm7=200,0,1,300,200,940,680\r\n"},
    };
    for (const Case& c : cases) {
        writeIni(c.ini);
        ASSERT_NO_FATAL_FAILURE(runToEditor([&c] {
            Form3->AircraftList1->trigger();
            Form3->DamageAxis1->trigger();
            Form5->N3DView1->trigger();
            const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
            ASSERT_LT(work.height(), 520) << "the screen is not scaled";
            for (QWidget* window :
                 std::initializer_list<QWidget*>{Form2, Form3, Form4, Form5, Form6, Form7}) {
                ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
                QTest::qWait(300);
                EXPECT_TRUE(work.contains(window->windowHandle()->frameGeometry()))
                    << c.name << ": " << window->windowTitle().toStdString() << " at "
                    << window->windowHandle()->frameGeometry().x() << ","
                    << window->windowHandle()->frameGeometry().y() << " "
                    << window->windowHandle()->frameGeometry().width() << "x"
                    << window->windowHandle()->frameGeometry().height();
            }
        }));
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(X11FramedTest, HitBoxImageLeavesTheSideViewInFrontWhicheverViewWasClosed) {
    // The views overlap around (400, 300).
    writeIni("[HBTV]\r\nForm5=200,0,1,100,100,650,660\r\n"
             "[HBSV]\r\nForm6=200,0,1,300,200,800,600\r\n");
    const QPoint overlap(400, 300);
    struct Case {
        const char* name;
        bool closeTop;
        bool closeSide;
    };
    const Case cases[] = {{"top view closed", true, false},
                          {"side view closed", false, true},
                          {"both closed", true, true},
                          {"none closed", false, false}};
    for (const Case& c : cases) {
        ASSERT_NO_FATAL_FAILURE(runToEditor([&c, overlap] {
            mark(Form5, Qt::magenta);
            mark(Form6, Qt::cyan);
            Form3->hide();
            Form5->raise(); // the side view starts behind
            QTest::qWait(300);
            if (c.closeTop)
                Form5->close();
            if (c.closeSide)
                Form6->close();
            QTest::qWait(300);
            Form3->hitbox->trigger();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
            ASSERT_TRUE(QTest::qWaitForWindowExposed(Form6));
            QTest::qWait(800);
            const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            EXPECT_EQ(screen.pixelColor(overlap), QColor(Qt::cyan)) << c.name;
        }));
    }
}

TEST_F(X11PlacementTest, UnderAWindowManagerTheAboutBoxHasOneTitleBarItsOwn) {
    if (!onPath("openbox"))
        GTEST_SKIP() << "openbox is not installed: the scenario with a window frame is not run";
    const WindowManager manager(server_->display());
    QTest::qWait(1000);
    TLMDAboutDlg about;
    const auto dialog = about.build();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::qWait(500);

    EXPECT_TRUE(dialog->windowHandle()->frameMargins().isNull())
        << "the window manager framed the about box";
    EXPECT_EQ(dialog->frameGeometry().width(), 440);
    const QRect screen(0, 0, kScreenWidth, kScreenHeight);
    EXPECT_LE((dialog->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    // On the screen the gradient starts right inside the dialog's own three-pixel frame.
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    EXPECT_EQ(shot.pixelColor(dialog->geometry().topLeft() + QPoint(3, 3)), QColor(0, 0, 128));
}

} // namespace
