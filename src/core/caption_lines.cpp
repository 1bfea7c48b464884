#include "core/caption_lines.h"

#include "core/text_file.h"

#include <algorithm>
#include <filesystem>

namespace dm {

namespace {

// A caption file read whole and decoded from the single-byte code page, as lines. Raises
// "Cannot open file %s" with the path.
std::vector<std::string> readCaptionLines(const std::string& path) {
    return splitCaptionLines(windows1252ToUtf8(readWholeFile(path)));
}

// Line i into column i of row 0, below kColumnCaptionLimit.
void applyColumnCaptions(const std::vector<std::string>& lines, const CaptionWriter& write) {
    const int count = std::min<int>(static_cast<int>(lines.size()), kColumnCaptionLimit);
    for (int column = 0; column < count; ++column)
        write(column, 0, lines[column]);
}

// Line i into row i of column 0, below kRowCaptionLimit.
void applyRowCaptions(const std::vector<std::string>& lines, const CaptionWriter& write) {
    const int count = std::min<int>(static_cast<int>(lines.size()), kRowCaptionLimit);
    for (int row = 0; row < count; ++row)
        write(0, row, lines[row]);
}

} // namespace

std::vector<std::string> splitCaptionLines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t stop = std::min(text.find_first_of("\r\n", start), text.size());
        lines.emplace_back(text.substr(start, stop - start));
        if (stop == text.size())
            break;
        start = stop + 1;
        if (text[stop] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

void loadCaptionFiles(const std::string& folder, const CaptionWriter& write) {
    // A folder may end in "/" or in the system's own separator.
    const bool separated = folder.empty() || folder.back() == '/' ||
                           folder.back() == char(std::filesystem::path::preferred_separator);
    const std::string prefix = separated ? folder : folder + '/';
    applyColumnCaptions(readCaptionLines(prefix + kColumnCaptionFileName), write);
    applyRowCaptions(readCaptionLines(prefix + kRowCaptionFileName), write);
}

} // namespace dm
