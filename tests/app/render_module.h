#pragma once

// Runs `dmtool render` in this process through its module, as dmtool itself loads it.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>
#include <vector>

inline int runRenderModule(const std::vector<std::string>& args) {
    void* module = dlopen(DM_BIN_DIR "/libdmtool_render.so", RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        ADD_FAILURE() << dlerror();
        return -1;
    }
    using Entry = int (*)(int, char**);
    const auto entry = reinterpret_cast<Entry>(dlsym(module, "dmtool_render_main"));
    if (entry == nullptr) {
        ADD_FAILURE() << "no dmtool_render_main";
        return -1;
    }
    std::vector<std::string> storage{"render"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage)
        argv.push_back(arg.data());
    return entry(static_cast<int>(storage.size()), argv.data());
}
