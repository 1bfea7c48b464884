#include "core/cell_text.h"

#include "core/errors.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace dm {

namespace {

constexpr int kSignificantDigits = 18;

// The value's magnitude as 0.d1d2d3... x 10^exponent, digits without trailing zeros.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
    bool isZero() const { return digits.empty(); }
};

DecimalDigits decimalDigits(long double magnitude) {
    if (magnitude == 0)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%.*Le", kSignificantDigits - 1, magnitude);
    // text: d.ddddddddddddddddde[+-]xx
    DecimalDigits result;
    result.digits += text[0];
    const char* p = text + 2;
    while (*p != 'e')
        result.digits += *p++;
    result.exponent = std::atoi(p + 1) + 1;
    return result;
}

// Keeps `keep` significant digits, raising the last kept one when the first dropped one is >= 5.
DecimalDigits roundDigits(DecimalDigits value, int keep) {
    if (keep < 0)
        return {};
    const bool roundUp = static_cast<std::size_t>(keep) < value.digits.size() &&
                         value.digits[static_cast<std::size_t>(keep)] >= '5';
    value.digits.resize(std::min(value.digits.size(), static_cast<std::size_t>(keep)));
    if (roundUp) {
        int position = keep - 1;
        while (position >= 0 && value.digits[position] == '9')
            value.digits[position--] = '0';
        if (position >= 0) {
            ++value.digits[position];
        } else {
            value.digits.insert(value.digits.begin(), '1');
            value.digits.pop_back();
            ++value.exponent;
            if (value.digits.empty())
                value.digits = "1";
        }
    }
    while (!value.digits.empty() && value.digits.back() == '0')
        value.digits.pop_back();
    return value;
}

char digitAt(const DecimalDigits& value, int position) {
    if (position < 0 || position >= static_cast<int>(value.digits.size()))
        return '0';
    return value.digits[position];
}

std::string exponentForm(const DecimalDigits& value, std::string_view separator) {
    std::string text(1, value.digits[0]);
    if (value.digits.size() > 1) {
        text += separator;
        text += value.digits.substr(1);
    }
    return text + "E" + std::to_string(value.exponent - 1);
}

std::string fixedForm(const DecimalDigits& value, int decimals, std::string_view separator) {
    std::string text;
    if (value.exponent <= 0)
        text = "0";
    for (int position = 0; position < value.exponent; ++position)
        text += digitAt(value, position);
    if (decimals > 0) {
        text += separator;
        for (int i = 0; i < decimals; ++i)
            text += digitAt(value, value.exponent + i);
    }
    return text;
}

[[noreturn]] void invalid(const std::string& text, const char* what) {
    throw ConvertError("'" + text + "' is not a valid " + what + " value");
}

