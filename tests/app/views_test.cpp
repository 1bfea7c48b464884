// The top and side view windows: settings menu, captions, clicks, markers and the pictures.

#include "paint_box.h"
#include "program.h"
#include "render_module.h"
#include "side_view.h"
#include "top_view.h"
#include "view_settings.h"
#include "views/scene_painter.h"
#include "views/view_sizes.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records which paint boxes paint, in order.
class PaintRecorder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted.push_back(watched->objectName());
        return false;
    }
    std::vector<QString> painted;
};

class HitBoxViews : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        openedFile_ = folder_.filePath(QStringLiteral("07damage.dat"));
        // Start-up order: the top view first, then the side view.
        Form5 = new TForm5(viewSettings_);
        Form6 = new TForm6(viewSettings_);
        Form5->pb1->setObjectName(QStringLiteral("pb1"));
        Form6->pb2->setObjectName(QStringLiteral("pb2"));
        HitBoxSource source;
        source.settings = &viewSettings_;
        source.partTable = &table_;
        source.fileName = [this] { return dialogName_; };
        Form5->drawFrom(source);
        Form6->drawFrom(source);
        program::linkHitBoxViews();
    }

    void TearDown() override {
        delete Form6;
        Form6 = nullptr;
        delete Form5;
        Form5 = nullptr;
    }

    void showBoth() {
        Form5->show();
        Form6->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form6));
        QCoreApplication::processEvents();
    }

    void openExistingFile() {
        QFile file(openedFile_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2110, '\0'));
        file.close();
        dialogName_ = openedFile_;
    }

    static QStringList checkedEntries() {
        QStringList checked;
        for (QMenu* submenu : {Form5->Grid1ft1, Form5->SetZoom1})
            for (QAction* entry : submenu->actions())
                if (entry->isChecked())
                    checked << entry->text();
        return checked;
    }

    QTemporaryDir folder_;
    QString openedFile_;
    QString dialogName_;
    ViewSettings viewSettings_;
    dm::PartTable table_{};
};

const QString kTopStart = QStringLiteral("Hit Box Graphic-Top View  Grid @ 1ft  Zoom @ 100%  ");
const QString kSideStart = QStringLiteral("Hit Box Graphic-Side View  Grid @ 1ft  Zoom @ 100%  ");

