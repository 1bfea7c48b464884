#include "core/hitbox_scene.h"

#include "core/number_text.h"
#include "core/part_slots.h"

#include <algorithm>
#include <cmath>

namespace dm {

const std::array<ViewChoice, 4> kGridChoices{{
    {1, "1ft", "Grid @ 1ft  "},
    {2, "2ft", "Grid @ 2ft  "},
    {5, "5ft", "Grid @ 5ft  "},
    {10, "10ft", "Grid @ 10ft  "},
}};

const std::array<ViewChoice, 3> kZoomChoices{{
    {10, "100%", "Zoom @ 100%  "},
    {5, "50%", "Zoom @ 50%  "},
    {2, "20%", "Zoom @ 20%  "},
}};

void initialiseViewSettings(HitBoxViewSettings& settings) {
    applyGridChoice(settings, kGridChoices[0]);
    applyZoomChoice(settings, kZoomChoices[0]);
    settings.TopViewTitle = kTopViewTitle;
    settings.SideViewTitle = kSideViewTitle;
}

void applyGridChoice(HitBoxViewSettings& settings, const ViewChoice& choice) {
    settings.GridFeet = choice.value;
    settings.GridText = choice.text;
}

void applyZoomChoice(HitBoxViewSettings& settings, const ViewChoice& choice) {
    settings.ZoomFactor = choice.value;
    settings.ZoomText = choice.text;
}

std::optional<int> scaledPixels(int zoomFactor, float feet) {
    // An int times a float is exact in double, so truncating the double gives the exact pixel.
    const double pixels = std::trunc(static_cast<double>(zoomFactor) * static_cast<double>(feet));
    if (std::isnan(pixels))
        return std::nullopt;
    if (pixels > kFarPixel)
        return kFarPixel;
    if (pixels < -kFarPixel)
        return -kFarPixel;
    return static_cast<int>(pixels);
}

namespace {

using namespace colours;

constexpr int kBoxPenWidth = 2;
constexpr int kMarkerHalfSize = 3;
constexpr int kOriginAboveCentre = 50;

class SceneWriter {
public:
    SceneWriter(const SceneRequest& request, std::vector<DrawOp>& ops)
        : request_(request), ops_(ops), cx_(request.width / 2), cy_(request.height / 2),
          originY_(cy_ - kOriginAboveCentre) {}

    void grid() {
        const int step = request_.zoomFactor * request_.gridFeet;
        // Repeat-until loops: the first pass always runs, and a step of 0 ends after it.
        for (int i = 0;;) {
            line(SceneLayer::Grid, silver, {cx_ - i, 2 * cy_}, {cx_ - i, -cy_});
            line(SceneLayer::Grid, silver, {cx_ + i, 2 * cy_}, {cx_ + i, -cy_});
            i += step;
            if (i >= cx_ || step <= 0)
                break;
        }
        for (int i = 0;;) {
            line(SceneLayer::Grid, silver, {2 * cx_, cy_ - i}, {-cx_, cy_ - i});
            line(SceneLayer::Grid, silver, {2 * cx_, cy_ + i}, {-cx_, cy_ + i});
            i += step;
            if (i >= cy_ || step <= 0)
                break;
        }
    }

    void axes() {
        line(SceneLayer::Axis, black, {2 * cx_, originY_}, {-cx_, originY_});
        line(SceneLayer::Axis, black, {2 * cx_, 2 * cy_}, {-cx_, 2 * cy_});
        line(SceneLayer::Axis, black, {cx_, 2 * cy_}, {cx_, -cy_});
        line(SceneLayer::Axis, black, {2 * cx_, 2 * cy_}, {2 * cx_, -cy_});
    }

    void boxes(const PartTable& table) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const PartRecord& part = table[slot];
            const auto corner1 = project(across(part, 1), part.PY2);
            const auto corner2 = project(across(part, 2), part.PY1);
            if (!corner1 || !corner2)
                continue;
            const SlotStyle& style = kPartSlots[slot].view;
            ops_.push_back({ShapeKind::Rectangle, SceneLayer::Box, *corner1, *corner2,
                            style.outline, kBoxPenWidth, style.fill, slot});
        }
    }

