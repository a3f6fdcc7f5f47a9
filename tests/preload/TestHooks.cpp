// What the tests of the real program under an X server need of it, loaded into it with
// LD_PRELOAD so that none of it ships in the program:
//
// SCOUTWELL_QUIT_AFTER_START=1 closes the main window shortly after it appeared, so that a
// test can check that the program starts and ends cleanly.
//
// SCOUTWELL_REPORT_CONTROLS=<file> reports where the criteria form's File name and Look in
// boxes are on the screen:
//
//   export LD_PRELOAD=libscoutwell_test_preload.so
//   SCOUTWELL_REPORT_CONTROLS=/tmp/report.txt scoutwell &
//   # once the file exists: take a screenshot, then remove the file; the program closes
//
// Each line reads "<control> <x> <y> <width> <height> <wholly-shown>", in screen pixels;
// wholly-shown is 1 when no enclosing widget or the screen's edge cuts the control. The
// boxes are found by their control ids among the shown widgets of the main window.
#include <QApplication>
#include <QFile>
#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdlib>

#include "criteria/gui/CBasicSearch.h"
#include "framework/CGeometryDynCreateWnd.h"

namespace scoutwell {
namespace {

constexpr const char* kReportControlsVariable = "SCOUTWELL_REPORT_CONTROLS";
constexpr const char* kQuitAfterStartVariable = "SCOUTWELL_QUIT_AFTER_START";
constexpr int kQuitAfterStartDelayMs = 500;
constexpr int kPollMs = 50;

bool whollyShown(const QWidget* control) {
    if (!control->isVisible())
        return false;
    const QWidget* window = control->window();
    const QRect whole(control->mapTo(window, QPoint(0, 0)), control->size());
    QRect shown = whole & window->rect();
    for (const QWidget* p = control->parentWidget(); p && p != window; p = p->parentWidget())
        shown &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
    return shown == whole && window->screen()->geometry().contains(onScreen);
}

QByteArray lineFor(const char* name, const QWidget* control) {
    if (!control)
        return QByteArray(name) + " 0 0 0 0 0\n";
    const QPoint at = control->mapToGlobal(QPoint(0, 0));
    return QStringLiteral("%1 %2 %3 %4 %5 %6\n")
        .arg(QString::fromLatin1(name))
        .arg(at.x())
        .arg(at.y())
        .arg(control->width())
        .arg(control->height())
        .arg(whollyShown(control) ? 1 : 0)
        .toLatin1();
}

// The shown control of that id: the one on the page in front in the active search window.
const QWidget* shownControl(const QWidget* frame, int controlId) {
    for (const QWidget* w : frame->findChildren<QWidget*>()) {
        if (w->isVisible() && controlIdOf(w) == controlId)
            return w;
    }
    return nullptr;
}

QMainWindow* exposedMainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* frame = qobject_cast<QMainWindow*>(w);
        if (frame && frame->isVisible() && frame->windowHandle() &&
            frame->windowHandle()->isExposed())
            return frame;
    }
    return nullptr;
}

void writeReport(const QWidget* frame, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(lineFor("FileName", shownControl(frame, kFileNameId)));
    file.write(lineFor("LookIn", shownControl(frame, kLookInId)));
    file.commit();
}

// Calls `act` once with the main window, when it is on the screen with its search window.
template <class Act>
void whenShown(Act act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(kPollMs);
    QObject::connect(poll, &QTimer::timeout, qApp, [act, poll] {
        QMainWindow* frame = exposedMainWindow();
        // The search window is made after the frame is shown.
        if (!frame || !shownControl(frame, kFileNameId))
            return;
        poll->stop();
        poll->deleteLater();
        act(frame);
    });
    poll->start();
}

void reportWhenShown(const QString& path) {
    whenShown([path](QMainWindow* frame) {
        writeReport(frame, path);
        auto* watcher = new QFileSystemWatcher(QStringList{path}, frame);
        QObject::connect(watcher, &QFileSystemWatcher::fileChanged, frame,
                         [frame](const QString& changed) {
                             if (!QFile::exists(changed))
                                 frame->close();
                         });
        // Removed before the watch began.
        if (!QFile::exists(path))
            frame->close();
    });
}

// Runs as the application object is made: the program's start-up is left to run first.
void startHooks() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (const char* path = std::getenv(kReportControlsVariable); path && *path) {
        const QString reportPath = QFile::decodeName(path);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [reportPath] { reportWhenShown(reportPath); },
            Qt::QueuedConnection);
    }
    if (const char* quit = std::getenv(kQuitAfterStartVariable); quit && *quit) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                whenShown([](QMainWindow* frame) {
                    QTimer::singleShot(kQuitAfterStartDelayMs, frame, &QWidget::close);
                });
            },
            Qt::QueuedConnection);
    }
}

}  // namespace
}  // namespace scoutwell

static void scoutwellStartTestHooks() {
    scoutwell::startHooks();
}
Q_COREAPP_STARTUP_FUNCTION(scoutwellStartTestHooks)
