#pragma once

#include "hitbox_views.h"

#include <QWidget>

#include <functional>
#include <utility>

class QAction;
class QActionGroup;
class QMenu;
class TPaintBox;
class ViewSettings;

// What the top view does to the others, given by the program's wiring.
struct TopViewLinks {
    // Both views redrawn, the top view first.
    std::function<void()> repaintViews;
    std::function<void(const QString& caption)> setSideViewCaption;
    std::function<void()> show3dView;
    // "Edit Hit Boxes" checked or unchecked.
    std::function<void(bool on)> editHitBoxes;
    // Both views fitted and centred on every box.
    std::function<void()> fitViews;
    // "Symmetric Editing" checked or unchecked.
    std::function<void(bool on)> symmetricEditing;
};

// The top view window: draws every part's hit box seen from above, and owns the popup menu of
// view settings that the side view uses too.
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(ViewSettings& settings, QWidget* parent = nullptr);

    void linkTo(TopViewLinks links) { links_ = std::move(links); }

    // What the view draws, given by whoever creates the window.
    void drawFrom(HitBoxSource source) { source_ = std::move(source); }
    ViewSettings& viewSettings() const { return settings_; }
    const HitBoxSource& source() const { return source_; }
    void pointWith(HitBoxPointing pointing);
    // How the views name a part and show its row; the 3-D view names parts the same way.
    const HitBoxPointing& pointing() const { return pointing_; }

    TPaintBox* pb1;
    QMenu* tvpum;
    QMenu* Grid1ft1;
    QAction* N1ft1;
    QAction* N2ft1;
    QAction* N5ft1;
    QAction* N10ft1;
    QMenu* SetZoom1;
    QAction* N1001;
    QAction* N501;
    QAction* N201;
    QAction* Fit1;              // the zoom at which every box fits
    QAction* EditHitBoxes1;     // checkable: the views follow the grid and edit by dragging
    QAction* Mirror1;           // the current row's points onto its twin, Ctrl+M
    QAction* SymmetricEditing1; // checkable: a drag or nudge moves the twin mirrored
    QAction* N3DView1;          // opens the 3-D view
    // The plan picture under the view the menu was opened in; wired with the pictures.
    QAction* BackgroundPicture1;

    // The creation handler: initial view settings, check marks and both captions.
    void FormActivate();
    // Draws the top view at once; inside a paint of pb1 it draws on that paint.
    void pb1Paint();
    void pb1Click();

    void N1ft1Click();
    void N2ft1Click();
    void N5ft1Click();
    void N10ft1Click();
    void N1001Click();
    void N501Click();
    void N201Click();
    void Fit1Click();
    void N3DView1Click();

    // Sets both windows' captions from the view settings.
    void composeCaptions();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* addChoice(QMenu* submenu, QActionGroup* group, const dm::ViewChoice& choice,
                       void (TForm5::*handler)());
    void chooseGrid(const dm::ViewChoice& choice, QAction* entry);
    void chooseZoom(const dm::ViewChoice& choice, QAction* entry);
    void redrawAfterChoice();
    void checkZoomEntry();

    ViewSettings& settings_;
    int fittedZoom_ = 0; // "Fit" stays checked while the zoom is the one it chose
    HitBoxSource source_;
    HitBoxPointing pointing_;
    TopViewLinks links_;
};

extern TForm5* Form5;
