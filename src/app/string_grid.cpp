#include "string_grid.h"

#include "core/grid_colors.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "views/qt_colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// A click must lie more than this far inside a cell's left and right borders to open the editor.
constexpr int kClickEditMargin = 3;

void drawCellText(QPainter& painter, const QRect& rect, const QString& text) {
    painter.save();
    painter.setClipRect(rect);
    painter.drawText(rect.adjusted(StringGrid::kTextMargin, StringGrid::kTextMargin, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

} // namespace

void applyCellColorRules(int ARow, int ACol, CellPaint& paint) {
    const dm::CellColorRule rule = dm::cellColorRule(ARow, ACol);
    if (rule.background)
        paint.brush = toQColor(*rule.background);
    if (rule.text)
        paint.fontColor = toQColor(*rule.text);
    if (rule.bold)
        paint.font.setBold(true);
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

    setUpEditing();

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
    lastFilled_ = texts; // first: who follows the texts compares them with the filled ones
    model_.setValueCells(texts);
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
        const QColor selection = palette().color(QPalette::Highlight);
        paint.brush = selection;
        // Maroon, or as near to it as still reads on the system's selection colour.
        paint.fontColor = toQColor(dm::legibleOn(dm::colours::maroon, toRgb(selection)));
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
