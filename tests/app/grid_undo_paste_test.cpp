#include "commands_fixture.h"
#include "grid_fixture.h"

#include "core/part_slots.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QProcess>

#include <algorithm>
#include <vector>

namespace {

class GridUndoPasteTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        grid->fillValueCells(numberedTexts());
        focusGrid();
    }

    // Every cell, headers and hidden ones included, that differs from the numbered fill and the
    // built-in captions, as "column,row=text", sorted.
    QStringList changedCells() const {
        QStringList changed;
        for (int row = 0; row <= 30; ++row)
            for (int column = 0; column <= 22; ++column) {
                const QString original = row == 0 ? QString::fromUtf8(dm::kColumnCaptions[column])
                                         : column == 0
                                             ? QString::fromUtf8(dm::kPartSlots[row - 1].name)
                                             : QString::number((row - 1) * 100 + column - 1);
                if (grid->cellText(column, row) != original)
                    changed << QStringLiteral("%1,%2=%3")
                                   .arg(column)
                                   .arg(row)
                                   .arg(grid->cellText(column, row));
            }
        changed.sort();
        return changed;
    }

    static void keys(const char* sequence) {
        QTest::keySequence(focused(), QKeySequence(sequence));
    }
};

QString block(int columns, int rows) {
    return QStringList(rows, QStringList(columns, "w").join('\t')).join("\r\n");
}

QStringList cellsOf(GridCell first, GridCell last, const char* text) {
    QStringList cells;
    for (int row = first.row; row <= last.row; ++row)
        for (int column = first.column; column <= last.column; ++column)
            cells << QStringLiteral("%1,%2=%3").arg(column).arg(row).arg(text);
    cells.sort();
    return cells;
}

