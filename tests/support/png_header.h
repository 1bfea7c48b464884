#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace testsupport {

// A PNG file that claims `width` x `height` pixels and holds none: enough for a reader to learn
// its size, and too little to read it.
inline std::string pngWithoutPixels(std::uint32_t width, std::uint32_t height) {
    const auto crc32 = [](std::string_view bytes) {
        std::uint32_t crc = 0xFFFFFFFF;
        for (const unsigned char byte : bytes) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        return ~crc;
    };
    const auto bigEndian = [](std::uint32_t value) {
        std::string bytes;
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += char(value >> shift & 0xFF);
        return bytes;
    };
    const auto chunk = [&](const std::string& type, const std::string& data) {
        return bigEndian(std::uint32_t(data.size())) + type + data + bigEndian(crc32(type + data));
    };
    const std::string eightBitRgb("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR", bigEndian(width) + bigEndian(height) + eightBitRgb) + chunk("IDAT", "") +
           chunk("IEND", "");
}

} // namespace testsupport
