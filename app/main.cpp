// Scoutwell's start-up: the application values, the command line, and either the
// unattended search or the search window.
#include <clocale>
#include <cstdio>

#include "app/core/Application.h"
#include "app/core/CommandLineOptions.h"
#include "app/core/UnattendedSearch.h"
#include "engine/FileSystem.h"
#include "engine/Messages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtSettingsStore.h"

namespace {

// Forwards every message to standard error and counts them.
class CountingMessages : public scoutwell::MessageSink {
  public:
    void showMessage(const std::string& text) override {
        ++count;
        stderrSink_.showMessage(text);
    }
    int count = 0;

  private:
    scoutwell::StderrMessageSink stderrSink_;
};

void printHelp() {
    std::printf("%s\n\n", scoutwell::kHelpTitle);
    for (const char* line : scoutwell::kHelpLines)
        std::printf("%s\n", line);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");

    scoutwell::PosixFileSystem fileSystem;
    scoutwell::setFileSystem(&fileSystem);
    scoutwell::QtSettingsStore settings;
    scoutwell::Application app(settings);
    app.init();

    CountingMessages parseMessages;
    scoutwell::setMessageSink(&parseMessages);
    app.options.parse(argc, argv);
    scoutwell::setMessageSink(nullptr);

    if (app.options.showHelp) {
        // Without a window to offer "Run Scoutwell...", the help ends the program as
        // "Close" would.
        printHelp();
        return 0;
    }
    if (app.options.outputFileGiven) {
        return scoutwell::runUnattendedSearch(app, parseMessages.count);
    }
    std::puts("Scoutwell: the search window comes in a later version; use -o to search.");
    return 0;
}
