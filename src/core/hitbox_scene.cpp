#include "core/hitbox_scene.h"

#include "core/number_text.h"
#include "core/part_slots.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace dm {

namespace {
constexpr int kOriginAboveCentre = 50;
} // namespace

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

PixelPoint sceneOrigin(int width, int height) {
    return {width / 2, height / 2 - kOriginAboveCentre};
}

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

void applyFittedZoom(HitBoxViewSettings& settings, int zoom) {
    for (const ViewChoice& choice : kZoomChoices)
        if (choice.value == zoom)
            return applyZoomChoice(settings, choice);
    settings.ZoomFactor = zoom;
    settings.ZoomText = "Zoom @ " + std::to_string(zoom * 10) + "%  ";
}

int zoomAfterNotches(int zoom, int notches) {
    constexpr double kPerNotch = 1.25;
    for (; notches > 0 && zoom < kMostZoom; --notches)
        zoom = std::max(zoom + 1, static_cast<int>(std::lround(zoom * kPerNotch)));
    for (; notches < 0 && zoom > kLeastZoom; ++notches)
        zoom = std::min(zoom - 1, static_cast<int>(std::lround(zoom / kPerNotch)));
    return std::clamp(zoom, kLeastZoom, kMostZoom);
}

namespace {

// Feet across and up that every box of the view and the origin span.
struct FeetBounds {
    double leftmost = 0; // the largest across value: +x and +z are drawn to the left
    double rightmost = 0;
    double top = 0;
    double bottom = 0;
};

FeetBounds boundsOf(const PartTable& table, HitBoxView view) {
    FeetBounds bounds;
    const auto take = [](double feet, double& low, double& high) {
        if (std::isfinite(feet)) {
            low = std::min(low, feet);
            high = std::max(high, feet);
        }
    };
    const bool top = view == HitBoxView::Top;
    for (const PartRecord& part : table) {
        for (float across : {top ? part.PX1 : part.PZ1, top ? part.PX2 : part.PZ2})
            take(across, bounds.rightmost, bounds.leftmost);
        for (float up : {part.PY1, part.PY2})
            take(up, bounds.bottom, bounds.top);
    }
    return bounds;
}

int clampedPixel(double pixels) {
    return static_cast<int>(std::clamp(std::round(pixels), double(-kFarPixel), double(kFarPixel)));
}

} // namespace

PixelPoint sceneOrigin(const SceneRequest& request) {
    const PixelPoint origin = sceneOrigin(request.width, request.height);
    return {origin.x + request.pan.x, origin.y + request.pan.y};
}

int fittingZoom(const PartTable& table, HitBoxView view, int width, int height) {
    const FeetBounds bounds = boundsOf(table, view);
    double most = kMostZoom;
    const auto fit = [&most](double room, double feet) {
        if (feet > 0)
            most = std::min(most, std::max(room, 0.0) / feet);
    };
    fit(width - 1, bounds.leftmost - bounds.rightmost);
    fit(height - 1, bounds.top - bounds.bottom);
    // Clamped while still a double: a tiny room over a huge span must not reach the cast.
    return static_cast<int>(std::clamp(std::floor(most), double(kLeastZoom), double(kMostZoom)));
}

PixelPoint centringPan(const PartTable& table, HitBoxView view, int width, int height, int zoom) {
    const FeetBounds bounds = boundsOf(table, view);
    const PixelPoint origin = sceneOrigin(width, height);
    const double middleAcross = (bounds.leftmost + bounds.rightmost) / 2;
    const double middleUp = (bounds.top + bounds.bottom) / 2;
    return {clampedPixel((width - 1) / 2.0 - origin.x + zoom * middleAcross),
            clampedPixel((height - 1) / 2.0 - origin.y + zoom * middleUp)};
}

PixelPoint panKeepingPoint(const SceneRequest& request, int zoom, PixelPoint pointer) {
    if (request.zoomFactor <= 0)
        return request.pan;
    const PixelPoint first = sceneOrigin(request.width, request.height);
    const PixelPoint origin = sceneOrigin(request);
    // The pointer's pixel centre keeps its feet: origin' = pointer + (origin - pointer) * ratio.
    const double ratio = double(zoom) / request.zoomFactor;
    const auto kept = [ratio](int originAt, int pointerAt) {
        return pointerAt + 0.5 + (originAt - (pointerAt + 0.5)) * ratio;
    };
    return {clampedPixel(kept(origin.x, pointer.x) - first.x),
            clampedPixel(kept(origin.y, pointer.y) - first.y)};
}

