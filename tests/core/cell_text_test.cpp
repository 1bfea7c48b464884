#include "core/cell_text.h"
#include "core/errors.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <random>

using namespace dm;

namespace {

float fromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

struct FormatCase {
    float value;
    int precision;
    int decimals;
    const char* separator;
    const char* text;
};

TEST(FormatFloatCell, RoundsAndLaysOutAsTheGridShowsIt) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<FormatCase> cases = {
        {0.125f, 7, 2, ".", "0.13"}, // ties go away from zero
        {-0.125f, 7, 2, ".", "-0.13"},
        {-0.004f, 7, 2, ".", "0.00"}, // no minus sign on an all-zero result
        {-0.0f, 7, 2, ".", "0.00"},
        {0.005f, 7, 2, ".", "0.00"}, // 0.005f lies just below 0.005
        {0.0051f, 7, 2, ".", "0.01"},
        {0.0004f, 7, 2, ".", "0.00"},
        {3.5f, 7, 2, ".", "3.50"},
        {150.0f, 7, 0, ".", "150"},
        {150.4f, 7, 0, ".", "150"},
        {149.5f, 7, 0, ".", "150"},
        {0.25f, 8, 3, ".", "0.250"},
        {123456.789f, 7, 2, ".", "123456.80"}, // seven significant digits, filled up
        {1234567.0f, 7, 2, ".", "1234567.00"},
        {12345678.0f, 7, 2, ".", "1.234568E7"},
        {10000000.0f, 7, 2, ".", "1E7"},
        {-12345678.0f, 7, 2, ".", "-1.234568E7"},
        {123456789.0f, 8, 3, ".", "1.2345679E8"},
        {9999999.0f, 7, 2, ".", "9999999.00"},
        {3.4028235e38f, 7, 2, ".", "3.402823E38"},
        {1.234f, 7, 2, ".", "1.23"},
        {0.0f, 7, 0, ".", "0"},
        {0.0f, 8, 3, ".", "0.000"},
        {1e-30f, 8, 3, ".", "0.000"},
        {0.9995f, 8, 3, ".", "0.999"},  // 0.9995f is just below 0.9995
        {0.99951f, 8, 3, ".", "1.000"}, // carry into the units
        {99.995f, 7, 2, ".", "100.00"}, // 99.995f is just above 99.995
        {2.5f, 7, 2, ",", "2,50"},
        {12345678.0f, 7, 2, ",", "1,234568E7"},
        {-1.5f, 7, 2, "\xd9\xab",
         "-1\xd9\xab"
         "50"},
        {inf, 7, 2, ".", "INF"},
        {-inf, 7, 2, ".", "INF"},
        {std::numeric_limits<float>::quiet_NaN(), 8, 3, ".", "NAN"},
        {fromBits(0x7F800001), 8, 3, ".", "NAN"}, // signalling NaN
        {fromBits(0xFFC00000), 8, 3, ".", "NAN"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(formatFloatCell(c.value, c.precision, c.decimals, c.separator), c.text)
            << c.value << " P" << c.precision << " D" << c.decimals;
}

template <typename Parse> std::string failureOf(Parse parse) {
    try {
        parse();
    } catch (const ConvertError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(ParseByteCell, AcceptsTheIntegerGrammarWithinByteRange) {
    const std::vector<std::pair<const char*, int>> accepted = {
        {"255", 255}, {"0", 0},     {"-1", 255},  {"-128", 128}, {"$FF", 255},
        {"$ff", 255}, {"xFF", 255}, {"XfF", 255}, {"0x1f", 31},  {"0X10", 16},
        {"  12", 12}, {"+7", 7},    {"007", 7},   {"-$10", 240}};
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(failureOf([&] { EXPECT_EQ(parseByteCell(text), value) << text; }), "(accepted)")
            << text;

    const std::vector<std::pair<const char*, const char*>> rejected = {
        {"", "'' is not a valid integer value"},
        {"1.0", "'1.0' is not a valid integer value"},
        {"12 ", "'12 ' is not a valid integer value"},
        {"abc", "'abc' is not a valid integer value"},
        {"$", "'$' is not a valid integer value"},
        {"0x", "'0x' is not a valid integer value"},
        {"- 1", "'- 1' is not a valid integer value"},
        {"2147483648", "'2147483648' is not a valid integer value"},
        {"$100000000", "'$100000000' is not a valid integer value"},
        {"-$FFFFFFFF", "'-$FFFFFFFF' is not a valid integer value"},
        {"-$80000001", "'-$80000001' is not a valid integer value"},
        {"256", "'256' is not a valid byte value"},
        {"300", "'300' is not a valid byte value"},
        {"-129", "'-129' is not a valid byte value"},
        {"2147483647", "'2147483647' is not a valid byte value"},
        {"-2147483648", "'-2147483648' is not a valid byte value"},
    };
    for (const auto& [text, message] : rejected)
        EXPECT_EQ(failureOf([&] { parseByteCell(text); }), message) << text;
}

TEST(ParseIntegerCell, CoversTheSigned32BitRange) {
    EXPECT_EQ(parseIntegerCell("2147483647"), 2147483647);
    EXPECT_EQ(parseIntegerCell("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(parseIntegerCell("$FFFFFFFF"), -1);
    EXPECT_EQ(failureOf([] { parseIntegerCell("-2147483649"); }),
              "'-2147483649' is not a valid integer value");
}

TEST(ParseFloatCell, AcceptsTheFloatGrammar) {
    const std::vector<std::tuple<const char*, const char*, float>> accepted = {
        {"12 ", ".", 12.0f},
        {" 12", ".", 12.0f},
        {"  -1.5  ", ".", -1.5f},
        {"1.5e2", ".", 150.0f},
        {"1.5E+2", ".", 150.0f},
        {"15e-1", ".", 1.5f},
        {".5", ".", 0.5f},
        {"5.", ".", 5.0f},
        {"+3", ".", 3.0f},
        {"1,5", ",", 1.5f},
        {"1.234", ".", 1.234f},
        {"1e-5000", ".", 0.0f},
        {"1e-45", ".", 1e-45f},
        {"3.4028235e38", ".", 3.4028235e38f},
        {"12345678", ".", 12345678.0f},
        {"-0", ".", -0.0f}};
    for (const auto& [text, separator, value] : accepted) {
        float parsed = 0;
        EXPECT_EQ(failureOf([&] { parsed = parseFloatCell(text, separator); }), "(accepted)")
            << text;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(parsed), std::bit_cast<std::uint32_t>(value))
            << text;
    }

    const std::vector<std::tuple<const char*, const char*, const char*>> rejected = {
        {"1,5", ".", "'1,5' is not a valid floating point value"},
        {"1.5", ",", "'1.5' is not a valid floating point value"},
        {"", ".", "'' is not a valid floating point value"},
        {".", ".", "'.' is not a valid floating point value"},
        {"1.2.3", ".", "'1.2.3' is not a valid floating point value"},
        {"INF", ".", "'INF' is not a valid floating point value"},
        {"NAN", ".", "'NAN' is not a valid floating point value"},
        {"1e", ".", "'1e' is not a valid floating point value"},
        {"1 2", ".", "'1 2' is not a valid floating point value"},
        {"$10", ".", "'$10' is not a valid floating point value"},
        {"1e5000", ".", "'1e5000' is not a valid floating point value"},
        {"1e39", ".", "Floating point overflow"},
        {"-3.5e38", ".", "Floating point overflow"},
    };
    for (const auto& [text, separator, message] : rejected)
        EXPECT_EQ(failureOf([&] { parseFloatCell(text, separator); }), message) << text;
}

TEST(ParseFloatCell, ConvertsInExtendedPrecisionThenRoundsToSingle) {
    // 16777217 lies halfway between two floats; the long double holds it exactly.
    EXPECT_EQ(parseFloatCell("16777217", "."), 16777216.0f);
    EXPECT_EQ(parseFloatCell("16777219", "."), 16777220.0f);
    EXPECT_EQ(parseFloatCell("1.234568E7", "."), 12345680.0f);
}

// However long the text, its value is the one it denotes: digits and exponent offset each other.
TEST(ParseFloatCell, LongTextsKeepTheirValue) {
    const std::string zeros(100005, '0');
    struct Case {
        const char* name;
        std::string text;
        std::optional<float> value; // nothing: not a valid floating point value
    };
    const std::vector<Case> cases = {
        {"leading zeros, large exponent", "0." + zeros + "1e100010", 10000.0f},
        {"many integer digits, negative exponent", "1" + zeros + "e-100003", 100.0f},
        {"leading zeros, negative exponent", "0." + zeros + "1e-100010", 0.0f},
        {"exponent beyond 64 bits", "0.000001e99999999999999999999", std::nullopt},
        {"negative exponent beyond 64 bits", "1e-99999999999999999999", 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        float parsed = 0;
        const std::string outcome = failureOf([&] { parsed = parseFloatCell(c.text, "."); });
        if (c.value) {
            EXPECT_EQ(outcome, "(accepted)");
            EXPECT_EQ(parsed, *c.value);
        } else {
            EXPECT_EQ(outcome, "'" + c.text + "' is not a valid floating point value");
        }
    }
}

// Any float's text, parsed and formatted again, gives the same text.
TEST(CellTextProperty, FormattingAParsedTextIsStable) {
    std::mt19937 random(2026);
    const std::vector<std::pair<int, int>> formats = {{7, 0}, {8, 3}, {7, 2}};
    for (int i = 0; i < 20000; ++i) {
        const float value = fromBits(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value))
            continue;
        for (const auto& [precision, decimals] : formats) {
            const std::string text = formatFloatCell(value, precision, decimals, ".");
            const float reparsed = parseFloatCell(text, ".");
            ASSERT_EQ(formatFloatCell(reparsed, precision, decimals, "."), text)
                << "value bits " << std::hex << std::bit_cast<std::uint32_t>(value) << " text "
                << text;
        }
    }
}

TEST(ParseCells, UntouchedCellsKeepTheirExactValues) {
    PartTable table{};
    table[0].PX1 = 1.234f;
    table[0].Float4 = 0.12345f;
    table[1].Damage = 150.4f;
    table[2].PY1 = std::numeric_limits<float>::infinity();
    table[3].Byte6 = 7;
    table[4].Float5 = fromBits(0x7FC01234);
    const CellTexts filled = fillCells(table, ".");
    EXPECT_EQ(filled[0][10 - 1], "1.23");
    EXPECT_EQ(filled[2][11 - 1], "INF");

    const PartTable same = parseCells(filled, filled, table, ".");
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_EQ(encodeRecord(same[slot]), encodeRecord(table[slot])) << "slot " << slot;

    CellTexts edited = filled;
    edited[0][10 - 1] = "2.5";
    const PartTable changed = parseCells(edited, filled, table, ".");
    EXPECT_EQ(changed[0].PX1, 2.5f);
    EXPECT_EQ(changed[1].Damage, 150.4f);
    EXPECT_EQ(changed[0].Float4, 0.12345f);
    EXPECT_TRUE(std::isinf(changed[2].PY1));
}

TEST(ParseCells, FirstBadCellInFieldOrderStopsWithItsPlace) {
    const PartTable table{};
    const CellTexts filled = fillCells(table, ".");
    CellTexts edited = filled;
    edited[4][2 - 1] = "1.0"; // row 5, Byte2
    edited[4][10 - 1] = "x";  // row 5, PX1: stands after Byte2 in the file
    edited[6][1 - 1] = "bad"; // a later row
    try {
        parseCells(edited, filled, table, ".");
        FAIL() << "bad cells accepted";
    } catch (const CellParseError& error) {
        EXPECT_STREQ(error.what(), "'1.0' is not a valid integer value");
        EXPECT_EQ(error.row(), 5);
        EXPECT_EQ(error.column(), 2);
    }
    edited[4][2 - 1] = "1";
    edited[4][13 - 1] = "1,0"; // PX1 still comes first; PX2 and Damage follow it
    edited[4][4 - 1] = "?";
    try {
        parseCells(edited, filled, table, ".");
        FAIL() << "bad cells accepted";
    } catch (const CellParseError& error) {
        EXPECT_EQ(error.column(), 10);
    }
}

TEST(FillCells, AllZeroTableFillsZeros) {
    const CellTexts texts = fillCells(PartTable{}, ".");
    for (const auto& row : texts) {
        EXPECT_EQ(row[1 - 1], "0");
        EXPECT_EQ(row[4 - 1], "0");
        EXPECT_EQ(row[5 - 1], "0.000");
        EXPECT_EQ(row[10 - 1], "0.00");
        EXPECT_EQ(row[22 - 1], "0.000");
    }
}

// Every text converts exactly as the full extended-precision conversion would.
TEST(ParseFloatCell, AgreesWithTheFullConversionOnRandomTexts) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 22);
        std::string mantissa;
        for (int d = 0; d < digits; ++d)
            mantissa += static_cast<char>('0' + random() % 10);
        const int point = static_cast<int>(random() % (digits + 1));
        std::string text = mantissa.substr(0, point) + "." + mantissa.substr(point);
        if (text == ".")
            continue;
        if (random() % 2)
            text += "e" + std::to_string(static_cast<int>(random() % 80) - 40);
        if (random() % 2)
            text = "-" + text;
        const long double reference = std::strtold(text.c_str(), nullptr);
        if (std::isinf(static_cast<float>(reference)))
            continue;
        ASSERT_EQ(parseFloatCell(text, "."), static_cast<float>(reference)) << text;
    }
}

} // namespace

namespace {

// The rule written out once more, independently: the exact decimal expansion from the C library,
// taken to 18 significant digits, then rounded half away from zero.
std::string referenceFixedText(float value, int precision, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17e", std::fabs(static_cast<double>(value)));
    std::string digits = std::string(1, text[0]) + std::string(text + 2, 17);
    int exponent = std::atoi(std::strchr(text, 'e') + 1) + 1;
    if (value == 0)
        digits.clear(), exponent = 0;
    const int keep = std::min(precision, exponent + decimals);
    std::string kept = keep > 0 ? digits.substr(0, keep) : "";
    if (keep >= 0 && keep < static_cast<int>(digits.size()) && digits[keep] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9')
            kept[i--] = '0';
        if (i >= 0)
            ++kept[i];
        else
            kept.insert(kept.begin(), '1'), ++exponent;
    }
    while (!kept.empty() && kept.back() == '0')
        kept.pop_back();
    if (kept.empty())
        return decimals > 0 ? "0." + std::string(decimals, '0') : "0";
    const std::string sign = std::signbit(value) ? "-" : "";
    if (exponent > precision)
        return sign + kept.substr(0, 1) + (kept.size() > 1 ? "." + kept.substr(1) : "") + "E" +
               std::to_string(exponent - 1);
    auto digitAt = [&](int i) { return i >= 0 && i < int(kept.size()) ? kept[i] : '0'; };
    std::string out = sign + (exponent <= 0 ? "0" : "");
    for (int i = 0; i < exponent; ++i)
        out += digitAt(i);
    if (decimals > 0) {
        out += '.';
        for (int i = 0; i < decimals; ++i)
            out += digitAt(exponent + i);
    }
    return out;
}

TEST(FormatFloatCell, AgreesWithTheRuleOnRandomValuesOfEveryMagnitude) {
    std::mt19937 random(99);
    const std::vector<std::pair<int, int>> formats = {{7, 0}, {8, 3}, {7, 2}, {2, 5}, {12, 10}};
    std::vector<float> values = {0.125f, -0.125f, 0.5f, 2.5f, 9999999.5f, 99999.995f, 1e-7f};
    for (int i = 0; i < 100000; ++i) {
        const float value = fromBits(static_cast<std::uint32_t>(random()));
        if (std::isfinite(value))
            values.push_back(value);
        // Short decimals hit the halfway cases that random bit patterns seldom reach.
        values.push_back(static_cast<float>(static_cast<int>(random() % 2000001) - 1000000) /
                         std::pow(10.0f, static_cast<float>(random() % 6)));
    }
    for (const float value : values)
        for (const auto& [precision, decimals] : formats)
            ASSERT_EQ(formatFloatCell(value, precision, decimals, "."),
                      referenceFixedText(value, precision, decimals))
                << "value bits " << std::hex << std::bit_cast<std::uint32_t>(value) << " P"
                << std::dec << precision << " D" << decimals;
}

} // namespace
