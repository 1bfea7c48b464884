#include "string_grid.h"

#include "core/cell_block.h"
#include "shell/error_display.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>

#include <algorithm>

// The grid's editing: the cell editor and its keys, the commit rule, the history, the clipboard
// and the context menu.

namespace {

// The cell after `cell` for Enter: one column right, from the last shown column to the first
// value column of the next row, from the last row back to row 1.
GridCell nextCellForEnter(GridCell cell) {
    if (cell.column < kLastShownColumn)
        return {cell.column + 1, cell.row};
    return {1, cell.row < kLastRow ? cell.row + 1 : 1};
}

const QList<QKeySequence> kUndoKeys = {QKeySequence(QStringLiteral("Ctrl+Z"))};
const QList<QKeySequence> kRedoKeys = {QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                       QKeySequence(QStringLiteral("Ctrl+Y"))};

// A text of several cells: it holds a tab or a line break.
bool isBlock(const QString& text) {
    return text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\n')) ||
           text.contains(QLatin1Char('\r'));
}

// Half of a surrogate pair alone is a broken character (some clipboards hand them over), which
// UTF-8 cannot carry.
QString withBrokenCharactersReplaced(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

bool matchesAny(const QKeyEvent& event, const QList<QKeySequence>& keys) {
    const QKeySequence pressed(event.keyCombination());
    return std::any_of(keys.begin(), keys.end(),
                       [&](const QKeySequence& key) { return key == pressed; });
}

// Draws value cells and makes the cell editor: a line edit writing through to the store, so the
// store always holds what the editor shows.
class GridCellDelegate : public QStyledItemDelegate {
public:
    explicit GridCellDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        shell::guarded([&] { grid_->paintValueCell(*painter, option.rect, index); });
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setFont(grid_->gridFont());
        editor->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        editor->setTextMargins(StringGrid::kTextMargin - 1, StringGrid::kTextMargin - 1, 0, 0);
        const GridCell cell = GridTextModel::cellOf(index);
        QPalette palette = editor->palette();
        shell::guarded([&] { palette.setColor(QPalette::Base, grid_->cellPaint(cell).brush); });
        editor->setPalette(palette);
        QObject::connect(
            editor, &QLineEdit::textEdited, grid_, [grid = grid_, cell](const QString& text) {
                shell::guarded([&] { grid->setCellText(cell.column, cell.row, text); });
            });
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text) // keeps the cursor where it is while typing writes through
            line->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                auto* editor = static_cast<QWidget*>(watched);
                shell::guarded([&] { grid_->enterInEditor(editor); });
                return true;
            }
            if (key == Qt::Key_Escape) {
                shell::guarded([&] { grid_->escapeInEditor(static_cast<QWidget*>(watched)); });
                return true;
            }
            const auto* keyEvent = static_cast<QKeyEvent*>(event);
            bool taken = false;
            shell::guarded([&] { taken = grid_->takeClipboardKey(*keyEvent); });
            if (taken)
                return true;
            // The editor's own undo would bypass the grid's history.
            if (matchesAny(*keyEvent, kUndoKeys)) {
                shell::guarded([&] { grid_->undo(); });
                return true;
            }
            if (matchesAny(*keyEvent, kRedoKeys)) {
                shell::guarded([&] { grid_->redo(); });
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    StringGrid* grid_;
};

} // namespace

// One step of the grid's history: the texts of one commit, paste or cut. Pushing it finds the
// texts already committed, so its first redo does nothing.
class CellChangeStep : public QUndoCommand {
public:
    CellChangeStep(StringGrid* grid, const GridRange& range, std::vector<CellChange> changes,
                   int run = -1)
        : grid_(grid), range_(range), changes_(std::move(changes)), run_(run) {}

    int id() const override { return run_; }
    // The later step's texts win; each cell keeps the text from before the run.
    bool mergeWith(const QUndoCommand* other) override {
        for (const CellChange& later : static_cast<const CellChangeStep*>(other)->changes_) {
            const auto same =
                std::find_if(changes_.begin(), changes_.end(),
                             [&](const CellChange& c) { return c.cell == later.cell; });
            if (same != changes_.end())
                same->after = later.after;
            else
                changes_.push_back(later);
        }
        return true;
    }

    void undo() override { grid_->replay(range_, changes_, true); }
    void redo() override {
        if (pushed_)
            grid_->replay(range_, changes_, false);
        pushed_ = true;
    }

private:
    StringGrid* grid_;
    GridRange range_;
    std::vector<CellChange> changes_;
    int run_;
    bool pushed_ = false;
};

