// Editing hit boxes in the views: drags, Shift, Escape, undo and the mode switched off.

#include "commands_fixture.h"

#include "hitbox_3d_view.h"
#include "paint_box.h"
#include "side_view.h"
#include "string_grid.h"
#include "top_view.h"
#include "view_settings.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QRegion>
#include <QRegularExpression>

#include <cmath>
#include <functional>
#include <vector>

namespace {

using commandtest::CommandTest;

// A point in feet as the views draw it at `zoom` pixels per foot.
QPoint pixelOf(const TPaintBox& box, int zoom, float across, float up) {
    return {box.width() / 2 - static_cast<int>(std::trunc(zoom * double{across})),
            box.height() / 2 - 50 - static_cast<int>(std::trunc(zoom * double{up}))};
}

// A press, one pointer step `by` pixels with `modifiers` held, and a release: what a hand does.
void drag(TPaintBox& box, QPoint from, QPoint by, Qt::KeyboardModifiers modifiers = {},
          bool escape = false) {
    QTest::mousePress(&box, Qt::LeftButton, {}, from);
    const QPoint to = from + by;
    QMouseEvent move(QEvent::MouseMove, to, box.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     modifiers);
    QApplication::sendEvent(&box, &move);
    if (escape)
        QTest::keyClick(box.window(), Qt::Key_Escape);
    QTest::mouseRelease(&box, Qt::LeftButton, {}, to);
}

class ViewEditingTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        path_ = copySample("00damage.dat");
        open(path_);
        original_ = grid_->valueTexts();
    }

    void setEditing(bool on) {
        if (Form5->EditHitBoxes1->isChecked() != on)
            Form5->EditHitBoxes1->trigger();
    }

    // The value cells whose texts differ from the file's, as "row column text".
    QStringList changedCells() const {
        QStringList changed;
        const dm::CellTexts now = grid_->valueTexts();
        for (int slot = 0; slot < dm::kSlotCount; ++slot)
            for (int column = 1; column <= dm::kFieldCount; ++column)
                if (now[slot][column - 1] != original_[slot][column - 1])
                    changed << QStringLiteral("%1 %2 %3")
                                   .arg(slot + 1)
                                   .arg(column)
                                   .arg(QString::fromStdString(now[slot][column - 1]));
        return changed;
    }

    QString path_;
    dm::CellTexts original_;
};

struct DragRow {
    const char* name;
    dm::HitBoxView view;
    float across; // the pressed point in feet: x from above, z from the side
    float up;
    Qt::CursorShape cursor; // shown before the press
    QPoint by;
    Qt::KeyboardModifiers modifiers;
    QStringList changed; // "row column text"
};

constexpr auto kTop = dm::HitBoxView::Top;
constexpr auto kSide = dm::HitBoxView::Side;

// 00damage.dat at 100% (5 ft grid for Shift), each part's row current, so that its box is taken
// where others lie over it: the right lower outer wing's outer edge (PX2) and lower edge (PY1)
// from above, the engine moved whole and its third point from above, the
// propeller's tip (PZ2) and the engine's left side (PZ1) from the side.
const std::vector<DragRow> kDrags = {
    {"PX2 from above", kTop, 13, -1.0f, Qt::SizeHorCursor, {-25, 4}, {}, {"1 13 15.50"}},
    {"PY1 from above", kTop, 10, -2, Qt::SizeVerCursor, {3, 7}, {}, {"1 11 -2.70"}},
    {"PX2 with Shift",
     kTop,
     13,
     -1.0f,
     Qt::SizeHorCursor,
     {-12, 0},
     Qt::ShiftModifier,
     {"1 13 15.00"}},
    {"engine moved from above",
     kTop,
     0.5f,
     4.2f,
     Qt::SizeAllCursor,
     {10, -20},
     {},
     {"23 10 -2.40", "23 11 5.60", "23 13 0.40", "23 14 7.60", "23 16 -1.00", "23 17 6.80"}},
    {"engine's third point",
     kTop,
     0,
     4.8f,
     Qt::CrossCursor,
     {5, 5},
     {},
     {"23 16 -0.50", "23 17 4.30"}},
    {"PZ2 from the side", kSide, 4.1f, 6.25f, Qt::SizeHorCursor, {12, 0}, {}, {"24 15 2.90"}},
    {"PZ1 from the side", kSide, -1.4f, 4.6f, Qt::SizeHorCursor, {-6, 1}, {}, {"23 12 -0.80"}},
};