TEST_F(HitBoxViews, StartUpStateWindowsAndMenu) {
    EXPECT_EQ(Form5->windowTitle(), kTopStart);
    EXPECT_EQ(Form6->windowTitle(), kSideStart);
    EXPECT_EQ(viewSettings_.values().GridFeet, 1);
    EXPECT_EQ(viewSettings_.values().ZoomFactor, 10);
    EXPECT_EQ(checkedEntries(), (QStringList{"1ft", "100%"}));

    // The design sizes, written out here once more so that a changed constant fails.
    EXPECT_EQ(Form5->size(), QSize(515, 517));
    EXPECT_EQ(Form6->size(), QSize(454, 353));
    showBoth();
    EXPECT_EQ(Form5->pb1->geometry(), Form5->rect());
    EXPECT_EQ(Form6->pb2->geometry(), Form6->rect());
    EXPECT_EQ(Form5->palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_EQ(Form6->palette().color(QPalette::Window), QColor(128, 128, 128));

    QStringList menu;
    for (QAction* item : Form5->tvpum->actions()) {
        menu << item->text();
        if (item->menu() == nullptr)
            continue; // "Edit Hit Boxes", "3D View" and "Background Picture..." are no groups
        for (QAction* entry : item->menu()->actions()) {
            menu << "  " + entry->text();
            EXPECT_TRUE(entry->isCheckable());
            EXPECT_TRUE(entry->actionGroup()->isExclusive());
        }
    }
    EXPECT_EQ(menu,
              (QStringList{"Set Grid ", "  1ft", "  2ft", "  5ft", "  10ft", "Set Zoom", "  100%",
                           "  50%", "  20%", "  Fit", "Edit Hit Boxes", "Symmetric Editing",
                           "Mirror to Twin", "3D View", "Background Picture..."}));
    EXPECT_EQ(Form5->Grid1ft1->menuAction(), Form5->tvpum->actions()[0]);
    EXPECT_EQ(Form5->SetZoom1->menuAction(), Form5->tvpum->actions()[1]);
}

TEST_F(HitBoxViews, EveryMenuEntrySetsItsValueTextAndCheckMark) {
    struct Case {
        QAction* TForm5::*entry;
        int gridFeet;
        int zoomFactor;
        const char* suffix;
        QStringList checked;
    };
    // Each case starts where the one before left off.
    const Case cases[]{
        {&TForm5::N5ft1, 5, 10, "Grid @ 5ft  Zoom @ 100%  ", {"5ft", "100%"}},
        {&TForm5::N201, 5, 2, "Grid @ 5ft  Zoom @ 20%  ", {"5ft", "20%"}},
        {&TForm5::N2ft1, 2, 2, "Grid @ 2ft  Zoom @ 20%  ", {"2ft", "20%"}},
        {&TForm5::N501, 2, 5, "Grid @ 2ft  Zoom @ 50%  ", {"2ft", "50%"}},
        {&TForm5::N10ft1, 10, 5, "Grid @ 10ft  Zoom @ 50%  ", {"10ft", "50%"}},
        {&TForm5::N10ft1, 10, 5, "Grid @ 10ft  Zoom @ 50%  ", {"10ft", "50%"}},
        {&TForm5::N1001, 10, 10, "Grid @ 10ft  Zoom @ 100%  ", {"10ft", "100%"}},
        {&TForm5::N1ft1, 1, 10, "Grid @ 1ft  Zoom @ 100%  ", {"1ft", "100%"}},
    };
    for (const Case& c : cases) {
        QAction* entry = Form5->*c.entry;
        SCOPED_TRACE(entry->text().toStdString());
        entry->trigger();
        EXPECT_EQ(viewSettings_.values().GridFeet, c.gridFeet);
        EXPECT_EQ(viewSettings_.values().ZoomFactor, c.zoomFactor);
        EXPECT_EQ(Form5->windowTitle(), "Hit Box Graphic-Top View  " + QString(c.suffix));
        EXPECT_EQ(Form6->windowTitle(), "Hit Box Graphic-Side View  " + QString(c.suffix));
        EXPECT_EQ(checkedEntries(), c.checked);
    }
}

TEST_F(HitBoxViews, MenuOpenedInTheSideViewChangesBothViews) {
    showBoth();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20),
                                 Form6->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(Form6->pb2, &rightClick);
    ASSERT_TRUE(Form5->tvpum->isVisible());

    PaintRecorder recorder;
    Form5->pb1->installEventFilter(&recorder);
    Form6->pb2->installEventFilter(&recorder);
    Form5->N5ft1->trigger();
    // Both pictures are drawn before the handler returns, the top view first.
    EXPECT_EQ(recorder.painted, (std::vector<QString>{"pb1", "pb2"}));
    recorder.painted.clear();
    Form5->N201->trigger();
    EXPECT_EQ(recorder.painted, (std::vector<QString>{"pb1", "pb2"}));
    Form5->tvpum->hide();

    EXPECT_EQ(viewSettings_.values().GridFeet * viewSettings_.values().ZoomFactor, 10);
    EXPECT_EQ(Form5->windowTitle(), "Hit Box Graphic-Top View  Grid @ 5ft  Zoom @ 20%  ");
    EXPECT_EQ(Form6->windowTitle(), "Hit Box Graphic-Side View  Grid @ 5ft  Zoom @ 20%  ");
    EXPECT_EQ(checkedEntries(), (QStringList{"5ft", "20%"}));
}

