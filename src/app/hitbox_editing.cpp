#include "hitbox_editing.h"

#include "core/cell_text.h"
#include "damage_document.h"
#include "paint_box.h"
#include "shell/error_display.h"
#include "string_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <bit>

namespace {

constexpr int kFirstHitBoxColumn = 10; // PX1
constexpr int kLastHitBoxColumn = 18;  // PZ3
constexpr int kNudgeRun = 1000;        // history run ids: one per slot

const dm::FieldDef& fieldOfColumn(int column) {
    return *std::find_if(dm::kFields.begin(), dm::kFields.end(),
                         [column](const dm::FieldDef& field) { return field.column == column; });
}

Qt::CursorShape cursorOf(dm::GripShape shape) {
    switch (shape) {
    case dm::GripShape::Horizontal:
        return Qt::SizeHorCursor;
    case dm::GripShape::Vertical:
        return Qt::SizeVerCursor;
    case dm::GripShape::FallingDiagonal:
        return Qt::SizeFDiagCursor;
    case dm::GripShape::RisingDiagonal:
        return Qt::SizeBDiagCursor;
    case dm::GripShape::Point:
        return Qt::CrossCursor;
    case dm::GripShape::Move:
        break;
    }
    return Qt::SizeAllCursor;
}

bool sameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

} // namespace

HitBoxEditing::HitBoxEditing(HitBoxEditingLinks links, QObject* parent)
    : QObject(parent), links_(std::move(links)) {}

void HitBoxEditing::watch(TPaintBox& box, QWidget& window, dm::HitBoxView view) {
    watched_.push_back({&box, &window, view});
    box.installEventFilter(this);
    window.installEventFilter(this);
}

void HitBoxEditing::watchHistoryKeys(QWidget& window) {
    historyKeyWindows_.push_back(&window);
    window.installEventFilter(this);
}

HitBoxSource HitBoxEditing::source() const {
    HitBoxSource source = links_.documentSource;
    source.partTable = &table_;
    source.marks = &marks_;
    source.problem = [this](int slot) { return problems_[slot]; };
    return source;
}

void HitBoxEditing::setOn(bool on) {
    if (drag_)
        cancelDrag();
    on_ = on;
    if (on) {
        followGrid();
        table_ = links_.document->PartTable;
        readRows(0, dm::kSlotCount - 1);
        followCurrentRow(links_.grid().currentCell().row);
    }
    for (const Watched& view : watched_)
        view.box->unsetCursor();
    links_.drawFrom(on ? source() : links_.documentSource);
}

// Every change of the grid's texts redraws the rows it touched; the current row is highlighted.
void HitBoxEditing::followGrid() {
    if (std::exchange(following_, true))
        return;
    StringGrid& grid = links_.grid();
    QAbstractItemModel* model = grid.model();
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                readRows(first.row(), last.row()); // model rows are the slots
            });
    connect(model, &QAbstractItemModel::modelReset, this,
            [this] { readRows(0, dm::kSlotCount - 1); });
    connect(grid.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { followCurrentRow(current.row() + 1); });
}

void HitBoxEditing::readRows(int firstSlot, int lastSlot) {
    if (!on_)
        return;
    for (int slot = std::max(firstSlot, 0); slot <= std::min(lastSlot, dm::kSlotCount - 1); ++slot)
        readRow(slot);
    links_.updateViews();
}

// A row whose cells do not all parse keeps the box it had, drawn dashed.
void HitBoxEditing::readRow(int slot) {
    const StringGrid& grid = links_.grid();
    const std::string separator = grid.decimalSeparator().toStdString();
    dm::PartRecord record = table_[slot];
    for (int column = kFirstHitBoxColumn; column <= kLastHitBoxColumn; ++column) {
        const dm::FieldDef& field = fieldOfColumn(column);
        const std::string text = grid.cellText(column, slot + 1).toStdString();
        try {
            // A text as filled keeps the file's exact value, as Save keeps it.
            record.*field.floatField = text == grid.lastFilledTexts()[slot][column - 1]
                                           ? links_.document->PartTable[slot].*field.floatField
                                           : dm::parseFloatCell(text, separator);
        } catch (const dm::ConvertError& error) {
            marks_.dashed.set(slot);
            problems_[slot] = QStringLiteral("%1 does not parse: %2")
                                  .arg(QString::fromUtf8(dm::kColumnCaptions[column]),
                                       QString::fromUtf8(error.what()));
            return;
        }
    }
    table_[slot] = record;
    marks_.dashed.reset(slot);
    problems_[slot].clear();
}

void HitBoxEditing::followCurrentRow(int row) {
    marks_.current = row >= 1 ? row - 1 : -1;
    if (on_)
        links_.updateViews();
}

HitBoxEditing::CellTexts HitBoxEditing::texts(int slot) const {
    CellTexts texts;
    for (int column = kFirstHitBoxColumn; column <= kLastHitBoxColumn; ++column)
        texts.push_back({{column, slot + 1}, links_.grid().cellText(column, slot + 1)});
    return texts;
}

// The texts of a row whose box went from `base` to `record`: the changed values formatted as the
// fill does, the other cells as they were.
HitBoxEditing::CellTexts HitBoxEditing::textsOf(const dm::PartRecord& record,
                                                const dm::PartRecord& base, CellTexts texts) const {
    const std::string separator = links_.grid().decimalSeparator().toStdString();
    for (auto& [cell, text] : texts) {
        const dm::FieldDef& field = fieldOfColumn(cell.column);
        const float value = record.*field.floatField;
        if (!sameBits(value, base.*field.floatField))
            text = QString::fromStdString(
                dm::formatFloatCell(value, field.precision, field.decimals, separator));
    }
    return texts;
}

