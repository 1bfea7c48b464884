// `dmtool render`: draws a hit-box view into a PNG file exactly as the editor's window shows it.
// Built as a module of its own so that dmtool's other commands never load Qt.

#include "background_options.h"
#include "core/damage_file.h"
#include "core/errors.h"
#include "core/hitbox_scene.h"
#include "core/hitbox_scene_3d.h"
#include "core/platform/file_replacement.h"
#include "dmtool_render_export.h"
#include "options.h"
#include "usage.h"
#include "views/grid_contrast.h"
#include "views/scene_painter.h"
#include "views/scene_painter_3d.h"
#include "views/view_sizes.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dmtool::asksForHelp;
using dmtool::kDataError;
using dmtool::kSuccess;
using dmtool::kUsageError;
constexpr int kLargestSide = 16384;

// The help text around the design sizes, which the views' size constants fill in.
constexpr std::string_view kHelpBeforeSizes =
    "Usage: dmtool render FILE --view top|side|3d -o OUT.png [--size WxH] [--grid 1|2|5|10]\n"
    "                     [--zoom PERCENT] [--yaw DEG] [--pitch DEG] [--no-markers] [--legend]\n"
    "                     [--background FILE --background-width FT --background-centre A,B\n"
    "                      [--background-opacity P] [--background-mirror]]\n"
    "\n"
    "Draws the hit boxes of the damage file FILE as the editor's top, side or 3-D view shows\n"
    "them at the given client size and view settings, and writes the picture as a PNG file. No\n"
    "display is needed.\n"
    "\n"
    "  --view top|side|3d top: seen from above (x across, y up); side: seen from the side\n"
    "                     (z across, y up); 3d: the boxes as solids, turned by --yaw and --pitch\n"
    "  -o, --output OUT   the PNG file to write (created or replaced)\n"
    "  --size WxH         client width and height in pixels, 1 to 16384 (default: the window's\n"
    "                     design size, ";
constexpr std::string_view kHelpAfterSizes =
    " for 3d)\n"
    "  --grid FEET        grid spacing: 1, 2, 5 or 10 feet (default 1)\n"
    "  --zoom PERCENT     100, 50 or 20: 10, 5 or 2 pixels per foot (default 100); for 3d any\n"
    "                     whole number from 5 to 2000 (default: as large as fits, at most 100)\n"
    "  --yaw DEG          3d only: turn around the vertical axis, 0 from behind (default 30)\n"
    "  --pitch DEG        3d only: -90 from below to 90 from above (default 20)\n"
    "  --no-markers       leave out the third-point markers of parts 1 to 23, as the editor\n"
    "                     does when its opened file is gone\n"
    "  --legend           top and side: arrows in the lower right corner naming the axes the\n"
    "                     way they are drawn, as the editor shows them\n";
constexpr std::string_view kHelpExitStatus =
    "\n"
    "Exit status: 0 success, 1 file or data error (the editor's message on standard error),\n"
    "2 usage error.\n";

std::string sizeText(QSize size) {
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

std::string helpText() {
    return std::string(kHelpBeforeSizes) + sizeText(views::kTopViewDesignSize) + " for top, " +
           sizeText(views::kSideViewDesignSize) + " for side, " +
           sizeText(views::kView3dDesignSize) + std::string(kHelpAfterSizes) + kBackgroundHelp +
           std::string(kHelpExitStatus);
}

using dmtool::UsageError;

struct RenderOptions {
    std::string damageFile;
    std::string output;
    std::optional<dm::HitBoxView> view;
    bool threeD = false; // --view 3d
    std::optional<std::pair<int, int>> size;
    int gridFeet = dm::kGridChoices[0].value;
    std::optional<std::string> zoomText; // read once the view is known
    int zoomFactor = dm::kZoomChoices[0].value;
    std::optional<int> zoomPercent3d; // none: the window's starting zoom
    std::optional<double> yaw;
    std::optional<double> pitch;
    bool markers = true;
    bool legend = false;
    BackgroundOptions background;
    std::optional<dm::BackgroundPicture> picture;
};

constexpr int kSmallest3dPercent = 5;
constexpr int kLargest3dPercent = 2000;

std::optional<int> parseCount(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.starts_with('+'))
        return std::nullopt;
    return value;
}

