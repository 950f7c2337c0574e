// taxbridge-host: loads the plug-in with dlopen and calls showdll with its command-line
// arguments, so the plug-in runs on a desktop as it does inside the sales client.
//
//   taxbridge-host [--server NAME] [--handle WINDOW-ID] [--library PATH]
//                  [PARAM1 [PARAM2 [PARAM3 [PARAM4]]]]
//   taxbridge-host --screenshots DIR [--server NAME] [--library PATH]
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/showdll.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: taxbridge-host [--server NAME] [--handle WINDOW-ID] [--library PATH]\n"
                 "                      [PARAM1 [PARAM2 [PARAM3 [PARAM4]]]]\n"
                 "       taxbridge-host --screenshots DIR [--server NAME] [--library PATH]\n");
}

// libtaxbridge.so beside this program, else wherever the dynamic linker finds it.
std::string DefaultLibrary() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string path(self, static_cast<std::size_t>(n));
        path = path.substr(0, path.rfind('/') + 1) + "libtaxbridge.so";
        if (access(path.c_str(), R_OK) == 0) return path;
    }
    return "libtaxbridge.so";
}

struct Options {
    std::string server;
    std::string library;
    std::string screenshots;
    unsigned long handle = 0;
    std::vector<std::string> params;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (arg == "--server") {
            if (!value(options.server)) return false;
        } else if (arg == "--library") {
            if (!value(options.library)) return false;
        } else if (arg == "--screenshots") {
            if (!value(options.screenshots) || options.screenshots.empty()) return false;
        } else if (arg == "--handle") {
            std::string text;
            if (!value(text)) return false;
            char* end = nullptr;
            options.handle = std::strtoul(text.c_str(), &end, 0);
            if (end == text.c_str() || *end != '\0') return false;
        } else if (arg == "-h" || arg == "--help") {
            return false;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return false;
        } else if (options.params.size() < 4) {
            options.params.push_back(arg);
        } else {
            return false;
        }
    }
    options.params.resize(4);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        Usage();
        return 2;
    }
    // Screenshots need no display.
    if (!options.screenshots.empty()) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string library = options.library.empty() ? DefaultLibrary() : options.library;
    void* plugin = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr) {
        std::fprintf(stderr, "taxbridge-host: %s\n", dlerror());
        return 1;
    }
    if (!options.screenshots.empty()) {
        auto screenshots = reinterpret_cast<ScreenshotsFn>(dlsym(plugin, "taxbridge_screenshots"));
        if (screenshots == nullptr) {
            std::fprintf(stderr, "taxbridge-host: %s\n", dlerror());
            return 1;
        }
        return screenshots(options.screenshots.c_str(), options.server.c_str());
    }
    auto show = reinterpret_cast<ShowDllFn>(dlsym(plugin, "showdll"));
    if (show == nullptr) {
        std::fprintf(stderr, "taxbridge-host: %s\n", dlerror());
        return 1;
    }
    show(options.handle, options.params[0].c_str(), options.params[1].c_str(),
         options.params[2].c_str(), options.params[3].c_str(), options.server.c_str());
    return 0;
}