std::optional<dm::DragGrip> HitBoxEditing::gripAt(const Watched& view, QPoint at) const {
    return dm::gripAt(hitBoxScene(view.box->size(), view.view, source()), {at.x(), at.y()});
}

bool HitBoxEditing::eventFilter(QObject* watched, QEvent* event) {
    if (!on_)
        return false;
    bool taken = false;
    if (event->type() == QEvent::KeyPress &&
        std::find(historyKeyWindows_.begin(), historyKeyWindows_.end(), watched) !=
            historyKeyWindows_.end())
        shell::guarded([&] { taken = historyKey(*static_cast<QKeyEvent*>(event)); });
    for (const Watched& view : watched_) {
        if (watched == view.box && dynamic_cast<QMouseEvent*>(event) != nullptr)
            shell::guarded([&] { taken = mouse(view, *static_cast<QMouseEvent*>(event)); });
        else if ((watched == view.box || watched == view.window) &&
                 event->type() == QEvent::KeyPress)
            shell::guarded([&] { taken = key(view, *static_cast<QKeyEvent*>(event)); });
    }
    return taken;
}

// Plain presses and drags are the mode's; Ctrl with the pointer belongs to the picture below.
bool HitBoxEditing::mouse(const Watched& view, QMouseEvent& event) {
    const QPoint at = event.position().toPoint();
    const bool onGrid = event.modifiers().testFlag(Qt::ShiftModifier);
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        return event.button() == Qt::LeftButton &&
               !event.modifiers().testFlag(Qt::ControlModifier) && press(view, at);
    case QEvent::MouseMove:
        if (drag_) {
            dragTo(at, onGrid);
            return true;
        }
        if (const auto grip = gripAt(view, at))
            view.box->setCursor(cursorOf(grip->shape));
        else
            view.box->unsetCursor();
        return false;
    case QEvent::MouseButtonRelease:
        if (!drag_ || event.button() != Qt::LeftButton)
            return false;
        release();
        return true;
    default:
        return false;
    }
}

bool HitBoxEditing::press(const Watched& view, QPoint at) {
    const std::optional<dm::DragGrip> grip = gripAt(view, at);
    if (!grip)
        return false;
    StringGrid& grid = links_.grid();
    grid.commitCheck(); // what was typed is one step of its own
    drag_ = Drag{view.box, view.view, *grip, at, table_[grip->slot], texts(grip->slot)};
    return true;
}

void HitBoxEditing::dragTo(QPoint at, bool onGrid) {
    const QPoint delta = at - drag_->pressedAt;
    drag_->moved = drag_->moved || !delta.isNull();
    const dm::Snap snap = onGrid && HitBoxSettings.GridFeet > 0
                              ? dm::Snap{double(HitBoxSettings.GridFeet), true}
                              : dm::Snap{};
    const dm::PartRecord record =
        dm::draggedRecord(drag_->start, drag_->grip, drag_->view, {delta.x(), delta.y()},
                          HitBoxSettings.ZoomFactor, snap);
    links_.grid().previewTexts(textsOf(record, drag_->start, drag_->startTexts));
}

// A drag commits as one step; a press that did not move picks the part's row.
void HitBoxEditing::release() {
    const Drag drag = *std::exchange(drag_, std::nullopt);
    StringGrid& grid = links_.grid();
    const int row = drag.grip.slot + 1;
    if (!drag.moved) {
        const int column = grid.currentCell().column;
        grid.setCurrentCell(column >= 1 ? column : 1, row);
        return;
    }
    CellTexts dragged = texts(drag.grip.slot);
    grid.previewTexts(drag.startTexts);
    grid.commitTexts(dragged);
}

void HitBoxEditing::cancelDrag() {
    const Drag drag = *std::exchange(drag_, std::nullopt);
    links_.grid().previewTexts(drag.startTexts);
}

bool HitBoxEditing::key(const Watched& view, const QKeyEvent& event) {
    if (drag_) {
        if (event.key() == Qt::Key_Escape)
            cancelDrag();
        return true; // nothing else while the pointer holds a box
    }
    if (historyKey(event))
        return true;
    const bool onGrid = event.modifiers().testFlag(Qt::ShiftModifier);
    switch (event.key()) {
    case Qt::Key_Left: // the across axes are mirrored: left makes x or z larger
        nudge(view.view, 1, 0, onGrid);
        return true;
    case Qt::Key_Right:
        nudge(view.view, -1, 0, onGrid);
        return true;
    case Qt::Key_Up:
        nudge(view.view, 0, 1, onGrid);
        return true;
    case Qt::Key_Down:
        nudge(view.view, 0, -1, onGrid);
        return true;
    default:
        return false;
    }
}

bool HitBoxEditing::historyKey(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Undo)) {
        links_.grid().undo();
        return true;
    }
    if (event.matches(QKeySequence::Redo) ||
        event.keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
        links_.grid().redo();
        return true;
    }
    return false;
}

// Presses on one box follow each other as one step of the history.
void HitBoxEditing::nudge(dm::HitBoxView view, int across, int up, bool onGrid) {
    const int slot = marks_.current;
    if (slot < 0)
        return;
    const double step = onGrid && HitBoxSettings.GridFeet > 0 ? HitBoxSettings.GridFeet : 0.01;
    const dm::PartRecord& start = table_[slot];
    const dm::PartRecord record = dm::shiftedRecord(start, view, across * step, up * step);
    links_.grid().commitTexts(textsOf(record, start, texts(slot)), kNudgeRun + slot);
}
