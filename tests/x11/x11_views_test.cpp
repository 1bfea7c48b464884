// Picking, zoom, pan and mirrored pairs in the flat views, driven through real windows on an X
// server started here; results are read off the screen and out of the saved file's bytes.
#include "../support/test_support.h"

#include "core/damage_file.h"
#include "editor_window.h"
#include "paint_box.h"
#include "program.h"
#include "side_view.h"
#include "string_grid.h"
#include "top_view.h"
#include "view_settings.h"
#include "x_server.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <tuple>

namespace {

const QColor kOlive(128, 128, 0); // the fuselage's fill and outline

class X11ViewsTest : public x11test::X11Session {
protected:
    // The bomber open in the editor, the mode and symmetric editing as `ini` sets them, the top
    // view in front at its design size.
    void SetUp() override {
        X11Session::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QFile ini(folder_.filePath(QStringLiteral("du2daminfo.INI")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[HBTV]\r\nForm5=200,0,1,0,0,515,517\r\nEditHitBoxes=1\r\n"
                  "[HBSV]\r\nForm6=200,0,1,520,0,974,353\r\n");
        ini.close();
        damageFile_ = folder_.filePath(QStringLiteral("27damage.dat"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/27damage.dat"), damageFile_));
        QFile::setPermissions(damageFile_, QFile::ReadOwner | QFile::WriteOwner);
        original_ = bytes();
        program::createWindows();
        program::openAtStart(damageFile_);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form6));
        Form3->move(0, 560);
        Form5->raise();
        Form5->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form5));
        grid_ = Form3->StringGrid1;
    }

    void TearDown() override {
        if (app_)
            program::destroyWindows();
        EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
    }

