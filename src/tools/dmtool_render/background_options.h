#pragma once

// The plan picture options of `dmtool render`: read here, drawn as the editor's window draws them.

#include "core/background_picture.h"
#include "options.h"

#include <QImage>

#include <array>
#include <optional>
#include <string>

struct BackgroundOptions {
    std::optional<std::string> file;
    std::optional<double> widthFeet;
    std::optional<std::array<double, 2>> centre;
    std::optional<int> opacityPercent;
    bool mirrored = false;
};

// The help lines of these options.
extern const char* const kBackgroundHelp;

// Reads one of these options into `options`; false for any other option. Raises UsageError for a
// bad value.
bool applyBackgroundOption(BackgroundOptions& options, const dmtool::GivenOption& option);

// The picture the options ask for, if any. Raises UsageError when they do not go together or the
// view is the 3-D one.
std::optional<dm::BackgroundPicture> backgroundPicture(const BackgroundOptions& options,
                                                       bool threeD);

// Paints onto `image` what the scene of `view` is painted over: the picture read from its file
// (DamageError when it cannot be), no larger than the view needs, drawn as the window draws it.
void paintBackgroundOf(QImage& image, const dm::BackgroundPicture& picture,
                       const dm::SceneRequest& view);
