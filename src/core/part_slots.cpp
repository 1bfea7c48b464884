#include "core/part_slots.h"

#include <utility>

namespace dm {

namespace {

using namespace colours;

// Lighter than the views' steel blue and orange.
constexpr Rgb kGridGasTank{91, 159, 184};
constexpr Rgb kGridOilRadiator{234, 138, 41};

constexpr SlotStyle outlined(Rgb colour) {
    return {colour, std::nullopt, colour};
}
constexpr SlotStyle filled(Rgb colour) {
    return {colour, colour, colour};
}
constexpr SlotStyle unmarked(Rgb outline, std::optional<Rgb> fill) {
    return {outline, fill, std::nullopt};
}

} // namespace

const std::array<PartSlot, kSlotCount> kPartSlots{{
    {"Right Lower Outer Wing", darkGreen, outlined(darkGreen)},
    {"Right Lower Inner Wing", darkGreen, outlined(darkGreen)},
    {"Left Lower Inner Wing", darkGreen, outlined(darkGreen)},
    {"Left Lower Outer Wing", darkGreen, outlined(darkGreen)},
    {"Right Mid Outer Wing", mediumGreen, outlined(mediumGreen)},
    {"Right Mid Inner Wing", mediumGreen, outlined(mediumGreen)},
    {"Left Mid Inner Wing", mediumGreen, outlined(mediumGreen)},
    {"Left Mid Outer Wing", mediumGreen, outlined(mediumGreen)},
    {"Right Upper Outer Wing", green, outlined(green)},
    {"Right Upper Inner Wing", green, outlined(green)},
    {"Left Upper Inner Wing", green, outlined(green)},
    {"Left Upper Outer Wing", green, outlined(green)},
    {"Right Stabilizer", red, outlined(red)},
    {"Left Stabilizer", red, outlined(red)},
    {"Rudder", blue, outlined(blue)},
    {"Fuselage Section", olive, filled(olive)},
    {"Right Wheel", black, filled(black)},
    {"Left Wheel", black, filled(black)},
    {"Tail Skid", purple, filled(purple)},
    {"Pilot", maroon, {black, maroon, maroon}},
    {"2-Seat Observer", aqua, {aqua, maroon, blue}},
    {"Gunner on Bombers", teal, {teal, maroon, teal}},
    {"Engine #1", std::nullopt, outlined(black)},
    {"Prop #1", purple, unmarked(purple, purple)},
    {"Gas Tank #1", kGridGasTank, unmarked(steelBlue, steelBlue)},
    {"Oil/Radiator #1", kGridOilRadiator, unmarked(orange, orange)},
    {"Engine #2", std::nullopt, unmarked(black, std::nullopt)},
    {"Prop #2", purple, unmarked(purple, purple)},
    {"Gas Tank #2", kGridGasTank, unmarked(steelBlue, steelBlue)},
    {"Oil/Radiator #2", kGridOilRadiator, unmarked(orange, orange)},
}};

std::optional<int> twinSlot(int slot) {
    // Right and left: lower, middle and upper outer and inner panels, stabilizers, wheels.
    static constexpr std::array<std::pair<int, int>, 8> kTwins{
        {{0, 3}, {1, 2}, {4, 7}, {5, 6}, {8, 11}, {9, 10}, {12, 13}, {16, 17}}};
    for (const auto& [right, left] : kTwins) {
        if (slot == right)
            return left;
        if (slot == left)
            return right;
    }
    return std::nullopt;
}

PartRecord mirroredOnto(const PartRecord& part, PartRecord twin) {
    // -0 would show as "-0.00"; a zero stays a zero.
    const auto negated = [](float x) { return x == 0 ? x : -x; };
    twin.PX1 = negated(part.PX1);
    twin.PX2 = negated(part.PX2);
    twin.PX3 = negated(part.PX3);
    for (auto field : {&PartRecord::PY1, &PartRecord::PZ1, &PartRecord::PY2, &PartRecord::PZ2,
                       &PartRecord::PY3, &PartRecord::PZ3})
        twin.*field = part.*field;
    return twin;
}

} // namespace dm