void StringGrid::setUpEditing() {
    setItemDelegate(new GridCellDelegate(this));
    GridMenu = new QMenu(this);
    UndoItem = addEditItem(QStringLiteral("Undo"), kUndoKeys, &StringGrid::undo);
    RedoItem = addEditItem(QStringLiteral("Redo"), kRedoKeys, &StringGrid::redo);
    GridMenu->addSeparator();
    CutItem = addEditItem(QStringLiteral("Cut"), {QKeySequence(QStringLiteral("Ctrl+X"))},
                          &StringGrid::cutSelection);
    CopyItem = addEditItem(QStringLiteral("Copy"), {QKeySequence(QStringLiteral("Ctrl+C"))},
                           &StringGrid::copySelection);
    PasteItem = addEditItem(QStringLiteral("Paste"), {QKeySequence(QStringLiteral("Ctrl+V"))},
                            &StringGrid::pasteFromClipboard);
    GridMenu->addSeparator();
    SelectAllItem =
        addEditItem(QStringLiteral("Select All"), {QKeySequence(QStringLiteral("Ctrl+A"))},
                    &StringGrid::selectAllCells);
    connect(&history_, &QUndoStack::indexChanged, this, [this] { updateHistoryItems(); });
    // Undoing back to the texts last opened or saved leaves nothing unsaved.
    connect(&history_, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (clean)
            clearMarker();
    });
    // Asking the clipboard may wait on the program that owns it, so it is asked only when it
    // changes or the menu opens. Until then Paste stays enabled: pasting no text does nothing.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { updatePasteItem(); });
    updateHistoryItems();
}

void StringGrid::rememberCurrentCell() {
    remembered_ = currentCell();
    rememberedText_ = cellText(remembered_.column, remembered_.row);
}

QString StringGrid::validate(GridCell cell, const QString& before, const QString& after) {
    QString value = after;
    bool valid = true;
    if (OnCellValidate)
        OnCellValidate(cell.column, cell.row, value, valid);
    const QString kept = valid ? value : before;
    setCellText(cell.column, cell.row, kept);
    return kept;
}

void StringGrid::commitCheck() {
    const QString text = cellText(remembered_.column, remembered_.row);
    if (text != rememberedText_) {
        const GridCell cell = remembered_;
        const QString before = rememberedText_;
        const QString kept = validate(cell, before, text);
        if (kept != before)
            history_.push(new CellChangeStep(this, {cell, cell}, {{cell, before, kept}}));
    }
    rememberCurrentCell();
}

void StringGrid::commitBlock(const GridRange& range,
                             const std::vector<std::pair<GridCell, QString>>& texts, int run) {
    std::vector<CellChange> changes;
    for (const auto& [cell, text] : texts) {
        const QString before = cellText(cell.column, cell.row);
        if (text == before)
            continue;
        const QString kept = validate(cell, before, text);
        if (kept != before)
            changes.push_back({cell, before, kept});
    }
    rememberCurrentCell();
    textWhenCurrent_ = rememberedText_;
    if (!changes.empty())
        history_.push(new CellChangeStep(this, range, std::move(changes), run));
}

void StringGrid::previewTexts(const std::vector<std::pair<GridCell, QString>>& texts) {
    for (const auto& [cell, text] : texts)
        setCellText(cell.column, cell.row, text);
}

void StringGrid::commitTexts(const std::vector<std::pair<GridCell, QString>>& texts, int run) {
    if (texts.empty())
        return;
    GridRange range{texts.front().first, texts.front().first};
    for (const auto& [cell, text] : texts) {
        range.first = {std::min(range.first.column, cell.column),
                       std::min(range.first.row, cell.row)};
        range.last = {std::max(range.last.column, cell.column), std::max(range.last.row, cell.row)};
    }
    commitBlock(range, texts, run);
}

void StringGrid::replay(const GridRange& range, const std::vector<CellChange>& changes,
                        bool undoing) {
    selectRange(range);
    for (const CellChange& change : changes) {
        const QString& text = undoing ? change.before : change.after;
        validate(change.cell, cellText(change.cell.column, change.cell.row), text);
    }
    rememberCurrentCell();
    textWhenCurrent_ = rememberedText_;
}

QLineEdit* StringGrid::openEditor() const {
    if (state() != QAbstractItemView::EditingState)
        return nullptr;
    return qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
}

bool StringGrid::editorHasUncommittedText() const {
    return openEditor() && remembered_ == currentCell() &&
           cellText(remembered_.column, remembered_.row) != rememberedText_;
}

void StringGrid::closeOpenEditor() {
    if (QLineEdit* editor = openEditor()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    commitCheck();
}

void StringGrid::undo() {
    if (editorHasUncommittedText()) {
        QLineEdit* editor = openEditor();
        if (editor->isUndoAvailable())
            editor->undo();
        else
            editor->setText(rememberedText_);
        setCellText(remembered_.column, remembered_.row, editor->text());
        return;
    }
    closeOpenEditor();
    history_.undo();
}

void StringGrid::redo() {
    QLineEdit* editor = openEditor();
    if (editor && editor->isRedoAvailable()) {
        editor->redo();
        const GridCell cell = currentCell();
        setCellText(cell.column, cell.row, editor->text());
        return;
    }
    closeOpenEditor();
    history_.redo();
}

GridRange StringGrid::selectedRange() const {
    const GridCell current = currentCell();
    GridRange range{current, current};
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        const GridCell cell = GridTextModel::cellOf(index);
        if (cell.column > kLastShownColumn)
            continue;
        range.first = {std::min(range.first.column, cell.column),
                       std::min(range.first.row, cell.row)};
        range.last = {std::max(range.last.column, cell.column), std::max(range.last.row, cell.row)};
    }
    return range;
}

