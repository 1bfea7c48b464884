#pragma once

#include <QWidget>

class TPaintBox;

// The side view window: the same hit boxes as the top view, seen along the x axis. It has no menu
// of its own and uses the top view's popup menu.
class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

    TPaintBox* pb2;

    // Draws the side view at once; inside a paint of pb2 it draws on that paint.
    void pb2Paint();
    void pb2Click();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

extern TForm6* Form6;
