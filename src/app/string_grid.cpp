#include "string_grid.h"

#include "core/grid_colors.h"
#include "core/part_slots.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "views/qt_colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kLastShownColumn = dm::kShownColumnCount - 1; // 18
constexpr int kLastRow = dm::kGridRowCount - 1;             // 30
// Cell text starts this far right of and below the cell's corner.
constexpr int kTextMargin = 2;
// A click must lie more than this far inside a cell's left and right borders to open the editor.
constexpr int kClickEditMargin = 3;

void checkCell(GridCell cell) {
    if (cell.column < 0 || cell.column >= dm::kGridColumnCount || cell.row < 0 ||
        cell.row > kLastRow)
        throw std::out_of_range("grid cell out of range");
}

void drawCellText(QPainter& painter, const QRect& rect, const QString& text) {
    painter.save();
    painter.setClipRect(rect);
    painter.drawText(rect.adjusted(kTextMargin, kTextMargin, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

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

// CR LF, LF and CR each end a line. Split by hand: a regular expression gives up on a text that
// is not valid UTF-16.
QStringList linesOf(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// Half of a surrogate pair alone is a broken character (some clipboards hand them over).
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
        editor->setTextMargins(kTextMargin - 1, kTextMargin - 1, 0, 0);
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
    CellChangeStep(StringGrid* grid, const GridRange& range, std::vector<CellChange> changes)
        : grid_(grid), range_(range), changes_(std::move(changes)) {}

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
    bool pushed_ = false;
};

void applyCellColorRules(int ARow, int ACol, CellPaint& paint) {
    const dm::CellColorRule rule = dm::cellColorRule(ARow, ACol);
    if (rule.background)
        paint.brush = toQColor(*rule.background);
    if (rule.text)
        paint.fontColor = toQColor(*rule.text);
    if (rule.bold)
        paint.font.setBold(true);
}

// ---- GridTextModel ----

GridTextModel::GridTextModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int column = 0; column < dm::kGridColumnCount; ++column)
        cells_[0][column] = QString::fromUtf8(dm::kColumnCaptions[column]);
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        cells_[slot + 1][0] = QString::fromUtf8(dm::kPartSlots[slot].name);
}

int GridTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dm::kGridRowCount - 1;
}

int GridTextModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dm::kGridColumnCount - 1;
}

QVariant GridTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cell(cellOf(index));
}

bool GridTextModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(cellOf(index), value.toString());
    return true;
}

Qt::ItemFlags GridTextModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant GridTextModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const GridCell header =
        orientation == Qt::Horizontal ? GridCell{section + 1, 0} : GridCell{0, section + 1};
    if (role == Qt::DisplayRole)
        return cell(header);
    if (!headerPaint ||
        (role != Qt::BackgroundRole && role != Qt::ForegroundRole && role != Qt::FontRole))
        return {};
    const CellPaint paint = headerPaint(header);
    switch (role) {
    case Qt::BackgroundRole:
        return paint.brush;
    case Qt::ForegroundRole:
        return paint.fontColor;
    default:
        return paint.font;
    }
}

const QString& GridTextModel::cell(GridCell cell) const {
    checkCell(cell);
    return cells_[cell.row][cell.column];
}

void GridTextModel::setCell(GridCell cell, const QString& text) {
    checkCell(cell);
    QString& stored = cells_[cell.row][cell.column];
    if (stored == text)
        return;
    stored = text;
    if (cell.row > 0 && cell.column > 0) {
        const QModelIndex changed = index(cell.row - 1, cell.column - 1);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    } else if (cell.row == 0 && cell.column > 0) {
        emit headerDataChanged(Qt::Horizontal, cell.column - 1, cell.column - 1);
    } else if (cell.row > 0) {
        emit headerDataChanged(Qt::Vertical, cell.row - 1, cell.row - 1);
    }
}

void GridTextModel::setValueCells(const dm::CellTexts& texts) {
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        for (int field = 0; field < dm::kFieldCount; ++field)
            cells_[slot + 1][field + 1] = QString::fromStdString(texts[slot][field]);
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                     {Qt::DisplayRole, Qt::EditRole});
}

