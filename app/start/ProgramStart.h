// What both halves of the program do first: the file system, the settings, the
// application values and the command line, whose messages are held until it is known
// where they are to be shown; then which way the program goes.
//
// The `scoutwell` executable runs the ways that need no window itself and loads the
// window module (scoutwell-window.so) only for the others, so an unattended search never
// maps the window system's libraries. The module starts again from the command line with
// its own copy of this state.
#pragma once

#include <string>
#include <vector>

#include "app/core/Application.h"
#include "engine/Messages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtSettingsStore.h"

namespace scoutwell {

// Keeps the command line's messages until it is known where they are to be shown: on
// standard error in the unattended mode, in message boxes once the window system is up.
class HeldMessages : public MessageSink {
  public:
    void showMessage(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

enum class StartPath {
    kHelpOnly,    // the help on standard output, with no window to offer "Run Scoutwell..."
    kUnattended,  // the search to the output file, no window system touched
    kNoDisplay,   // a window is wanted and none can be shown
    kWindow,      // the search window, or the help dialog before an unattended search
};

class ProgramStart {
  public:
    // Installs the file system and parses the command line. Only the settings sections
    // named are read, all of them when none is.
    ProgramStart(int argc, char** argv, QtSettingsStore::OnlySections settingsRead = {});
    ~ProgramStart();
    ProgramStart(const ProgramStart&) = delete;
    ProgramStart& operator=(const ProgramStart&) = delete;

    StartPath path() const;
    // Shows the held command-line messages through the current message sink.
    void showParseMessages() const;
    int parseMessageCount() const { return static_cast<int>(parseMessages.texts.size()); }

    PosixFileSystem fileSystem;
    QtSettingsStore settings;
    Application app;
    HeldMessages parseMessages;
    bool display = false;
};

// The help text as printed without a display.
void printHelp();

inline constexpr const char* kNoDisplayMessage =
    "no display to show the search window on; use -o to search without one";

}  // namespace scoutwell