    QByteArray bytes() const {
        QFile file(damageFile_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static float floatAt(const QByteArray& bytes, int slot, int offset) {
        float value = 0;
        std::memcpy(&value, bytes.constData() + 100 + 67 * slot + offset, 4);
        return value;
    }

    // Where feet (across, up) lie in the top view at 100% before any pan.
    static QPoint topPixel(double across, double up) {
        const TPaintBox& box = *Form5->pb1;
        return {box.width() / 2 - static_cast<int>(std::trunc(10 * across)),
                box.height() / 2 - 50 - static_cast<int>(std::trunc(10 * up))};
    }

    int currentRow() const { return grid_->currentCell().row; }

    // The top view as the X server shows it.
    static QImage screenOfTopView() {
        QTest::qWait(200);
        const QPoint corner = Form5->pb1->mapToGlobal(QPoint(0, 0));
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, corner.x(), corner.y(), Form5->pb1->width(), Form5->pb1->height())
            .toImage();
    }

    // The first olive pixel from `from` on, stepping by `step`; -1 where none.
    static QPoint firstOlive(const QImage& screen, QPoint from, QPoint step) {
        for (QPoint at = from; screen.rect().contains(at); at += step)
            if (screen.pixelColor(at) == kOlive)
                return at;
        return {-1, -1};
    }

    static void wheel(TPaintBox& box, QPoint at, int notches) {
        QWheelEvent turn(at, box.mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton, {},
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(&box, &turn);
    }

    static void dragWith(TPaintBox& box, Qt::MouseButton button, QPoint from, QPoint by) {
        QTest::mousePress(&box, button, {}, from);
        QTest::mouseMove(&box, from + by / 2);
        QTest::mouseMove(&box, from + by);
        QTest::mouseRelease(&box, button, {}, from + by);
    }

    testsupport::ExecutableFolder folder_{QStringLiteral(DM_BIN_DIR)};
    testsupport::RecordingPresenter errors_;
    QString damageFile_;
    QByteArray original_;
    StringGrid* grid_ = nullptr;
};

// From above the bomber's upper right outer wing (row 9, x 19 to 38.9 ft) lies over the lower
// one (row 1, x 18 to 37.5 ft); the spot x 22, y -3 is inside both.
TEST_F(X11ViewsTest, ClicksWalkTheStackADragMovesTheCurrentRowsBoxAndTabStepsOn) {
    TPaintBox& box = *Form5->pb1;
    const QPoint stack = topPixel(22, -3);
    grid_->setCurrentCell(10, 2);
    for (int expected : {9, 1, 9, 1}) {
        QTest::mouseClick(&box, Qt::LeftButton, {}, stack);
        EXPECT_EQ(currentRow(), expected);
    }
    // Row 1's box, under row 9's, is moved 1 ft towards +x and +y; row 9 keeps its values. Each
    // step draws only where the box was and is: the screen shows what a whole redraw draws.
    QTest::mousePress(&box, Qt::LeftButton, {}, stack);
    QTest::qWait(100); // each step paints on its own
    QTest::mouseMove(&box, stack + QPoint(-5, -5));
    QTest::qWait(100);
    QTest::mouseMove(&box, stack + QPoint(-10, -10));
    EXPECT_EQ(screenOfTopView().convertToFormat(QImage::Format_RGB32),
              box.grab().toImage().convertToFormat(QImage::Format_RGB32));
    QTest::mouseRelease(&box, Qt::LeftButton, {}, stack + QPoint(-10, -10));
    const auto cell = [this](int column, int row) { return grid_->cellText(column, row); };
    EXPECT_EQ(
        (QStringList{cell(10, 1), cell(13, 1), cell(11, 1), cell(14, 1), cell(10, 9), cell(13, 9)}),
        (QStringList{"19.00", "38.50", "-3.50", "5.00", "19.00", "38.90"}));
    EXPECT_EQ(currentRow(), 1);

    // Tab: the next part with a box; the bomber has no middle wings (rows 5 to 8).
    grid_->setCurrentCell(10, 4);
    QTest::keyClick(Form5, Qt::Key_Tab);
    EXPECT_EQ(currentRow(), 9);
    QTest::keyClick(Form5, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(currentRow(), 4);
    grid_->setCurrentCell(10, 30);
    QTest::keyClick(Form5, Qt::Key_Tab);
    EXPECT_EQ(currentRow(), 1) << "round to the first row";
}

// The fuselage's nose corner (x 2.1 ft, y 8.5 ft) stays under the pointer while the wheel zooms
// around it; a middle drag then moves it with the pointer.
TEST_F(X11ViewsTest, TheWheelZoomsAroundThePointerAndAMiddleDragPans) {
    TPaintBox& box = *Form5->pb1;
    const QPoint corner = topPixel(2.1, 8.5);
    // The corner's left and top edges as the screen shows them near `near`, and the width there.
    const auto shown = [](QPoint near) {
        const QImage screen = screenOfTopView();
        const int left = firstOlive(screen, near + QPoint(-10, 12), {1, 0}).x();
        return std::tuple(QPoint(left, firstOlive(screen, near + QPoint(6, -10), {0, 1}).y()),
                          firstOlive(screen, near + QPoint(80, 12), {-1, 0}).x() - left);
    };
    const auto expectCornerAt = [&shown](QPoint at) {
        const QPoint seen = std::get<0>(shown(at));
        EXPECT_NEAR(seen.x(), at.x(), 1);
        EXPECT_NEAR(seen.y(), at.y(), 1);
    };
    expectCornerAt(corner);
    ASSERT_FALSE(HasFailure()) << "the corner is not where this test looks for it";
    const int widthBefore = std::get<1>(shown(corner));

    wheel(box, corner, 2); // 10 -> 13 -> 16 px per foot
    EXPECT_EQ(Form5->viewSettings().values().ZoomFactor, 16);
    EXPECT_TRUE(Form5->windowTitle().endsWith(QStringLiteral("Zoom @ 160%  ")));
    expectCornerAt(corner);
    EXPECT_NEAR(std::get<1>(shown(corner)), widthBefore * 1.6, 2);

    const QPoint by(40, 25);
    dragWith(box, Qt::MiddleButton, QPoint(300, 300), by);
    expectCornerAt(corner + by);
    // With Space held the left button pans back, over the fuselage, and edits nothing.
    QTest::keyPress(Form5, Qt::Key_Space);
    dragWith(box, Qt::LeftButton, corner + by + QPoint(10, 20), -by);
    QTest::keyRelease(Form5, Qt::Key_Space);
    expectCornerAt(corner);
    EXPECT_EQ(grid_->history().index(), 0) << "panning edits nothing";

    // Home: the first centre and the zoom of the menu.
    QTest::keyClick(Form5, Qt::Key_Home);
    EXPECT_EQ(Form5->viewSettings().values().ZoomFactor, 10);
    expectCornerAt(corner);
    EXPECT_TRUE(Form5->N1001->isChecked());
}

// Row 1 (right lower outer wing) onto row 4 (left lower outer wing): Ctrl+M in the top view,
// then a symmetric drag; each saved with Ctrl+S in the view. Only row 4's x values change, to
// row 1's negated.
TEST_F(X11ViewsTest, CtrlMAndASymmetricDragChangeExactlyTheTwinsXValues) {
    constexpr int kPX[] = {3, 15, 27}; // PX1, PX2, PX3 within a record
    // `file` with row 4's x values set to row 1's negated and every other byte as it was.
    const auto twinMirrored = [&kPX](QByteArray file) {
        for (int offset : kPX) {
            const float x = -floatAt(file, 0, offset);
            std::memcpy(file.data() + 100 + 67 * 3 + offset, &x, 4);
        }
        return file;
    };

    // Row 1's PX1 typed as 20, then mirrored: its own bytes change at Save too.
    grid_->setCurrentCell(10, 1);
    grid_->commitTexts({{{10, 1}, QStringLiteral("20.00")}});
    QTest::keyClick(Form5, Qt::Key_M, Qt::ControlModifier);
    QTest::keyClick(Form5, Qt::Key_S, Qt::ControlModifier);
    QByteArray expected = original_;
    const float twenty = 20;
    std::memcpy(expected.data() + 100 + 3, &twenty, 4);
    EXPECT_EQ(bytes(), twinMirrored(expected));
    EXPECT_EQ(floatAt(bytes(), 3, 3), -20.0f);

    // Symmetric: a drag of row 1's box 1 ft towards +x moves row 4's 1 ft towards -x.
    Form5->SymmetricEditing1->trigger();
    const QByteArray beforeDrag = bytes();
    dragWith(*Form5->pb1, Qt::LeftButton, topPixel(22, -3), {-10, 0});
    QTest::keyClick(Form5, Qt::Key_S, Qt::ControlModifier);
    const QByteArray afterDrag = bytes();
    for (int offset : kPX) // the whole box, its third point too
        EXPECT_FLOAT_EQ(floatAt(afterDrag, 0, offset), floatAt(beforeDrag, 0, offset) + 1);
    QByteArray rowOneMoved = beforeDrag;
    std::memcpy(rowOneMoved.data() + 100, afterDrag.constData() + 100, 67);
    EXPECT_EQ(afterDrag, twinMirrored(rowOneMoved));
    EXPECT_EQ(grid_->history().index(), 3) << "typing, mirroring and the drag: one step each";
}

} // namespace
