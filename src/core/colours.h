#pragma once

#include <cstdint>

namespace dm {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The named colours the editor grid and the hit-box views share.
namespace colours {
constexpr Rgb silver{192, 192, 192};
constexpr Rgb black{0, 0, 0};
constexpr Rgb darkGreen{0, 80, 0};
constexpr Rgb mediumGreen{0, 105, 0};
constexpr Rgb green{0, 128, 0};
constexpr Rgb red{255, 0, 0};
constexpr Rgb blue{0, 0, 255};
constexpr Rgb olive{128, 128, 0};
constexpr Rgb purple{128, 0, 128};
constexpr Rgb maroon{128, 0, 0};
constexpr Rgb aqua{0, 255, 255};
constexpr Rgb teal{0, 128, 128};
constexpr Rgb steelBlue{81, 149, 174};
constexpr Rgb orange{224, 128, 31};
constexpr Rgb gray{128, 128, 128}; // the views' background
constexpr Rgb yellow{255, 255, 0}; // the current row's box
} // namespace colours

} // namespace dm