bool hasBox(const PartRecord& part) {
    const std::array<float, 6> corners{part.PX1, part.PY1, part.PZ1, part.PX2, part.PY2, part.PZ2};
    return std::none_of(corners.begin(), corners.end(), [](float v) { return std::isnan(v); }) &&
           std::any_of(corners.begin(), corners.end(), [](float v) { return v != 0; });
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
constexpr int kHighlightPenWidth = 3;
constexpr int kMarkerHalfSize = 3;

class SceneWriter {
public:
    SceneWriter(const SceneRequest& request, const BoxMarks& marks, std::vector<DrawOp>& ops)
        : request_(request), marks_(marks), ops_(ops), cx_(request.width / 2),
          cy_(request.height / 2), origin_(sceneOrigin(request)) {}

    // The grid moves with the picture: it is laid out around the client centre moved by the pan.
    void grid() {
        const int step = request_.zoomFactor * request_.gridFeet;
        gridLines(cx_, request_.pan.x, step, [this](int x) {
            line(SceneLayer::Grid, silver, {x, 2 * cy_}, {x, -cy_});
        });
        gridLines(cy_, request_.pan.y, step, [this](int y) {
            line(SceneLayer::Grid, silver, {2 * cx_, y}, {-cx_, y});
        });
    }

    void axes() {
        line(SceneLayer::Axis, black, {2 * cx_, origin_.y}, {-cx_, origin_.y});
        line(SceneLayer::Axis, black, {2 * cx_, 2 * cy_}, {-cx_, 2 * cy_});
        line(SceneLayer::Axis, black, {origin_.x, 2 * cy_}, {origin_.x, -cy_});
        line(SceneLayer::Axis, black, {2 * cx_, 2 * cy_}, {2 * cx_, -cy_});
    }

    // Two arrows in the lower right corner, pointing the way +across and +y are drawn.
    void legend() {
        constexpr int kInset = 14, kLength = 36, kHead = 5, kLabelGap = 16;
        const PixelPoint base{request_.width - 1 - kInset, request_.height - 1 - kInset};
        const PixelPoint acrossTip{base.x - kLength, base.y};
        const PixelPoint upTip{base.x, base.y - kLength};
        const auto arrowLine = [this](PixelPoint from, PixelPoint to) {
            ops_.push_back({ShapeKind::Line, SceneLayer::Legend, from, to, black, 2, std::nullopt});
        };
        arrowLine(base, acrossTip);
        arrowLine(acrossTip, {acrossTip.x + kHead, acrossTip.y - kHead});
        arrowLine(acrossTip, {acrossTip.x + kHead, acrossTip.y + kHead});
        arrowLine(base, upTip);
        arrowLine(upTip, {upTip.x - kHead, upTip.y + kHead});
        arrowLine(upTip, {upTip.x + kHead, upTip.y + kHead});
        const bool top = request_.view == HitBoxView::Top;
        label({acrossTip.x - kLabelGap - 2, acrossTip.y - 7}, top ? "+x" : "+z");
        label({upTip.x - 6, upTip.y - kLabelGap - 2}, "+y");
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
                            style.outline, kBoxPenWidth, style.fill, slot, marks_.dashed[slot]});
        }
    }

    // An outline over the current row's box; it belongs to no slot, so pointing looks through it.
    void highlight() {
        const int current = marks_.current;
        for (const DrawOp& op : ops_)
            if (op.layer == SceneLayer::Box && op.slot == current && current >= 0) {
                ops_.push_back({ShapeKind::Rectangle, SceneLayer::Box, op.from, op.to, yellow,
                                kHighlightPenWidth, std::nullopt, -1, op.dashed});
                return;
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
        return PixelPoint{origin_.x - *h, origin_.y - *v};
    }

    void line(SceneLayer layer, Rgb colour, PixelPoint from, PixelPoint to) {
        ops_.push_back({ShapeKind::Line, layer, from, to, colour, 1, std::nullopt, -1});
    }

    void label(PixelPoint at, const char* text) {
        DrawOp op{ShapeKind::Text, SceneLayer::Legend, at, at, black, 1, std::nullopt};
        op.text = text;
        ops_.push_back(op);
    }

    // Lines at centre + pan +- i for i = 0, step, 2 step... as far as the client area reaches;
    // unpanned, the lines at centre +- k step for k step < centre. A repeat-until loop: the first
    // pass always runs, and a step of 0 ends after it.
    template <class Emit> static void gridLines(int centre, int pan, int step, Emit emit) {
        const long long distance = pan < 0 ? -static_cast<long long>(pan) : pan;
        long long i = 0;
        if (step > 0 && distance > centre)
            i = (distance - centre) / step * step; // the first pass that reaches the client area
        for (;;) {
            emit(static_cast<int>(centre + pan - i));
            emit(static_cast<int>(centre + pan + i));
            i += step;
            if (i >= distance + centre || step <= 0)
                break;
        }
    }

    const SceneRequest& request_;
    const BoxMarks& marks_;
    std::vector<DrawOp>& ops_;
    int cx_;
    int cy_;
    PixelPoint origin_;
};

} // namespace

