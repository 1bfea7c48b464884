#pragma once

#include "core/colours.h"
#include "core/damage_file.h"

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// ---- View settings, shared by the top and the side view ----

struct HitBoxViewSettings {
    int GridFeet = 0;   // feet between two grid lines
    int ZoomFactor = 0; // pixels per foot; 0 draws no grid
    std::string GridText;
    std::string ZoomText;
    std::string TopViewTitle;
    std::string SideViewTitle;

    std::string topViewCaption() const { return TopViewTitle + GridText + ZoomText; }
    std::string sideViewCaption() const { return SideViewTitle + GridText + ZoomText; }
};

// One entry of the popup menu's "Set Grid " or "Set Zoom" group.
struct ViewChoice {
    int value;           // GridFeet or ZoomFactor
    const char* caption; // menu entry caption
    const char* text;    // GridText or ZoomText
};

extern const std::array<ViewChoice, 4> kGridChoices; // 1ft, 2ft, 5ft, 10ft
extern const std::array<ViewChoice, 3> kZoomChoices; // 100%, 50%, 20%

constexpr const char* kTopViewTitle = "Hit Box Graphic-Top View  ";
constexpr const char* kSideViewTitle = "Hit Box Graphic-Side View  ";

// The settings as the top view's creation leaves them: 1ft grid, 100% zoom, both titles.
void initialiseViewSettings(HitBoxViewSettings& settings);
void applyGridChoice(HitBoxViewSettings& settings, const ViewChoice& choice);
void applyZoomChoice(HitBoxViewSettings& settings, const ViewChoice& choice);
// Any other zoom (the wheel's, "Fit"'s): `zoom` pixels per foot, captioned as the fixed choice of
// that value or else in percent.
void applyFittedZoom(HitBoxViewSettings& settings, int zoom);

// The wheel zooms between these, in whole pixels per foot so that every box keeps exact pixels.
constexpr int kLeastZoom = 1;
constexpr int kMostZoom = 200;
// The zoom after `notches` wheel notches (negative: out): about 1.25 times per notch, at least one
// pixel per foot, within the limits.
int zoomAfterNotches(int zoom, int notches);

// ---- The picture as an ordered list of draw operations ----

enum class HitBoxView { Top, Side }; // top: x across, y up; side: z across, y up

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

enum class ShapeKind { Line, Rectangle, Text };
enum class SceneLayer { Grid, Axis, Box, Marker, Legend };

struct DrawOp {
    ShapeKind shape = ShapeKind::Line;
    SceneLayer layer = SceneLayer::Grid;
    PixelPoint from; // line ends, or two opposite corners of a rectangle in any order
    PixelPoint to;
    Rgb pen;
    int penWidth = 1;
    std::optional<Rgb> fill;    // rectangles only
    int slot = -1;              // boxes and markers
    bool dashed = false;        // the outline of a box whose cells do not all parse
    const char* text = nullptr; // Text: drawn with its top left corner at `from`
    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

// How boxes are marked while the views follow the grid.
struct BoxMarks {
    std::bitset<kSlotCount> dashed; // drawn as last parsed: a hit-box cell does not parse
    int current = -1;               // the slot of the grid's current row, drawn highlighted
};

struct SceneRequest {
    int width = 0; // client area of the view
    int height = 0;
    int gridFeet = 0;
    int zoomFactor = 0;
    HitBoxView view = HitBoxView::Top;
    bool markers = false; // third-point markers of slots 0 to 22
    PixelPoint pan{};     // how far the picture is moved from its first place
    bool legend = false;  // arrows in a corner naming the axes the way they are drawn
};

// The pixel a view of that client size draws feet (0, 0) on: the middle across, 50 pixels above
// the middle.
PixelPoint sceneOrigin(int width, int height);
// The same, moved with the picture.
PixelPoint sceneOrigin(const SceneRequest& request);

// Pixels are clamped to this distance: far beyond any window, so the clipped picture is the same.
constexpr int kFarPixel = 1 << 20;

// trunc(zoomFactor * feet), clamped to +-kFarPixel; nullopt for a NaN, which has no place.
std::optional<int> scaledPixels(int zoomFactor, float feet);

// The whole paint of one view in drawing order; `ops` is replaced, its storage reused.
void buildHitBoxScene(const SceneRequest& request, const PartTable& table, std::vector<DrawOp>& ops,
                      const BoxMarks& marks = {});
std::vector<DrawOp> buildHitBoxScene(const SceneRequest& request, const PartTable& table,
                                     const BoxMarks& marks = {});

// The largest zoom, in whole pixels per foot from kLeastZoom to kMostZoom, at which every box the
// view draws and the origin fit inside a client area of `width` x `height` once centred.
int fittingZoom(const PartTable& table, HitBoxView view, int width, int height);
// The pan that centres every box and the origin in that client area at `zoom`.
PixelPoint centringPan(const PartTable& table, HitBoxView view, int width, int height, int zoom);
// The pan that keeps the feet under `pointer` in place when `request`'s zoom becomes `zoom`.
PixelPoint panKeepingPoint(const SceneRequest& request, int zoom, PixelPoint pointer);
// A slot has a box when its first two points are not all zero and none is NaN.
bool hasBox(const PartRecord& part);

// ---- Pointing at the picture ----

// The pixels a rectangle covers as painted, edges included: its outline straddles the corners.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool contains(PixelPoint point) const {
        return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
    }
};
PixelRect rectanglePixels(const DrawOp& rectangle);

// The pixels a part's box and marker may cover in a view, any pen included; none when the part
// has no place there. What must be drawn again when the part changes.
std::optional<PixelRect> partPixels(const SceneRequest& request, const PartRecord& part, int slot);

// The slot whose box or marker is painted topmost at `point`: the last drawn of those covering
// it, a box over its whole area whether filled or outlined. None where no part is drawn.
std::optional<int> slotAt(const std::vector<DrawOp>& scene, PixelPoint point);

// The points a view draws a slot from, in feet as the grid shows them: one line per point,
// such as "PX1 1.00 ft  PY1 2.00 ft" from above; the third point for slots that mark it.
std::string hitBoxValuesText(const PartTable& table, int slot, HitBoxView view,
                             std::string_view decimalSeparator);
// The same with all three coordinates of each point, as the 3-D view names them.
std::string hitBoxPointsText(const PartTable& table, int slot, std::string_view decimalSeparator);

} // namespace dm
