#pragma once

#include "core/colours.h"

#include <QColor>

inline QColor toQColor(dm::Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}
