// Restores stored placements under a real X server, started here, and looks at the screen to see
// where the windows really are.
#include "../support/test_support.h"
#include "start_window.h"
#include "editor_window.h"
#include "top_view.h"
#include "side_view.h"
#include "platform/application.h"
#include "program.h"
#include "about_box.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        if (access((folders.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

class XServer {
public:
    // Starts Xvfb on a display it chooses itself; false when it did not come up.
    bool start() {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return false;
        pid_ = fork();
        if (pid_ == 0) {
            close(pipeEnds[0]);
            const std::string fd = std::to_string(pipeEnds[1]);
            const std::string screen =
                std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        std::string number;
        pollfd ready{pipeEnds[0], POLLIN, 0};
        char c = 0;
        while (poll(&ready, 1, 10000) > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipeEnds[0]);
        display_ = number.empty() ? std::string() : ":" + number;
        return !display_.empty();
    }

    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A window manager on the test's display, for as long as the object lives.
class WindowManager {
public:
    explicit WindowManager(const std::string& display) {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            execlp("openbox", "openbox", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~WindowManager() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

private:
    pid_t pid_ = -1;
};

class X11PlacementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!onPath("Xvfb"))
            return;
        server_ = std::make_unique<XServer>();
        if (!server_->start())
            return;
        qputenv("DISPLAY", QByteArray::fromStdString(server_->display()));
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "x11_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }

    static void TearDownTestSuite() {
        app_.reset();
        if (server_)
            server_->stop();
        server_.reset();
    }

    void SetUp() override {
        if (!onPath("Xvfb"))
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(app_) << "Xvfb did not start";
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

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
        cover->setGeometry(window->rect());
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

    QString stored(const char* section, const char* key) const {
        QSettings file(folder_.filePath(QStringLiteral("du2daminfo.INI")), QSettings::IniFormat);
        return file.value(QLatin1String(section) + '/' + key).toStringList().join(',');
    }

    static inline std::unique_ptr<XServer> server_;
    static inline std::unique_ptr<QApplication> app_;
    testsupport::ExecutableFolder folder_{QStringLiteral(DM_BIN_DIR)};
    testsupport::RecordingPresenter errors_;
};

TEST_F(X11PlacementTest, ViewsAppearWhereTheSettingsFileSays) {
    // The side view lies partly beyond the right edge and comes back inside.
    writeIni("[HBTV]\r\nForm5=200,0,1,100,100,600,500\r\n"
             "[HBSV]\r\nForm6=200,0,1,900,0,1200,300\r\n");
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
    EXPECT_EQ(whereOnScreen(Qt::magenta), QRect(100, 100, 500, 400));
    EXPECT_EQ(whereOnScreen(Qt::cyan), QRect(724, 0, 300, 300));

    // Moved, hidden and shown again: back at the stored place.
    Form5->move(10, 400);
    QTest::qWait(200);
    Form5->hide();
    platform::showWindow(Form5);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    QTest::qWait(300);
    EXPECT_EQ(whereOnScreen(Qt::magenta), QRect(100, 100, 500, 400));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(X11PlacementTest, UnderAWindowManagerTheFrameLiesWhereTheSettingsFileSays) {
    if (!onPath("openbox"))
        GTEST_SKIP() << "openbox is not installed: the scenario with a window frame is not run";
    const WindowManager manager(server_->display());
    QTest::qWait(1000);
    writeIni("[HBTV]\r\nForm5=200,0,1,100,100,600,500\r\n"
             "[HBSV]\r\nForm6=200,0,1,620,50,1020,350\r\n");
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
    EXPECT_EQ(Form5->frameGeometry(), QRect(100, 100, 500, 400));
    EXPECT_EQ(Form5->geometry(), QRect(100, 100, 500, 400).marginsRemoved(frame));
    EXPECT_EQ(Form6->frameGeometry(), QRect(620, 50, 400, 300));
    // The editor's first size counts its frame.
    EXPECT_EQ(Form3->frameGeometry().size(), QSize(797, 327));

    // Hidden and shown again: the frame, not the client area, goes back to the stored place.
    Form5->move(10, 300);
    QTest::qWait(200);
    Form5->hide();
    QTest::qWait(200);
    platform::showWindow(Form5);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    QTest::qWait(500);
    // Qt may not have heard of the new frame yet; the client area tells where the frame is.
    EXPECT_EQ(Form5->geometry(), QRect(100, 100, 500, 400).marginsRemoved(frame));

    // Nothing moved since: the end stores what it was given, with no creep by one frame.
    program::destroyWindows();
    EXPECT_EQ(stored("HBTV", "Form5"), QStringLiteral("200,0,1,100,100,600,500"));
    EXPECT_EQ(stored("HBSV", "Form6"), QStringLiteral("200,0,1,620,50,1020,350"));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
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