void skipSpaces(const std::string& text, std::size_t& position) {
    while (position < text.size() && text[position] == ' ')
        ++position;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Returns how many characters of a hexadecimal prefix ("$", "x", "0x") start at `position`.
std::size_t hexPrefixLength(const std::string& text, std::size_t position) {
    const std::string_view rest = std::string_view(text).substr(position);
    if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X'))
        return 1;
    if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        return 2;
    return 0;
}

// Reads the digits of the float grammar into `number` with "." as the separator.
bool scanFloat(const std::string& text, std::string_view separator, std::string& number) {
    std::size_t position = 0;
    skipSpaces(text, position);
    if (position < text.size() && (text[position] == '+' || text[position] == '-'))
        number += text[position++];
    bool sawDigit = false;
    bool sawSeparator = false;
    while (position < text.size()) {
        if (isDigit(text[position])) {
            number += text[position++];
            sawDigit = true;
        } else if (!sawSeparator && !separator.empty() &&
                   std::string_view(text).substr(position, separator.size()) == separator) {
            number += '.';
            position += separator.size();
            sawSeparator = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return false;
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
        number += 'e';
        ++position;
        if (position < text.size() && (text[position] == '+' || text[position] == '-'))
            number += text[position++];
        const std::size_t exponentStart = position;
        while (position < text.size() && isDigit(text[position]))
            number += text[position++];
        if (position == exponentStart)
            return false;
    }
    skipSpaces(text, position);
    return position == text.size();
}

locale_t classicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

} // namespace

std::string formatByteCell(std::uint8_t value) {
    return std::to_string(value);
}

std::string formatFloatCell(float value, int precision, int decimals,
                            std::string_view decimalSeparator) {
    if (std::isinf(value))
        return "INF";
    if (std::isnan(value))
        return "NAN";
    const long double wide = value;
    const DecimalDigits full = decimalDigits(std::fabs(wide));
    const DecimalDigits rounded =
        full.isZero() ? full : roundDigits(full, std::min(precision, full.exponent + decimals));
    if (rounded.isZero())
        return fixedForm(rounded, decimals, decimalSeparator);
    const std::string sign = std::signbit(value) ? "-" : "";
    if (rounded.exponent > precision)
        return sign + exponentForm(rounded, decimalSeparator);
    return sign + fixedForm(rounded, decimals, decimalSeparator);
}

std::int32_t parseIntegerCell(const std::string& text) {
    std::size_t position = 0;
    skipSpaces(text, position);
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-'))
        negative = text[position++] == '-';
    const std::size_t prefix = hexPrefixLength(text, position);
    const unsigned base = prefix > 0 ? 16 : 10;
    // Decimal text must fit the signed range; hexadecimal fills all 32 bits.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    position += prefix;
    if (position == text.size())
        invalid(text, "integer");
    std::uint64_t magnitude = 0;
    for (; position < text.size(); ++position) {
        const int digit = base == 16 ? hexValue(text[position])
                                     : (isDigit(text[position]) ? text[position] - '0' : -1);
        if (digit < 0)
            invalid(text, "integer");
        magnitude = magnitude * base + static_cast<unsigned>(digit);
        if (magnitude > limit)
            invalid(text, "integer");
    }
    const auto bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    return static_cast<std::int32_t>(bits);
}

std::uint8_t parseByteCell(const std::string& text) {
    const std::int32_t value = parseIntegerCell(text);
    if (value < -128 || value > 255)
        invalid(text, "byte");
    return static_cast<std::uint8_t>(value & 0xFF);
}

float parseFloatCell(const std::string& text, std::string_view decimalSeparator) {
    std::string number;
    if (!scanFloat(text, decimalSeparator, number))
        invalid(text, "floating point");
    errno = 0;
    const long double wide = strtold_l(number.c_str(), nullptr, classicLocale());
    if (errno == ERANGE && std::isinf(wide))
        invalid(text, "floating point");
    const auto narrow = static_cast<float>(wide);
    if (std::isinf(narrow))
        throw ConvertError("Floating point overflow");
    return narrow;
}

std::string formatField(const PartRecord& record, const FieldDef& field,
                        std::string_view decimalSeparator) {
    if (field.type == FieldType::Byte)
        return formatByteCell(record.*field.byteField);
    return formatFloatCell(record.*field.floatField, field.precision, field.decimals,
                           decimalSeparator);
}

CellTexts fillCells(const PartTable& table, std::string_view decimalSeparator) {
    CellTexts texts;
    for (int slot = 0; slot < kSlotCount; ++slot)
        for (const FieldDef& field : kFields)
            texts[slot][field.column - 1] = formatField(table[slot], field, decimalSeparator);
    return texts;
}

PartTable parseCells(const CellTexts& texts, const CellTexts& lastFilled, const PartTable& current,
                     std::string_view decimalSeparator) {
    PartTable parsed = current;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        for (const FieldDef& field : kFields) {
            const std::string& text = texts[slot][field.column - 1];
            if (text == lastFilled[slot][field.column - 1])
                continue;
            try {
                if (field.type == FieldType::Byte)
                    parsed[slot].*field.byteField = parseByteCell(text);
                else
                    parsed[slot].*field.floatField = parseFloatCell(text, decimalSeparator);
            } catch (const ConvertError& error) {
                throw CellParseError(error, slot + 1, field.column);
            }
        }
    }
    return parsed;
}

} // namespace dm
