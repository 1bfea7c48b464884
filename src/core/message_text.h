#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dm {

// How many characters of a user's text a message quotes before it cuts the rest to "...".
constexpr std::size_t kQuotedCharacters = 40;

// A user's text as a message quotes it: control characters as \u001b and the like, and bytes that
// are no UTF-8 as \xff, so that none of them reaches a terminal or splits the message; a text
// longer than kQuotedCharacters characters is cut there and ends in "...". Characters that turn
// the direction of the text around, break its line or cannot be seen are escaped as well, so that
// a message shows what was typed in the order it was typed.
std::string messageText(std::string_view text);

// The same escapes, whole: for names and command lines that a message repeats.
std::string escapedText(std::string_view text);

} // namespace dm
