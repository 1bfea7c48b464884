#include "core/placement.h"

#include "core/cell_text.h"

#include <cstdlib>

namespace dm {

namespace {

constexpr std::string_view kMarker = "200";
constexpr std::size_t kFieldTotal = 7;

} // namespace

std::vector<std::string> splitPlacementFields(std::string_view value) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start < value.size()) {
        const std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) {
            fields.emplace_back(value.substr(start));
            break;
        }
        fields.emplace_back(value.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

std::string formatPlacement(const Placement& placement) {
    std::string text(kMarker);
    for (int field : {placement.flags, placement.showState, placement.left, placement.top,
                      placement.right, placement.bottom})
        text += ',' + std::to_string(field);
    return text;
}

std::optional<Placement> parsePlacement(std::string_view value, bool withState,
                                        const Placement& current) {
    const std::vector<std::string> fields = splitPlacementFields(value);
    if (fields.size() != kFieldTotal || fields[0] != kMarker)
        return std::nullopt;
    Placement placement = current;
    if (withState) {
        placement.flags = parseIntegerCell(fields[1]);
        placement.showState = parseIntegerCell(fields[2]);
    }
    placement.left = parseIntegerCell(fields[3]);
    placement.top = parseIntegerCell(fields[4]);
    placement.right = parseIntegerCell(fields[5]);
    placement.bottom = parseIntegerCell(fields[6]);
    return placement;
}

Placement clampToScreen(Placement placement, int screenWidth, int screenHeight) {
    if (placement.right > screenWidth) {
        placement.left = screenWidth - std::abs(placement.right - placement.left);
        placement.right = screenWidth;
    }
    if (placement.bottom > screenHeight) {
        placement.top = screenHeight - std::abs(placement.bottom - placement.top);
        placement.bottom = screenHeight;
    }
    return placement;
}

} // namespace dm
