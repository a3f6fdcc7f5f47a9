// The window module's start: the search window, or the command-line help dialog before an
// unattended search.
//
// (The tests of the real program under an X server load what they need into it, a close
// after start and a report of where the controls are: tests/preload. Nothing of it ships.)
#include <QApplication>

#include "app/core/Settings.h"
#include "app/core/UnattendedSearch.h"
#include "app/gui/CCommandLineHelpDialog.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/DocumentManager.h"
#include "app/start/ProgramStart.h"
#include "engine/Messages.h"
#include "framework/IconCache.h"
#include "platform/qt/ByteText.h"
#include "platform/qtgui/MimeTypeNames.h"
#include "platform/qtgui/QtMessageSink.h"
#include "views/CMainFrame.h"

namespace {

constexpr const char* kDesktopFileName = "scoutwell";

}  // namespace

// Called by the program once it knows that a window is to be shown.
extern "C" __attribute__((visibility("default"))) int scoutwellWindowMain(int argc, char** argv) {
    scoutwell::ProgramStart start(argc, argv);
    scoutwell::Application& app = start.app;
    const int parseMessageCount = start.parseMessageCount();
    const auto showParseMessages = [&start] { start.showParseMessages(); };

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
            frame.showAtStart();

            app.contentsHistory.load();
            app.fileNameHistory.load();

            status = qtApp.exec();
        } else {
            status = 1;
        }
    }
    scoutwell::setMessageSink(nullptr);
    return status;
}