TEST_F(GridUndoPasteTest, PasteIsClippedAtTheLastShownColumnAndRowAndWritesNoHeader) {
    struct Case {
        const char* name;
        GridCell start;
        QString clipboard;
        QStringList changed;
    };
    const std::vector<Case> cases = {
        {"CR LF lines and a final line break",
         {2, 3},
         "a\tb\r\nc\td\r\n",
         {"2,3=a", "2,4=c", "3,3=b", "3,4=d"}},
        {"LF and lone CR lines of unequal length",
         {5, 5},
         "a\nb\tc\rd",
         {"5,5=a", "5,6=b", "5,7=d", "6,6=c"}},
        {"last shown column", {17, 10}, "a\tb\tc\td\te", {"17,10=a", "18,10=b"}},
        {"last row", {1, 29}, "a\nb\nc\nd", {"1,29=a", "1,30=b"}},
        {"wider and taller than the grid", {1, 1}, block(30, 40), cellsOf({1, 1}, {18, 30}, "w")},
        {"an empty field is a text", {4, 4}, "\tx", {"4,4=", "5,4=x"}},
        {"the same texts", {1, 1}, "0\t1", {}},
        {"no text", {1, 1}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->fillValueCells(numberedTexts());
        grid->clearMarker();
        grid->setCurrentCell(c.start.column, c.start.row);
        QApplication::clipboard()->setText(c.clipboard);
        keys("Ctrl+V");
        EXPECT_EQ(changedCells(), c.changed);
        EXPECT_EQ(grid->markerSet(), !c.changed.isEmpty());
        EXPECT_EQ(grid->history().count(), c.changed.isEmpty() ? 0 : 1) << "one step per paste";
        EXPECT_EQ(grid->currentCell(), c.start);
    }
}

TEST_F(GridUndoPasteTest, EveryCommitPasteAndCutIsOneStepAndUndoMovesToIt) {
    grid->setCurrentCell(2, 2);
    type("t");
    press(Qt::Key_Return); // commits 2,2 and opens the editor on 3,2
    grid->setCurrentCell(5, 7);
    QApplication::clipboard()->setText("p\tq\r\nr\ts");
    keys("Ctrl+V");
    grid->setCurrentCell(10, 20);
    press(Qt::Key_Right, Qt::ShiftModifier);
    keys("Ctrl+X");
    EXPECT_EQ(QApplication::clipboard()->text(), "1909\t1910");
    ASSERT_EQ(grid->history().count(), 3);

    const QStringList typed = {"2,2=t"};
    const QStringList pasted = QStringList{"5,7=p", "5,8=r", "6,7=q", "6,8=s"} + typed;
    const QStringList cut = QStringList{"10,20=", "11,20="} + pasted;
    struct Step {
        const char* keys;
        GridCell current;
        QStringList changed;
        bool marker; // an undo or redo commits like typing, but back at the filled texts
                     // nothing is unsaved
    };
    const std::vector<Step> steps = {
        {"Ctrl+Z", {10, 20}, pasted, true},    {"Ctrl+Z", {5, 7}, typed, true},
        {"Ctrl+Z", {2, 2}, {}, false},         {"Ctrl+Z", {2, 2}, {}, false},
        {"Ctrl+Shift+Z", {2, 2}, typed, true}, {"Ctrl+Y", {5, 7}, pasted, true},
        {"Ctrl+Y", {10, 20}, cut, true},       {"Ctrl+Y", {10, 20}, cut, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.keys << " to row " << step.current.row);
        grid->clearMarker();
        keys(step.keys);
        QStringList expected = step.changed;
        expected.sort();
        EXPECT_EQ(changedCells(), expected);
        EXPECT_EQ(grid->currentCell(), step.current);
        EXPECT_EQ(grid->markerSet(), step.marker);
    }
    keys("Ctrl+Z");
    type("new"); // a commit after an undo drops what could have been redone
    press(Qt::Key_Return);
    EXPECT_FALSE(grid->history().canRedo());
    EXPECT_EQ(grid->history().count(), 3);
}

TEST_F(GridUndoPasteTest, AnOpenEditorGivesBackItsOwnTextFirst) {
    grid->setCurrentCell(3, 3);
    type("first");
    press(Qt::Key_Return); // one step; the editor is open on 4,3
    type("second");
    keys("Ctrl+Z");
    ASSERT_NE(editor(), nullptr) << "only the editor's text went back";
    EXPECT_EQ(editor()->text(), "203");
    EXPECT_EQ(grid->cellText(4, 3), "203");
    keys("Ctrl+Shift+Z");
    EXPECT_EQ(grid->cellText(4, 3), "second") << "the editor's redo";
    keys("Ctrl+Z");
    keys("Ctrl+Z");
    EXPECT_EQ(grid->cellText(3, 3), "202");
    EXPECT_EQ(grid->currentCell(), (GridCell{3, 3}));
    EXPECT_FALSE(editor() && grid->isAncestorOf(editor())) << "the editor closed";
    EXPECT_EQ(grid->history().count(), 1) << "giving back recorded nothing";
}

TEST_F(GridUndoPasteTest, ContextMenuShowsTheEditItemsWithShortcutsGreyedWhenTheyCannotAct) {
    QStringList items;
    for (QAction* action : grid->GridMenu->actions())
        items << (action->isSeparator() ? "-"
                                        : action->text() + " " + action->shortcut().toString());
    EXPECT_EQ(items, QStringList({"Undo Ctrl+Z", "Redo Ctrl+Shift+Z", "-", "Cut Ctrl+X",
                                  "Copy Ctrl+C", "Paste Ctrl+V", "-", "Select All Ctrl+A"}));

    struct State {
        const char* name;
        std::function<void()> act;
        bool undo, redo, paste;
    };
    const std::vector<State> states = {
        {"nothing done", [] { QApplication::clipboard()->clear(); }, false, false, false},
        {"a paste",
         [] {
             QApplication::clipboard()->setText("x");
             keys("Ctrl+V");
         },
         true, false, true},
        {"its undo", [] { keys("Ctrl+Z"); }, false, true, true},
        {"a clipboard without text",
         [] {
             auto* picture = new QMimeData;
             picture->setData("image/png", "x");
             QApplication::clipboard()->setMimeData(picture);
         },
         false, true, false},
    };
    for (const State& state : states) {
        SCOPED_TRACE(state.name);
        state.act();
        EXPECT_EQ(grid->PasteItem->isEnabled(), state.paste) << "before the menu opens";
        const QPoint at = cellRect(3, 3).center();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at,
                                     grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &rightClick);
        ASSERT_TRUE(grid->GridMenu->isVisible());
        EXPECT_TRUE(grid->GridMenu->geometry().contains(rightClick.globalPos()));
        EXPECT_EQ(grid->UndoItem->isEnabled(), state.undo);
        EXPECT_EQ(grid->RedoItem->isEnabled(), state.redo);
        EXPECT_EQ(grid->PasteItem->isEnabled(), state.paste);
        grid->GridMenu->hide();
    }
    // The menu key opens it on the current cell.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(grid, &menuKey);
    ASSERT_TRUE(grid->GridMenu->isVisible());
    EXPECT_TRUE(grid->GridMenu->geometry().contains(
        grid->viewport()->mapToGlobal(cellRect(3, 3).center()) + QPoint(1, 1)));
    grid->GridMenu->hide();
}

