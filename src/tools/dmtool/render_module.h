#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace dmtool {

// The platform's name for the module ("libdmtool_render.so" on Linux), given by the build.
constexpr const char* kRenderModuleName = DM_RENDER_MODULE_NAME;
constexpr const char* kRenderEntryName = "dmtool_render_main";

// Loads the render module from `folder` and hands it the arguments after "render", with
// argv[0] = "render". The module is loaded only here, so other commands never load Qt.
int runRenderModule(const std::string& folder, const std::vector<std::string>& args,
                    std::ostream& err);

} // namespace dmtool
