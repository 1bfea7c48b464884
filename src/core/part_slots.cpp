#include "core/part_slots.h"

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

} // namespace dm
