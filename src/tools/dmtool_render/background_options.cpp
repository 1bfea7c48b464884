#include "background_options.h"

#include "core/errors.h"
#include "usage.h"
#include "views/background_painter.h"

#include <QString>

using dmtool::UsageError;

const char* const kBackgroundHelp =
    "  --background FILE  a plan picture (PNG, JPEG, BMP or GIF) under the grid and boxes, drawn\n"
    "                     as the editor's \"Background Picture...\" draws it; top and side only\n"
    "  --background-width FT      its width in feet (above 0, at most 10000)\n"
    "  --background-centre A,B    its centre in feet: x,y for top, y,z for side\n"
    "  --background-opacity P     0 to 100 percent (default 50)\n"
    "  --background-mirror        left and right swapped\n";

namespace {

// The core's message, as a usage error of the option that carried the value.
template <class Parse> auto parsedOption(std::string_view option, Parse parse) {
    try {
        return parse();
    } catch (const dm::DamageError& error) {
        throw UsageError(std::string(option) + ": " + error.what());
    }
}

std::array<double, 2> parseCentre(const std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos)
        throw UsageError("--background-centre: '" + text + "' is not two numbers A,B");
    return parsedOption("--background-centre", [&] {
        return std::array{dm::parseBackgroundCentre(text.substr(0, comma), "A"),
                          dm::parseBackgroundCentre(text.substr(comma + 1), "B")};
    });
}

} // namespace

bool applyBackgroundOption(BackgroundOptions& options, const dmtool::GivenOption& option) {
    const std::string& value = option.value;
    if (option.name == "--background")
        options.file = value;
    else if (option.name == "--background-width")
        options.widthFeet =
            parsedOption(option.name, [&] { return dm::parseBackgroundWidth(value); });
    else if (option.name == "--background-centre")
        options.centre = parseCentre(value);
    else if (option.name == "--background-opacity")
        options.opacityPercent =
            parsedOption(option.name, [&] { return dm::parseBackgroundOpacity(value); });
    else if (option.name == "--background-mirror")
        options.mirrored = true;
    else
        return false;
    return true;
}

std::optional<dm::BackgroundPicture> backgroundPicture(const BackgroundOptions& options,
                                                       bool threeD) {
    const bool detailGiven =
        options.widthFeet || options.centre || options.opacityPercent || options.mirrored;
    if (!options.file) {
        if (detailGiven)
            throw UsageError("--background-width, -centre, -opacity and -mirror need --background");
        return std::nullopt;
    }
    if (threeD)
        throw UsageError("--background applies to --view top and side only");
    if (options.file->empty())
        throw UsageError("option --background needs a file name");
    if (!options.widthFeet || !options.centre)
        throw UsageError("--background needs --background-width and --background-centre");
    return dm::BackgroundPicture{*options.file, *options.widthFeet, *options.centre,
                                 options.opacityPercent.value_or(dm::kDefaultBackgroundOpacity),
                                 options.mirrored};
}

void paintBackgroundOf(QImage& image, const dm::BackgroundPicture& picture,
                       const dm::SceneRequest& view) {
    dm::PictureFrame frame;
    const QImage reduced = readBackgroundPictureFor(picture, view, frame);
    paintBackground(image, reduced, frame, picture.opacityPercent);
}