void GridTextModel::setMarkerSet(bool set) {
    if (markerSet_ == set)
        return;
    markerSet_ = set;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

QColor GridTextModel::headerBackground() const {
    return markerSet_ ? toQColor(dm::colours::maroon)
                      : QApplication::palette().color(QPalette::Button);
}

QColor GridTextModel::headerTextColor() const {
    return markerSet_ ? toQColor(dm::colours::silver)
                      : QApplication::palette().color(QPalette::WindowText);
}

// ---- GridHeaderView ----

QSize GridHeaderView::sizeHint() const {
    if (orientation() == Qt::Horizontal && minimumHeight() == maximumHeight())
        return {defaultSectionSize(), minimumHeight()};
    if (orientation() == Qt::Vertical && minimumWidth() == maximumWidth())
        return {minimumWidth(), defaultSectionSize()};
    return QHeaderView::sizeHint();
}

void GridHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    shell::guarded([&] {
        const auto role = [&](Qt::ItemDataRole itemRole) {
            return model()->headerData(logicalIndex, orientation(), itemRole);
        };
        CellPaint paint;
        paint.brush = role(Qt::BackgroundRole).value<QColor>();
        paint.fontColor = role(Qt::ForegroundRole).value<QColor>();
        paint.font = role(Qt::FontRole).value<QFont>();
        const auto* grid = static_cast<const StringGrid*>(parentWidget());
        grid->paintHeaderCell(*painter, rect, paint, role(Qt::DisplayRole).toString());
    });
}

// ---- StringGrid ----

StringGrid::StringGrid(QWidget* parent)
    : QTableView(parent), columnHeader_(new GridHeaderView(Qt::Horizontal, this)),
      rowHeader_(new GridHeaderView(Qt::Vertical, this)), gridFont_(shell::classicFont()) {
    OnGetCellColor = applyCellColorRules;
    OnCellValidate = [this](int, int, QString&, bool&) { setMarker(); };
    model_.headerPaint = [this](GridCell cell) { return cellPaint(cell); };

    setFont(gridFont_);
    // Fixed before the model arrives, so that no header measures its captions.
    columnHeader_->setFixedHeight(kRowHeight);
    rowHeader_->setFixedWidth(kInitialColumnWidth);
    setHorizontalHeader(columnHeader_);
    setVerticalHeader(rowHeader_);
    setModel(&model_);
    setItemDelegate(new GridCellDelegate(this));
    for (int column = dm::kShownColumnCount; column < dm::kGridColumnCount; ++column)
        setColumnHidden(column - 1, true);

    for (QHeaderView* header :
         {static_cast<QHeaderView*>(columnHeader_), static_cast<QHeaderView*>(rowHeader_)}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setSectionsClickable(false);
        header->setSectionsMovable(false);
        header->setHighlightSections(false);
        header->setMinimumSectionSize(0);
        header->setFont(gridFont_);
    }
    columnHeader_->setDefaultSectionSize(kInitialColumnWidth);
    rowHeader_->setDefaultSectionSize(kRowHeight);

    setSortingEnabled(false);
    setWordWrap(false);
    setShowGrid(true);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed);
    setDragEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    cornerButton_ = findChild<QAbstractButton*>();
    if (cornerButton_)
        cornerButton_->installEventFilter(this);

    QPalette gridPalette = palette();
    gridPalette.setColor(QPalette::Base, toQColor(dm::colours::silver));
    setPalette(gridPalette);

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

    readDecimalSeparator();
    setCurrentCell(1, 1);
    focusConnection_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            shell::guarded([&] { focusChanged(old, now); });
        });
}

// The base destructors move the focus out of the grid after its members are gone.
StringGrid::~StringGrid() {
    disconnect(focusConnection_);
}

QString StringGrid::cellText(int column, int row) const {
    return model_.cell({column, row});
}

void StringGrid::setCellText(int column, int row, const QString& text) {
    model_.setCell({column, row}, text);
    if (column == 0 && row == 0 && cornerButton_)
        cornerButton_->update();
}

