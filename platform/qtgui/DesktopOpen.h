// Opening files and pages with the user's default application (QDesktopServices), and
// where the program's help page lives.
//
//   openWithDefaultApplication(QUrl::fromLocalFile(path));
//
// Tests install an opener of their own so that nothing starts on the desktop.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace scoutwell {

using DesktopOpener = std::function<bool(const QUrl& url)>;

// False when no application could be started for the URL.
bool openWithDefaultApplication(const QUrl& url);
// Replaces QDesktopServices::openUrl; an empty opener restores it.
void setDesktopOpener(DesktopOpener opener);

// The help page beside the installed program (share/doc/scoutwell/help/index.html), else
// the one in the source tree; empty when neither exists.
QString helpPagePath();

}  // namespace scoutwell
