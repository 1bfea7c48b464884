// The 3-D view: its picture checked by pixels, its mouse handling, and its place among the windows.

#include "shell_fixture.h"

#include "../support/part_records.h"
#include "core/damage_file.h"
#include "editor_window.h"
#include "hitbox_3d_view.h"
#include "render_module.h"
#include "shell/window_placement.h"
#include "start_window.h"
#include "string_grid.h"
#include "top_view.h"
#include "views/qt_colours.h"
#include "views/scene_painter_3d.h"

#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

namespace {

using testsupport::boxFrom;

// A fuselage far on the left wing's side, the right wing and a flat tank on the ground, the
// pilot's marker behind them; all other slots are empty and mark the origin.
dm::PartTable sampleTable() {
    dm::PartTable table{};
    table[0] = boxFrom(6, -1, 0, 9, 1, 0);
    table[15] = boxFrom(-9, -3, -1, -6, 3, 1);
    table[24] = boxFrom(2, 1, 0, 5, 4, 0);
    table[19].PX3 = -3;
    table[19].PY3 = -3;
    return table;
}

QColor blended(QColor under, dm::Rgb fill, int times) {
    const double a = dm::kFaceAlpha / 255.0;
    for (int i = 0; i < times; ++i)
        under = QColor::fromRgbF(under.redF() + (fill.red / 255.0 - under.redF()) * a,
                                 under.greenF() + (fill.green / 255.0 - under.greenF()) * a,
                                 under.blueF() + (fill.blue / 255.0 - under.blueF()) * a);
    return under;
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2;
}

// An aliased two-pixel pen covers one of the pixels beside a line's exact place.
bool outlineNear(const QImage& image, dm::ScreenPoint at, dm::Rgb colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixelColor(int(at.x) + dx, int(at.y) + dy) == toQColor(colour))
                return true;
    return false;
}

TEST(HitBox3dPicture, TwoAnglesCheckedAtComputedPoints) {
    struct Case {
        const char* name;
        dm::Camera3d camera;
        int fuselageFaces; // filled faces of the fuselage over its probe point
    };
    const Case cases[]{
        {"straight down", {0, 90, 20, 0, 0}, 1}, // the top face only
        {"starting angle", {dm::kStartYaw, dm::kStartPitch, 20, 0, 0}, 0},
    };
    const dm::PartTable table = sampleTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image(400, 300, QImage::Format_RGB32);
        QPainter painter(&image);
        paintHitBoxScene3d(painter, image.rect(),
                           dm::buildHitBoxScene3d({400, 300, 1, c.camera, true}, table));
        painter.end();
        const dm::Projection view(c.camera, 400, 300);
        const auto pixel = [&](double x, double y, double z) {
            const dm::ScreenPoint p = view.project(x, y, z);
            return image.pixelColor(int(p.x), int(p.y));
        };
        const QColor gray = toQColor(dm::colours::gray);
        EXPECT_EQ(image.pixelColor(2, 2), gray);
        // The flat tank on the ground, between grid lines: one translucent face over gray.
        EXPECT_TRUE(near(pixel(3.5, 2.5, 0), blended(gray, dm::colours::steelBlue, 1)));
        if (c.fuselageFaces > 0) {
            EXPECT_TRUE(
                near(pixel(-7.5, 0.5, 0), blended(gray, dm::colours::olive, c.fuselageFaces)));
        }
        // The right wing's outer edge, right of the origin: not mirrored.
        EXPECT_GT(view.project(9, 0, 0).x, 200);
        EXPECT_TRUE(outlineNear(image, view.project(9, 0.5, 0), dm::colours::darkGreen));
        EXPECT_EQ(pixel(-3, -3, 0), toQColor(dm::colours::maroon));
        EXPECT_EQ(pixel(0, 0, 0), toQColor(dm::colours::black)); // slot 22's marker is last
    }
}

class HitBox3dWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        dm::writeWholeFile(file_, {}, table_);
        // The opened file exists, so the markers are drawn.
        HitBox3dSources sources;
        sources.views.partTable = &table_;
        sources.views.fileName = [this] { return QString::fromStdString(file_); };
        sources.rowCaption = [](int slot) { return QStringLiteral("row %1").arg(slot + 1); };
        window_ = std::make_unique<TForm7>(sources);
        window_->resize(400, 300);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        window_->repaint();
    }

    void drag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint from, QPoint to) {
        QTest::mousePress(window_.get(), button, modifiers, from);
        QTest::mouseMove(window_.get(), (from + to) / 2);
        QTest::mouseMove(window_.get(), to);
        QTest::mouseRelease(window_.get(), button, modifiers, to);
    }

    void wheel(QPoint at, int delta) {
        QWheelEvent event(at, window_->mapToGlobal(at), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window_.get(), &event);
    }

    dm::PartTable table_ = sampleTable();
    QTemporaryDir folder_;
    std::string file_ = folder_.filePath(QStringLiteral("07damage.dat")).toStdString();
    std::unique_ptr<TForm7> window_;
};