TEST_F(ViewEditingTest, ADragChangesTheCellsItShowsAsOneStepThatUndoAndEscapeTakeBack) {
    setEditing(true);
    Form5->N5ft1->trigger();
    for (const DragRow& row : kDrags) {
        SCOPED_TRACE(row.name);
        TPaintBox& box = row.view == dm::HitBoxView::Top ? *Form5->pb1 : *Form6->pb2;
        const QPoint at = pixelOf(box, 10, row.across, row.up);
        grid_->setCurrentCell(10, row.changed.front().section(' ', 0, 0).toInt());
        const int steps = grid_->history().index();
        QMouseEvent hover(QEvent::MouseMove, at, box.mapToGlobal(at), Qt::NoButton, {}, {});
        QApplication::sendEvent(&box, &hover);
        EXPECT_EQ(box.cursor().shape(), row.cursor);

        drag(box, at, row.by, row.modifiers, true);
        EXPECT_EQ(changedCells(), QStringList());
        EXPECT_FALSE(grid_->markerSet());
        EXPECT_EQ(grid_->history().index(), steps);

        drag(box, at, row.by, row.modifiers);
        EXPECT_EQ(changedCells(), row.changed);
        EXPECT_TRUE(grid_->markerSet());
        EXPECT_EQ(grid_->history().index(), steps + 1);

        QTest::keyClick(box.window(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(changedCells(), QStringList());
        EXPECT_FALSE(grid_->markerSet());
    }
    const QByteArray bytes = bytesOf(path_);
    save();
    EXPECT_EQ(bytesOf(path_), bytes);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// The engine (row 23: PX -1.40 to 1.40, PY 3.60 to 5.60, third point 0.00, 4.80) clicked in the
// top view away from the fuselage's edge, then nudged; Ctrl+Z takes back a run of presses at once,
// Ctrl+Y brings it back, and Ctrl+Z in the 3-D view takes it back again.
TEST_F(ViewEditingTest, AClickPicksTheRowAndArrowsNudgeItsBoxAsOneStep) {
    setEditing(true);
    TPaintBox& box = *Form5->pb1;
    grid_->setCurrentCell(4, 2);
    QTest::mouseClick(&box, Qt::LeftButton, {}, pixelOf(box, 10, 0.5f, 4.2f));
    EXPECT_EQ(grid_->currentCell(), (GridCell{4, 23}));

    const int steps = grid_->history().index();
    for (int press = 0; press < 3; ++press)
        QTest::keyClick(&box, Qt::Key_Left);              // +x: the top view is mirrored
    QTest::keyClick(&box, Qt::Key_Up, Qt::ShiftModifier); // by the 1 ft grid
    EXPECT_EQ(changedCells(), (QStringList{"23 10 -1.37", "23 11 4.60", "23 13 1.43", "23 14 6.60",
                                           "23 16 0.03", "23 17 5.80"}));
    EXPECT_EQ(grid_->history().index(), steps + 1);

    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(changedCells(), QStringList());
    QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(changedCells().size(), 6);
    Form5->N3DView1->trigger();
    QTest::keyClick(Form7, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(changedCells(), QStringList());
}

// Tab and Shift+Tab make the next or previous row with a box current, round the table: in
// 00damage.dat rows 5 to 8 and 21, 22 and 27 to 30 have none.
TEST_F(ViewEditingTest, TabStepsToTheNextRowWithABoxRoundTheTable) {
    setEditing(true);
    const struct {
        const char* name;
        int from;
        Qt::Key key;
        int to;
    } rows[] = {
        {"over the middle wings", 4, Qt::Key_Tab, 9},
        {"back over them", 9, Qt::Key_Backtab, 4},
        {"from the last box round to the first", 26, Qt::Key_Tab, 1},
        {"from the first back round to the last box", 1, Qt::Key_Backtab, 26},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        grid_->setCurrentCell(10, row.from);
        QTest::keyClick(Form5->pb1, row.key,
                        row.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(grid_->currentCell().row, row.to);
    }
}

// Collects where what it watches is painted.
class PaintRecorder : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

// Each change draws the view again at once: a drag step where row 1's outer edge (PX2, 13 ft)
// was and is, a new current row in the grid where the highlight was and is (the engine, row 23),
// a middle drag the whole view it pans. Home takes back the pan of its view alone.
TEST_F(ViewEditingTest, DragsPansAndTheGridsCurrentRowRedrawTheViews) {
    setEditing(true);
    grid_->setCurrentCell(10, 1);
    Form5->show();
    Form6->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5) && QTest::qWaitForWindowExposed(Form6));
    TPaintBox& top = *Form5->pb1;
    const QPoint edge = pixelOf(top, 10, 13, -1);
    const auto pan = [](TPaintBox& box) {
        QTest::mousePress(&box, Qt::MiddleButton, {}, {100, 100});
        QTest::mouseRelease(&box, Qt::MiddleButton, {}, {130, 80});
    };
    const struct {
        const char* name;
        TPaintBox* box;
        std::function<void()> gesture;
        std::vector<QPoint> redrawn;
    } rows[] = {
        {"a drag step",
         &top,
         [&] {
             drag(top, edge, {-25, 0});
         },
         {edge, edge + QPoint(-25, 0)}},
        {"a new current row in the grid",
         &top,
         [this] { grid_->setCurrentCell(10, 23); },
         {edge + QPoint(-25, 0), pixelOf(top, 10, 0, 4.6f)}},
        {"a pan of the top view", &top, [&] { pan(top); }, {{0, 0}, {400, 400}}},
        {"a pan of the side view", Form6->pb2, [this, &pan] { pan(*Form6->pb2); }, {{0, 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QCoreApplication::processEvents();
        PaintRecorder recorder;
        row.box->installEventFilter(&recorder);
        row.gesture();
        QCoreApplication::processEvents();
        row.box->removeEventFilter(&recorder);
        for (const QPoint& at : row.redrawn)
            EXPECT_TRUE(recorder.painted.contains(at)) << at.x() << ',' << at.y();
    }
    EXPECT_EQ(changedCells(), QStringList{"1 13 15.50"});
    for (dm::HitBoxView view : {kTop, kSide})
        EXPECT_EQ(Form5->viewSettings().pan(view), (dm::PixelPoint{30, -20}));
    QTest::keyClick(Form5, Qt::Key_Home);
    EXPECT_EQ(Form5->viewSettings().pan(kTop), (dm::PixelPoint{0, 0}));
    EXPECT_EQ(Form5->viewSettings().pan(kSide), (dm::PixelPoint{30, -20})) << "Home is per view";
}

// 00damage.dat is 28 ft wide and 21 ft long: "Fit" keeps every box inside both views, each
// view centred on them.
TEST_F(ViewEditingTest, FitChoosesTheLargestZoomThatShowsEveryBox) {
    Form5->Fit1->trigger();
    const int zoom = Form5->viewSettings().values().ZoomFactor;
    EXPECT_TRUE(Form5->windowTitle().endsWith(QStringLiteral("Zoom @ %1%  ").arg(zoom * 10)));
    const auto inside = [this](TPaintBox& box, int zoom, int acrossColumn) {
        const dm::HitBoxView view = &box == Form5->pb1 ? kTop : kSide;
        const dm::PixelPoint pan = Form5->viewSettings().pan(view);
        for (int row = 1; row <= dm::kSlotCount; ++row)
            for (int point = 0; point < 2; ++point) {
                const QPoint at =
                    pixelOf(box, zoom, grid_->cellText(acrossColumn + 3 * point, row).toFloat(),
                            grid_->cellText(11 + 3 * point, row).toFloat()) +
                    QPoint(pan.x, pan.y);
                if (!box.rect().contains(at))
                    return false;
            }
        return true;
    };
    EXPECT_TRUE(inside(*Form5->pb1, zoom, 10) && inside(*Form6->pb2, zoom, 12));
    EXPECT_FALSE(inside(*Form5->pb1, zoom + 1, 10) && inside(*Form6->pb2, zoom + 1, 12));
}

TEST_F(ViewEditingTest, TheViewsFollowTheGridOnlyInTheMode) {
    TPaintBox& box = *Form5->pb1;
    const QImage before = box.grab().toImage();
    drag(box, pixelOf(box, 10, 13, -1.0f), {-25, 4});
    grid_->commitTexts({{{13, 1}, QStringLiteral("15.50")}});
    EXPECT_EQ(changedCells(), QStringList{"1 13 15.50"}) << "only the typed text";
    EXPECT_EQ(box.grab().toImage(), before) << "drawn at Open and Save only";

    setEditing(true);
    const QImage following = box.grab().toImage();
    EXPECT_NE(following, before);
    grid_->commitTexts({{{13, 1}, QStringLiteral("15,5x")}});
    EXPECT_NE(box.grab().toImage(), following) << "the last box, dashed";
    const QString hint = box.OnHint(pixelOf(box, 10, 15, -1.6f));
    EXPECT_TRUE(hint.contains(QStringLiteral("\nPX2 does not parse: '15,5x'")))
        << hint.toStdString();

    setEditing(false);
    EXPECT_EQ(box.grab().toImage(), before);
}

// Arrow presses on one box are one step; another box's presses start a step of their own. With
// symmetric editing the twin (row 4 for row 1) moves mirrored in the same step, Escape takes
// back a symmetric drag whole, and from the side, where nothing is mirrored, the twin moves alike.
TEST_F(ViewEditingTest, ArrowRunsAreOneStepPerBoxAndSymmetricEditingMovesTheTwinToo) {
    setEditing(true);
    TPaintBox& box = *Form5->pb1;
    const int steps = grid_->history().index();
    grid_->setCurrentCell(10, 1);
    QTest::keyClick(&box, Qt::Key_Left);
    QTest::keyClick(&box, Qt::Key_Left);
    grid_->setCurrentCell(10, 23);
    QTest::keyClick(&box, Qt::Key_Left);
    EXPECT_EQ(grid_->history().index(), steps + 2);
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    const QStringList rowOne = changedCells();
    EXPECT_EQ(rowOne.size(), 3);
    EXPECT_TRUE(rowOne.filter(QRegularExpression(QStringLiteral("^1 "))) == rowOne)
        << rowOne.join(',').toStdString();
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(changedCells(), QStringList());

    Form5->SymmetricEditing1->trigger();
    grid_->setCurrentCell(10, 1);
    QTest::keyClick(&box, Qt::Key_Left); // row 1 towards +x, row 4 towards -x
    EXPECT_EQ(changedCells(),
              (QStringList{"1 10 6.51", "1 13 13.01", "1 16 " + grid_->cellText(16, 1),
                           "4 10 -6.51", "4 13 -13.01", "4 16 " + grid_->cellText(16, 4)}));
    EXPECT_EQ(grid_->cellText(16, 4).toDouble(), -grid_->cellText(16, 1).toDouble());
    EXPECT_EQ(grid_->history().index(), steps + 1);
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    drag(box, pixelOf(box, 10, 10, 0.5f), {-20, 0}, {}, true); // the middle: a move
    EXPECT_EQ(changedCells(), QStringList());
    EXPECT_EQ(grid_->history().index(), steps) << "Escape leaves no step";

    // From the side z is not mirrored: row 1's box (z -1.90 to -1.50) and row 4's, drawn on
    // it, both move 1 ft towards +z, as one step.
    TPaintBox& side = *Form6->pb2;
    drag(side, pixelOf(side, 10, -1.7f, 0), {-10, 0});
    EXPECT_EQ(changedCells(), (QStringList{"1 12 -0.90", "1 15 -0.50", "1 18 -0.70", "4 12 -0.90",
                                           "4 15 -0.50", "4 18 -0.70"}));
    EXPECT_EQ(grid_->history().index(), steps + 1);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// From above the upper right outer wing (row 9) lies over the lower one (row 1).
TEST_F(ViewEditingTest, TheTooltipNamesTheWholeStackCurrentRowFirstAndSaysHowToDrag) {
    TPaintBox& box = *Form5->pb1;
    const QPoint stack = pixelOf(box, 10, 8, -1);
    const auto partsIn = [](const QString& hint) {
        static const QRegularExpression part(QStringLiteral("^(.*), slot "),
                                             QRegularExpression::MultilineOption);
        QStringList parts;
        for (auto match = part.globalMatch(hint); match.hasNext();)
            parts << match.next().captured(1);
        return parts.join(',') + (hint.contains(QStringLiteral("Edit Hit Boxes")) ? " +how" : "");
    };
    EXPECT_EQ(partsIn(box.OnHint(stack)), "Right Upper Outer Wing,Right Lower Outer Wing +how");
    setEditing(true);
    grid_->setCurrentCell(10, 1);
    EXPECT_EQ(partsIn(box.OnHint(stack)), "Right Lower Outer Wing,Right Upper Outer Wing");
}

// Ctrl+M: a row without a twin (the rudder) changes nothing; the left wheel's typed PX1 and PY2
// land on the right wheel as one step; a point cell that does not parse is said, and nothing
// changes.
TEST_F(ViewEditingTest, MirroringNeedsATwinAndValuesThatParse) {
    const struct {
        const char* name;
        int row;
        const char* px1; // typed before mirroring, with PY2; none: nothing typed
        const char* py2;
        QStringList changed;
    } rows[] = {
        {"rudder", 15, nullptr, nullptr, {}},
        {"left wheel onto the right",
         18,
         "-3.00",
         "4.90",
         {"17 10 3.00", "17 14 4.90", "18 10 -3.00", "18 14 4.90"}},
        {"a cell that does not parse", 1, "6,5x", "2.30", {"1 10 6,5x"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        grid_->setCurrentCell(10, row.row);
        if (row.px1 != nullptr)
            grid_->commitTexts({{{10, row.row}, QString::fromUtf8(row.px1)},
                                {{14, row.row}, QString::fromUtf8(row.py2)}});
        const int steps = grid_->history().index();
        Form5->Mirror1->trigger(); // what Ctrl+M does
        EXPECT_EQ(changedCells(), row.changed);
        EXPECT_EQ(grid_->history().index(), steps + (row.changed.size() > 1 ? 1 : 0));
        grid_->undo();
        if (row.px1 != nullptr)
            grid_->undo();
    }
    ASSERT_EQ(errors_.shown.size(), 1u);
    EXPECT_TRUE(errors_.texts().front().startsWith(
        QStringLiteral("PX1 of Right Lower Outer Wing does not parse")))
        << errors_.texts().front().toStdString();
    errors_.shown.clear();
}

} // namespace
