#include "core/text_file.h"

#include "core/errors.h"
#include "core/message_text.h"
#include "core/platform/system.h"

#include <array>
#include <cstddef>

namespace dm {

namespace {

// Code points of bytes 0x80 to 0x9F; the five unassigned ones keep their C1 value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        appendUtf8(out, value >= 0x80 && value < 0xA0 ? kHighControls[value - 0x80] : value);
    }
    return out;
}

std::string readWholeFile(const std::string& path) {
    try {
        const platform::SystemFile file(path, platform::OpenMode::ReadStream);
        std::string bytes;
        std::array<std::byte, 16384> chunk;
        while (const std::size_t got = file.readNext(chunk.data(), chunk.size()))
            bytes.append(reinterpret_cast<const char*>(chunk.data()), got);
        return bytes;
    } catch (const IoError&) {
        throw DamageError("Cannot open file " + escapedText(path));
    }
}

} // namespace dm
