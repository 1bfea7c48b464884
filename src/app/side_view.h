#pragma once

#include "top_view.h"

#include <QWidget>

// The side view window: the same hit boxes as the top view, seen along the x axis. It has no menu
// of its own and uses the top view's popup menu.
class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

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
};

extern TForm6* Form6;
