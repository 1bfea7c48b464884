#pragma once

#include "core/damage_file.h"

namespace testsupport {

// A part whose hit box runs from point 1 to point 2; every other field is zero.
inline dm::PartRecord boxFrom(float x1, float y1, float z1, float x2, float y2, float z2) {
    dm::PartRecord part;
    part.PX1 = x1;
    part.PY1 = y1;
    part.PZ1 = z1;
    part.PX2 = x2;
    part.PY2 = y2;
    part.PZ2 = z2;
    return part;
}

} // namespace testsupport
