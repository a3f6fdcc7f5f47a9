// Scoutwell's start-up: the application values, the command line, and either the
// unattended search or the search window.
//
// SCOUTWELL_QUIT_AFTER_START=1 closes the main window shortly after it appeared, so that a
// test can check that the program starts and ends cleanly under a real X server;
// SCOUTWELL_REPORT_CONTROLS=<file> reports where the criteria boxes are on the screen
// (views/ScreenReport.h).
#include <QApplication>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/core/Application.h"
#include "app/core/CommandLineOptions.h"
#include "app/core/Settings.h"
#include "app/core/UnattendedSearch.h"
#include "app/gui/CCommandLineHelpDialog.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/DocumentManager.h"
#include "engine/FileSystem.h"
#include "engine/Messages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/ByteText.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qtgui/MimeTypeNames.h"
#include "platform/qtgui/QtMessageSink.h"
#include "views/CMainFrame.h"
#include "views/IconCache.h"
#include "views/ScreenReport.h"

namespace {

constexpr const char* kQuitAfterStartVariable = "SCOUTWELL_QUIT_AFTER_START";
constexpr int kQuitAfterStartDelayMs = 500;
constexpr const char* kNoDisplayMessage =
    "no display to show the search window on; use -o to search without one";
constexpr const char* kDesktopFileName = "scoutwell";

// Keeps the command line's messages until it is known where they are to be shown: on
// standard error in the unattended mode, in message boxes once the window system is up.
class HeldMessages : public scoutwell::MessageSink {
  public:
    void showMessage(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

void printHelp() {
    std::printf("%s\n\n", scoutwell::kHelpTitle);
    for (const char* line : scoutwell::kHelpLines)
        std::printf("%s\n", line);
}

bool displayAvailable() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");

    scoutwell::PosixFileSystem fileSystem;
    scoutwell::setFileSystem(&fileSystem);
    scoutwell::QtSettingsStore settings;
    scoutwell::Application app(settings);
    app.init();

    HeldMessages parseMessages;
    scoutwell::setMessageSink(&parseMessages);
    app.options.parse(argc, argv);
    scoutwell::setMessageSink(nullptr);
    const int parseMessageCount = static_cast<int>(parseMessages.texts.size());

    const bool display = displayAvailable();
    const auto showParseMessages = [&parseMessages] {
        for (const std::string& text : parseMessages.texts)
            scoutwell::showMessage(text);
    };
    if (app.options.showHelp && !display) {
        // Without a window to offer "Run Scoutwell...", the help ends the program as
        // "Close" would.
        showParseMessages();
        printHelp();
        return 0;
    }
    // A -o without its file name is a fault of the command line, help or not.
    if (app.options.outputFileExpected || (app.options.outputFileGiven && !app.options.showHelp)) {
        // No window system is touched on this path.
        showParseMessages();
        return scoutwell::runUnattendedSearch(app, parseMessageCount);
    }
    if (!display) {
        showParseMessages();
        scoutwell::showMessage(kNoDisplayMessage);
        return 1;
    }

    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(scoutwell::kSettingsApplication));
    QApplication::setOrganizationName(QString::fromLatin1(scoutwell::kSettingsOrganisation));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    QApplication::setWindowIcon(scoutwell::CMainFrame::programIcon());
    if (app.options.outputFileGiven) {
        // The help comes first; "Run Scoutwell..." goes on to the unattended search, which
        // reports on standard error as it does without the help.
        showParseMessages();
        scoutwell::CCommandLineHelpDialog help;
        if (help.exec() != QDialog::Accepted)
            return 0;
        return scoutwell::runUnattendedSearch(app, parseMessageCount);
    }
    scoutwell::QtMessageSink messageBoxes;
    scoutwell::setMessageSink(&messageBoxes);
    // Type names from the desktop's MIME database; the shared icon list needs the
    // application to exist.
    scoutwell::MimeTypeNames::install();
    scoutwell::IconCache::shared();
    showParseMessages();

    int status = 0;
    if (app.options.showHelp) {
        scoutwell::CCommandLineHelpDialog help;
        if (help.exec() != QDialog::Accepted) {
            scoutwell::setMessageSink(nullptr);
            return 0;
        }
    }
    {
        scoutwell::DocumentManager manager(app);
        scoutwell::CMainFrame frame(app, manager);

        app.startingUp = true;
        scoutwell::CDediDurarerDoc* doc =
            app.options.fileToOpen.empty()
                ? manager.newDocument()
                : manager.openDocument(scoutwell::qStringFromBytes(app.options.fileToOpen));
        app.startingUp = false;
        if (doc) {
            if (scoutwell::readSetting(settings, scoutwell::kFrameMaximized) != 0)
                frame.showMaximized();
            else
                frame.show();
            frame.update();

            app.contentsHistory.load();
            app.fileNameHistory.load();

            if (const char* report = std::getenv(scoutwell::kReportControlsVariable);
                report && *report)
                scoutwell::reportControlsWhenShown(frame, scoutwell::qStringFromBytes(report));
            if (const char* quit = std::getenv(kQuitAfterStartVariable); quit && *quit)
                QTimer::singleShot(kQuitAfterStartDelayMs, &frame, &QWidget::close);
            status = qtApp.exec();
        } else {
            status = 1;
        }
    }
    scoutwell::setMessageSink(nullptr);
    return status;
}
