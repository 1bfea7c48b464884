#pragma once

#include "string_grid.h"

#include <QHeaderView>

namespace testsupport {

// A grid column's width as the user sees it; column 0 is the row header.
inline int gridColumnWidth(const StringGrid& grid, int column) {
    return column == 0 ? grid.verticalHeader()->width() : grid.columnWidth(column - 1);
}

} // namespace testsupport