void StringGrid::selectRange(const GridRange& range) {
    setCurrentCell(range.first.column, range.first.row);
    selectionModel()->select(QItemSelection(indexOf(range.first), indexOf(range.last)),
                             QItemSelectionModel::ClearAndSelect);
    scrollTo(currentIndex());
}

QString StringGrid::selectionText() const {
    const GridRange range = selectedRange();
    dm::CellBlock block;
    for (int row = range.first.row; row <= range.last.row; ++row) {
        std::vector<std::string>& texts = block.emplace_back();
        for (int column = range.first.column; column <= range.last.column; ++column)
            texts.push_back(cellText(column, row).toStdString());
    }
    return QString::fromStdString(dm::formatCellBlock(block));
}

void StringGrid::copySelection() {
    QApplication::clipboard()->setText(selectionText());
}

void StringGrid::cutSelection() {
    closeOpenEditor();
    copySelection();
    const GridRange range = selectedRange();
    std::vector<std::pair<GridCell, QString>> texts;
    for (int row = range.first.row; row <= range.last.row; ++row)
        for (int column = range.first.column; column <= range.last.column; ++column)
            texts.emplace_back(GridCell{column, row}, QString());
    commitBlock(range, texts);
}

void StringGrid::pasteText(const QString& text) {
    if (text.isEmpty())
        return;
    closeOpenEditor();
    const GridCell start = currentCell();
    // Split where it lies, and only as far as the grid reaches: a huge text costs nothing more.
    const dm::CellSpans lines = dm::pastedCells(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()),
        std::size_t(kLastRow - start.row + 1), std::size_t(kLastShownColumn - start.column + 1));
    GridRange range{start, start};
    std::vector<std::pair<GridCell, QString>> texts;
    for (int line = 0; line < std::ssize(lines); ++line) {
        for (int field = 0; field < std::ssize(lines[line]); ++field) {
            const dm::CellSpan span = lines[line][field];
            const GridCell cell{start.column + field, start.row + line};
            texts.emplace_back(cell, withBrokenCharactersReplaced(text.sliced(
                                         qsizetype(span.offset), qsizetype(span.length))));
            range.last = {std::max(range.last.column, cell.column), cell.row};
        }
    }
    selectRange(range);
    commitBlock(range, texts);
}

void StringGrid::pasteFromClipboard() {
    pasteText(QApplication::clipboard()->text());
}

void StringGrid::selectAllCells() {
    const QModelIndex current = currentIndex();
    selectionModel()->select(QItemSelection(indexOf({1, 1}), indexOf({kLastShownColumn, kLastRow})),
                             QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
}

QAction* StringGrid::addEditItem(const QString& caption, const QList<QKeySequence>& keys,
                                 void (StringGrid::*handler)()) {
    QAction* item = GridMenu->addAction(caption);
    item->setShortcuts(keys);
    item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    item->setShortcutVisibleInContextMenu(true);
    addAction(item);
    connect(item, &QAction::triggered, this, shell::guardedSlot(this, handler));
    return item;
}

void StringGrid::updateEditItems() {
    updateHistoryItems();
    updatePasteItem();
}

void StringGrid::updateHistoryItems() {
    UndoItem->setEnabled(history_.canUndo() || editorHasUncommittedText());
    RedoItem->setEnabled(history_.canRedo());
}

void StringGrid::updatePasteItem() {
    PasteItem->setEnabled(!QApplication::clipboard()->text().isEmpty());
}

void StringGrid::contextMenuEvent(QContextMenuEvent* event) {
    shell::guarded([&] {
        updateEditItems();
        const QPoint at = event->reason() == QContextMenuEvent::Mouse
                              ? event->globalPos()
                              : viewport()->mapToGlobal(visualRect(currentIndex()).center());
        GridMenu->popup(at);
    });
    event->accept();
}

void StringGrid::enterInEditor(QWidget* editor) {
    commitData(editor);
    commitCheck();
    const GridCell next = nextCellForEnter(currentCell());
    setCurrentCell(next.column, next.row);
    edit(currentIndex());
}

void StringGrid::escapeInEditor(QWidget* editor) {
    const GridCell cell = currentCell();
    setCellText(cell.column, cell.row, textWhenCurrent_);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool StringGrid::takeClipboardKey(const QKeyEvent& event) {
    const GridRange range = selectedRange();
    const bool several = !(range.first == range.last);
    if (event.matches(QKeySequence::Copy) && several)
        copySelection();
    else if (event.matches(QKeySequence::Cut) && several)
        cutSelection();
    else if (event.matches(QKeySequence::Paste) &&
             (several || isBlock(QApplication::clipboard()->text())))
        pasteFromClipboard();
    else
        return false;
    return true;
}