std::pair<int, int> parseSize(const std::string& text) {
    const auto x = text.find('x');
    const auto width = x == std::string::npos ? std::nullopt : parseCount(text.substr(0, x));
    const auto height = x == std::string::npos ? std::nullopt : parseCount(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > kLargestSide ||
        *height > kLargestSide)
        throw UsageError("'" + text + "' is not a size WxH with sides from 1 to " +
                         std::to_string(kLargestSide));
    return {*width, *height};
}

template <std::size_t N>
int parseChoice(const std::string& text, const std::array<dm::ViewChoice, N>& choices,
                int shownValue(const dm::ViewChoice&), const char* option) {
    const auto value = parseCount(text);
    for (const dm::ViewChoice& choice : choices)
        if (value && *value == shownValue(choice))
            return choice.value;
    std::string allowed;
    for (const dm::ViewChoice& choice : choices)
        allowed += (allowed.empty() ? "" : ", ") + std::to_string(shownValue(choice));
    throw UsageError("'" + text + "' is not a valid " + option + " value (" + allowed + ")");
}

int feetOf(const dm::ViewChoice& choice) {
    return choice.value;
}
int percentOf(const dm::ViewChoice& choice) {
    return choice.value * 10;
}

void parseView(const std::string& text, RenderOptions& options) {
    options.threeD = text == "3d";
    if (text == "top")
        options.view = dm::HitBoxView::Top;
    else if (text == "side")
        options.view = dm::HitBoxView::Side;
    else if (!options.threeD)
        throw UsageError("'" + text + "' is not a view (top, side, 3d)");
}

double parseAngle(const std::string& text, const char* option, double limit) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value) || std::abs(value) > limit)
        throw UsageError("'" + text + "' is not a valid " + option + " value (degrees, -" +
                         std::to_string(int(limit)) + " to " + std::to_string(int(limit)) + ")");
    return value;
}

int parse3dPercent(const std::string& text) {
    const auto value = parseCount(text);
    if (!value || *value < kSmallest3dPercent || *value > kLargest3dPercent)
        throw UsageError("'" + text + "' is not a valid --zoom value for 3d (" +
                         std::to_string(kSmallest3dPercent) + " to " +
                         std::to_string(kLargest3dPercent) + ")");
    return *value;
}

constexpr dmtool::OptionRule kOptions[] = {
    {"--view", "", true},
    {"--output", "-o", true},
    {"--size", "", true},
    {"--grid", "", true},
    {"--zoom", "", true},
    {"--no-markers", "", false},
    {"--legend", "", false},
    {"--yaw", "", true},
    {"--pitch", "", true},
    {"--background", "", true},
    {"--background-width", "", true},
    {"--background-centre", "", true},
    {"--background-opacity", "", true},
    {"--background-mirror", "", false},
};

void applyOption(RenderOptions& options, const dmtool::GivenOption& option) {
    const std::string& value = option.value;
    if (applyBackgroundOption(options.background, option))
        return;
    if (option.name == "--view")
        parseView(value, options);
    else if (option.name == "--yaw")
        options.yaw = parseAngle(value, "--yaw", 36000);
    else if (option.name == "--pitch")
        options.pitch = parseAngle(value, "--pitch", 90);
    else if (option.name == "--size")
        options.size = parseSize(value);
    else if (option.name == "--grid")
        options.gridFeet = parseChoice(value, dm::kGridChoices, feetOf, "--grid");
    else if (option.name == "--zoom")
        options.zoomText = value;
    else if (option.name == "--no-markers")
        options.markers = false;
    else if (option.name == "--legend")
        options.legend = true;
    else if (value.empty())
        throw UsageError("option -o needs a file name");
    else
        options.output = value;
}

RenderOptions parseArguments(const std::vector<std::string>& args) {
    const dmtool::CommandLine line = dmtool::parseCommandLine(args, kOptions);
    RenderOptions options;
    for (const dmtool::GivenOption& option : line.options)
        applyOption(options, option);
    if (line.operands.size() != 1)
        throw UsageError("render takes one damage file, " + std::to_string(line.operands.size()) +
                         " given");
    if (!options.view && !options.threeD)
        throw UsageError("--view top, side or 3d is required");
    if (!options.threeD && (options.yaw || options.pitch))
        throw UsageError("--yaw and --pitch apply to --view 3d only");
    if (options.zoomText && options.threeD)
        options.zoomPercent3d = parse3dPercent(*options.zoomText);
    else if (options.zoomText)
        options.zoomFactor = parseChoice(*options.zoomText, dm::kZoomChoices, percentOf, "--zoom");
    if (options.output.empty())
        throw UsageError("-o OUT.png is required");
    options.picture = backgroundPicture(options.background, options.threeD);
    options.damageFile = line.operands[0];
    return options;
}

