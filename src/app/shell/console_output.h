#pragma once

#include <string_view>

namespace shell {

// Writes `text` where the user who started the program reads it: into standard output, or
// standard error for `asError`. A Windows window program has no console of its own: started from
// a command prompt without its output sent elsewhere, it writes into that prompt's console.
// False when the text could not be written.
bool printForUser(std::string_view text, bool asError = false);

} // namespace shell
