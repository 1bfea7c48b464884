#include "render_module.h"

#include "usage.h"

#include <dlfcn.h>
#include <ostream>
#include <sys/stat.h>

namespace dmtool {

namespace {

using RenderMain = int (*)(int argc, char** argv);

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
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
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        err << "dmtool: render is not available: " << ::dlerror() << '\n';
        return kDataError;
    }
    const auto entry = reinterpret_cast<RenderMain>(::dlsym(module, kRenderEntryName));
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
