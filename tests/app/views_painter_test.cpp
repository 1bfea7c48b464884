// The scene replay draws exactly the pixels of plain aliased QPainter lines and rectangles.

#include "core/grid_colors.h"
#include "views/grid_contrast.h"
#include "views/scene_painter.h"
#include "views/view_sizes.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

// Shapes stay within this many pixels of the picture.
constexpr int kMargin = 1100;

// The straightforward replay: every operation stroked by QPainter itself, on a larger surface so
// that QPainter's own edge clipping (which drops corner pixels of outlines cut by the left edge)
// plays no part.
QImage referencePicture(QSize size, const std::vector<dm::DrawOp>& scene) {
    QImage image(size.grownBy({kMargin, kMargin, kMargin, kMargin}), QImage::Format_RGB32);
    image.fill(toQColor(dm::colours::gray));
    QPainter painter(&image);
    painter.translate(kMargin, kMargin);
    for (const dm::DrawOp& op : scene) {
        QPen pen(toQColor(op.pen));
        pen.setWidth(op.penWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        if (op.shape == dm::ShapeKind::Line) {
            painter.drawLine(op.from.x, op.from.y, op.to.x, op.to.y);
            continue;
        }
        painter.setBrush(op.fill ? QBrush(toQColor(*op.fill)) : QBrush(Qt::NoBrush));
        const int left = std::min(op.from.x, op.to.x);
        const int top = std::min(op.from.y, op.to.y);
        painter.drawRect(left, top, std::abs(op.to.x - op.from.x), std::abs(op.to.y - op.from.y));
    }
    painter.end();
    return image.copy(QRect(QPoint(kMargin, kMargin), size));
}

// Where two pictures first differ, for the failure message.
std::string firstDifference(const QImage& actual, const QImage& expected) {
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("at %1,%2: %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixelColor(x, y).name(), expected.pixelColor(x, y).name())
                    .toStdString();
    return "none";
}

QImage replayedPicture(QSize size, const std::vector<dm::DrawOp>& scene) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintHitBoxScene(painter, image.rect(), scene);
    return image;
}

// Boxes at least 2 pixels across (QPainter strokes thinner ones with miter spikes), some of
// them reaching past the edges.
dm::PartTable randomTable(std::mt19937& random, int zoom) {
    std::uniform_int_distribution<int> pixels(-400, 400);
    std::uniform_int_distribution<int> extent(2, 60);
    auto feet = [zoom](int pixel) { return static_cast<float>(pixel) / zoom; };
    dm::PartTable table{};
    for (dm::PartRecord& part : table) {
        const int x = pixels(random), y = pixels(random), z = pixels(random);
        const int across = extent(random) * zoom, up = extent(random) * zoom;
        part.PX1 = feet(x);
        part.PX2 = feet(x + across);
        part.PY1 = feet(y + up);
        part.PY2 = feet(y);
        part.PZ1 = feet(z + across);
        part.PZ2 = feet(z);
        part.PX3 = feet(pixels(random));
        part.PY3 = feet(pixels(random));
        part.PZ3 = feet(pixels(random));
    }
    return table;
}

TEST(HitBoxPainter, SamePixelsAsStrokingEveryShape) {
    std::mt19937 random(20240501);
    const QSize sizes[]{views::kTopViewDesignSize,
                        views::kSideViewDesignSize,
                        {640, 90},
                        {101, 99},
                        {7, 300},
                        {2, 3},
                        {1, 1}};
    for (const QSize size : sizes) {
        for (const dm::ViewChoice& grid : dm::kGridChoices) {
            for (const dm::ViewChoice& zoom : dm::kZoomChoices) {
                SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << " "
                                                << grid.caption << " " << zoom.caption);
                const dm::SceneRequest request{size.width(), size.height(),       grid.value,
                                               zoom.value,   dm::HitBoxView::Top, true};
                const auto scene = dm::buildHitBoxScene(request, randomTable(random, zoom.value));
                const QImage replayed = replayedPicture(size, scene);
                const QImage reference = referencePicture(size, scene);
                ASSERT_EQ(replayed, reference) << firstDifference(replayed, reference);
            }
        }
    }
}

TEST(HitBoxPainter, DegenerateAndFarBoxes) {
    struct Case {
        const char* name;
        dm::DrawOp op;
        QRect outline; // pixels in the pen colour
    };
    using dm::colours::olive;
    using dm::colours::red;
    const Case cases[]{
        {"box of no size: a pen-sized dot",
         {dm::ShapeKind::Rectangle, dm::SceneLayer::Box, {10, 10}, {10, 10}, red, 2, {}, 0},
         QRect(9, 9, 2, 2)},
        {"box of no width: a bar as thick as the pen",
         {dm::ShapeKind::Rectangle, dm::SceneLayer::Box, {10, 4}, {10, 12}, red, 2, olive, 0},
         QRect(9, 3, 2, 10)},
        {"box from far left to far right",
         {dm::ShapeKind::Rectangle,
          dm::SceneLayer::Box,
          {-dm::kFarPixel, 5},
          {dm::kFarPixel, 8},
          red,
          2,
          olive,
          0},
         QRect(0, 4, 20, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = replayedPicture({20, 20}, {c.op});
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool outline = c.outline.contains(x, y);
                const bool inside = c.op.fill && c.outline.adjusted(0, 2, 0, -2).contains(x, y) &&
                                    c.outline.width() > 4;
                const QColor expected = inside    ? toQColor(*c.op.fill)
                                        : outline ? toQColor(c.op.pen)
                                                  : toQColor(dm::colours::gray);
                ASSERT_EQ(image.pixelColor(x, y).name().toStdString(),
                          expected.name().toStdString())
                    << x << "," << y;
            }
    }
}

// Over a plan picture the grid stands out from whatever lies below it, light or dark, and keeps
// its silver over the views' gray.
TEST(HitBoxPainter, GridShowsOverLightAndDarkPictures) {
    const QSize size = views::kTopViewDesignSize;
    const dm::SceneRequest request{size.width(), size.height(), 5, 10, dm::HitBoxView::Top, false};
    const auto scene = dm::buildHitBoxScene(request, dm::PartTable{});
    const auto gridLine = std::find_if(scene.begin(), scene.end(), [](const dm::DrawOp& op) {
        return op.layer == dm::SceneLayer::Grid && op.from.x == op.to.x && op.from.x > 20 &&
               op.from.x < 100; // far from the axes
    });
    ASSERT_NE(gridLine, scene.end());
    const QPoint onGrid(gridLine->from.x, 20);
    struct Case {
        const char* name;
        QColor below;
        bool silver; // else any colour that stands out by 2:1
    };
    const Case cases[] = {{"views' gray", toQColor(dm::colours::gray), true},
                          {"white paper", Qt::white, false},
                          {"silver itself", QColor(192, 192, 192), false},
                          {"dark blue", QColor(20, 30, 90), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage underlay(size, QImage::Format_RGB32);
        underlay.fill(c.below);
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        drawGridWithContrast(underlay, image.rect(), scene);
        paintHitBoxSceneOver(painter, image.rect(), underlay, scene);
        painter.end();
        const QColor grid = image.pixelColor(onGrid);
        if (c.silver)
            EXPECT_EQ(grid, toQColor(dm::colours::silver));
        EXPECT_GE(dm::contrastRatio(toRgb(grid), toRgb(c.below)), 2.0);
        EXPECT_EQ(image.pixelColor(onGrid.x(), 21), grid) << "the whole line alike";
        EXPECT_EQ(image.pixelColor(onGrid + QPoint(1, 0)), c.below) << "beside the line";
    }
}

} // namespace
