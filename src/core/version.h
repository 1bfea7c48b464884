#pragma once

namespace dm {

// Set once, by the project's version in the build.
constexpr const char* kVersion = DM_VERSION;

} // namespace dm
