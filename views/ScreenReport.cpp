#include "views/ScreenReport.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/gui/CSearchForView.h"
#include "criteria/gui/CBasicSearch.h"
#include "views/CChildFrame.h"
#include "views/CMainFrame.h"

namespace scoutwell {

namespace {

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

void writeReport(CMainFrame& frame, const QString& path) {
    CChildFrame* child = frame.activeChild();
    QWidget* page = child ? child->criteriaForm()->sheet()->currentWidget() : nullptr;
    const QWidget* fileName = page ? findControl(page, kFileNameId) : nullptr;
    const QWidget* lookIn = page ? findControl(page, kLookInId) : nullptr;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(lineFor("FileName", fileName));
    file.write(lineFor("LookIn", lookIn));
    file.commit();
}

}  // namespace

void reportControlsWhenShown(CMainFrame& frame, const QString& path) {
    auto* poll = new QTimer(&frame);
    poll->setInterval(kPollMs);
    QObject::connect(poll, &QTimer::timeout, &frame, [&frame, path, poll] {
        if (!frame.windowHandle() || !frame.windowHandle()->isExposed())
            return;
        poll->stop();
        poll->deleteLater();
        writeReport(frame, path);
        auto* watcher = new QFileSystemWatcher(QStringList{path}, &frame);
        QObject::connect(watcher, &QFileSystemWatcher::fileChanged, &frame,
                         [&frame](const QString& changed) {
                             if (!QFile::exists(changed))
                                 frame.close();
                         });
        // Removed before the watch began.
        if (!QFile::exists(path))
            frame.close();
    });
    poll->start();
}

}  // namespace scoutwell
