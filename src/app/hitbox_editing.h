#pragma once

#include "core/hitbox_drag.h"
#include "hitbox_views.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class DamageDocument;
class QAction;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class StringGrid;
class TPaintBox;
struct GridCell;

// What editing in the views reaches, given by the program's wiring.
struct HitBoxEditingLinks {
    std::function<StringGrid&()> grid;
    const DamageDocument* document = nullptr;
    // Every view draws from this source from now on.
    std::function<void(const HitBoxSource&)> drawFrom;
    // What the views draw with the mode off; its view settings (grid, zoom, pan) are what drags
    // and nudges go by.
    HitBoxSource documentSource;
    // All three views redrawn soon.
    std::function<void()> updateViews;
    // The views that are not watched here (the 3-D one) redrawn soon.
    std::function<void()> updateOtherViews;
};

// The "Edit Hit Boxes" mode: the views draw the grid's texts, boxes are picked from a stack,
// dragged and nudged in the flat views, and the grid's history is one key away. Off, it lets
// every event through. Mirroring a row onto its twin works in and out of the mode; with
// symmetric editing a drag or nudge moves the twin mirrored in the same step.
class HitBoxEditing : public QObject {
    Q_OBJECT
public:
    explicit HitBoxEditing(HitBoxEditingLinks links, QObject* parent = nullptr);

    // A flat view's paint box and window, whose pointer and keys the mode takes.
    void watch(TPaintBox& box, QWidget& window, dm::HitBoxView view);
    // A window whose undo and redo keys act on the grid's history while the mode is on.
    void watchHistoryKeys(QWidget& window);
    bool on() const { return on_; }
    void setOn(bool on);
    void setSymmetric(bool symmetric) { symmetric_ = symmetric; }

    // Makes `entry` "Mirror to <twin>" for the current row whenever `menu` shows, disabled on a
    // row without a twin, and lets it (and its Ctrl+M) mirror the row.
    void serveMirrorEntry(QAction& entry, QMenu& menu);
    // The current row's nine point values onto its twin, x negated, as one step; nothing on a
    // row without a twin. A point cell that does not parse is said in the error box.
    void mirrorCurrentRow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using CellTexts = std::vector<std::pair<GridCell, QString>>;
    // A part a drag or nudge moves: the one pointed at and, with symmetric editing, its twin.
    struct MovedPart {
        dm::PartRecord start;
        CellTexts startTexts;
        int acrossSign; // -1 where the twin's across axis runs mirrored
    };
    struct Drag {
        TPaintBox* box;
        dm::HitBoxView view;
        dm::DragGrip grip;
        QPoint pressedAt;
        std::vector<MovedPart> parts;
        bool moved = false;
        bool wasCurrent = false; // a click on the current row's box walks down the stack
        CellTexts startTexts() const;
    };
    struct Watched {
        TPaintBox* box;
        QWidget* window;
        dm::HitBoxView view;
    };

    HitBoxSource source() const;
    void followGrid();
    void readRows(int firstSlot, int lastSlot);
    void readRow(int slot);
    void updateParts(const dm::PartTable& before, int firstSlot, int lastSlot);
    void followCurrentRow(int row);
    CellTexts texts(int slot) const;
    CellTexts formattedTexts(const dm::PartRecord& record, int slot) const;
    CellTexts textsOf(const dm::PartRecord& record, const dm::PartRecord& base,
                      CellTexts texts) const;
    std::optional<dm::DragGrip> gripAt(const Watched& view, QPoint at) const;
    std::vector<dm::DrawOp> scene(const Watched& view) const;
    void makeCurrent(int slot);
    void stepCurrent(int by);
    std::optional<int> symmetricTwin(int slot) const;
    std::vector<MovedPart> movedParts(int slot, dm::HitBoxView view) const;
    dm::PartRecord rowPoints(int slot) const;
    double nudgeStep(bool onGrid) const;
    bool mouse(const Watched& view, QMouseEvent& event);
    bool press(const Watched& view, QPoint at);
    void dragTo(QPoint at, bool onGrid);
    void release(const Watched& view, QPoint at);
    void cancelDrag();
    bool key(const Watched& view, const QKeyEvent& event);
    bool historyKey(const QKeyEvent& event);
    void nudge(dm::HitBoxView view, int across, int up, bool onGrid);

    HitBoxEditingLinks links_;
    std::vector<Watched> watched_;
    std::vector<QObject*> historyKeyWindows_;
    bool on_ = false;
    bool symmetric_ = false;
    bool following_ = false;
    dm::PartTable table_{};
    dm::BoxMarks marks_;
    std::array<QString, dm::kSlotCount> problems_;
    std::optional<Drag> drag_;
};
