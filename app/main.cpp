// Scoutwell's start-up: the command line, then the unattended search or the help on
// standard output, or the window module for everything that shows a window.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "app/core/Settings.h"
#include "app/core/UnattendedSearch.h"
#include "app/start/ProgramStart.h"
#include "engine/Messages.h"
#include "engine/ProgramModules.h"

namespace {

constexpr const char* kWindowModule = "scoutwell-window.so";
constexpr const char* kWindowEntry = "scoutwellWindowMain";
constexpr const char* kModuleMissing = "the search window cannot be loaded: %s\n";

// The window module beside the build's programs, else where the installation puts it.
int runWindowModule(int argc, char** argv) {
    std::string error;
    for (const std::string& candidate : scoutwell::programModuleCandidates(kWindowModule)) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            if (error.empty())
                error = ::dlerror();
            continue;
        }
        using Entry = int (*)(int, char**);
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, kWindowEntry));
        if (!entry) {
            error = ::dlerror();
            continue;
        }
        // The module stays loaded: its objects live until the process ends.
        return entry(argc, argv);
    }
    std::fprintf(stderr, kModuleMissing, error.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    {
        // The ways taken here need of the settings only the options a search starts from;
        // the window module reads them all.
        scoutwell::ProgramStart start(
            argc, argv, scoutwell::QtSettingsStore::OnlySections{{scoutwell::kOptionsSection}});
        switch (start.path()) {
            case scoutwell::StartPath::kHelpOnly:
                // Without a window to offer "Run Scoutwell...", the help ends the program
                // as "Close" would.
                start.showParseMessages();
                scoutwell::printHelp();
                return 0;
            case scoutwell::StartPath::kUnattended:
                start.showParseMessages();
                return scoutwell::runUnattendedSearch(start.app, start.parseMessageCount());
            case scoutwell::StartPath::kNoDisplay:
                start.showParseMessages();
                scoutwell::showMessage(scoutwell::kNoDisplayMessage);
                return 1;
            case scoutwell::StartPath::kWindow:
                break;
        }
    }
    return runWindowModule(argc, argv);
}
