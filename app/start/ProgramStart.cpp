#include "app/start/ProgramStart.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/core/CommandLineOptions.h"

namespace scoutwell {
namespace {

bool displayAvailable() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return true;
    }
    return false;
}

}  // namespace

ProgramStart::ProgramStart(int argc, char** argv, QtSettingsStore::OnlySections settingsRead)
    : settings(settingsRead.names.empty() ? QtSettingsStore()
                                          : QtSettingsStore(std::move(settingsRead))),
      app(settings) {
    std::setlocale(LC_ALL, "");
    setFileSystem(&fileSystem);
    app.init();
    setMessageSink(&parseMessages);
    app.options.parse(argc, argv);
    setMessageSink(nullptr);
    display = displayAvailable();
}

ProgramStart::~ProgramStart() {
    setMessageSink(nullptr);
    setFileSystem(nullptr);
}

StartPath ProgramStart::path() const {
    const CommandLineOptions& options = app.options;
    if (options.showHelp && !display)
        return StartPath::kHelpOnly;
    // A -o without its file name is a fault of the command line, help or not.
    if (options.outputFileExpected || (options.outputFileGiven && !options.showHelp))
        return StartPath::kUnattended;
    return display ? StartPath::kWindow : StartPath::kNoDisplay;
}

void ProgramStart::showParseMessages() const {
    for (const std::string& text : parseMessages.texts)
        showMessage(text);
}

void printHelp() {
    std::printf("%s\n\n", kHelpTitle);
    for (const char* line : kHelpLines)
        std::printf("%s\n", line);
}

}  // namespace scoutwell
