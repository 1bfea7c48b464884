#pragma once

#include <string>
#include <string_view>

namespace dm {

// Bytes of the single-byte Windows code page as UTF-8. A zero byte is kept; callers decide.
std::string windows1252ToUtf8(std::string_view bytes);

// The one way to read a whole file (a pipe or a device is read to its end as well); raises
// DamageError "Cannot open file %s" with the path when it cannot.
std::string readWholeFile(const std::string& path);

} // namespace dm
