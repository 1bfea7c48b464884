#pragma once

#include "core/caption_lines.h"
#include "file_names.h"
#include "string_grid.h"

#include <QHeaderView>

namespace testsupport {

// A grid column's width as the user sees it; column 0 is the row header.
inline int gridColumnWidth(const StringGrid& grid, int column) {
    return column == 0 ? grid.verticalHeader()->width() : grid.columnWidth(column - 1);
}

// The header texts of `folder`'s caption files into the grid, as the editor's creation handler
// gives them; raises "Cannot open file %s" and keeps what was applied before the failure.
inline void loadCaptionFiles(StringGrid& grid, const QString& folder) {
    dm::loadCaptionFiles(localPath(folder), [&grid](int column, int row, const std::string& text) {
        grid.setCellText(column, row, QString::fromStdString(text));
    });
}

} // namespace testsupport
