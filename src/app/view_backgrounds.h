#pragma once

#include "core/background_picture.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class TLMDIniCtrl;
class TPaintBox;
class ViewSettings;

// One flat view's plan picture. Its setting, one line per damage file name and view, is read when
// the view first draws for a file, and the picture with it; the underlay it draws on, the grid
// drawn into it, is made once per zoom, grid, size and placement. Ctrl+drag on the picture moves
// it and Ctrl+wheel scales it around the pointer; both are stored. A picture that cannot be shown
// says so once and is left out, its setting kept.
class ViewBackground : public QObject {
    Q_OBJECT
public:
    struct Links {
        TLMDIniCtrl* settings = nullptr;
        std::function<QString()> damageFile; // empty while no file is open
        std::function<void()> redraw;        // the view drawn at once
        const ViewSettings* viewSettings =
            nullptr; // zoom and pan, which the picture follows (always given)
    };

    // Watches `box` for the gestures and lives as long as it does.
    ViewBackground(dm::HitBoxView view, TPaintBox& box, Links links);
    // Stores a scaling that is still waiting for the wheel to rest.
    ~ViewBackground() override;

    // How long the wheel rests before a run of notches is stored.
    static constexpr int kWheelRestMs = 400;

    dm::HitBoxView view() const { return view_; }
    TPaintBox& box() const { return box_; }
    QString damageFile() const { return links_.damageFile(); }

    // What the view's scene is painted over at `size`; nullptr without a picture to show.
    const QImage* underlay(QSize size);
    // Reads the open file's picture now rather than at the next draw.
    void prepare();
    // The open file's picture for this view, as stored.
    std::optional<dm::BackgroundPicture> picture();
    // Stores `picture`, already read as `image`, and draws it.
    void keep(const dm::BackgroundPicture& picture, const QImage& image);
    // Forgets the open file's picture for this view.
    void remove();
    // Save As to `damageFile`: the open file's picture is kept for that name too, replacing what
    // it had, and stays shown.
    void carryTo(const QString& damageFile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followDamageFile();
    void forgetPicture();
    void readPicture();
    void reportOnce(const QString& message);
    dm::SceneRequest viewAt(QSize size) const;
    bool covers(QPoint at) const;
    void place(const dm::BackgroundPicture& picture);
    void store();
    void storePending();
    bool startDrag(QPoint at);
    void drag(QPoint at);
    void scaleAround(QPoint at, int wheelSteps);

    dm::HitBoxView view_;
    TPaintBox& box_;
    Links links_;

    QString followedFile_;
    std::optional<dm::BackgroundPicture> picture_;
    QImage image_;
    bool unreadable_ = false;

    // What the cached pictures were made for.
    struct UnderlayKey {
        QSize size;
        int zoomFactor = 0;
        int gridFeet = 0;
        dm::PixelPoint pan{};
        dm::BackgroundPicture picture;
        friend bool operator==(const UnderlayKey&, const UnderlayKey&) = default;
    };
    std::optional<std::pair<int, double>> reducedFor_; // zoom and width in feet
    QImage reduced_;
    std::optional<UnderlayKey> underlayFor_;
    QImage underlay_;

    QTimer wheelRest_; // a run of wheel notches is stored once, when it ends
    std::optional<QPoint> dragStart_;
    dm::BackgroundPicture dragStartPicture_;
};

// HitBoxSource::underlay for the two views: each draws over its own picture.
using ViewUnderlays = std::function<const QImage*(dm::HitBoxView view, QSize size)>;
ViewUnderlays underlaysOf(ViewBackground* top, ViewBackground* side);

// The views' popup menu entry "Background Picture...": its dialog works on the picture of the
// view the menu was opened in; opened elsewhere (the 3-D view) the entry is disabled.
class BackgroundMenuEntry : public QObject {
    Q_OBJECT
public:
    BackgroundMenuEntry(QMenu& menu, QAction& entry, std::vector<ViewBackground*> views);

    // The dialog for `background`'s view, applied when it is confirmed.
    static void openDialog(ViewBackground& background);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction& entry_;
    std::vector<QPointer<ViewBackground>> views_;
    QPointer<ViewBackground> askedFrom_; // the view of the last right-click
    QPointer<ViewBackground> menuFor_;   // the view the menu shows for
};
