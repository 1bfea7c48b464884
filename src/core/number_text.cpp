#include "core/number_text.h"

#include "core/errors.h"
#include "core/message_text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace dm {

namespace {

constexpr int kSignificantDigits = 18;

// The value's magnitude as 0.d1d2d3... x 10^exponent, digits without trailing zeros.
struct DecimalDigits {
    std::array<char, kSignificantDigits> digits{};
    int count = 0;
    int exponent = 0;
    bool isZero() const { return count == 0; }
    char at(int position) const {
        return position >= 0 && position < count ? digits[position] : '0';
    }
    void dropTrailingZeros() {
        while (count > 0 && digits[count - 1] == '0')
            --count;
    }
};

// A float widened to double is exact, so these are the digits of the stored value itself.
DecimalDigits decimalDigits(float magnitude) {
    DecimalDigits result;
    if (magnitude == 0)
        return result;
    char text[48];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(magnitude),
                                   std::chars_format::scientific, kSignificantDigits - 1)
                         .ptr;
    // text: d.ddddddddddddddddde[+-]xx
    result.digits[result.count++] = text[0];
    const char* p = text + 2;
    while (*p != 'e')
        result.digits[result.count++] = *p++;
    int exponent = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    result.exponent = exponent + 1;
    result.dropTrailingZeros();
    return result;
}

// Keeps `keep` significant digits, raising the last kept one when the first dropped one is >= 5.
DecimalDigits roundDigits(DecimalDigits value, int keep) {
    if (keep < 0)
        return {};
    const bool roundUp = keep < value.count && value.digits[keep] >= '5';
    value.count = std::min(value.count, keep);
    if (roundUp) {
        int position = keep - 1;
        while (position >= 0 && value.digits[position] == '9')
            value.digits[position--] = '0';
        if (position >= 0) {
            ++value.digits[position];
        } else {
            // All kept digits were nines (or none was kept): the value gains a digit.
            value.digits[0] = '1';
            value.count = 1;
            ++value.exponent;
        }
    }
    value.dropTrailingZeros();
    return value;
}

std::string exponentForm(const DecimalDigits& value, std::string_view separator) {
    std::string text(1, value.digits[0]);
    if (value.count > 1) {
        text += separator;
        text.append(value.digits.data() + 1, value.count - 1);
    }
    return text + "E" + std::to_string(value.exponent - 1);
}

std::string fixedForm(const DecimalDigits& value, int decimals, std::string_view separator) {
    std::string text;
    text.reserve(24);
    if (value.exponent <= 0)
        text += '0';
    for (int position = 0; position < value.exponent; ++position)
        text += value.at(position);
    if (decimals > 0) {
        text += separator;
        for (int i = 0; i < decimals; ++i)
            text += value.at(value.exponent + i);
    }
    return text;
}

constexpr int kQuickLimit = 8; // 10^8 times a float's 24-bit significand stays exact in a double
constexpr std::array<std::uint64_t, kQuickLimit + 1> kPowersOfTen = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