TEST_F(HitBoxViews, ClickRedrawsBothViewsAndChangesNothing) {
    showBoth();
    Form5->N2ft1->trigger();
    const QString topCaption = Form5->windowTitle();
    const QString sideCaption = Form6->windowTitle();

    PaintRecorder recorder;
    Form5->pb1->installEventFilter(&recorder);
    Form6->pb2->installEventFilter(&recorder);
    struct Case {
        const char* name;
        QWidget* box;
        Qt::MouseButton button;
        std::vector<QString> painted;
    };
    const Case cases[]{
        {"left click in the top view", Form5->pb1, Qt::LeftButton, {"pb1", "pb2"}},
        {"left click in the side view", Form6->pb2, Qt::LeftButton, {"pb2", "pb1"}},
        {"right button is no click", Form5->pb1, Qt::RightButton, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder.painted.clear();
        QTest::mouseClick(c.box, c.button, {}, QPoint(30, 40));
        EXPECT_EQ(recorder.painted, c.painted);
        EXPECT_EQ(viewSettings_.values().GridFeet, 2);
        EXPECT_EQ(viewSettings_.values().ZoomFactor, 10);
        EXPECT_EQ(Form5->windowTitle(), topCaption);
        EXPECT_EQ(Form6->windowTitle(), sideCaption);
    }
    Form5->tvpum->hide();

    // A press that leaves the box before its release is no click either.
    recorder.painted.clear();
    QTest::mousePress(Form5->pb1, Qt::LeftButton, {}, QPoint(30, 40));
    QTest::mouseRelease(Form5->pb1, Qt::LeftButton, {}, QPoint(-5, 40));
    EXPECT_EQ(recorder.painted, std::vector<QString>{});
}

QImage picture(QWidget* box) {
    return box->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(HitBoxViews, MarkersOnlyWhileTheOpenedFileExists) {
    table_[19].PX3 = -10; // the pilot's marker, maroon, at (357, 108) in the top view
    table_[19].PY3 = 10;
    table_[19].PZ3 = 3; // and at (197, 26) in the side view
    const QPoint topMarker(357, 108);
    const QPoint sideMarker(197, 26);
    const QColor maroon(128, 0, 0);
    const QColor silver(192, 192, 192);

    EXPECT_EQ(picture(Form5->pb1).pixelColor(topMarker), silver) << "no file chosen yet";
    openExistingFile();
    EXPECT_EQ(picture(Form5->pb1).pixelColor(topMarker), maroon);
    EXPECT_EQ(picture(Form6->pb2).pixelColor(sideMarker), maroon);
    ASSERT_TRUE(QFile::remove(openedFile_));
    EXPECT_EQ(picture(Form5->pb1).pixelColor(topMarker), silver) << "file deleted";
    EXPECT_NE(picture(Form6->pb2).pixelColor(sideMarker), maroon);
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("07damage.dat")));
    EXPECT_EQ(picture(Form5->pb1).pixelColor(topMarker), silver) << "a folder is no file";
}

// Fuselage box (1, 2)-(-1, -2), pilot marker at (-10, 10), rudder outline from the side.
void fillPictureTable(dm::PartTable& table) {
    table[15].PX1 = 1;
    table[15].PY1 = 2;
    table[15].PX2 = -1;
    table[15].PY2 = -2;
    table[15].PZ1 = 2;
    table[15].PZ2 = -1;
    table[19].PX3 = -10;
    table[19].PY3 = 10;
    table[14].PZ1 = 9;
    table[14].PZ2 = 6;
    table[14].PY1 = -8;
    table[14].PY2 = -12;
}

struct PixelCase {
    const char* what;
    QPoint at;
    QColor colour;
};

void expectPixels(const QImage& image, const std::vector<PixelCase>& cases) {
    for (const PixelCase& c : cases)
        EXPECT_EQ(image.pixelColor(c.at), c.colour)
            << c.what << " at " << c.at.x() << "," << c.at.y();
}

const QColor kOlive(128, 128, 0);
const QColor kMaroon(128, 0, 0);
const QColor kSilver(192, 192, 192);
const QColor kBlack(0, 0, 0);
const QColor kGray(128, 128, 128);
const QColor kBlue(0, 0, 255);