TEST_F(HitBox3dWindow, MouseTurnsPansZoomsAndResets) {
    EXPECT_EQ(window_->windowTitle(), "Hit Box Graphic-3D View");
    struct Step {
        const char* name;
        std::function<void()> act;
        dm::Camera3d expected;
    };
    const dm::Camera3d start;
    const std::vector<Step> steps{
        {"left drag turns",
         [&] {
             drag(Qt::LeftButton, {}, {100, 100}, {140, 120});
         },
         {50, 30, 10, 0, 0}},
        {"pitch stops straight down",
         [&] {
             drag(Qt::LeftButton, {}, {100, 10}, {100, 290});
         },
         {50, 90, 10, 0, 0}},
        {"shift drag pans",
         [&] {
             drag(Qt::LeftButton, Qt::ShiftModifier, {50, 50}, {80, 40});
         },
         {50, 90, 10, 30, -10}},
        {"right drag pans",
         [&] {
             drag(Qt::RightButton, {}, {50, 50}, {40, 70});
         },
         {50, 90, 10, 20, 10}},
        {"wheel zooms around the pointer",
         [&] {
             wheel({220, 160}, 120);
         },
         {50, 90, 12, 20, 10}}, // the origin (220, 160) lies under the pointer
        {"Home resets", [&] { QTest::keyClick(window_.get(), Qt::Key_Home); }, start},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(window_->camera().yaw, step.expected.yaw);
        EXPECT_EQ(window_->camera().pitch, step.expected.pitch);
        EXPECT_NEAR(window_->camera().zoom, step.expected.zoom, 1e-9);
        EXPECT_NEAR(window_->camera().panX, step.expected.panX, 1e-9);
        EXPECT_NEAR(window_->camera().panY, step.expected.panY, 1e-9);
    }
}

TEST_F(HitBox3dWindow, DoubleClickResetsOnlyOnEmptySpaceAndHoverNamesTheRow) {
    drag(Qt::LeftButton, {}, {160, 50}, {100, 250}); // yaw 0, straight down
    window_->repaint();
    const dm::Projection view(window_->camera(), 400, 300);
    const dm::ScreenPoint tank = view.project(3.5, 2.5, 0);
    const QPoint onTank(int(tank.x), int(tank.y));
    EXPECT_EQ(window_->hoverText(onTank), "row 25\nPX1 2.00 ft  PY1 1.00 ft  PZ1 0.00 ft\n"
                                          "PX2 5.00 ft  PY2 4.00 ft  PZ2 0.00 ft");
    EXPECT_EQ(window_->hoverText({395, 5}), "");
    const dm::ScreenPoint xTip = view.project(9, 0, 0);
    EXPECT_TRUE(window_->hoverText(QPoint(int(xTip.x) + 12, int(xTip.y))).contains("mirrored"));

    QTest::mouseDClick(window_.get(), Qt::LeftButton, {}, onTank);
    EXPECT_EQ(window_->camera().pitch, 90);
    QTest::mouseDClick(window_.get(), Qt::LeftButton, {}, {395, 5});
    EXPECT_EQ(window_->camera(), dm::Camera3d{});
}

// dmtool render --view 3d draws what the window shows, pixel for pixel.
TEST_F(HitBox3dWindow, RenderedFileEqualsTheWindowsPicture) {
    const std::string out = folder_.filePath(QStringLiteral("view.png")).toStdString();
    struct Case {
        std::vector<std::string> options;
        std::function<void()> turn;
    };
    const Case cases[]{
        {{}, [] {}},
        {{"--yaw", "0", "--pitch", "90", "--zoom", "100"},
         [&] {
             drag(Qt::LeftButton, {}, {160, 50}, {100, 250});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.size());
        std::vector<std::string> args{file_, "-o", out, "--view", "3d", "--size", "400x300"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(runRenderModule(args), 0);
        c.turn();
        const QImage shown = window_->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32), shown);
    }
}

class HitBox3dShell : public shelltest::ShellTest {};

TEST_F(HitBox3dShell, OpenedFromTheViewsMenuOnceAndPlacedFromTheSettingsFile) {
    { std::ofstream(iniPath().toStdString()) << "[HB3D]\nForm7=200,0,1,100,100,700,600\n"; }
    program::createWindows();
    const QList<QAction*> entries = Form5->tvpum->actions();
    ASSERT_EQ(entries.size(), 7);
    EXPECT_EQ(entries[5], Form5->N3DView1);
    EXPECT_EQ(Form5->N3DView1->text(), "3D View");
    EXPECT_EQ(Form7, nullptr);

    // The grid's context menu ends with the same entry.
    const QList<QAction*> gridEntries = Form3->StringGrid1->GridMenu->actions();
    EXPECT_EQ(gridEntries.back()->text(), "3D View");

    Form5->N3DView1->trigger();
    ASSERT_NE(Form7, nullptr);
    TForm7* first = Form7;
    EXPECT_TRUE(Form7->isVisible());
    EXPECT_EQ(Form7->frameGeometry(), QRect(100, 100, 600, 500));
    // Read once: closed and opened again, it stays where the user left it.
    shell::setWindowPlacement(Form7, {0, 1, 50, 60, 450, 360});
    Form7->close();
    Form5->N3DView1->trigger();
    EXPECT_EQ(Form7, first);
    EXPECT_EQ(Form7->frameGeometry(), QRect(50, 60, 400, 300));

    program::destroyWindows();
    EXPECT_EQ(Form7, nullptr);
    EXPECT_EQ(stored("HB3D", "Form7"), "200,0,1,50,60,450,360");
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(HitBox3dShell, NeverOpenedNothingIsStored) {
    program::createWindows();
    program::destroyWindows();
    EXPECT_EQ(stored("HB3D", "Form7"), "<missing>");
}

} // namespace