// Qt's notices (a missing runtime folder, a picture over its own size limit) would only clutter
// dmtool's standard error, which carries dmtool's own messages alone.
void silenceQtNotices() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// The 3-D view's labels need fonts, and fonts a GUI application: without one (dmtool has none),
// one is made for the rest of the process, on no display.
void ensureGuiApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    static char name[] = "dmtool";
    static char platformOption[] = "-platform";
    static char offscreen[] = "offscreen";
    static char* argv[] = {name, platformOption, offscreen, nullptr};
    static int argc = 3;
    new QGuiApplication(argc, argv);
}

// The 3-D view as its window shows it at the starting place, turned and zoomed as asked.
void paint3d(QPainter& painter, const QRect& area, const RenderOptions& options,
             const dm::PartTable& table) {
    dm::Camera3d camera;
    camera.yaw = options.yaw.value_or(dm::kStartYaw);
    camera.pitch = options.pitch.value_or(dm::kStartPitch);
    camera.zoom = options.zoomPercent3d
                      ? *options.zoomPercent3d * dm::kStartZoom / 100
                      : dm::fittingZoom(table, camera, area.width(), area.height());
    const dm::Scene3dRequest request{area.width(), area.height(), options.gridFeet, camera,
                                     options.markers};
    paintHitBoxScene3d(painter, area, dm::buildHitBoxScene3d(request, table));
}

QImage renderView(const RenderOptions& options, const dm::PartTable& table) {
    const QSize designSize =
        options.threeD ? views::kView3dDesignSize : views::designSize(*options.view);
    const auto [width, height] =
        options.size.value_or(std::pair{designSize.width(), designSize.height()});
    if (options.threeD)
        ensureGuiApplication();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        throw dm::DamageError("Not enough memory for a " + std::to_string(width) + "x" +
                              std::to_string(height) + " picture");
    if (options.threeD) {
        QPainter painter(&image);
        paint3d(painter, image.rect(), options, table);
        painter.end();
        return image;
    }
    const dm::SceneRequest request{.width = width,
                                   .height = height,
                                   .gridFeet = options.gridFeet,
                                   .zoomFactor = options.zoomFactor,
                                   .view = *options.view,
                                   .markers = options.markers,
                                   .legend = options.legend};
    const auto scene = dm::buildHitBoxScene(request, table);
    // Drawn straight into the picture: no second picture of the whole size.
    if (options.picture) {
        paintBackgroundOf(image, *options.picture, request);
        drawGridWithContrast(image, image.rect(), scene);
    }
    QPainter painter(&image);
    if (options.picture)
        paintHitBoxSceneOnTop(painter, image.rect(), scene);
    else
        paintHitBoxScene(painter, image.rect(), scene);
    painter.end();
    return image;
}

QByteArray encodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw dm::DamageError("Cannot encode the picture: " + writer.errorString().toStdString());
    return bytes;
}

int render(const std::vector<std::string>& args) {
    if (asksForHelp(args)) {
        std::cout << helpText();
        return dmtool::flushOutput(std::cout, std::cerr) ? kSuccess : kDataError;
    }
    silenceQtNotices();
    try {
        const RenderOptions options = parseArguments(args);
        dm::DamageFileHeader header{};
        dm::PartTable table{};
        dm::readDamageFile(options.damageFile, header, table);
        const QByteArray png = encodePng(renderView(options, table));
        dm::platform::replaceFile(
            options.output,
            std::as_bytes(std::span(png.constData(), static_cast<std::size_t>(png.size()))));
    } catch (const UsageError& error) {
        std::cerr << "dmtool render: " << error.message() << "\nTry 'dmtool render --help'.\n";
        return kUsageError;
    } catch (const dm::DamageError& error) {
        std::cerr << error.what() << '\n';
        return kDataError;
    }
    return kSuccess;
}

} // namespace

extern "C" DMTOOL_RENDER_EXPORT int dmtool_render_main(int argc, char** argv) {
    try {
        return render(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "dmtool render: " << error.what() << '\n';
        return kDataError;
    }
}
