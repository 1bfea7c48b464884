#include "side_view.h"

#include "paint_box.h"
#include "shell/error_display.h"
#include "view_settings.h"
#include "views/view_sizes.h"

#include <QContextMenuEvent>

TForm6* Form6 = nullptr;

TForm6::TForm6(const ViewSettings& settings, QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Hit Box Graphic Side View"));
    pb2 = setUpHitBoxSurface(*this, views::kSideViewDesignSize);
    pb2->OnPaint = [this] { pb2Paint(); };
    pb2->OnClick = [this] { pb2Click(); };

    // The settings are whole from their start; the caption follows them.
    shell::guarded([this, &settings] {
        setWindowTitle(QString::fromStdString(settings.values().sideViewCaption()));
    });
}

void TForm6::pointWith(HitBoxPointing pointing) {
    pointAtParts(
        *pb2, dm::HitBoxView::Side, [this]() -> const HitBoxSource& { return source_; },
        std::move(pointing));
}

void TForm6::pb2Paint() {
    paintHitBoxSurface(*pb2, dm::HitBoxView::Side, source_);
}

void TForm6::pb2Click() {
    links_.repaintViews();
}

void TForm6::contextMenuEvent(QContextMenuEvent* event) {
    shell::guarded([this, event] { links_.popUpMenu(event->globalPos()); });
}
