#include "grid_fixture.h"

#include "../support/grid_helpers.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include <vector>

namespace {

class GridEditingTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        grid->fillValueCells(numberedTexts());
        focusGrid();
    }
};

TEST_F(GridEditingTest, EnterCommitsAndMovesRightWithTheEditorOpen) {
    struct Case {
        GridCell from;
        GridCell to;
    };
    const std::vector<Case> cases = {{{1, 1}, {2, 1}},  {{9, 4}, {10, 4}},   {{17, 5}, {18, 5}},
                                     {{18, 5}, {1, 6}}, {{18, 29}, {1, 30}}, {{18, 30}, {1, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from.column << "," << c.from.row);
        grid->setFocus(); // closes the editor left open by the last case
        grid->setCurrentCell(c.from.column, c.from.row);
        press(Qt::Key_Return); // opens the editor on a cell that is not being edited
        ASSERT_NE(editor(), nullptr);
        editor()->selectAll();
        type("x" + QString::number(c.from.column));
        press(Qt::Key_Return);
        EXPECT_EQ(grid->cellText(c.from.column, c.from.row), "x" + QString::number(c.from.column));
        EXPECT_EQ(grid->currentCell(), c.to);
        ASSERT_NE(editor(), nullptr) << "the next cell's editor is open";
        EXPECT_EQ(editor()->text(), grid->cellText(c.to.column, c.to.row));
        EXPECT_EQ(editor()->geometry(), cellRect(c.to.column, c.to.row));
        press(Qt::Key_Escape);
    }
    EXPECT_TRUE(grid->markerSet());
    // The hidden cells were never reached by the advance.
    const dm::CellTexts texts = grid->valueTexts();
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        for (int field = dm::kShownColumnCount - 1; field < dm::kFieldCount; ++field)
            EXPECT_EQ(texts[slot][field], numberedTexts()[slot][field]);
}

TEST_F(GridEditingTest, TypingOpensTheEditorAndEscapePutsBackTheTextOfTheCell) {
    grid->setCurrentCell(4, 3);
    type("99");
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "99") << "typing replaces the text";
    EXPECT_EQ(grid->cellText(4, 3), "99") << "the store follows the editor";
    press(Qt::Key_Backspace);
    type("7");
    EXPECT_EQ(grid->cellText(4, 3), "97");

    press(Qt::Key_Escape);
    EXPECT_EQ(editor(), nullptr) << "Escape closes the editor";
    EXPECT_EQ(grid->cellText(4, 3), "203");
    EXPECT_EQ(grid->currentCell(), (GridCell{4, 3}));
    grid->commitCheck();
    EXPECT_FALSE(grid->markerSet());

    // Backspace on a cell that is not edited opens the editor too.
    grid->setFocus();
    press(Qt::Key_Backspace);
    ASSERT_NE(editor(), nullptr);
}

TEST_F(GridEditingTest, EscapeRestoresTheTextFromWhenTheCellBecameCurrentAfterAFill) {
    grid->setCurrentCell(2, 2);
    dm::CellTexts texts = numberedTexts();
    texts[1][1] = "refilled";
    grid->fillValueCells(texts);
    type("abc");
    press(Qt::Key_Escape);
    EXPECT_EQ(grid->cellText(2, 2), "refilled");
}

