#pragma once

#include "core/hitbox_scene.h"

#include <QObject>
#include <QSize>

#include <array>

// The flat views' settings in one object: the grid spacing and the zoom, with their captions'
// texts, shared by both views, and each view's pan. Handed to the views, the editing mode and the
// 3-D view; it says when anything changes.
class ViewSettings : public QObject {
    Q_OBJECT
public:
    // As the top view's creation leaves them: 1ft grid, 100%, both titles, no pan.
    explicit ViewSettings(QObject* parent = nullptr);

    const dm::HitBoxViewSettings& values() const { return values_; }
    dm::PixelPoint pan(dm::HitBoxView view) const { return pans_[index(view)]; }
    // What a view of `size` draws with these settings.
    dm::SceneRequest request(QSize size, dm::HitBoxView view) const;

    void initialise();
    void chooseGrid(const dm::ViewChoice& choice);
    // A zoom chosen in the menu, to which Home returns.
    void chooseZoom(const dm::ViewChoice& choice);
    void chooseFittedZoom(int zoom);
    // A zoom from the wheel, within kLeastZoom to kMostZoom.
    void setZoom(int zoom);
    void setPan(dm::HitBoxView view, dm::PixelPoint pan);
    // Home: the view's first centre and the zoom chosen in the menu.
    void home(dm::HitBoxView view);

signals:
    void changed();

private:
    static int index(dm::HitBoxView view) { return view == dm::HitBoxView::Top ? 0 : 1; }

    dm::HitBoxViewSettings values_;
    int menuZoom_ = 0;
    std::array<dm::PixelPoint, 2> pans_{};
};
