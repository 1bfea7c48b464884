#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

constexpr const char* kColumnCaptionFileName = "DM Column Headers.txt";
constexpr const char* kRowCaptionFileName = "DM Row Headers.txt";
// Lines applied at most: the shown columns of row 0, the rows of column 0.
constexpr int kColumnCaptionLimit = 19;
constexpr int kRowCaptionLimit = 31;

// Lines of a caption text: breaks at CR LF, lone CR and lone LF; a break at the very end makes no
// extra line; a zero byte ends the text; nothing is trimmed.
std::vector<std::string> splitCaptionLines(std::string_view text);

// Stores one caption into the grid cell at column, row.
using CaptionWriter = std::function<void(int column, int row, const std::string& text)>;

// Reads and applies the column file, then the row file, from `folder`; the corner therefore ends
// with the row file's first line. A failing file stops at once: after a failed row file the
// column captions stay applied.
void loadCaptionFiles(const std::string& folder, const CaptionWriter& write);

} // namespace dm
