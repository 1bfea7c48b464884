#pragma once

#include "hitbox_views.h"

#include <QPoint>
#include <QWidget>

#include <functional>
#include <utility>

class TPaintBox;
class ViewSettings;

// What the side view does to the others, given by the program's wiring.
struct SideViewLinks {
    // Both views redrawn, the side view first.
    std::function<void()> repaintViews;
    // The views' popup menu, which the top view owns.
    std::function<void(QPoint globalPosition)> popUpMenu;
};

// The side view window: the same hit boxes as the top view, seen along the x axis. It has no menu
// of its own and uses the top view's popup menu.
class TForm6 : public QWidget {
    Q_OBJECT
public:
    // Captioned from `settings`, which the top view's menu changes.
    explicit TForm6(const ViewSettings& settings, QWidget* parent = nullptr);

    void linkTo(SideViewLinks links) { links_ = std::move(links); }

    // What the view draws, given by whoever creates the window.
    void drawFrom(HitBoxSource source) { source_ = std::move(source); }
    const HitBoxSource& source() const { return source_; }
    void pointWith(HitBoxPointing pointing);

    TPaintBox* pb2;

    // Draws the side view at once; inside a paint of pb2 it draws on that paint.
    void pb2Paint();
    void pb2Click();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    HitBoxSource source_;
    SideViewLinks links_;
};

extern TForm6* Form6;
