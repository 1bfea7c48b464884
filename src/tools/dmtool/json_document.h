#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dmtool {

// Members keep their order; numbers with a fraction or exponent are read straight into float32,
// so a text reads as the float nearest to it, never rounded twice through a double.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool,
                                  std::int64_t, std::uint64_t, float>;

// Shortest decimal text that reads back to the same float32; "inf", "-inf", "nan" as strings.
std::string jsonFloat(float value);

// A float as dump writes it: a number, or the string "inf", "-inf" or "nan".
Json floatValue(float value);

// Containers less than `expandedDepth` deep hold one member per line (two blanks of indent per
// level); deeper ones stand on one line. Floats as jsonFloat writes them. Ends with a line end.
std::string formatJson(const Json& document, int expandedDepth);
// One value laid out as formatJson lays it out `depth` deep, with no line end after it.
std::string formatJsonValue(const Json& value, int depth, int expandedDepth);

// Parses a JSON text; raises dm::DamageError "Not a JSON document: ..." with the place it fails,
// or when it nests deeper than a dump document could. "-0" stays a signed integer zero, apart from
// the unsigned 0.
Json parseJson(std::string_view text);

} // namespace dmtool