using commandtest::CommandTest;

// What `dmtool cells` prints for a range of columns and rows, its lines joined by CR LF.
QString dmtoolCells(const QString& file, GridCell first, GridCell last) {
    QProcess dmtool;
    dmtool.start(QStringLiteral(DM_BIN_DIR "/dmtool"), {QStringLiteral("cells"), file});
    EXPECT_TRUE(dmtool.waitForFinished());
    const QStringList lines = QString::fromUtf8(dmtool.readAllStandardOutput()).split('\n');
    QStringList range;
    for (int row = first.row; row <= last.row; ++row)
        range << lines[row - 1]
                     .split('\t')
                     .mid(first.column - 1, last.column - first.column + 1)
                     .join('\t');
    return range.join(QStringLiteral("\r\n"));
}

TEST_F(CommandTest, CopiedRangesEqualTheCellsDmtoolPrints) {
    const QString path = copySample("27damage.dat");
    open(path);
    struct Case {
        GridCell from, to; // the selection grows from `from` to `to` by Shift and arrows
    };
    for (const Case& c :
         std::vector<Case>{{{1, 1}, {18, 30}}, {{12, 26}, {4, 20}}, {{9, 9}, {9, 9}}}) {
        SCOPED_TRACE(testing::Message() << c.from.column << "," << c.from.row);
        grid_->setFocus();
        grid_->setCurrentCell(c.from.column, c.from.row);
        const auto step = [](int from, int to, Qt::Key forward, Qt::Key back) {
            for (int i = 0; i < std::abs(to - from); ++i)
                QTest::keyClick(QApplication::focusWidget(), to > from ? forward : back,
                                Qt::ShiftModifier);
        };
        step(c.from.column, c.to.column, Qt::Key_Right, Qt::Key_Left);
        step(c.from.row, c.to.row, Qt::Key_Down, Qt::Key_Up);
        QTest::keyClick(grid_, Qt::Key_C, Qt::ControlModifier);
        const GridCell first{std::min(c.from.column, c.to.column), std::min(c.from.row, c.to.row)};
        const GridCell last{std::max(c.from.column, c.to.column), std::max(c.from.row, c.to.row)};
        EXPECT_EQ(QApplication::clipboard()->text(), dmtoolCells(path, first, last));
    }
}

