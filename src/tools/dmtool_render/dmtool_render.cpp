// `dmtool render`: draws a hit-box view into a PNG file exactly as the editor's window shows it.
// Built as a module of its own so that dmtool's other commands never load Qt.

#include "core/damage_file.h"
#include "core/errors.h"
#include "core/hitbox_scene.h"
#include "dmtool_render_export.h"
#include "options.h"
#include "usage.h"
#include "views/scene_painter.h"
#include "views/view_sizes.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <array>
#include <charconv>
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
    "Usage: dmtool render FILE --view top|side -o OUT.png [--size WxH] [--grid 1|2|5|10]\n"
    "                     [--zoom 100|50|20] [--no-markers]\n"
    "\n"
    "Draws the hit boxes of the damage file FILE as the editor's top or side view shows them\n"
    "at the given client size and view settings, and writes the picture as a PNG file. No\n"
    "display is needed.\n"
    "\n"
    "  --view top|side    top: seen from above (x across, y up); side: seen from the side\n"
    "                     (z across, y up)\n"
    "  -o, --output OUT   the PNG file to write (created or replaced)\n"
    "  --size WxH         client width and height in pixels, 1 to 16384 (default: the window's\n"
    "                     design size, ";
constexpr std::string_view kHelpAfterSizes =
    " for side)\n"
    "  --grid FEET        grid spacing: 1, 2, 5 or 10 feet (default 1)\n"
    "  --zoom PERCENT     100, 50 or 20: 10, 5 or 2 pixels per foot (default 100)\n"
    "  --no-markers       leave out the third-point markers of parts 1 to 23, as the editor\n"
    "                     does when its opened file is gone\n"
    "\n"
    "Exit status: 0 success, 1 file or data error (the editor's message on standard error),\n"
    "2 usage error.\n";

std::string sizeText(QSize size) {
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

std::string helpText() {
    return std::string(kHelpBeforeSizes) + sizeText(views::kTopViewDesignSize) + " for top, " +
           sizeText(views::kSideViewDesignSize) + std::string(kHelpAfterSizes);
}

using dmtool::UsageError;

struct RenderOptions {
    std::string damageFile;
    std::string output;
    std::optional<dm::HitBoxView> view;
    std::optional<std::pair<int, int>> size;
    int gridFeet = dm::kGridChoices[0].value;
    int zoomFactor = dm::kZoomChoices[0].value;
    bool markers = true;
};

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

dm::HitBoxView parseView(const std::string& text) {
    if (text == "top")
        return dm::HitBoxView::Top;
    if (text == "side")
        return dm::HitBoxView::Side;
    throw UsageError("'" + text + "' is not a view (top, side)");
}

constexpr dmtool::OptionSpec kOptions[] = {
    {"--view", "", true}, {"--output", "-o", true}, {"--size", "", true},
    {"--grid", "", true}, {"--zoom", "", true},     {"--no-markers", "", false},
};

void applyOption(RenderOptions& options, const dmtool::GivenOption& option) {
    const std::string& value = option.value;
    if (option.name == "--view")
        options.view = parseView(value);
    else if (option.name == "--size")
        options.size = parseSize(value);
    else if (option.name == "--grid")
        options.gridFeet = parseChoice(value, dm::kGridChoices, feetOf, "--grid");
    else if (option.name == "--zoom")
        options.zoomFactor = parseChoice(value, dm::kZoomChoices, percentOf, "--zoom");
    else if (option.name == "--no-markers")
        options.markers = false;
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
    if (!options.view)
        throw UsageError("--view top or --view side is required");
    if (options.output.empty())
        throw UsageError("-o OUT.png is required");
    options.damageFile = line.operands[0];
    return options;
}

QImage renderView(const RenderOptions& options, const dm::PartTable& table) {
    const QSize designSize = views::designSize(*options.view);
    const auto [width, height] =
        options.size.value_or(std::pair{designSize.width(), designSize.height()});
    const dm::SceneRequest request{
        width, height, options.gridFeet, options.zoomFactor, *options.view, options.markers};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        throw dm::DamageError("Not enough memory for a " + std::to_string(width) + "x" +
                              std::to_string(height) + " picture");
    QPainter painter(&image);
    paintHitBoxScene(painter, image.rect(), dm::buildHitBoxScene(request, table));
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
    try {
        const RenderOptions options = parseArguments(args);
        dm::DamageFileHeader header{};
        dm::PartTable table{};
        dm::readDamageFile(options.damageFile, header, table);
        const QByteArray png = encodePng(renderView(options, table));
        dm::writeNewFile(
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
