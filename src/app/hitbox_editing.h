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
class QKeyEvent;
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
    // What the views draw with the mode off.
    HitBoxSource documentSource;
    // All three views redrawn soon.
    std::function<void()> updateViews;
};

// The "Edit Hit Boxes" mode: the views draw the grid's texts, boxes are dragged and nudged in the
// flat views, and the grid's history is one key away. Off, it lets every event through.
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using CellTexts = std::vector<std::pair<GridCell, QString>>;
    struct Drag {
        TPaintBox* box;
        dm::HitBoxView view;
        dm::DragGrip grip;
        QPoint pressedAt;
        dm::PartRecord start;
        CellTexts startTexts;
        bool moved = false;
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
    void followCurrentRow(int row);
    CellTexts texts(int slot) const;
    CellTexts textsOf(const dm::PartRecord& record, const dm::PartRecord& base,
                      CellTexts texts) const;
    std::optional<dm::DragGrip> gripAt(const Watched& view, QPoint at) const;
    bool mouse(const Watched& view, QMouseEvent& event);
    bool press(const Watched& view, QPoint at);
    void dragTo(QPoint at, bool onGrid);
    void release();
    void cancelDrag();
    bool key(const Watched& view, const QKeyEvent& event);
    bool historyKey(const QKeyEvent& event);
    void nudge(dm::HitBoxView view, int across, int up, bool onGrid);

    HitBoxEditingLinks links_;
    std::vector<Watched> watched_;
    std::vector<QObject*> historyKeyWindows_;
    bool on_ = false;
    bool following_ = false;
    dm::PartTable table_{};
    dm::BoxMarks marks_;
    std::array<QString, dm::kSlotCount> problems_;
    std::optional<Drag> drag_;
};
