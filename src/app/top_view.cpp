#include "top_view.h"

#include "hitbox_3d_view.h"
#include "shell/error_display.h"
#include "side_view.h"
#include "views/scene_painter.h"
#include "views/view_sizes.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVBoxLayout>

TForm5* Form5 = nullptr;
dm::HitBoxViewSettings HitBoxSettings;

// ---- Paint box ----

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true); // for the tooltip to follow the pointer
}

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    canvas_ = &painter;
    shell::guarded([this] {
        if (OnPaint)
            OnPaint();
    });
    canvas_ = nullptr;
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

// A click is a left press and release inside the box.
void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool clicked = pressed_ && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    pressed_ = false;
    if (clicked)
        shell::guarded([this] {
            if (OnClick)
                OnClick();
        });
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event); // a press, so the release still clicks
    if (event->button() == Qt::LeftButton)
        shell::guarded([&] {
            if (OnDoubleClick)
                OnDoubleClick(event->position().toPoint());
        });
}

bool TPaintBox::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    showHint(help->pos(), help->globalPos());
    return true;
}

// A tip that is shown follows the pointer from part to part.
void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (QToolTip::isVisible())
        showHint(event->position().toPoint(), event->globalPosition().toPoint());
}

void TPaintBox::showHint(QPoint at, QPoint globalAt) {
    QString hint;
    shell::guarded([&] {
        if (OnHint)
            hint = OnHint(at);
    });
    if (hint.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalAt, hint, this, rect());
}

// ---- What the views draw ----

const dm::PartTable& HitBoxSource::table() const {
    static const dm::PartTable zeros{};
    return partTable != nullptr ? *partTable : zeros;
}

bool HitBoxSource::markersShown() const {
    if (!openDialogFileName)
        return false;
    const QString name = openDialogFileName();
    return !name.isEmpty() && QFileInfo(name).isFile();
}

std::vector<dm::DrawOp> hitBoxScene(QSize size, dm::HitBoxView view, const HitBoxSource& source) {
    const dm::SceneRequest request{
        size.width(), size.height(),        HitBoxSettings.GridFeet, HitBoxSettings.ZoomFactor,
        view,         source.markersShown()};
    return dm::buildHitBoxScene(request, source.table());
}

void paintHitBoxView(QPainter& painter, QSize size, dm::HitBoxView view,
                     const HitBoxSource& source) {
    paintHitBoxScene(painter, QRect(QPoint(0, 0), size), hitBoxScene(size, view, source));
}

void pointAtParts(TPaintBox& box, dm::HitBoxView view, std::function<const HitBoxSource&()> source,
                  HitBoxPointing pointing) {
    const auto slotAt = [&box, view, source](QPoint at) {
        return dm::slotAt(hitBoxScene(box.size(), view, source()), {at.x(), at.y()});
    };
    box.OnHint = [slotAt, view, source, pointing](QPoint at) {
        const std::optional<int> slot = slotAt(at);
        if (!slot)
            return QString();
        const std::string values = dm::hitBoxValuesText(source().table(), *slot, view,
                                                        pointing.decimalSeparator().toStdString());
        return QStringLiteral("%1, slot %2\n%3")
            .arg(pointing.rowCaption(*slot))
            .arg(*slot)
            .arg(QString::fromStdString(values));
    };
    box.OnDoubleClick = [slotAt, pointing](QPoint at) {
        if (const std::optional<int> slot = slotAt(at))
            pointing.showPartRow(*slot);
    };
}

TPaintBox* setUpHitBoxSurface(QWidget& window, QSize size) {
    window.setAutoFillBackground(true);
    QPalette colours = window.palette();
    colours.setColor(QPalette::Window, toQColor(dm::colours::gray));
    window.setPalette(colours);
    window.resize(size);
    // Pointing at a part names it while the user works in the editor, too.
    window.setAttribute(Qt::WA_AlwaysShowToolTips);

    auto* box = new TPaintBox(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    return box;
}

void paintHitBoxSurface(TPaintBox& box, dm::HitBoxView view, const HitBoxSource& source) {
    if (QPainter* canvas = box.canvas())
        paintHitBoxView(*canvas, box.size(), view, source);
    else
        box.repaint();
}

namespace {

// Drawing at once paints the box right away, which is all a further repaint request would do.
void repaintHitBoxWindow(dm::HitBoxView view) {
    if (view == dm::HitBoxView::Top && Form5 != nullptr)
        Form5->pb1Paint();
    else if (view == dm::HitBoxView::Side && Form6 != nullptr)
        Form6->pb2Paint();
}

} // namespace

void repaintHitBoxViews(dm::HitBoxView first) {
    repaintHitBoxWindow(first);
    repaintHitBoxWindow(first == dm::HitBoxView::Top ? dm::HitBoxView::Side : dm::HitBoxView::Top);
    if (Form7 != nullptr)
        Form7->repaint();
}

// ---- Top view window ----

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
    N3DView1 = tvpum->addAction(QStringLiteral("3D View"));
    connect(N3DView1, &QAction::triggered, this,
            shell::guardedSlot(this, &TForm5::N3DView1Click));

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
    if (Form6 != nullptr)
        Form6->setWindowTitle(QString::fromStdString(HitBoxSettings.sideViewCaption()));
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
    repaintHitBoxViews();
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
    repaintHitBoxViews();
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

void TForm5::N3DView1Click() {
    showHitBox3dView();
}

void TForm5::contextMenuEvent(QContextMenuEvent* event) {
    shell::guarded([this, event] { tvpum->popup(event->globalPos()); });
}
