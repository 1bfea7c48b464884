#include "commands_fixture.h"
#include "grid_fixture.h"

#include "core/part_slots.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QProcess>

#include <vector>

namespace {

class GridUndoPasteTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        grid->fillValueCells(numberedTexts());
        focusGrid();
    }

    static QString numbered(int column, int row) {
        return QString::number((row - 1) * 100 + column - 1);
    }

    // Every value cell of the store that differs from the numbered fill, as "column,row=text".
    QStringList changedCells() const {
        QStringList changed;
        for (int row = 1; row <= 30; ++row)
            for (int column = 1; column <= 22; ++column)
                if (grid->cellText(column, row) != numbered(column, row))
                    changed << QStringLiteral("%1,%2=%3")
                                   .arg(column)
                                   .arg(row)
                                   .arg(grid->cellText(column, row));
        return changed;
    }

    static void setClipboard(const QString& text) { QApplication::clipboard()->setText(text); }
};

TEST_F(GridUndoPasteTest, PasteIsClippedAtTheLastShownColumnAndRowAndWritesNoHeader) {
    struct Case {
        const char* name;
        GridCell start;
        QString clipboard;
        QStringList changed;
    };
    const std::vector<Case> cases = {
        {"a block inside the grid, CR LF and a final line break",
         {2, 3},
         "a\tb\r\nc\td\r\n",
         {"2,3=a", "3,3=b", "2,4=c", "3,4=d"}},
        {"LF and lone CR lines of unequal length",
         {5, 5},
         "a\nb\tc\rd",
         {"5,5=a", "5,6=b", "6,6=c", "5,7=d"}},
        {"at the last shown column: nothing reaches the hidden ones",
         {17, 10},
         "a\tb\tc\td\te",
         {"17,10=a", "18,10=b"}},
        {"at the last row", {1, 29}, "a\nb\nc\nd", {"1,29=a", "1,30=b"}},
        {"in the bottom right corner", {18, 30}, "a\tb\nc\td", {"18,30=a"}},
        {"a block wider and taller than the grid",
         {1, 1},
         [] {
             QStringList lines;
             for (int row = 0; row < 40; ++row)
                 lines << QStringLiteral("w\t").repeated(29) + QStringLiteral("w");
             return lines.join(QStringLiteral("\r\n"));
         }(),
         [] {
             QStringList cells;
             for (int row = 1; row <= 30; ++row)
                 for (int column = 1; column <= 18; ++column)
                     cells << QStringLiteral("%1,%2=w").arg(column).arg(row);
             return cells;
         }()},
        {"empty fields are texts too", {4, 4}, "\tx", {"4,4=", "5,4=x"}},
        {"the same texts change nothing", {1, 1}, "0\t1", {}},
        {"no text on the clipboard", {1, 1}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->fillValueCells(numberedTexts());
        grid->clearMarker();
        grid->setCurrentCell(c.start.column, c.start.row);
        setClipboard(c.clipboard);
        press(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(changedCells(), c.changed);
        EXPECT_EQ(grid->markerSet(), !c.changed.isEmpty());
        EXPECT_EQ(grid->history().count(), c.changed.isEmpty() ? 0 : 1) << "one step per paste";
        EXPECT_EQ(grid->currentCell(), c.start);
        for (int column = 0; column <= 22; ++column)
            EXPECT_EQ(grid->cellText(column, 0), QString::fromUtf8(dm::kColumnCaptions[column]));
        for (int row = 1; row <= 30; ++row)
            EXPECT_EQ(grid->cellText(0, row), QString::fromUtf8(dm::kPartSlots[row - 1].name));
    }
}

TEST_F(GridUndoPasteTest, EveryCommittedChangeIsOneStepAndUndoMovesToTheChangedCells) {
    grid->setCurrentCell(2, 2);
    type("typed");
    press(Qt::Key_Return); // commits 2,2 and opens the editor on 3,2
    press(Qt::Key_Escape);
    grid->setFocus();
    grid->setCurrentCell(5, 7);
    setClipboard(QStringLiteral("p\tq\r\nr\ts"));
    press(Qt::Key_V, Qt::ControlModifier);
    grid->setCurrentCell(10, 20);
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "1909\t1910");
    ASSERT_EQ(grid->history().count(), 3);

    const QStringList all = {"2,2=typed", "5,7=p", "6,7=q", "10,20=", "11,20=", "5,8=r", "6,8=s"};
    struct Step {
        QKeySequence key;
        GridCell current;
        QStringList changed;
    };
    const QKeySequence undo(QStringLiteral("Ctrl+Z"));
    const std::vector<Step> steps = {
        {undo, {10, 20}, {"2,2=typed", "5,7=p", "6,7=q", "5,8=r", "6,8=s"}},
        {undo, {5, 7}, {"2,2=typed"}},
        {undo, {2, 2}, {}},
        {undo, {2, 2}, {}}, // nothing left to undo
        {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), {2, 2}, {"2,2=typed"}},
        {QKeySequence(QStringLiteral("Ctrl+Y")),
         {5, 7},
         {"2,2=typed", "5,7=p", "6,7=q", "5,8=r", "6,8=s"}},
        {QKeySequence(QStringLiteral("Ctrl+Y")), {10, 20}, all},
        {QKeySequence(QStringLiteral("Ctrl+Y")), {10, 20}, all}, // nothing left to redo
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.key.toString().toStdString() + " to " + std::to_string(step.current.row));
        grid->clearMarker();
        QTest::keySequence(focused(), step.key);
        QStringList changed = changedCells();
        std::sort(changed.begin(), changed.end());
        QStringList expected = step.changed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(changed, expected);
        EXPECT_EQ(grid->currentCell(), step.current);
    }
    // An undo commits like typing: the marker is set by each step that changes texts.
    grid->clearMarker();
    QTest::keySequence(focused(), undo);
    EXPECT_TRUE(grid->markerSet());
    // A new commit after an undo drops the steps that could have been redone.
    type("new");
    press(Qt::Key_Return);
    EXPECT_FALSE(grid->history().canRedo());
    EXPECT_EQ(grid->history().count(), 3);
}

