#pragma once

#include "core/colours.h"

#include <QColor>

inline QColor toQColor(dm::Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

inline dm::Rgb toRgb(const QColor& colour) {
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}
