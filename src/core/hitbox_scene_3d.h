#pragma once

#include "core/camera_3d.h"
#include "core/colours.h"
#include "core/damage_file.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace dm {

// The 3-D picture as a depth-sorted list of draw operations, seen through a Camera3d.

enum class Shape3d { Polygon, Line, Label, Marker };
enum class Layer3d { Grid, Axis, Box, Marker };

// Fills of box faces are drawn with this opacity (of 255) so that boxes behind stay visible. Only
// the faces toward the viewer are filled, so each box tints what lies behind it once.
constexpr int kFaceAlpha = 80;
constexpr int kMarkerHalfSize3d = 3;

struct DrawOp3d {
    Shape3d shape = Shape3d::Line;
    Layer3d layer = Layer3d::Grid;
    std::array<ScreenPoint, 4> points{}; // polygon: 4 corners; line: 2 ends; label, marker: 1
    Rgb pen;
    int penWidth = 1;
    std::optional<Rgb> fill; // faces toward the viewer (translucent) and markers (solid)
    int slot = -1;           // box faces and markers
    std::string text;        // labels, centred on their point
    float depth = 0;
    friend bool operator==(const DrawOp3d&, const DrawOp3d&) = default;
};

struct Scene3dRequest {
    int width = 0;
    int height = 0;
    int gridFeet = 1; // spacing of the grid on z = 0 and of the axes' foot scale
    Camera3d camera;
    bool markers = false; // third-point markers of slots 0 to 22
    int current = -1;     // the slot of the grid's current row, outlined in yellow
};

// The grid and axes reach this many feet at most, whatever the boxes' extent.
constexpr int kLargestGridReach = 100;

// The whole picture: the grid on z = 0 first, then box faces, axes and labels from the farthest
// to the nearest, then the markers on top. `ops` is replaced, its storage reused.
void buildHitBoxScene3d(const Scene3dRequest& request, const PartTable& table,
                        std::vector<DrawOp3d>& ops);
std::vector<DrawOp3d> buildHitBoxScene3d(const Scene3dRequest& request, const PartTable& table);

// The slot of the nearest box face or marker under (x, y), or -1 for empty space.
int slotAt(const std::vector<DrawOp3d>& ops, float x, float y);

} // namespace dm