// Top view 515 x 517 at 100% and 1ft: grid at 257 +- 10k and 258 +- 10k, origin (257, 208).
const std::vector<PixelCase> kTopPixels{
    {"fuselage fill", {252, 195}, kOlive},       {"pilot marker", {357, 108}, kMaroon},
    {"vertical grid line", {307, 400}, kSilver}, {"horizontal grid line", {302, 398}, kSilver},
    {"y = 0 line", {100, 208}, kBlack},          {"x = 0 line", {257, 400}, kBlack},
    {"bottom edge line", {100, 516}, kBlack},    {"right edge line", {514, 100}, kBlack},
    {"background", {302, 403}, kGray},           {"background, top left", {1, 1}, kGray},
};

// Side view 454 x 353: grid at 227 +- 10k and 176 +- 10k, origin (227, 126).
const std::vector<PixelCase> kSidePixels{
    {"fuselage fill, z from 2 to -1", {212, 110}, kOlive},
    {"rudder outline, left edge at z = 9", {137, 235}, kBlue},
    {"rudder inside, outline only", {150, 230}, kGray},
    {"pilot marker sits at z = 0", {227, 26}, kMaroon},
    {"y = 0 line", {20, 126}, kBlack},
    {"x = 0 line", {227, 300}, kBlack},
    {"vertical grid line", {247, 300}, kSilver},
    {"background", {252, 303}, kGray},
};

TEST_F(HitBoxViews, WindowPicturesAtKnownPixels) {
    fillPictureTable(table_);
    openExistingFile();
    const QImage top = picture(Form5->pb1);
    const QImage side = picture(Form6->pb2);
    ASSERT_EQ(top.size(), views::kTopViewDesignSize);
    ASSERT_EQ(side.size(), views::kSideViewDesignSize);
    expectPixels(top, kTopPixels);
    expectPixels(side, kSidePixels);
}

// dmtool render draws what the window shows, pixel for pixel, at every size and setting.
TEST_F(HitBoxViews, RenderedFileEqualsTheWindowsPicture) {
    showBoth();
    fillPictureTable(table_);
    dm::writeWholeFile(openedFile_.toStdString(), {}, table_);
    dialogName_ = openedFile_;
    const std::string out = folder_.filePath(QStringLiteral("view.png")).toStdString();
    const std::string file = openedFile_.toStdString();

    struct Case {
        std::vector<std::string> args;
        QAction* TForm5::*grid;
        QAction* TForm5::*zoom;
        QSize resizeTo; // empty: the design size
        bool markers;
    };
    const Case cases[]{
        {{"--view", "top"}, &TForm5::N1ft1, &TForm5::N1001, {}, true},
        {{"--view", "side"}, &TForm5::N1ft1, &TForm5::N1001, {}, true},
        {{"--view", "top", "--grid", "5", "--zoom", "20", "--size", "640x90"},
         &TForm5::N5ft1,
         &TForm5::N201,
         {640, 90},
         true},
        {{"--view", "side", "--grid", "2", "--zoom", "50", "--size", "301x250", "--no-markers"},
         &TForm5::N2ft1,
         &TForm5::N501,
         {301, 250},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + std::to_string(c.args.size()));
        std::vector<std::string> args{file, "-o", out, "--legend"}; // as the windows show them
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_EQ(runRenderModule(args), 0);
        QImage rendered(QString::fromStdString(out));
        ASSERT_FALSE(rendered.isNull());
        rendered = rendered.convertToFormat(QImage::Format_RGB32);

        (Form5->*c.grid)->trigger();
        (Form5->*c.zoom)->trigger();
        dialogName_ = c.markers ? openedFile_ : QString();
        QWidget* window = c.args[1] == "top" ? static_cast<QWidget*>(Form5) : Form6;
        QWidget* box = c.args[1] == "top" ? static_cast<QWidget*>(Form5->pb1) : Form6->pb2;
        window->resize(c.resizeTo.isEmpty() ? window->size() : c.resizeTo);
        EXPECT_EQ(rendered, picture(box));
    }
    // The design-size renders hold the known pixels as well.
    ASSERT_EQ(runRenderModule({file, "-o", out, "--view", "top"}), 0);
    expectPixels(QImage(QString::fromStdString(out)), kTopPixels);
}

} // namespace
