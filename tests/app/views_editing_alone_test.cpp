// The editing mode built with a grid and one view alone, as the program's wiring hands them over.

#include "grid_fixture.h"

#include "core/cell_text.h"
#include "damage_document.h"
#include "hitbox_editing.h"
#include "paint_box.h"
#include "view_settings.h"

#include <QMouseEvent>

namespace {

class EditingAlone : public GridFixture {};

// Slot 0 spans x 2 to -2 ft from above; its left edge (PX1) at 100% lies 20 px left of the centre.
// The same 20 px drag moves the edge by as many feet as the handed zoom says, and a pan moves
// where the edge is gripped.
TEST_F(EditingAlone, ADragGoesByTheZoomAndPanOfTheSettingsItWasHanded) {
    DamageDocument document;
    document.PartTable[0].PX1 = 2;
    document.PartTable[0].PX2 = -2;
    document.PartTable[0].PY1 = -1;
    document.PartTable[0].PY2 = 3;
    grid->fillValueCells(dm::fillCells(document.PartTable, grid->decimalSeparator().toStdString()));
    ViewSettings settings;
    HitBoxSource source;
    source.settings = &settings;
    source.partTable = &document.PartTable;
    auto* box = new TPaintBox(window.get());
    box->setGeometry(0, 0, 400, 300);
    HitBoxEditing editing({[this]() -> StringGrid& { return *grid; }, &document,
                           [](const HitBoxSource&) {}, source, [] {}, [] {}});
    editing.watch(*box, *window, dm::HitBoxView::Top);
    editing.setOn(true);

    struct Row {
        const char* name;
        int zoom;
        dm::PixelPoint pan;
        const char* px1;
    };
    const Row rows[] = {
        {"100%", 10, {0, 0}, "0.00"},
        {"200%, panned", 20, {-35, 12}, "1.00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings.setZoom(row.zoom);
        settings.setPan(dm::HitBoxView::Top, row.pan);
        const QPoint edge(200 - 2 * row.zoom + row.pan.x, 100 - row.zoom + row.pan.y);
        QTest::mousePress(box, Qt::LeftButton, {}, edge);
        QMouseEvent move(QEvent::MouseMove, edge + QPoint(20, 0), box->mapToGlobal(edge),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(box, &move);
        QTest::mouseRelease(box, Qt::LeftButton, {}, edge + QPoint(20, 0));
        EXPECT_EQ(grid->cellText(10, 1), QString::fromUtf8(row.px1));
        grid->undo();
    }
}

} // namespace
