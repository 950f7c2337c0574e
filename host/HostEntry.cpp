// The plug-in's exported functions.
#include <QApplication>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <type_traits>

#include "host/ApplicationObject.h"
#include "host/showdll.h"
#include "jobs/HostParameters.h"
#include "ui/ErrorHandler.h"
#include "ui/ModalRun.h"
#include "ui/Screenshots.h"
#include "ui/TFm_sk.h"
#include "xbase/dataset/AliasList.h"

#define TAXBRIDGE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

// What the host sees of an error that ends a call: the default error handler's box when
// windows can be shown, else a line on standard error.
void ReportFailure(const char* what) {
    try {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            ui::ShowError(nullptr, std::string(what));
            return;
        }
    } catch (...) {
    }
    std::fprintf(stderr, "taxbridge: %s\n", what);
}

// Loading the library starts the engine: the alias list is read now.
struct EngineStartup {
    EngineStartup() {
        try {
            xbase::AliasList::Global();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "taxbridge: %s\n", e.what());
        }
    }
} engineStartup;

}  // namespace

TAXBRIDGE_EXPORT void showdll(unsigned long appHandle, const char* param1, const char* param2,
                              const char* param3, const char* param4,
                              const char* serverComputerName) {
    try {
        jobs::HostParameters& host = jobs::hostParameters();
        host.Param1 = Text(param1);
        host.Param2 = Text(param2);
        host.Param3 = Text(param3);
        host.Param4 = Text(param4);
        host.ServerComputerName = Text(serverComputerName);
        host::ApplicationObject& application = host::ApplicationObject::Instance();
        application.EnsureApplication();
        application.SetHandle(appHandle);
        // Released on return, with the result windows it owns, also when an error ends
        // the call.
        auto window = std::make_unique<ui::TFm_sk>();
        application.Adopt(*window);
        ui::ExecModal(*window);
    } catch (const std::exception& e) {
        ReportFailure(e.what());
    } catch (...) {
        ReportFailure("Unknown error");
    }
}

TAXBRIDGE_EXPORT int taxbridge_screenshots(const char* directory, const char* serverComputerName) {
    try {
        if (directory == nullptr || *directory == '\0') throw std::runtime_error("no folder given");
        jobs::hostParameters().ServerComputerName = Text(serverComputerName);
        host::ApplicationObject::Instance().EnsureApplication();
        const ui::ScreenshotRun run = ui::RenderScreenshots(directory);
        for (const std::string& file : run.files) std::printf("%s\n", file.c_str());
        for (const std::string& error : run.errors) {
            std::fprintf(stderr, "taxbridge: a window showed: %s\n", error.c_str());
        }
        std::fflush(stdout);
        return run.errors.empty() ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "taxbridge: %s\n", e.what());
        return 1;
    }
}

static_assert(std::is_same_v<decltype(&showdll), ShowDllFn>);
static_assert(std::is_same_v<decltype(&taxbridge_screenshots), ScreenshotsFn>);
