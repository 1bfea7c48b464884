#include "view_settings.h"

#include <algorithm>

ViewSettings::ViewSettings(QObject* parent) : QObject(parent) {
    initialise();
}

dm::SceneRequest ViewSettings::request(QSize size, dm::HitBoxView view) const {
    return {.width = size.width(),
            .height = size.height(),
            .gridFeet = values_.GridFeet,
            .zoomFactor = values_.ZoomFactor,
            .view = view,
            .pan = pan(view)};
}

void ViewSettings::initialise() {
    dm::initialiseViewSettings(values_);
    menuZoom_ = values_.ZoomFactor;
    pans_ = {};
    emit changed();
}

void ViewSettings::chooseGrid(const dm::ViewChoice& choice) {
    dm::applyGridChoice(values_, choice);
    emit changed();
}

void ViewSettings::chooseZoom(const dm::ViewChoice& choice) {
    dm::applyZoomChoice(values_, choice);
    menuZoom_ = choice.value;
    emit changed();
}

void ViewSettings::chooseFittedZoom(int zoom) {
    setZoom(zoom);
    menuZoom_ = values_.ZoomFactor;
}

void ViewSettings::setZoom(int zoom) {
    dm::applyFittedZoom(values_, std::clamp(zoom, dm::kLeastZoom, dm::kMostZoom));
    emit changed();
}

void ViewSettings::setPan(dm::HitBoxView view, dm::PixelPoint pan) {
    const auto far = [](int pixels) { return std::clamp(pixels, -dm::kFarPixel, dm::kFarPixel); };
    pans_[index(view)] = {far(pan.x), far(pan.y)};
    emit changed();
}

void ViewSettings::home(dm::HitBoxView view) {
    pans_[index(view)] = {};
    setZoom(menuZoom_);
}
