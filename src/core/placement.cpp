#include "core/placement.h"

#include "core/number_text.h"

#include <algorithm>
#include <cstdint>

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

namespace {

// One side of the rectangle: its start and length, fitted in 64 bits so no sum overflows.
struct Span {
    std::int64_t start;
    std::int64_t length;
};

Span fitSpan(Span span, std::int64_t smallest, std::int64_t largest, std::int64_t screenEnd) {
    span.length = std::clamp(span.length, std::min(smallest, largest), largest);
    if (span.start + span.length > screenEnd)
        span.start = screenEnd - span.length;
    return span;
}

// The placement with its rectangle made of the two spans.
Placement withSpans(const Placement& placement, Span across, Span down) {
    Placement fitted = placement;
    fitted.left = static_cast<int>(across.start);
    fitted.right = static_cast<int>(across.start + across.length);
    fitted.top = static_cast<int>(down.start);
    fitted.bottom = static_cast<int>(down.start + down.length);
    return fitted;
}

} // namespace

Placement fitToScreen(const Placement& placement, const PlacementLimits& limits) {
    Span across = fitSpan({placement.left, std::int64_t{placement.right} - placement.left},
                          limits.minimumWidth, limits.maximumWidth, limits.screenWidth);
    Span down = fitSpan({placement.top, std::int64_t{placement.bottom} - placement.top},
                        limits.minimumHeight, limits.maximumHeight, limits.screenHeight);
    across.start = std::max(across.start, kReachableTitleWidth - across.length);
    down.start = std::max<std::int64_t>(down.start, 0);
    return withSpans(placement, across, down);
}

Placement insideArea(const Placement& placement, const ScreenArea& area) {
    const auto inside = [](std::int64_t start, std::int64_t end, std::int64_t areaStart,
                           std::int64_t areaLength) {
        const std::int64_t length = std::clamp<std::int64_t>(end - start, 0, areaLength);
        start = std::clamp(start, areaStart, areaStart + areaLength - length);
        return Span{start, length};
    };
    const Span across = inside(placement.left, placement.right, area.left, area.width);
    const Span down = inside(placement.top, placement.bottom, area.top, area.height);
    return withSpans(placement, across, down);
}

} // namespace dm
