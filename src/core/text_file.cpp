#include "core/text_file.h"

#include "core/errors.h"

#include <array>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

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
    struct stat info {};
    std::ifstream in;
    if (::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        in.open(path, std::ios::binary);
    if (!in.is_open())
        throw DamageError("Cannot open file " + path);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw DamageError("Cannot open file " + path);
    return bytes;
}

} // namespace dm
