#include "hitbox_editing.h"

#include "core/cell_text.h"
#include "core/part_slots.h"
#include "damage_document.h"
#include "paint_box.h"
#include "shell/error_display.h"
#include "string_grid.h"
#include "view_settings.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <bit>
#include <bitset>

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

bool samePoints(const dm::PartRecord& a, const dm::PartRecord& b) {
    for (int column = kFirstHitBoxColumn; column <= kLastHitBoxColumn; ++column) {
        const auto field = fieldOfColumn(column).floatField;
        if (!sameBits(a.*field, b.*field))
            return false;
    }
    return true;
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
    firstSlot = std::max(firstSlot, 0);
    lastSlot = std::min(lastSlot, dm::kSlotCount - 1);
    const dm::PartTable before = table_;
    const std::bitset<dm::kSlotCount> dashedBefore = marks_.dashed;
    for (int slot = firstSlot; slot <= lastSlot; ++slot)
        readRow(slot);
    for (int slot = firstSlot; slot <= lastSlot; ++slot)
        if (marks_.dashed[slot] != dashedBefore[slot] || !samePoints(before[slot], table_[slot])) {
            updateParts(before, firstSlot, lastSlot);
            return;
        }
}

// A drag step redraws only where the changed boxes were and are, not the whole of each view.
void HitBoxEditing::updateParts(const dm::PartTable& before, int firstSlot, int lastSlot) {
    const bool markers = source().markersShown(); // asks the file system: once per step
    for (const Watched& view : watched_) {
        dm::SceneRequest request =
            links_.documentSource.viewSettings().request(view.box->size(), view.view);
        request.markers = markers;
        for (int slot = firstSlot; slot <= lastSlot; ++slot)
            for (const dm::PartRecord* part : {&before[slot], &std::as_const(table_)[slot]})
                if (const auto pixels = dm::partPixels(request, *part, slot))
                    view.box->update(QRect(QPoint(pixels->left, pixels->top),
                                           QPoint(pixels->right, pixels->bottom)));
    }
    links_.updateOtherViews();
}

// The row's nine point values as its cells hold them; a text as filled keeps the file's exact
// value, as Save keeps it. Raises CellParseError for the first cell that does not parse.
dm::PartRecord HitBoxEditing::rowPoints(int slot) const {
    const StringGrid& grid = links_.grid();
    const std::string separator = grid.decimalSeparator().toStdString();
    dm::PartRecord record = links_.document->PartTable[slot];
    for (int column = kFirstHitBoxColumn; column <= kLastHitBoxColumn; ++column) {
        const dm::FieldDef& field = fieldOfColumn(column);
        const std::string text = grid.cellText(column, slot + 1).toStdString();
        if (text == grid.lastFilledTexts()[slot][column - 1])
            continue;
        try {
            record.*field.floatField = dm::parseFloatCell(text, separator);
        } catch (const dm::ConvertError& error) {
            throw dm::CellParseError(error, slot + 1, column);
        }
    }
    return record;
}

// A row whose cells do not all parse keeps the box it had, drawn dashed.
void HitBoxEditing::readRow(int slot) {
    try {
        table_[slot] = rowPoints(slot);
    } catch (const dm::CellParseError& error) {
        marks_.dashed.set(slot);
        problems_[slot] = QStringLiteral("%1 does not parse: %2")
                              .arg(QString::fromUtf8(dm::kColumnCaptions[error.column()]),
                                   QString::fromUtf8(error.what()));
        return;
    }
    marks_.dashed.reset(slot);
    problems_[slot].clear();
}

void HitBoxEditing::followCurrentRow(int row) {
    marks_.current = row >= 1 ? row - 1 : -1;
    if (on_)
        links_.updateViews();
}