int decimalDigitCount(std::uint64_t value) {
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

// The fixed form straight from binary arithmetic, for the usual cells: at most 8 significant
// digits and decimals, and no exponent form. magnitude x 10^scale is exact in a double, so its
// fraction decides the rounding exactly. Only a fraction within a hair below one half, where
// the 18-digit expansion could round it up to one half, is left to the decimal digits. Returns
// nothing when the digit-by-digit way must decide.
std::optional<std::string> formatFixedQuickly(float value, int precision, int decimals,
                                              std::string_view separator) {
    const double magnitude = std::fabs(static_cast<double>(value));
    if (precision > kQuickLimit || decimals > kQuickLimit || magnitude >= 1e15)
        return std::nullopt;
    // A magnitude below 1 has no integer digits, so the decimals alone limit it, unless the
    // precision is the tighter limit: then its leading zeros count, which this way does not see.
    if (magnitude < 1 && precision < decimals)
        return std::nullopt;
    const int integerDigits =
        magnitude < 1 ? 0 : decimalDigitCount(static_cast<std::uint64_t>(magnitude));
    const int scale = std::min(precision - integerDigits, decimals);
    if (scale < 0)
        return std::nullopt;
    const double scaled = magnitude * static_cast<double>(kPowersOfTen[scale]);
    const double whole = std::floor(scaled);
    const double belowHalf = 0.5 - (scaled - whole);
    if (belowHalf > 0 && belowHalf < 1e-9)
        return std::nullopt;
    const std::uint64_t rounded = static_cast<std::uint64_t>(whole) + (belowHalf <= 0 ? 1 : 0);
    const std::uint64_t unit = kPowersOfTen[scale];
    if (rounded / unit >= kPowersOfTen[precision])
        return std::nullopt; // rounding carried into one digit too many
    std::string text = rounded != 0 && std::signbit(value) ? "-" : "";
    text += std::to_string(rounded / unit);
    if (decimals > 0) {
        text += separator;
        if (scale > 0) {
            const std::string fraction = std::to_string(rounded % unit);
            text.append(static_cast<std::size_t>(scale) - fraction.size(), '0');
            text += fraction;
        }
        text.append(static_cast<std::size_t>(decimals - scale), '0');
    }
    return text;
}

[[noreturn]] void invalid(const std::string& text, const char* what) {
    throw ConvertError("'" + messageText(text) + "' is not a valid " + what + " value");
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

// A float text checked against the grammar: "." as separator in `number`, and, while the text
// has few enough digits, the same value as an exact integer mantissa and a power of ten.
struct FloatText {
    std::string number;
    bool negative = false;
    std::uint64_t mantissa = 0;
    int significantDigits = 0;
    std::int64_t fractionDigits = 0;
    std::int64_t exponent = 0;
};

constexpr int kExactMantissaDigits = 19; // below 2^64, exact in a long double
constexpr int kExactPowerOfTen = 27;     // 10^27 is exact in a long double
// Far beyond any text's length, so that a capped exponent still puts the value outside the exact
// range and the full conversion reads the exponent as written.
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

void addDigit(FloatText& parsed, char digit, bool afterSeparator) {
    parsed.number += digit;
    if (parsed.significantDigits > 0 || digit != '0')
        ++parsed.significantDigits;
    if (parsed.significantDigits <= kExactMantissaDigits)
        parsed.mantissa = parsed.mantissa * 10 + static_cast<unsigned>(digit - '0');
    if (afterSeparator)
        ++parsed.fractionDigits;
}

bool scanExponent(const std::string& text, std::size_t& position, FloatText& parsed) {
    parsed.number += 'e';
    ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        parsed.number += text[position++];
    }
    const std::size_t start = position;
    std::int64_t exponent = 0;
    while (position < text.size() && isDigit(text[position])) {
        exponent = std::min(kExponentCap, exponent * 10 + (text[position] - '0'));
        parsed.number += text[position++];
    }
    parsed.exponent = negative ? -exponent : exponent;
    return position > start;
}

bool scanFloat(const std::string& text, std::string_view separator, FloatText& parsed) {
    std::size_t position = 0;
    skipSpaces(text, position);
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        parsed.negative = text[position] == '-';
        parsed.number += text[position++];
    }
    bool sawDigit = false;
    bool sawSeparator = false;
    while (position < text.size()) {
        if (isDigit(text[position])) {
            addDigit(parsed, text[position++], sawSeparator);
            sawDigit = true;
        } else if (!sawSeparator && !separator.empty() &&
                   std::string_view(text).substr(position, separator.size()) == separator) {
            parsed.number += '.';
            position += separator.size();
            sawSeparator = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return false;
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E') &&
        !scanExponent(text, position, parsed))
        return false;
    skipSpaces(text, position);
    return position == text.size();
}

long double powerOfTen(int exponent) {
    long double power = 1;
    for (int i = 0; i < exponent; ++i)
        power *= 10;
    return power;
}

// An exact mantissa times or divided by an exact power of ten rounds once: the correctly
// rounded long double, as the full conversion would give, without its cost.
bool convertExactly(const FloatText& parsed, long double& value) {
    if (parsed.significantDigits > kExactMantissaDigits)
        return false;
    const std::int64_t scale = parsed.exponent - parsed.fractionDigits;
    if (scale < -kExactPowerOfTen || scale > kExactPowerOfTen)
        return false;
    static const std::array<long double, kExactPowerOfTen + 1> powers = [] {
        std::array<long double, kExactPowerOfTen + 1> table{};
        for (int i = 0; i <= kExactPowerOfTen; ++i)
            table[i] = powerOfTen(i);
        return table;
    }();
    const auto mantissa = static_cast<long double>(parsed.mantissa);
    value = scale >= 0 ? mantissa * powers[scale] : mantissa / powers[-scale];
    if (parsed.negative)
        value = -value;
    return true;
}

// The same number with the zeros that end its digits moved into the exponent ("1000e-5" is
// "1e-2"): some C libraries give up on long digit strings. Unchanged when the exponent is too
// long to add to.
std::string withoutTrailingZeros(const std::string& number) {
    const auto exponentAt = std::min(number.find('e'), number.size());
    std::int64_t exponent = 0;
    if (exponentAt < number.size()) {
        const char* first = number.data() + exponentAt + 1;
        first += *first == '+';
        const auto [end, error] = std::from_chars(first, number.data() + number.size(), exponent);
        if (error != std::errc() || exponent > kExponentCap || exponent < -kExponentCap)
            return number;
    }
    std::string digits = number.substr(0, exponentAt);
    const auto point = digits.find('.');
    if (point != std::string::npos) {
        digits.erase(digits.find_last_not_of('0') + 1);
        if (digits.back() == '.')
            digits.pop_back();
    }
    if (digits.find('.') == std::string::npos) {
        const auto lastDigit = digits.find_last_not_of('0');
        if (lastDigit == std::string::npos || !isDigit(digits[lastDigit]))
            return number;
        exponent += static_cast<std::int64_t>(digits.size() - lastDigit - 1);
        digits.erase(lastDigit + 1);
    }
    return digits + "e" + std::to_string(exponent);
}

// strtold reads the decimal point of the C library's locale, whatever the platform; the text
// (written with '.') is put in its terms first.
long double readLongDouble(const std::string& text) {
    std::string number = withoutTrailingZeros(text);
    const auto point = number.find('.');
    if (point != std::string::npos)
        number.replace(point, 1, std::localeconv()->decimal_point);
    return std::strtold(number.c_str(), nullptr);
}

} // namespace