TEST_F(CommandTest, UndoAndRedoDecideWhatSaveWritesAndOpenEmptiesTheHistory) {
    const QString path = copySample("00damage.dat");
    const QByteArray original = bytesOf(path);
    open(path);
    typeInto(1, 2, QStringLiteral("77"));
    grid_->setCurrentCell(10, 5);
    QApplication::clipboard()->setText(QStringLiteral("1.5\t-2.25\r\n3\t4"));
    QTest::keyClick(grid_, Qt::Key_V, Qt::ControlModifier);
    const auto undo = [] { QTest::keySequence(QApplication::focusWidget(), QKeySequence::Undo); };
    const auto redo = [] {
        QTest::keySequence(QApplication::focusWidget(), QKeySequence("Ctrl+Y"));
    };

    struct Step {
        const char* name;
        std::function<void()> act;
        std::vector<int> changedSlots; // records that differ from the original file once saved
    };
    const std::vector<Step> steps = {
        {"both steps", [] {}, {1, 4, 5}},
        {"the paste undone", undo, {1}},
        {"the typing undone", undo, {}},
        {"both redone",
         [&] {
             redo();
             redo();
         },
         {1, 4, 5}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_TRUE(grid_->markerSet());
        save();
        EXPECT_FALSE(grid_->markerSet());
        const QByteArray saved = bytesOf(path);
        std::vector<int> changed;
        for (int slot = 0; slot < dm::kSlotCount; ++slot)
            if (saved.mid(dm::recordOffset(slot), dm::kRecordSize) !=
                original.mid(dm::recordOffset(slot), dm::kRecordSize))
                changed.push_back(slot);
        EXPECT_EQ(changed, step.changedSlots);
        EXPECT_EQ(saved.left(dm::kHeaderSize), original.left(dm::kHeaderSize));
        EXPECT_EQ(grid_->history().count(), 2) << "Save keeps the history";
    }
    const dm::PartTable saved = tableOf(path);
    EXPECT_EQ(saved[1].OffOn, 77);
    EXPECT_EQ(saved[4].PX1, 1.5f);
    EXPECT_EQ(saved[5].PY1, 4.0f);

    open(std::nullopt); // with nothing unsaved, a cancelled dialog still fills the grid
    EXPECT_EQ(grid_->history().count(), 0);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

} // namespace

namespace {

// The clipboard keys while a click has the cell editor open: a range of cells or a pasted block
// is the grid's; a single cell's text is the editor's.
TEST_F(GridUndoPasteTest, ClipboardKeysInAnOpenEditorActOnRangesAndBlocks) {
    const QChar loneSurrogate(0xd800);
    struct Case {
        const char* name;
        GridCell shiftClicked; // {0, 0}: no range
        QString clipboardBefore;
        const char* keys;
        QStringList changed;
        QString clipboardAfter;
    };
    const Case cases[] = {
        {"a block pasted into the editor",
         {},
         "p\tq\r\nr\ts",
         "Ctrl+V",
         QStringList{"5,7=p", "5,8=r", "6,7=q", "6,8=s"},
         "p\tq\r\nr\ts"},
        {"a block with a broken character",
         {},
         QString("a\tb") + loneSurrogate + "\nc",
         "Ctrl+V",
         QStringList{"5,7=a", "5,8=c", QString("6,7=b") + QChar::ReplacementCharacter},
         QString("a\tb") + loneSurrogate + "\nc"},
        {"one value pasted into the editor's selected text", {}, "x", "Ctrl+V", {"5,7=x"}, "x"},
        {"a range copied", {6, 8}, "", "Ctrl+C", {}, "604\t605\r\n704\t705"},
        {"a range cut",
         {6, 8},
         "",
         "Ctrl+X",
         QStringList{"5,7=", "5,8=", "6,7=", "6,8="},
         "604\t605\r\n704\t705"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->fillValueCells(numberedTexts());
        focusGrid();
        grid->setCurrentCell(5, 7);
        click(5, 7);
        if (c.shiftClicked.column != 0) {
            const QRect rect = cellRect(c.shiftClicked.column, c.shiftClicked.row);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                              rect.topLeft() + QPoint(10, 5));
        }
        ASSERT_NE(editor(), nullptr);
        QApplication::clipboard()->setText(c.clipboardBefore);
        keys(c.keys);
        grid->commitCheck();
        EXPECT_EQ(changedCells(), c.changed);
        EXPECT_EQ(QApplication::clipboard()->text(), c.clipboardAfter);
        EXPECT_EQ(grid->markerSet(), !c.changed.isEmpty());
        press(Qt::Key_Escape);
    }
}

// What is copied comes back whole where it is pasted, blank cells at its end included.
TEST_F(GridUndoPasteTest, ACopiedRangePastesBackWholeWithItsBlankLastRow) {
    struct Case {
        const char* name;
        GridCell first, last;
        std::vector<GridCell> blanks;
    };
    const Case cases[] = {
        {"a blank last row", {3, 5}, {3, 7}, {{3, 7}}},
        {"a blank last row of two cells", {3, 5}, {4, 6}, {{3, 6}, {4, 6}}},
    };
    const GridCell target{10, 20};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->fillValueCells(numberedTexts());
        for (const GridCell blank : c.blanks)
            grid->setCellText(blank.column, blank.row, QString());
        grid->setCurrentCell(c.first.column, c.first.row);
        if (c.last != c.first) { // a click on the current cell would open its editor
            const QRect last = cellRect(c.last.column, c.last.row);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                              last.topLeft() + QPoint(10, 5));
        }
        keys("Ctrl+C");
        grid->setCurrentCell(target.column, target.row);
        keys("Ctrl+V");
        for (int row = c.first.row; row <= c.last.row; ++row)
            for (int column = c.first.column; column <= c.last.column; ++column)
                EXPECT_EQ(grid->cellText(target.column + column - c.first.column,
                                         target.row + row - c.first.row),
                          grid->cellText(column, row))
                    << column << "," << row;
    }
}

} // namespace