// All nine point cells of `slot` formatted from `record` as the fill does.
HitBoxEditing::CellTexts HitBoxEditing::formattedTexts(const dm::PartRecord& record,
                                                       int slot) const {
    const std::string separator = links_.grid().decimalSeparator().toStdString();
    CellTexts texts;
    for (int column = kFirstHitBoxColumn; column <= kLastHitBoxColumn; ++column) {
        const dm::FieldDef& field = fieldOfColumn(column);
        texts.push_back(
            {{column, slot + 1},
             QString::fromStdString(dm::formatFloatCell(record.*field.floatField, field.precision,
                                                        field.decimals, separator))});
    }
    return texts;
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

std::vector<dm::DrawOp> HitBoxEditing::scene(const Watched& view) const {
    return hitBoxScene(view.box->size(), view.view, source());
}

std::optional<dm::DragGrip> HitBoxEditing::gripAt(const Watched& view, QPoint at) const {
    return dm::gripAt(scene(view), {at.x(), at.y()}, marks_.current);
}

// The row becomes the grid's current one and is scrolled into view.
void HitBoxEditing::makeCurrent(int slot) {
    StringGrid& grid = links_.grid();
    const int column = grid.currentCell().column;
    grid.setCurrentCell(column >= 1 ? column : 1, slot + 1);
    grid.scrollTo(grid.currentIndex());
}

// Tab and Shift+Tab: the next or previous part that has a box, round the table.
void HitBoxEditing::stepCurrent(int by) {
    int slot = marks_.current;
    for (int tried = 0; tried < dm::kSlotCount; ++tried) {
        slot = ((slot < 0 && by < 0 ? 0 : slot) + by + dm::kSlotCount) % dm::kSlotCount;
        if (dm::hasBox(table_[slot]))
            return makeCurrent(slot);
    }
}

std::optional<int> HitBoxEditing::symmetricTwin(int slot) const {
    return symmetric_ ? dm::twinSlot(slot) : std::nullopt;
}

std::vector<HitBoxEditing::MovedPart> HitBoxEditing::movedParts(int slot,
                                                                dm::HitBoxView view) const {
    std::vector<MovedPart> parts{{table_[slot], texts(slot), 1}};
    // The twin's across axis is mirrored from above; from the side z and y go alike.
    if (const std::optional<int> twin = symmetricTwin(slot))
        parts.push_back({table_[*twin], texts(*twin), view == dm::HitBoxView::Top ? -1 : 1});
    return parts;
}

HitBoxEditing::CellTexts HitBoxEditing::Drag::startTexts() const {
    CellTexts all;
    for (const MovedPart& part : parts)
        all.insert(all.end(), part.startTexts.begin(), part.startTexts.end());
    return all;
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
        release(view, at);
        return true;
    default:
        return false;
    }
}

// A press takes the current row's box where it lies in the stack and makes its row current.
bool HitBoxEditing::press(const Watched& view, QPoint at) {
    const std::optional<dm::DragGrip> grip = gripAt(view, at);
    if (!grip)
        return false;
    StringGrid& grid = links_.grid();
    grid.commitCheck(); // what was typed is one step of its own
    const int slot = grip->slot;
    Drag drag{
        view.box, view.view, *grip, at, movedParts(slot, view.view), false, slot == marks_.current};
    drag_ = drag;
    if (!drag.wasCurrent)
        makeCurrent(slot);
    return true;
}

void HitBoxEditing::dragTo(QPoint at, bool onGrid) {
    const QPoint delta = at - drag_->pressedAt;
    drag_->moved = drag_->moved || !delta.isNull();
    const dm::HitBoxViewSettings& settings = links_.documentSource.viewSettings().values();
    const dm::Snap snap =
        onGrid && settings.GridFeet > 0 ? dm::Snap{double(settings.GridFeet), true} : dm::Snap{};
    const int zoom = settings.ZoomFactor;
    CellTexts texts;
    for (const MovedPart& part : drag_->parts) {
        const dm::PartRecord record =
            dm::draggedRecord(part.start, drag_->grip, drag_->view,
                              {part.acrossSign * delta.x(), delta.y()}, zoom, snap);
        const CellTexts partTexts = textsOf(record, part.start, part.startTexts);
        texts.insert(texts.end(), partTexts.begin(), partTexts.end());
    }
    links_.grid().previewTexts(texts);
}

