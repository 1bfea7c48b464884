#include "hitbox_views.h"

#include "paint_box.h"
#include "views/scene_painter.h"

#include <QFileInfo>
#include <QPainter>
#include <QVBoxLayout>

dm::HitBoxViewSettings HitBoxSettings;

const dm::PartTable& HitBoxSource::table() const {
    static const dm::PartTable zeros{};
    return partTable != nullptr ? *partTable : zeros;
}

bool HitBoxSource::markersShown() const {
    if (!fileName)
        return false;
    const QString name = fileName();
    return !name.isEmpty() && QFileInfo(name).isFile();
}

std::vector<dm::DrawOp> hitBoxScene(QSize size, dm::HitBoxView view, const HitBoxSource& source) {
    const dm::SceneRequest request{
        size.width(), size.height(),        HitBoxSettings.GridFeet, HitBoxSettings.ZoomFactor,
        view,         source.markersShown()};
    return dm::buildHitBoxScene(request, source.table(),
                                source.marks ? *source.marks : dm::BoxMarks{});
}

void paintHitBoxView(QPainter& painter, QSize size, dm::HitBoxView view,
                     const HitBoxSource& source) {
    const QRect area(QPoint(0, 0), size);
    const QImage* underlay = source.underlay ? source.underlay(view, size) : nullptr;
    if (underlay != nullptr)
        paintHitBoxSceneOver(painter, area, *underlay, hitBoxScene(size, view, source));
    else
        paintHitBoxScene(painter, area, hitBoxScene(size, view, source));
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
        const QString problem = source().problem ? source().problem(*slot) : QString();
        return QStringLiteral("%1, slot %2\n%3%4")
            .arg(pointing.rowCaption(*slot))
            .arg(*slot)
            .arg(QString::fromStdString(values), problem.isEmpty() ? problem : '\n' + problem);
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
