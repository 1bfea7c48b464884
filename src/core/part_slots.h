#pragma once

#include "core/colours.h"
#include "core/damage_file.h"

#include <array>
#include <optional>

namespace dm {

// How the hit-box views draw a slot.
struct SlotStyle {
    Rgb outline;
    std::optional<Rgb> fill;   // none: outline only
    std::optional<Rgb> marker; // none: the slot's third point is not marked
};

// Everything that depends on which part a slot holds.
struct PartSlot {
    const char* name;            // row caption, and the name dmtool reports
    std::optional<Rgb> gridText; // the editor grid's text colour; none keeps the default
    SlotStyle view;
};

// Slot 0 to 29.
extern const std::array<PartSlot, kSlotCount> kPartSlots;

// The left or right twin of a wing panel, stabilizer or wheel; none for the other slots.
std::optional<int> twinSlot(int slot);

// `twin` with the nine point values of `part`, every x negated; its other fields kept.
PartRecord mirroredOnto(const PartRecord& part, PartRecord twin);

} // namespace dm