// A drag commits as one step; a click on the current row's box makes the next box below it in
// the stack current.
void HitBoxEditing::release(const Watched& view, QPoint at) {
    const Drag drag = *std::exchange(drag_, std::nullopt);
    StringGrid& grid = links_.grid();
    if (!drag.moved) {
        if (!drag.wasCurrent)
            return;
        if (const std::optional<int> next =
                dm::nextInStack(scene(view), {at.x(), at.y()}, drag.grip.slot))
            makeCurrent(*next);
        return;
    }
    const CellTexts startTexts = drag.startTexts();
    CellTexts dragged;
    for (const auto& [cell, text] : startTexts)
        dragged.push_back({cell, grid.cellText(cell.column, cell.row)});
    grid.previewTexts(startTexts);
    grid.commitTexts(dragged);
}

void HitBoxEditing::cancelDrag() {
    const Drag drag = *std::exchange(drag_, std::nullopt);
    links_.grid().previewTexts(drag.startTexts());
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
    case Qt::Key_Tab:
        stepCurrent(onGrid ? -1 : 1);
        return true;
    case Qt::Key_Backtab:
        stepCurrent(-1);
        return true;
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

double HitBoxEditing::nudgeStep(bool onGrid) const {
    const int gridFeet = links_.documentSource.viewSettings().values().GridFeet;
    return onGrid && gridFeet > 0 ? gridFeet : 0.01;
}

// Presses on one box follow each other as one step of the history.
void HitBoxEditing::nudge(dm::HitBoxView view, int across, int up, bool onGrid) {
    const int slot = marks_.current;
    if (slot < 0)
        return;
    const double step = nudgeStep(onGrid);
    CellTexts changed;
    for (const MovedPart& part : movedParts(slot, view)) {
        const dm::PartRecord record =
            dm::shiftedRecord(part.start, view, part.acrossSign * across * step, up * step);
        const CellTexts partTexts = textsOf(record, part.start, part.startTexts);
        changed.insert(changed.end(), partTexts.begin(), partTexts.end());
    }
    links_.grid().commitTexts(changed, kNudgeRun + slot);
}

void HitBoxEditing::serveMirrorEntry(QAction& entry, QMenu& menu) {
    entry.setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    connect(&menu, &QMenu::aboutToShow, this, [this, &entry] {
        shell::guarded([this, &entry] {
            const int slot = links_.grid().currentCell().row - 1;
            const std::optional<int> twin = slot >= 0 ? dm::twinSlot(slot) : std::nullopt;
            entry.setEnabled(twin.has_value());
            entry.setText(
                twin ? QStringLiteral("Mirror to %1").arg(links_.grid().cellText(0, *twin + 1))
                     : QStringLiteral("Mirror to Twin"));
        });
    });
    // The keys work on whichever row is current when they are pressed.
    connect(&menu, &QMenu::aboutToHide, &entry, [&entry] { entry.setEnabled(true); });
    connect(&entry, &QAction::triggered, this,
            [this] { shell::guarded([this] { mirrorCurrentRow(); }); });
}

void HitBoxEditing::mirrorCurrentRow() {
    StringGrid& grid = links_.grid();
    const int slot = grid.currentCell().row - 1;
    const std::optional<int> twin = slot >= 0 ? dm::twinSlot(slot) : std::nullopt;
    if (!twin || drag_)
        return;
    grid.commitCheck();
    dm::PartRecord points;
    try {
        points = rowPoints(slot);
    } catch (const dm::CellParseError& error) {
        throw dm::DamageError(QStringLiteral("%1 of %2 does not parse: %3")
                                  .arg(QString::fromUtf8(dm::kColumnCaptions[error.column()]),
                                       grid.cellText(0, slot + 1), QString::fromUtf8(error.what()))
                                  .toStdString());
    }
    const dm::PartRecord& twinBase = links_.document->PartTable[*twin];
    grid.commitTexts(formattedTexts(dm::mirroredOnto(points, twinBase), *twin));
}
