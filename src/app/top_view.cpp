#include "top_view.h"

#include "paint_box.h"
#include "shell/error_display.h"
#include "views/view_sizes.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QWidget(parent) {
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
    N3DView1 = tvpum->addAction(QStringLiteral("3D View"));
    connect(N3DView1, &QAction::triggered, this, shell::guardedSlot(this, &TForm5::N3DView1Click));
    BackgroundPicture1 = tvpum->addAction(QStringLiteral("Background Picture..."));

    shell::guarded([this] { FormActivate(); });
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
    dm::initialiseViewSettings(HitBoxSettings);
    N1ft1->setChecked(true);
    N1001->setChecked(true);
    composeCaptions();
}

void TForm5::composeCaptions() {
    setWindowTitle(QString::fromStdString(HitBoxSettings.topViewCaption()));
    if (links_.setSideViewCaption)
        links_.setSideViewCaption(QString::fromStdString(HitBoxSettings.sideViewCaption()));
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
    dm::applyGridChoice(HitBoxSettings, choice);
    entry->setChecked(true);
    redrawAfterChoice();
}

void TForm5::chooseZoom(const dm::ViewChoice& choice, QAction* entry) {
    dm::applyZoomChoice(HitBoxSettings, choice);
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
    dm::applyFittedZoom(HitBoxSettings, links_.fittingZoom());
    Fit1->setChecked(true);
    redrawAfterChoice();
}

void TForm5::N3DView1Click() {
    links_.show3dView();
}

void TForm5::contextMenuEvent(QContextMenuEvent* event) {
    shell::guarded([this, event] { tvpum->popup(event->globalPos()); });
}
