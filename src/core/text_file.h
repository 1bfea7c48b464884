#pragma once

#include <string>
#include <string_view>

namespace dm {

// Bytes of the single-byte Windows code page as UTF-8. A zero byte is kept; callers decide.
std::string windows1252ToUtf8(std::string_view bytes);

// Reads a whole file; raises DamageError "Cannot open file %s" with the path when it cannot.
std::string readWholeFile(const std::string& path);

} // namespace dm
