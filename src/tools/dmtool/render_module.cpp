#include "render_module.h"

#include "usage.h"

#include "core/platform/system.h"

#include <filesystem>
#include <ostream>

namespace dmtool {

namespace {

using RenderMain = int (*)(int argc, char** argv);

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::u8string(path.begin(), path.end()), error);
}

} // namespace

int runRenderModule(const std::string& folder, const std::vector<std::string>& args,
                    std::ostream& err) {
    const std::string path = folder + "/" + kRenderModuleName;
    if (!fileExists(path)) {
        err << "dmtool: render is not available: " << path << " is missing\n";
        return kDataError;
    }
    // Kept loaded until exit: the module's toolkit registers exit handlers of its own.
    std::string error;
    void* module = dm::platform::loadModule(path, error);
    if (module == nullptr) {
        err << "dmtool: render is not available: " << error << '\n';
        return kDataError;
    }
    const auto entry =
        reinterpret_cast<RenderMain>(dm::platform::findModuleEntry(module, kRenderEntryName));
    if (entry == nullptr) {
        err << "dmtool: render is not available: " << path << " lacks " << kRenderEntryName << '\n';
        return kDataError;
    }
    std::vector<std::string> storage{"render"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return entry(static_cast<int>(storage.size()), argv.data());
}

} // namespace dmtool
