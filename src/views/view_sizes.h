#pragma once

#include "core/hitbox_scene.h"

#include <QSize>

namespace views {

// The client sizes the view windows open with, and `dmtool render` draws at by default.
constexpr QSize kTopViewDesignSize(515, 517);
constexpr QSize kSideViewDesignSize(454, 353);

constexpr QSize designSize(dm::HitBoxView view) {
    return view == dm::HitBoxView::Top ? kTopViewDesignSize : kSideViewDesignSize;
}

} // namespace views