TEST_F(GridEditingTest, CommitRuleDecidesTheMarker) {
    struct Case {
        const char* name;
        std::function<void(GridEditingTest&)> act;
        bool marker;
    };
    const std::vector<Case> cases = {
        {"typed, then moved by click",
         [](GridEditingTest& t) {
             t.type("5");
             t.click(6, 6);
         },
         true},
        {"typed, then moved by an arrow key in the editor",
         [](GridEditingTest& t) {
             t.type("5");
             t.press(Qt::Key_Down);
             EXPECT_EQ(t.grid->currentCell(), (GridCell{3, 4}));
         },
         true},
        {"typed, then the focus left the grid",
         [](GridEditingTest& t) {
             t.type("5");
             t.other->setFocus();
         },
         true},
        {"the program wrote the current cell, then it was clicked",
         [](GridEditingTest& t) {
             t.grid->setCellText(3, 3, "written");
             t.click(3, 3, 2);
         },
         true},
        {"the old text typed back before leaving",
         [](GridEditingTest& t) {
             t.type("5");
             t.editor()->selectAll();
             t.type("202");
             t.click(6, 6);
         },
         false},
        {"the editor opened and left unchanged",
         [](GridEditingTest& t) {
             t.press(Qt::Key_Return);
             t.other->setFocus();
         },
         false},
        {"a fill changed the current cell, then moved",
         [](GridEditingTest& t) {
             dm::CellTexts texts = numberedTexts();
             texts[2][2] = "new file";
             t.grid->fillValueCells(texts);
             t.press(Qt::Key_Right);
             t.other->setFocus();
         },
         false},
        {"the program wrote the current cell, then a fill, then moved",
         [](GridEditingTest& t) {
             t.grid->setCellText(3, 3, "written");
             t.grid->fillValueCells(t.grid->valueTexts());
             t.press(Qt::Key_Up);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->fillValueCells(numberedTexts());
        grid->clearMarker();
        grid->setFocus();
        grid->setCurrentCell(3, 3);
        c.act(*this);
        EXPECT_EQ(grid->markerSet(), c.marker);
        if (editor() && grid->isAncestorOf(editor()))
            press(Qt::Key_Escape);
    }
}

TEST_F(GridEditingTest, ValidateHandlerSeesTheCommittedCellAndMayReplaceOrRefuse) {
    struct Call {
        int column, row;
        QString value;
    };
    std::vector<Call> calls;
    bool accept = true;
    grid->OnCellValidate = [&](int Col, int Row, QString& Value, bool& Valid) {
        calls.push_back({Col, Row, Value});
        if (Value == "replace")
            Value = "replaced";
        Valid = accept;
    };
    grid->setCurrentCell(7, 2);
    type("replace");
    press(Qt::Key_Return);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].column, 7);
    EXPECT_EQ(calls[0].row, 2);
    EXPECT_EQ(calls[0].value, "replace");
    EXPECT_EQ(grid->cellText(7, 2), "replaced");

    accept = false;
    type("refused");
    press(Qt::Key_Return);
    EXPECT_EQ(grid->cellText(8, 2), "107");
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_FALSE(grid->markerSet()) << "the handler replaced the marker's setter";
}

TEST_F(GridEditingTest, ClickOpensTheEditorOnlyWellInsideTheCell) {
    struct Case {
        int column;
        int fromLeft; // negative: from the right border
        bool opens;
    };
    const std::vector<Case> cases = {{2, 10, true}, {3, 4, true},   {4, 3, false}, {5, 1, false},
                                     {6, -4, true}, {7, -3, false}, {8, -1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << " at " << c.fromLeft);
        grid->setFocus();
        const int width = cellRect(c.column, 4).width();
        click(c.column, 4, c.fromLeft >= 0 ? c.fromLeft : width + c.fromLeft);
        EXPECT_EQ(grid->currentCell(), (GridCell{c.column, 4}));
        EXPECT_EQ(editor() != nullptr && grid->isAncestorOf(editor()), c.opens);
        if (editor() && grid->isAncestorOf(editor()))
            press(Qt::Key_Escape);
    }
    EXPECT_FALSE(grid->markerSet());
}

TEST_F(GridEditingTest, HiddenColumnsCannotBeReached) {
    grid->setCurrentCell(17, 4);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    EXPECT_EQ(grid->currentCell(), (GridCell{18, 4}));
    press(Qt::Key_End);
    EXPECT_EQ(grid->currentCell().column, 18);
    press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->currentCell(), (GridCell{18, 30}));
    press(Qt::Key_Tab);
    EXPECT_LE(grid->currentCell().column, 18);

    grid->setCurrentCell(19, 2);
    grid->setCurrentCell(22, 2);
    EXPECT_LE(grid->currentCell().column, 18);

    // Right of the last shown column there is no cell to click.
    grid->resize(1500, 500);
    grid->sizeColumns();
    const QRect last = cellRect(18, 3);
    ASSERT_LT(last.right() + 20, grid->viewport()->width());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      QPoint(last.right() + 15, last.top() + 5));
    EXPECT_LE(grid->currentCell().column, 18);
    for (int column = 19; column <= 22; ++column)
        EXPECT_TRUE(grid->isColumnHidden(column - 1)) << column;
}