void StringGrid::fillValueCells(const dm::CellTexts& texts, History history) {
    model_.setValueCells(texts);
    lastFilled_ = texts;
    rememberCurrentCell();
    textWhenCurrent_ = rememberedText_;
    if (history == History::Clear)
        history_.clear();
    else
        history_.setClean();
}

dm::CellTexts StringGrid::valueTexts() const {
    dm::CellTexts texts;
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        for (int field = 0; field < dm::kFieldCount; ++field)
            texts[slot][field] = model_.cell({field + 1, slot + 1}).toStdString();
    return texts;
}

QModelIndex StringGrid::indexOf(GridCell cell) const {
    return model_.index(cell.row - 1, cell.column - 1);
}

void StringGrid::setCurrentCell(int column, int row) {
    if (column < 1 || column > kLastShownColumn || row < 1 || row > kLastRow)
        return;
    // The view's own setter also moves the anchor from which Shift and the arrow keys select.
    setCurrentIndex(indexOf({column, row}));
}

// Without an event the view would read the keys held at this moment: a move by the program
// (an undo by Ctrl+Shift+Z, say) must select the new cell alone.
QItemSelectionModel::SelectionFlags StringGrid::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
    if (event == nullptr)
        return QItemSelectionModel::ClearAndSelect;
    return QTableView::selectionCommand(index, event);
}

GridCell StringGrid::currentCell() const {
    return GridTextModel::cellOf(currentIndex());
}

bool StringGrid::markerSet() const {
    return model_.markerSet();
}

void StringGrid::setMarker() {
    model_.setMarkerSet(true);
    if (cornerButton_)
        cornerButton_->update();
}

void StringGrid::clearMarker() {
    model_.setMarkerSet(false);
    if (cornerButton_)
        cornerButton_->update();
}

CellPaint StringGrid::cellPaint(GridCell cell) const {
    CellPaint paint;
    paint.font = gridFont_;
    if (cell.row == 0 || cell.column == 0) {
        paint.brush = model_.headerBackground();
        paint.fontColor = model_.headerTextColor();
    } else {
        paint.brush = toQColor(dm::colours::silver);
        paint.fontColor = QApplication::palette().color(QPalette::WindowText);
    }
    if (OnGetCellColor)
        OnGetCellColor(cell.row, cell.column, paint);
    return paint;
}

void StringGrid::sizeColumns() {
    const int extra = QFontMetrics(gridFont_).horizontalAdvance(QStringLiteral("xx"));
    for (int column = 0; column <= kLastShownColumn; ++column) {
        int widest = 0;
        for (int row = 0; row <= kLastRow; ++row) {
            const QFontMetrics metrics(cellPaint({column, row}).font);
            widest = std::max(widest, metrics.horizontalAdvance(cellText(column, row)));
        }
        setColumnWidthOf(column, widest + extra);
    }
    updateGeometries();
}

void StringGrid::setColumnWidthOf(int column, int width) {
    if (column == 0)
        rowHeader_->setFixedWidth(width);
    else
        columnHeader_->resizeSection(column - 1, width);
}

QString StringGrid::decimalSeparatorOf(const QLocale& locale) {
    const QString separator = locale.decimalPoint();
    return separator.isEmpty() ? QStringLiteral(".") : separator;
}

// The default locale is the system's unless the program sets another.
void StringGrid::readDecimalSeparator() {
    decimalSeparator_ = decimalSeparatorOf(QLocale());
}

QColor StringGrid::gridLineColor() const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
}

