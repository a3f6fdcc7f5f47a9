// Scoutwell's start-up: the application values, the command line, and either the
// unattended search or the search window.
//
// SCOUTWELL_QUIT_AFTER_START=1 closes the main window shortly after it appeared, so that a
// test can check that the program starts and ends cleanly under a real X server.
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
#include "platform/qt/QtSettingsStore.h"
#include "platform/qtgui/MimeTypeNames.h"
#include "platform/qtgui/QtMessageSink.h"
#include "views/CMainFrame.h"
#include "views/IconCache.h"

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
    if (app.options.showHelp && (!display || app.options.outputFileGiven)) {
        // Without a window to offer "Run Scoutwell...", the help ends the program as
        // "Close" would; the unattended mode never opens one.
        for (const std::string& text : parseMessages.texts)
            scoutwell::showMessage(text);
        printHelp();
        return 0;
    }
    if (app.options.outputFileGiven || app.options.outputFileExpected) {
        // No window system is touched on this path.
        for (const std::string& text : parseMessages.texts)
            scoutwell::showMessage(text);
        return scoutwell::runUnattendedSearch(app, parseMessageCount);
    }
    if (!display) {
        for (const std::string& text : parseMessages.texts)
            scoutwell::showMessage(text);
        scoutwell::showMessage(kNoDisplayMessage);
        return 1;
    }

    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(scoutwell::kSettingsApplication));
    QApplication::setOrganizationName(QString::fromLatin1(scoutwell::kSettingsOrganisation));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    scoutwell::QtMessageSink messageBoxes;
    scoutwell::setMessageSink(&messageBoxes);
    // Type names from the desktop's MIME database; the shared icon list needs the
    // application to exist.
    scoutwell::MimeTypeNames::install();
    scoutwell::IconCache::shared();
    for (const std::string& text : parseMessages.texts)
        scoutwell::showMessage(text);

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
                : manager.openDocument(QString::fromStdString(app.options.fileToOpen));
        app.startingUp = false;
        if (doc) {
            if (scoutwell::readSetting(settings, scoutwell::kFrameMaximized) != 0)
                frame.showMaximized();
            else
                frame.show();
            frame.update();

            app.contentsHistory.load();
            app.fileNameHistory.load();

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
