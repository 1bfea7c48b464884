#include "top_view.h"

#include "paint_box.h"
#include "shell/error_display.h"
#include "view_settings.h"
#include "views/view_sizes.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

#include <utility>

TForm5* Form5 = nullptr;

TForm5::TForm5(ViewSettings& settings, QWidget* parent) : QWidget(parent), settings_(settings) {
    setWindowTitle(QStringLiteral("Hit Box Graphic Top View"));
    pb1 = setUpHitBoxSurface(*this, views::kTopViewDesignSize);
    pb1->OnPaint = [this] { pb1Paint(); };
    pb1->OnClick = [this] { pb1Click(); };

    tvpum = new QMenu(this);
    Grid1ft1 = tvpum->addMenu(QStringLiteral("Set Grid "));
    auto* gridGroup = new QActionGroup(Grid1ft1);
    N1ft1 = addChoice(Grid1ft1, gridGroup, dm::kGridChoices[0], &TForm5::N1ft1Click);
    N2ft1 = addChoice(Grid1ft1, gridGroup, dm::kGridChoices[1], &TForm5::N2ft1Click);
    N5ft1 = addChoice(Grid1ft1, gridGroup, dm::kGridChoices[2], &TForm5::N5ft1Click);
    N10ft1 = addChoice(Grid1ft1, gridGroup, dm::kGridChoices[3], &TForm5::N10ft1Click);
    SetZoom1 = tvpum->addMenu(QStringLiteral("Set Zoom"));
    auto* zoomGroup = new QActionGroup(SetZoom1);
    // A zoom from the wheel may match no entry.
    zoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    N1001 = addChoice(SetZoom1, zoomGroup, dm::kZoomChoices[0], &TForm5::N1001Click);
    N501 = addChoice(SetZoom1, zoomGroup, dm::kZoomChoices[1], &TForm5::N501Click);
    N201 = addChoice(SetZoom1, zoomGroup, dm::kZoomChoices[2], &TForm5::N201Click);
    Fit1 = SetZoom1->addAction(QStringLiteral("Fit"));
    Fit1->setCheckable(true);
    zoomGroup->addAction(Fit1);
    connect(Fit1, &QAction::triggered, this, shell::guardedSlot(this, &TForm5::Fit1Click));
    EditHitBoxes1 = tvpum->addAction(QStringLiteral("Edit Hit Boxes"));
    EditHitBoxes1->setCheckable(true);
    connect(EditHitBoxes1, &QAction::triggered, this,
            [this](bool on) { shell::guarded([this, on] { links_.editHitBoxes(on); }); });
    SymmetricEditing1 = tvpum->addAction(QStringLiteral("Symmetric Editing"));
    SymmetricEditing1->setCheckable(true);
    connect(SymmetricEditing1, &QAction::triggered, this,
            [this](bool on) { shell::guarded([this, on] { links_.symmetricEditing(on); }); });
    Mirror1 = tvpum->addAction(QStringLiteral("Mirror to Twin"));
    addAction(Mirror1); // Ctrl+M in this window
    N3DView1 = tvpum->addAction(QStringLiteral("3D View"));
    connect(N3DView1, &QAction::triggered, this, shell::guardedSlot(this, &TForm5::N3DView1Click));
    BackgroundPicture1 = tvpum->addAction(QStringLiteral("Background Picture..."));

    shell::guarded([this] { FormActivate(); });
    // The wheel and Home change the zoom too: the captions and check marks follow.
    connect(&settings_, &ViewSettings::changed, this, [this] {
        shell::guarded([this] {
            checkZoomEntry();
            composeCaptions();
        });
    });
}

QAction* TForm5::addChoice(QMenu* submenu, QActionGroup* group, const dm::ViewChoice& choice,
                           void (TForm5::*handler)()) {
    QAction* entry = submenu->addAction(QString::fromUtf8(choice.caption));
    entry->setCheckable(true);
    group->addAction(entry);
    connect(entry, &QAction::triggered, this, shell::guardedSlot(this, handler));
    return entry;
}

void TForm5::FormActivate() {
    settings_.initialise();
    N1ft1->setChecked(true);
    N1001->setChecked(true);
    composeCaptions();
}

void TForm5::composeCaptions() {
    setWindowTitle(QString::fromStdString(settings_.values().topViewCaption()));
    if (links_.setSideViewCaption)
        links_.setSideViewCaption(QString::fromStdString(settings_.values().sideViewCaption()));
}

void TForm5::checkZoomEntry() {
    const int zoom = settings_.values().ZoomFactor;
    for (QAction* entry : {N1001, N501, N201, Fit1})
        entry->setChecked(false);
    for (auto [entry, choice] :
         {std::pair{N1001, dm::kZoomChoices[0]}, std::pair{N501, dm::kZoomChoices[1]},
          std::pair{N201, dm::kZoomChoices[2]}})
        if (choice.value == zoom)
            return entry->setChecked(true);
    Fit1->setChecked(zoom == fittedZoom_);
}

void TForm5::pointWith(HitBoxPointing pointing) {
    pointing_ = pointing;
    pointAtParts(
        *pb1, dm::HitBoxView::Top, [this]() -> const HitBoxSource& { return source_; },
        std::move(pointing));
}

void TForm5::pb1Paint() {
    paintHitBoxSurface(*pb1, dm::HitBoxView::Top, source_);
}

void TForm5::pb1Click() {
    links_.repaintViews();
}

void TForm5::chooseGrid(const dm::ViewChoice& choice, QAction* entry) {
    settings_.chooseGrid(choice);
    entry->setChecked(true);
    redrawAfterChoice();
}

void TForm5::chooseZoom(const dm::ViewChoice& choice, QAction* entry) {
    settings_.chooseZoom(choice);
    entry->setChecked(true);
    redrawAfterChoice();
}

// The pictures first, then the captions: the order every settings handler follows.
void TForm5::redrawAfterChoice() {
    links_.repaintViews();
    composeCaptions();
}

void TForm5::N1ft1Click() {
    chooseGrid(dm::kGridChoices[0], N1ft1);
}
void TForm5::N2ft1Click() {
    chooseGrid(dm::kGridChoices[1], N2ft1);
}
void TForm5::N5ft1Click() {
    chooseGrid(dm::kGridChoices[2], N5ft1);
}
void TForm5::N10ft1Click() {
    chooseGrid(dm::kGridChoices[3], N10ft1);
}
void TForm5::N1001Click() {
    chooseZoom(dm::kZoomChoices[0], N1001);
}
void TForm5::N501Click() {
    chooseZoom(dm::kZoomChoices[1], N501);
}
void TForm5::N201Click() {
    chooseZoom(dm::kZoomChoices[2], N201);
}

void TForm5::Fit1Click() {
    links_.fitViews();
    fittedZoom_ = settings_.values().ZoomFactor;
    checkZoomEntry();
    redrawAfterChoice();
}

void TForm5::N3DView1Click() {
    links_.show3dView();
}

void TForm5::contextMenuEvent(QContextMenuEvent* event) {
    shell::guarded([this, event] { tvpum->popup(event->globalPos()); });
}
