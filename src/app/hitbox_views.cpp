#include "hitbox_views.h"

#include "core/hitbox_drag.h"
#include "paint_box.h"
#include "view_settings.h"
#include "views/scene_painter.h"

#include <QFileInfo>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

const dm::PartTable& HitBoxSource::table() const {
    static const dm::PartTable zeros{};
    return partTable != nullptr ? *partTable : zeros;
}

const ViewSettings& HitBoxSource::viewSettings() const {
    static const ViewSettings firstSettings;
    return settings != nullptr ? *settings : firstSettings;
}

bool HitBoxSource::markersShown() const {
    if (!fileName)
        return false;
    const QString name = fileName();
    return !name.isEmpty() && QFileInfo(name).isFile();
}

std::vector<dm::DrawOp> hitBoxScene(QSize size, dm::HitBoxView view, const HitBoxSource& source) {
    dm::SceneRequest request = source.viewSettings().request(size, view);
    request.markers = source.markersShown();
    request.legend = true;
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

namespace {

// The current row's part first, then the others from the top of the stack down.
std::vector<int> partsAt(QSize size, dm::HitBoxView view, const HitBoxSource& source, QPoint at) {
    std::vector<int> parts = dm::slotsAt(hitBoxScene(size, view, source), {at.x(), at.y()});
    const int current = source.marks ? source.marks->current : -1;
    const auto found = std::find(parts.begin(), parts.end(), current);
    if (found != parts.end())
        std::rotate(parts.begin(), found, std::next(found));
    return parts;
}

QString partHint(const HitBoxSource& source, int slot, dm::HitBoxView view,
                 const HitBoxPointing& pointing) {
    const std::string values =
        dm::hitBoxValuesText(source.table(), slot, view, pointing.decimalSeparator().toStdString());
    const QString problem = source.problem ? source.problem(slot) : QString();
    return QStringLiteral("%1, slot %2\n%3%4")
        .arg(pointing.rowCaption(slot))
        .arg(slot)
        .arg(QString::fromStdString(values), problem.isEmpty() ? problem : '\n' + problem);
}

} // namespace

void pointAtParts(TPaintBox& box, dm::HitBoxView view, std::function<const HitBoxSource&()> source,
                  HitBoxPointing pointing) {
    box.OnHint = [&box, view, source, pointing](QPoint at) {
        QStringList hints;
        for (int slot : partsAt(box.size(), view, source(), at))
            hints << partHint(source(), slot, view, pointing);
        if (hints.isEmpty())
            return QString();
        // The views follow the grid, and boxes can be dragged, only in that mode.
        if (source().marks == nullptr)
            hints << QStringLiteral(
                "Check \"Edit Hit Boxes\" in the right-click menu to drag the boxes.");
        return hints.join(QStringLiteral("\n\n"));
    };
    box.OnDoubleClick = [&box, view, source, pointing](QPoint at) {
        const std::vector<int> parts = partsAt(box.size(), view, source(), at);
        if (!parts.empty())
            pointing.showPartRow(parts.front());
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
