#include "core/message_text.h"

#include <algorithm>
#include <array>

namespace dm {

namespace {

struct CodePoint {
    std::size_t length; // 0: the bytes at the start are no valid UTF-8
    char32_t value;
};

CodePoint firstCodePoint(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return {1, lead};
    const std::size_t length = lead >= 0xF8   ? 0
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 0;
    if (length == 0 || text.size() < length)
        return {0, 0};
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return {0, 0};
        value = value << 6 | (next & 0x3F);
    }
    // Overlong forms and surrogates could hide a control character from a simpler check.
    constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {0, 0};
    return {length, value};
}

bool isControl(char32_t value) {
    return value < 0x20 || (value >= 0x7F && value <= 0x9F);
}

// Bidirectional marks, embeddings, overrides and isolates; the line and paragraph separators;
// zero-width spaces and joiners and the byte order mark.
bool isInvisibleFormat(char32_t value) {
    return value == 0x061C || (value >= 0x200B && value <= 0x200F) ||
           (value >= 0x2028 && value <= 0x202E) || (value >= 0x2060 && value <= 0x2069) ||
           value == 0xFEFF;
}

void appendEscaped(std::string& out, const char* prefix, unsigned value, int digits) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHexDigits[(value >> shift) & 0xF];
}

std::string escaped(std::string_view text, std::size_t mostCharacters) {
    std::string out;
    std::size_t characters = 0;
    while (!text.empty()) {
        if (characters++ == mostCharacters)
            return out + "...";
        const CodePoint point = firstCodePoint(text);
        if (point.length == 0)
            appendEscaped(out, "\\x", static_cast<unsigned char>(text[0]), 2);
        else if (isControl(point.value) || isInvisibleFormat(point.value))
            appendEscaped(out, "\\u", point.value, 4);
        else
            out.append(text.substr(0, point.length));
        text.remove_prefix(std::max<std::size_t>(point.length, 1));
    }
    return out;
}

} // namespace

std::string messageText(std::string_view text) {
    return escaped(text, kQuotedCharacters);
}

std::string escapedText(std::string_view text) {
    return escaped(text, std::string_view::npos);
}

} // namespace dm