TEST_F(GridUndoPasteTest, AnOpenEditorGivesBackItsOwnTextFirst) {
    grid->setCurrentCell(3, 3);
    type("first");
    press(Qt::Key_Return); // step one; the editor is open on 4,3
    type("second");
    ASSERT_NE(editor(), nullptr);
    const QKeySequence undo(QStringLiteral("Ctrl+Z"));

    QTest::keySequence(focused(), undo);
    ASSERT_NE(editor(), nullptr) << "only the editor's text went back";
    EXPECT_EQ(editor()->text(), "203");
    EXPECT_EQ(grid->cellText(4, 3), "203");
    EXPECT_EQ(grid->cellText(3, 3), "first");

    QTest::keySequence(focused(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    EXPECT_EQ(grid->cellText(4, 3), "second") << "the editor's redo";
    QTest::keySequence(focused(), undo);

    QTest::keySequence(focused(), undo);
    EXPECT_EQ(grid->cellText(3, 3), "202");
    EXPECT_EQ(grid->currentCell(), (GridCell{3, 3}));
    EXPECT_FALSE(editor() && grid->isAncestorOf(editor())) << "the editor closed";
    EXPECT_EQ(grid->history().count(), 1) << "giving back recorded nothing";
}

TEST_F(GridUndoPasteTest, CopyWritesTheSelectionAsTabSeparatedLines) {
    struct Case {
        const char* name;
        GridCell current;
        std::vector<QKeySequence> keys;
        QString clipboard;
    };
    const std::vector<Case> cases = {
        {"the current cell", {4, 2}, {}, "103"},
        {"Shift and arrows",
         {17, 29},
         {QKeySequence(Qt::SHIFT | Qt::Key_Right), QKeySequence(Qt::SHIFT | Qt::Key_Down)},
         "2816\t2817\r\n2916\t2917"},
        {"towards the top left",
         {2, 2},
         {QKeySequence(Qt::SHIFT | Qt::Key_Up), QKeySequence(Qt::SHIFT | Qt::Key_Left)},
         "0\t1\r\n100\t101"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->setCurrentCell(c.current.column, c.current.row);
        for (const QKeySequence& key : c.keys)
            QTest::keySequence(focused(), key);
        QTest::keySequence(focused(), QKeySequence(QStringLiteral("Ctrl+C")));
        EXPECT_EQ(QApplication::clipboard()->text(), c.clipboard);
    }
    QTest::keySequence(focused(), QKeySequence(QStringLiteral("Ctrl+A")));
    QTest::keySequence(focused(), QKeySequence(QStringLiteral("Ctrl+C")));
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 30);
    EXPECT_EQ(lines[29].split('\t').size(), 18) << "no hidden column";
    EXPECT_EQ(lines[29].split('\t').back(), "2917");
}

TEST_F(GridUndoPasteTest, ContextMenuShowsTheEditItemsWithShortcutsGreyedWhenTheyCannotAct) {
    struct Item {
        QAction* action;
        const char* caption;
        const char* shortcut;
    };
    const std::vector<Item> items = {
        {grid->UndoItem, "Undo", "Ctrl+Z"},   {grid->RedoItem, "Redo", "Ctrl+Shift+Z"},
        {grid->CutItem, "Cut", "Ctrl+X"},     {grid->CopyItem, "Copy", "Ctrl+C"},
        {grid->PasteItem, "Paste", "Ctrl+V"}, {grid->SelectAllItem, "Select All", "Ctrl+A"},
    };
    QStringList captions;
    for (QAction* action : grid->GridMenu->actions())
        if (!action->isSeparator())
            captions << action->text();
    EXPECT_EQ(captions, QStringList({"Undo", "Redo", "Cut", "Copy", "Paste", "Select All"}));
    for (const Item& item : items) {
        EXPECT_EQ(item.action->text(), item.caption);
        EXPECT_EQ(item.action->shortcut().toString(), item.shortcut);
        EXPECT_TRUE(item.action->isShortcutVisibleInContextMenu());
    }

    struct State {
        const char* name;
        std::function<void()> act;
        bool undo, redo, paste;
    };
    const std::vector<State> states = {
        {"nothing done, empty clipboard", [] { QApplication::clipboard()->clear(); }, false, false,
         false},
        {"a pasted text",
         [&] {
             setClipboard("x");
             press(Qt::Key_V, Qt::ControlModifier);
         },
         true, false, true},
        {"after its undo", [&] { press(Qt::Key_Z, Qt::ControlModifier); }, false, true, true},
        {"a clipboard without text",
         [] {
             auto* data = new QMimeData;
             data->setData("image/png", "x");
             QApplication::clipboard()->setMimeData(data);
         },
         false, true, false},
    };
    for (const State& state : states) {
        SCOPED_TRACE(state.name);
        state.act();
        const QRect cell = cellRect(3, 3);
        QContextMenuEvent byMouse(QContextMenuEvent::Mouse, cell.center(),
                                  grid->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(grid->viewport(), &byMouse);
        ASSERT_TRUE(grid->GridMenu->isVisible());
        EXPECT_EQ(grid->UndoItem->isEnabled(), state.undo);
        EXPECT_EQ(grid->RedoItem->isEnabled(), state.redo);
        EXPECT_EQ(grid->PasteItem->isEnabled(), state.paste);
        EXPECT_TRUE(grid->CutItem->isEnabled() && grid->CopyItem->isEnabled() &&
                    grid->SelectAllItem->isEnabled());
        grid->GridMenu->hide();
    }
    // The menu key opens it at the current cell.
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(grid, &byKey);
    EXPECT_TRUE(grid->GridMenu->isVisible());
    EXPECT_TRUE(grid->GridMenu->geometry().contains(
        grid->viewport()->mapToGlobal(
            cellRect(grid->currentCell().column, grid->currentCell().row).center()) +
        QPoint(1, 1)));
    grid->GridMenu->hide();
}

using commandtest::CommandTest;

// The text `dmtool cells` prints for a range of grid columns and rows, lines joined by CR LF.
QString dmtoolCells(const QString& file, int firstColumn, int lastColumn, int firstRow,
                    int lastRow) {
    QProcess dmtool;
    dmtool.start(QStringLiteral(DM_BIN_DIR "/dmtool"), {QStringLiteral("cells"), file});
    EXPECT_TRUE(dmtool.waitForFinished());
    const QStringList lines = QString::fromUtf8(dmtool.readAllStandardOutput()).split('\n');
    QStringList range;
    for (int row = firstRow; row <= lastRow; ++row)
        range << lines[row - 1]
                     .split('\t')
                     .mid(firstColumn - 1, lastColumn - firstColumn + 1)
                     .join('\t');
    return range.join(QStringLiteral("\r\n"));
}

TEST_F(CommandTest, CopiedRangesEqualTheCellsDmtoolPrints) {
    const QString path = copySample("27damage.dat");
    open(path);
    struct Case {
        GridCell from, to;
    };
    for (const Case& c :
         std::vector<Case>{{{1, 1}, {18, 30}}, {{4, 20}, {12, 26}}, {{18, 30}, {18, 30}}}) {
        SCOPED_TRACE(testing::Message() << c.from.column << "," << c.from.row);
        grid_->setFocus();
        grid_->setCurrentCell(c.from.column, c.from.row);
        for (int column = c.from.column; column < c.to.column; ++column)
            QTest::keyClick(grid_, Qt::Key_Right, Qt::ShiftModifier);
        for (int row = c.from.row; row < c.to.row; ++row)
            QTest::keyClick(grid_, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(grid_, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(),
                  dmtoolCells(path, c.from.column, c.to.column, c.from.row, c.to.row));
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
    const auto undo = [&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    };
    const auto redo = [&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
    };

    struct Step {
        const char* name;
        std::function<void()> act;
        bool marker;
        int changedSlots; // slots whose record differs from the original file after a save
    };
    const std::vector<Step> steps = {
        {"saved with both steps", [] {}, true, 3},
        {"undo of the paste", undo, true, 1},
        {"undo of the typing", undo, true, 0},
        {"redo of both",
         [&] {
             redo();
             redo();
         },
         true, 3},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(grid_->markerSet(), step.marker);
        save();
        EXPECT_FALSE(grid_->markerSet());
        const QByteArray saved = bytesOf(path);
        int changed = 0;
        for (int slot = 0; slot < dm::kSlotCount; ++slot)
            changed += saved.mid(dm::kHeaderSize + slot * dm::kRecordSize, dm::kRecordSize) !=
                       original.mid(dm::kHeaderSize + slot * dm::kRecordSize, dm::kRecordSize);
        EXPECT_EQ(changed, step.changedSlots);
        EXPECT_EQ(grid_->history().count(), 2) << "Save keeps the history";
    }
    EXPECT_EQ(tableOf(path)[4].PX1, 1.5f);
    EXPECT_EQ(tableOf(path)[5].PY1, 4.0f);
    EXPECT_EQ(tableOf(path)[1].OffOn, 77);
    EXPECT_EQ(bytesOf(path).left(dm::kHeaderSize), original.left(dm::kHeaderSize));

    open(std::nullopt); // a cancelled dialog still fills the grid
    EXPECT_EQ(grid_->history().count(), 0);
    undo();
    EXPECT_EQ(grid_->cellText(1, 2), "77");
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

} // namespace