    void markers(const PartTable& table) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const SlotStyle& style = kPartSlots[slot].view;
            if (!style.marker)
                continue;
            const PartRecord& part = table[slot];
            const auto centre = project(across(part, 3), part.PY3);
            if (!centre)
                continue;
            const int px = centre->x;
            const int py = centre->y;
            ops_.push_back({ShapeKind::Rectangle,
                            SceneLayer::Marker,
                            {px - kMarkerHalfSize, py + kMarkerHalfSize},
                            {px + kMarkerHalfSize, py - kMarkerHalfSize},
                            silver,
                            1,
                            style.marker,
                            slot});
        }
    }

private:
    // The horizontal coordinate of point 1, 2 or 3: x from above, z from the side.
    float across(const PartRecord& part, int point) const {
        const bool top = request_.view == HitBoxView::Top;
        switch (point) {
        case 1:
            return top ? part.PX1 : part.PZ1;
        case 2:
            return top ? part.PX2 : part.PZ2;
        default:
            return top ? part.PX3 : part.PZ3;
        }
    }

    std::optional<PixelPoint> project(float horizontal, float vertical) const {
        const auto h = scaledPixels(request_.zoomFactor, horizontal);
        const auto v = scaledPixels(request_.zoomFactor, vertical);
        if (!h || !v)
            return std::nullopt;
        return PixelPoint{cx_ - *h, originY_ - *v};
    }

    void line(SceneLayer layer, Rgb colour, PixelPoint from, PixelPoint to) {
        ops_.push_back({ShapeKind::Line, layer, from, to, colour, 1, std::nullopt, -1});
    }

    const SceneRequest& request_;
    std::vector<DrawOp>& ops_;
    int cx_;
    int cy_;
    int originY_;
};

} // namespace

void buildHitBoxScene(const SceneRequest& request, const PartTable& table,
                      std::vector<DrawOp>& ops) {
    ops.clear();
    SceneWriter writer(request, ops);
    if (request.zoomFactor != 0)
        writer.grid();
    writer.axes();
    writer.boxes(table);
    if (request.markers)
        writer.markers(table);
}

std::vector<DrawOp> buildHitBoxScene(const SceneRequest& request, const PartTable& table) {
    std::vector<DrawOp> ops;
    buildHitBoxScene(request, table, ops);
    return ops;
}

PixelRect rectanglePixels(const DrawOp& rectangle) {
    const int width = std::max(rectangle.penWidth, 1);
    // Across each edge an aliased pen of width w covers [edge - w/2, edge - w/2 + w - 1].
    const int before = width / 2;
    const int after = width - 1 - before;
    return {std::min(rectangle.from.x, rectangle.to.x) - before,
            std::min(rectangle.from.y, rectangle.to.y) - before,
            std::max(rectangle.from.x, rectangle.to.x) + after,
            std::max(rectangle.from.y, rectangle.to.y) + after};
}

std::optional<int> slotAt(const std::vector<DrawOp>& scene, PixelPoint point) {
    for (auto op = scene.rbegin(); op != scene.rend(); ++op)
        if (op->shape == ShapeKind::Rectangle && op->slot >= 0 &&
            rectanglePixels(*op).contains(point))
            return op->slot;
    return std::nullopt;
}

std::string hitBoxValuesText(const PartTable& table, int slot, HitBoxView view,
                             std::string_view decimalSeparator) {
    const bool top = view == HitBoxView::Top;
    const std::array<std::array<const char*, 2>, 3> points = {{
        {top ? "PX1" : "PZ1", "PY1"},
        {top ? "PX2" : "PZ2", "PY2"},
        {top ? "PX3" : "PZ3", "PY3"},
    }};
    const bool marked = kPartSlots[slot].view.marker.has_value();
    std::string text;
    for (std::size_t point = 0; point < (marked ? 3u : 2u); ++point) {
        if (point > 0)
            text += '\n';
        for (const char* name : points[point]) {
            const auto field = std::find_if(kFields.begin(), kFields.end(), [&](const FieldDef& f) {
                return std::string_view(f.name) == name;
            });
            if (name != points[point].front())
                text += "  ";
            text += std::string(kColumnCaptions[field->column]) + ' ' +
                    formatFloatCell(table[slot].*field->floatField, field->precision,
                                    field->decimals, decimalSeparator) +
                    " ft";
        }
    }
    return text;
}

} // namespace dm