std::string formatFloatCell(float value, int precision, int decimals,
                            std::string_view decimalSeparator) {
    if (std::isinf(value))
        return "INF";
    if (std::isnan(value))
        return "NAN";
    if (std::optional<std::string> text =
            formatFixedQuickly(value, precision, decimals, decimalSeparator))
        return *std::move(text);
    const DecimalDigits full = decimalDigits(std::fabs(value));
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
    // Negative numbers must fit the signed range; positive hexadecimal may fill all 32 bits.
    const std::uint64_t limit = negative ? 0x80000000u : (base == 16 ? 0xFFFFFFFFu : 0x7FFFFFFFu);
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
    FloatText parsed;
    if (!scanFloat(text, decimalSeparator, parsed))
        invalid(text, "floating point");
    long double wide = 0;
    if (!convertExactly(parsed, wide)) {
        errno = 0;
        wide = readLongDouble(parsed.number);
        if (errno == ERANGE && std::isinf(wide))
            invalid(text, "floating point");
    }
    // From halfway between the largest float and 2^128 on, rounding gives infinity.
    constexpr long double kOverflowFrom = 0x1.ffffffp127L;
    if (std::fabs(wide) >= kOverflowFrom)
        throw ConvertError("Floating point overflow");
    return static_cast<float>(wide);
}

} // namespace dm
