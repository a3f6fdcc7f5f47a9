#include "platform/qtgui/DesktopOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/qtgui/GioApplications.h"

namespace scoutwell {

namespace {

DesktopOpener& opener() {
    static DesktopOpener instance;
    return instance;
}

}  // namespace

bool openWithDefaultApplication(const QUrl& url, std::string& reason) {
    if (opener())
        return opener()(url, reason);
    return launchDefaultApplication(url.toEncoded().toStdString(), reason);
}

void setDesktopOpener(DesktopOpener newOpener) {
    opener() = std::move(newOpener);
}

QString helpPagePath() {
    const QString besideProgram =
        QDir(QCoreApplication::applicationDirPath()).filePath(SCOUTWELL_INSTALLED_HELP_RELATIVE);
    if (QFileInfo::exists(besideProgram))
        return QFileInfo(besideProgram).canonicalFilePath();
    const QString inSources = QString::fromUtf8(SCOUTWELL_SOURCE_HELP);
    if (QFileInfo::exists(inSources))
        return inSources;
    return {};
}

}  // namespace scoutwell
