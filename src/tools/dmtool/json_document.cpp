#include "json_document.h"

#include "core/errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace dmtool {

namespace {

void appendJson(std::string& out, const Json& value, int depth, int expandedDepth) {
    if (value.is_number_float()) {
        out += jsonFloat(value.get<float>());
        return;
    }
    if (!value.is_structured() || value.empty()) {
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
        return;
    }
    const bool expanded = depth < expandedDepth;
    out += value.is_object() ? '{' : '[';
    bool first = true;
    for (auto member = value.begin(); member != value.end(); ++member) {
        if (!first)
            out += expanded ? "," : ", ";
        first = false;
        if (expanded)
            out.append("\n").append(2 * (depth + 1), ' ');
        if (value.is_object())
            out += Json(member.key()).dump(-1, ' ', false, Json::error_handler_t::replace) + ": ";
        appendJson(out, *member, depth + 1, expandedDepth);
    }
    if (expanded)
        out.append("\n").append(2 * depth, ' ');
    out += value.is_object() ? '}' : ']';
}

bool continuesNumber(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E';
}

// The parser reads "-0" as the integer 0 and drops its sign, but dump writes "-0" for the float
// negative zero: such tokens outside strings are handed over as "-0.0".
std::string keepNegativeZeros(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    bool inString = false;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '-' && text.substr(i + 1, 1) == "0" &&
                   (i + 2 == text.size() || !continuesNumber(text[i + 2]))) {
            out.append(text, copied, i + 2 - copied).append(".0");
            copied = i + 2;
        }
    }
    return out.append(text, copied);
}

} // namespace

std::string jsonFloat(float value) {
    if (std::isnan(value))
        return "\"nan\"";
    if (std::isinf(value))
        return value > 0 ? "\"inf\"" : "\"-inf\"";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

Json floatValue(float value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    return value;
}

std::string formatJson(const Json& document, int expandedDepth) {
    std::string out;
    appendJson(out, document, 0, expandedDepth);
    out += '\n';
    return out;
}

Json parseJson(std::string_view text) {
    try {
        return Json::parse(keepNegativeZeros(text));
    } catch (const Json::exception& error) {
        std::string_view message = error.what();
        if (message.starts_with('['))
            message.remove_prefix(std::min(message.size(), message.find("] ") + 2));
        throw dm::DamageError("Not a JSON document: " + std::string(message));
    }
}

} // namespace dmtool