void buildHitBoxScene(const SceneRequest& request, const PartTable& table, std::vector<DrawOp>& ops,
                      const BoxMarks& marks) {
    ops.clear();
    SceneWriter writer(request, marks, ops);
    if (request.zoomFactor != 0)
        writer.grid();
    writer.axes();
    writer.boxes(table);
    writer.highlight();
    if (request.markers)
        writer.markers(table);
    if (request.legend)
        writer.legend();
}

std::vector<DrawOp> buildHitBoxScene(const SceneRequest& request, const PartTable& table,
                                     const BoxMarks& marks) {
    std::vector<DrawOp> ops;
    buildHitBoxScene(request, table, ops, marks);
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

std::optional<PixelRect> partPixels(const SceneRequest& request, const PartRecord& part, int slot) {
    const bool top = request.view == HitBoxView::Top;
    const PixelPoint origin = sceneOrigin(request);
    std::optional<PixelRect> area;
    const auto cover = [&](float across, float up, int reach) {
        const auto h = scaledPixels(request.zoomFactor, across);
        const auto v = scaledPixels(request.zoomFactor, up);
        if (!h || !v)
            return;
        const PixelRect pixels{origin.x - *h - reach, origin.y - *v - reach, origin.x - *h + reach,
                               origin.y - *v + reach};
        area = !area ? pixels
                     : PixelRect{std::min(area->left, pixels.left), std::min(area->top, pixels.top),
                                 std::max(area->right, pixels.right),
                                 std::max(area->bottom, pixels.bottom)};
    };
    // Boxes and their highlight straddle the corners by at most two pixels.
    cover(top ? part.PX1 : part.PZ1, part.PY2, 2);
    cover(top ? part.PX2 : part.PZ2, part.PY1, 2);
    if (request.markers && kPartSlots[slot].view.marker)
        cover(top ? part.PX3 : part.PZ3, part.PY3, kMarkerHalfSize + 1);
    return area;
}

std::optional<int> slotAt(const std::vector<DrawOp>& scene, PixelPoint point) {
    for (auto op = scene.rbegin(); op != scene.rend(); ++op)
        if (op->shape == ShapeKind::Rectangle && op->slot >= 0 &&
            rectanglePixels(*op).contains(point))
            return op->slot;
    return std::nullopt;
}

namespace {

// One line per point, each naming its fields: "PX1 1.00 ft  PY1 2.00 ft".
std::string pointsText(const PartTable& table, int slot,
                       const std::vector<std::vector<std::string>>& points,
                       std::string_view decimalSeparator) {
    std::string text;
    for (const std::vector<std::string>& names : points) {
        if (!text.empty())
            text += '\n';
        for (const std::string& name : names) {
            const auto field = std::find_if(kFields.begin(), kFields.end(),
                                            [&](const FieldDef& f) { return f.name == name; });
            if (name != names.front())
                text += "  ";
            text += std::string(kColumnCaptions[field->column]) + ' ' +
                    formatFloatCell(table[slot].*field->floatField, field->precision,
                                    field->decimals, decimalSeparator) +
                    " ft";
        }
    }
    return text;
}

int markedPoints(int slot) {
    return kPartSlots[slot].view.marker.has_value() ? 3 : 2;
}

} // namespace

std::string hitBoxValuesText(const PartTable& table, int slot, HitBoxView view,
                             std::string_view decimalSeparator) {
    const std::string across = view == HitBoxView::Top ? "PX" : "PZ";
    std::vector<std::vector<std::string>> points;
    for (int point = 1; point <= markedPoints(slot); ++point)
        points.push_back({across + std::to_string(point), "PY" + std::to_string(point)});
    return pointsText(table, slot, points, decimalSeparator);
}

std::string hitBoxPointsText(const PartTable& table, int slot, std::string_view decimalSeparator) {
    std::vector<std::vector<std::string>> points;
    for (int point = 1; point <= markedPoints(slot); ++point) {
        const std::string number = std::to_string(point);
        points.push_back({"PX" + number, "PY" + number, "PZ" + number});
    }
    return pointsText(table, slot, points, decimalSeparator);
}

} // namespace dm