// At the editor window's design size only part of the grid fits: moving the current cell
// must bring it into view, or the user types into a cell he cannot see.
TEST_F(GridEditingTest, TheCurrentCellAndItsEditorScrollIntoView) {
    grid->resize(400, 200);
    const auto expectCurrentCellShown = [&](const char* step, bool editing) {
        SCOPED_TRACE(step);
        const GridCell cell = grid->currentCell();
        const QRect rect = cellRect(cell.column, cell.row);
        EXPECT_TRUE(grid->viewport()->rect().contains(rect))
            << "cell " << cell.column << "," << cell.row;
        if (editing) {
            ASSERT_NE(editor(), nullptr);
            EXPECT_TRUE(editor()->isVisible());
            EXPECT_EQ(editor()->geometry(), rect);
        }
    };
    grid->setCurrentCell(1, 1);
    press(Qt::Key_Return);
    for (int column = 2; column <= 18; ++column) {
        press(Qt::Key_Return);
        ASSERT_EQ(grid->currentCell(), (GridCell{column, 1}));
        expectCurrentCellShown("Enter advance", true);
    }
    grid->setFocus();
    for (int row = 2; row <= 26; ++row) {
        press(Qt::Key_Down);
        ASSERT_EQ(grid->currentCell(), (GridCell{18, row}));
        expectCurrentCellShown("Down", false);
    }
    press(Qt::Key_Home);
    expectCurrentCellShown("Home", false);
    press(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(grid->currentCell(), (GridCell{18, 30}));
    expectCurrentCellShown("Ctrl+End", false);
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    ASSERT_EQ(grid->currentCell(), (GridCell{1, 1}));
    expectCurrentCellShown("Enter wraps to the first row", true);
    press(Qt::Key_Escape);
}

TEST_F(GridEditingTest, DraggingTheMouseSelectsAndScrollsNothing) {
    grid->resize(400, 200);
    const QPoint start = cellRect(2, 3).topLeft() + QPoint(2, 5); // opens no editor
    const QPoint below(start.x(), grid->viewport()->height() + 30);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, start);
    QMouseEvent drag(QEvent::MouseMove, below, grid->viewport()->mapToGlobal(below), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &drag);
    QTest::qWait(300); // time for an automatic scroll to start
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(), 1);
    EXPECT_EQ(grid->currentCell(), (GridCell{2, 3}));
}

TEST_F(GridEditingTest, RowsAndColumnsStayInPlace) {
    const dm::CellTexts before = grid->valueTexts();
    QHeaderView* header = grid->horizontalHeader();
    const QPoint damage(header->sectionViewportPosition(3) + 10, 10);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, damage);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, damage);
    // A drag on the border between two captions resizes nothing.
    const QPoint border(header->sectionViewportPosition(4) - 1, 10);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, border);
    QTest::mouseMove(header->viewport(), border + QPoint(40, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, border + QPoint(40, 0));
    EXPECT_EQ(testsupport::gridColumnWidth(*grid, 4), StringGrid::kInitialColumnWidth);

    press(Qt::Key_Insert);
    press(Qt::Key_Delete);
    EXPECT_EQ(grid->valueTexts(), before);
    EXPECT_EQ(grid->model()->rowCount(), 30);
    EXPECT_EQ(grid->model()->columnCount(), 22);
    EXPECT_EQ(grid->cellText(4, 0), "Damage");
    EXPECT_EQ(grid->cellText(0, 1), "Right Lower Outer Wing");
}

TEST_F(GridEditingTest, DestroyingTheGridWhileEditingChecksNothing) {
    int validated = 0;
    grid->OnCellValidate = [&validated](int, int, QString&, bool&) { ++validated; };
    grid->setCurrentCell(5, 5);
    type("changed");
    ASSERT_NE(editor(), nullptr);
    delete grid;
    grid = nullptr;
    EXPECT_EQ(validated, 0);
}

} // namespace