void StringGrid::paintValueCell(QPainter& painter, const QRect& rect,
                                const QModelIndex& index) const {
    const GridCell cell = GridTextModel::cellOf(index);
    CellPaint paint = cellPaint(cell);
    const bool current = index == currentIndex();
    if (selectionModel()->isSelected(index) && (!current || !hadFocus_)) {
        paint.brush = palette().color(QPalette::Highlight);
        paint.fontColor = toQColor(dm::colours::maroon);
    }
    painter.fillRect(rect, paint.brush);
    painter.setFont(paint.font);
    painter.setPen(paint.fontColor);
    drawCellText(painter, rect, cellText(cell.column, cell.row));
    if (current && hadFocus_) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

void StringGrid::paintHeaderCell(QPainter& painter, const QRect& rect, const CellPaint& paint,
                                 const QString& text) const {
    painter.fillRect(rect, paint.brush);
    painter.setPen(gridLineColor());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.setFont(paint.font);
    painter.setPen(paint.fontColor);
    drawCellText(painter, rect.adjusted(0, 0, -1, -1), text);
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
                             const std::vector<std::pair<GridCell, QString>>& texts) {
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
        history_.push(new CellChangeStep(this, range, std::move(changes)));
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
    QStringList lines;
    for (int row = range.first.row; row <= range.last.row; ++row) {
        QStringList texts;
        for (int column = range.first.column; column <= range.last.column; ++column)
            texts << cellText(column, row);
        lines << texts.join(QLatin1Char('\t'));
    }
    return lines.join(QStringLiteral("\r\n"));
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
    QStringList lines = linesOf(withBrokenCharactersReplaced(text));
    if (lines.size() > 1 && lines.back().isEmpty()) // the line break that ends the last line
        lines.removeLast();
    const GridCell start = currentCell();
    GridRange range{start, start};
    std::vector<std::pair<GridCell, QString>> texts;
    for (int line = 0; line < lines.size() && start.row + line <= kLastRow; ++line) {
        const QStringList fields = lines[line].split(QLatin1Char('\t'));
        for (int field = 0; field < fields.size() && start.column + field <= kLastShownColumn;
             ++field) {
            const GridCell cell{start.column + field, start.row + line};
            texts.emplace_back(cell, fields[field]);
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

bool StringGrid::ownsWidget(const QWidget* widget) const {
    return widget && (widget == this || isAncestorOf(widget));
}

void StringGrid::focusChanged(QWidget* old, QWidget* now) {
    const bool wasInside = ownsWidget(old);
    const bool isInside = ownsWidget(now);
    if (wasInside && !isInside)
        commitCheck();
    if (!wasInside && isInside) {
        rememberCurrentCell();
        if (!hadFocus_) {
            hadFocus_ = true;
            viewport()->update();
        }
    }
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    shell::guarded([&] {
        commitCheck();
        textWhenCurrent_ = rememberedText_;
    });
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Paste) ||
        event->matches(QKeySequence::Cut)) {
        event->ignore();
        return;
    }
    const bool editing = state() == QAbstractItemView::EditingState;
    const int key = event->key();
    if (!editing && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        shell::guarded([&] { edit(currentIndex()); });
        return;
    }
    if (!editing && key == Qt::Key_Backspace) {
        shell::guarded([&] { edit(currentIndex(), QAbstractItemView::AnyKeyPressed, event); });
        return;
    }
    QTableView::keyPressEvent(event);
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    const QModelIndex clicked = indexAt(position);
    const QModelIndex before = currentIndex();
    QTableView::mousePressEvent(event);
    shell::guarded([&] {
        if (event->button() != Qt::LeftButton || !clicked.isValid() || clicked != currentIndex())
            return;
        if (before == clicked) // a click on the current cell is checked too
            commitCheck();
        const QRect rect = visualRect(clicked);
        const int fromLeft = position.x() - rect.left();
        const int fromRight = rect.left() + rect.width() - position.x();
        if (fromLeft > kClickEditMargin && fromRight > kClickEditMargin)
            edit(clicked);
    });
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::NoButton) { // dragging selects nothing
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void StringGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange)
        shell::guarded([this] { readDecimalSeparator(); });
    QTableView::changeEvent(event);
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cornerButton_ && event->type() == QEvent::Paint) {
        shell::guarded([this] {
            QPainter painter(cornerButton_);
            paintHeaderCell(painter, cornerButton_->rect(), cellPaint({0, 0}), cellText(0, 0));
        });
        return true;
    }
    return QTableView::eventFilter(watched, event);
}
