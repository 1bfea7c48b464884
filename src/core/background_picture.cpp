#include "core/background_picture.h"

#include "core/errors.h"
#include "core/message_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace dm {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A finite number written out in full: no hexadecimal, no "inf" or "nan".
std::optional<double> numberOf(std::string_view text) {
    std::string plain(trimmed(text));
    std::replace(plain.begin(), plain.end(), ',', '.');
    if (plain.starts_with('+'))
        plain.erase(0, 1);
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value,
                                              std::chars_format::general);
    if (plain.empty() || error != std::errc() || end != plain.data() + plain.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string numberText(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// Feet (0, 0) lies on the middle of the axes' pixels, where the scene draws them.
struct ViewOrigin {
    double x;
    double y;
};
ViewOrigin originOf(const SceneRequest& view) {
    const PixelPoint origin = sceneOrigin(view);
    return {origin.x + 0.5, origin.y + 0.5};
}

// Which of the centre's coordinates runs across the view, and which up.
std::size_t acrossIndex(HitBoxView view) {
    return view == HitBoxView::Top ? 0 : 1;
}
std::size_t upIndex(HitBoxView view) {
    return view == HitBoxView::Top ? 1 : 0;
}

double clampedFeet(double feet) {
    return std::clamp(feet, -kLargestBackgroundFeet, kLargestBackgroundFeet);
}

} // namespace

std::array<const char*, 2> centreAxisNames(HitBoxView view) {
    return view == HitBoxView::Top ? std::array{"x", "y"} : std::array{"y", "z"};
}

double parseBackgroundWidth(std::string_view text) {
    const auto feet = numberOf(text);
    if (!feet || *feet < kSmallestBackgroundWidth || *feet > kLargestBackgroundFeet)
        throw DamageError("'" + messageText(text) + "' is not a width in feet from " +
                          numberText(kSmallestBackgroundWidth) + " to " +
                          numberText(kLargestBackgroundFeet));
    return *feet;
}

double parseBackgroundCentre(std::string_view text, std::string_view axis) {
    const auto feet = numberOf(text);
    if (!feet || std::abs(*feet) > kLargestBackgroundFeet)
        throw DamageError("'" + messageText(text) + "' is not a centre " + std::string(axis) +
                          " in feet from -" + numberText(kLargestBackgroundFeet) + " to " +
                          numberText(kLargestBackgroundFeet));
    return *feet;
}

int parseBackgroundOpacity(std::string_view text) {
    const auto percent = numberOf(text);
    if (!percent || *percent != std::trunc(*percent) || *percent < 0 || *percent > 100)
        throw DamageError("'" + messageText(text) + "' is not an opacity in percent from 0 to 100");
    return static_cast<int>(*percent);
}

PictureFrame pictureFrame(const BackgroundPicture& picture, int pixelWidth, int pixelHeight,
                          const SceneRequest& view) {
    if (view.zoomFactor <= 0 || pixelWidth <= 0 || pixelHeight <= 0)
        return {};
    const ViewOrigin origin = originOf(view);
    const double width = picture.widthFeet * view.zoomFactor;
    const double height = width * pixelHeight / pixelWidth;
    // The views draw feet growing to the left and upwards.
    const double centreX = origin.x - view.zoomFactor * picture.centre[acrossIndex(view.view)];
    const double centreY = origin.y - view.zoomFactor * picture.centre[upIndex(view.view)];
    return {centreX - width / 2, centreY - height / 2, width, height, picture.mirrored};
}

BackgroundPicture movedByPixels(BackgroundPicture picture, PixelPoint drag,
                                const SceneRequest& view) {
    if (view.zoomFactor <= 0)
        return picture;
    double& across = picture.centre[acrossIndex(view.view)];
    double& up = picture.centre[upIndex(view.view)];
    across = clampedFeet(across - double(drag.x) / view.zoomFactor);
    up = clampedFeet(up - double(drag.y) / view.zoomFactor);
    return picture;
}

BackgroundPicture scaledAround(BackgroundPicture picture, double factor, PixelPoint pointer,
                               const SceneRequest& view) {
    if (view.zoomFactor <= 0 || !(factor > 0))
        return picture;
    const double width =
        std::clamp(picture.widthFeet * factor, kSmallestBackgroundWidth, kLargestBackgroundFeet);
    const double scale = width / picture.widthFeet;
    picture.widthFeet = width;
    // The feet under the pointer's pixel stay under it.
    const ViewOrigin origin = originOf(view);
    const double pointerAcross = (origin.x - (pointer.x + 0.5)) / view.zoomFactor;
    const double pointerUp = (origin.y - (pointer.y + 0.5)) / view.zoomFactor;
    double& across = picture.centre[acrossIndex(view.view)];
    double& up = picture.centre[upIndex(view.view)];
    across = clampedFeet(pointerAcross + (across - pointerAcross) * scale);
    up = clampedFeet(pointerUp + (up - pointerUp) * scale);
    return picture;
}

std::string backgroundSettingsKey(std::string_view damageFile, HitBoxView view) {
    const auto slash = damageFile.find_last_of("/\\");
    const std::string_view name =
        slash == std::string_view::npos ? damageFile : damageFile.substr(slash + 1);
    // The settings file's own characters are escaped, so any name makes one key of one line.
    std::string key = view == HitBoxView::Top ? "top " : "side ";
    constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '=' || c == '%')
            key += {'%', kHex[byte >> 4], kHex[byte & 15]};
        else
            key += c;
    }
    return key;
}

std::string backgroundSettingsLine(const BackgroundPicture& picture) {
    return numberText(picture.widthFeet) + ";" + numberText(picture.centre[0]) + ";" +
           numberText(picture.centre[1]) + ";" + std::to_string(picture.opacityPercent) + ";" +
           (picture.mirrored ? "1" : "0") + ";" + picture.file;
}

BackgroundPicture parseBackgroundSettingsLine(std::string_view line) {
    std::vector<std::string_view> fields;
    std::string_view rest = line;
    for (int i = 0; i < 5 && rest.find(';') != std::string_view::npos; ++i) {
        fields.push_back(rest.substr(0, rest.find(';')));
        rest.remove_prefix(rest.find(';') + 1);
    }
    if (fields.size() != 5 || rest.empty() || (fields[4] != "0" && fields[4] != "1"))
        throw DamageError("'" + messageText(line) + "' is not a background picture setting");
    BackgroundPicture picture;
    picture.widthFeet = parseBackgroundWidth(fields[0]);
    picture.centre = {parseBackgroundCentre(fields[1], "x"), parseBackgroundCentre(fields[2], "y")};
    picture.opacityPercent = parseBackgroundOpacity(fields[3]);
    picture.mirrored = fields[4] == "1";
    picture.file = std::string(rest);
    return picture;
}

} // namespace dm
