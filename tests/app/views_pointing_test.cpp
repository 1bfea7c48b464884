// Pointing at hit boxes in the views: tooltips and double-clicks on the parts of a sample.

#include "commands_fixture.h"

#include "core/part_slots.h"
#include "paint_box.h"
#include "side_view.h"
#include "top_view.h"

#include <QHelpEvent>
#include <QToolTip>

#include <cmath>
#include <vector>

namespace {

using commandtest::CommandTest;

struct ViewPoint {
    const char* name;
    dm::HitBoxView view;
    int zoom;               // pixels per foot: 100% or 50%
    float across;           // feet: x from above, z from the side
    float up;               // feet: y
    std::vector<int> parts; // every part within reach, topmost first; none in open space
};

// The pixel of a point in feet, by the views' projection.
QPoint pixelOf(const TPaintBox& box, int zoom, float across, float up) {
    const int cx = box.width() / 2;
    const int originY = box.height() / 2 - 50;
    return {cx - static_cast<int>(std::trunc(zoom * double{across})),
            originY - static_cast<int>(std::trunc(zoom * double{up}))};
}

class ViewPointingTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        open(copySample("00damage.dat"));
    }

    // Each part's hint, then how to drag them.
    QString expectedHint(const std::vector<int>& parts, dm::HitBoxView view) const {
        QStringList hints;
        for (int slot : parts)
            hints << partHint(slot, view);
        hints << QStringLiteral(
            "Check \"Edit Hit Boxes\" in the right-click menu to drag the boxes.");
        return hints.join(QStringLiteral("\n\n"));
    }

    // The part's row caption and slot, then its points as the grid shows them.
    QString partHint(int slot, dm::HitBoxView view) const {
        const int row = slot + 1;
        const int acrossColumn = view == dm::HitBoxView::Top ? 10 : 12;
        QString hint = QStringLiteral("%1, slot %2").arg(grid_->cellText(0, row)).arg(slot);
        const int points = dm::kPartSlots[slot].view.marker ? 3 : 2;
        for (int point = 0; point < points; ++point)
            hint += QStringLiteral("\n%1 %2 ft  PY%3 %4 ft")
                        .arg(grid_->cellText(acrossColumn + 3 * point, 0),
                             grid_->cellText(acrossColumn + 3 * point, row))
                        .arg(point + 1)
                        .arg(grid_->cellText(11 + 3 * point, row));
        return hint;
    }
};

// 00damage.dat, from above: the right lower outer wing where the upper wing does not cover it
// (at 50% its edge is within reach), the propeller, the engine over the fuselage (at 50% the
// upper inner wing's edge too), and open space; from the side the engine again.
const std::vector<ViewPoint> kPoints = {
    {"wing, 100%", dm::HitBoxView::Top, 10, 10, -1.7f, {0}},
    {"wing, 50%", dm::HitBoxView::Top, 5, 10, -1.7f, {8, 0}},
    {"propeller, 100%", dm::HitBoxView::Top, 10, 3, 6.25f, {23}},
    {"propeller, 50%", dm::HitBoxView::Top, 5, 3, 6.25f, {23}},
    {"engine over the fuselage, 100%", dm::HitBoxView::Top, 10, 1, 3.8f, {22, 15}},
    {"engine over the fuselage, 50%", dm::HitBoxView::Top, 5, 1, 3.8f, {22, 15, 9}},
    {"open space, 100%", dm::HitBoxView::Top, 10, -20, 0, {}},
    {"open space, 50%", dm::HitBoxView::Top, 5, -20, 0, {}},
    {"engine from the side, 100%", dm::HitBoxView::Side, 10, 1, 3.8f, {22, 15}},
    {"engine from the side, 50%", dm::HitBoxView::Side, 5, 1, 3.8f, {22, 15}},
};

TEST_F(ViewPointingTest, HoverNamesThePartAndDoubleClickShowsItsRowInTheEditor) {
    for (const ViewPoint& p : kPoints) {
        SCOPED_TRACE(p.name);
        (p.zoom == 10 ? Form5->N1001 : Form5->N501)->trigger();
        QWidget* view = p.view == dm::HitBoxView::Top ? static_cast<QWidget*>(Form5) : Form6;
        TPaintBox* box = p.view == dm::HitBoxView::Top ? Form5->pb1 : Form6->pb2;
        const auto hover = [box](QPoint at) {
            QHelpEvent help(QEvent::ToolTip, at, box->mapToGlobal(at));
            QApplication::sendEvent(box, &help);
        };
        const QPoint at = pixelOf(*box, p.zoom, p.across, p.up);
        if (p.parts.empty()) // a tip shown before must go
            hover(pixelOf(*box, p.zoom, 1, 3.8f));
        hover(at);
        if (!p.parts.empty()) {
            EXPECT_TRUE(QToolTip::isVisible());
            EXPECT_EQ(QToolTip::text(), expectedHint(p.parts, p.view));
        } else { // after the toolkit's short delay
            for (int wait = 0; wait < 50 && QToolTip::isVisible(); ++wait)
                QTest::qWait(20);
            EXPECT_FALSE(QToolTip::isVisible());
        }

        grid_->setCurrentCell(7, 30);
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view));
        QTest::mouseDClick(box, Qt::LeftButton, {}, at);
        const GridCell shown = p.parts.empty() ? GridCell{7, 30} : GridCell{1, p.parts[0] + 1};
        EXPECT_EQ(grid_->currentCell(), shown);
        EXPECT_TRUE(QTest::qWaitForWindowActive(p.parts.empty() ? view : Form3));
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

} // namespace
