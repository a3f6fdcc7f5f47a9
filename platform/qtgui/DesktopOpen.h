// Opening files and pages with the user's default application (through GIO, as a file
// manager does: no helper program on the PATH is needed), and where the program's help
// page lives.
//
//   std::string reason;
//   if (!openWithDefaultApplication(QUrl::fromLocalFile(path), reason)) tell(path, reason);
//
// Tests install an opener of their own so that nothing starts on the desktop.
//
// Exercised by tests/gui/ExploreHereBusTest.cpp, tests/gui/ResultListViewTest.cpp,
//  tests/gui/SearchDocumentTest.cpp.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

namespace scoutwell {

using DesktopOpener = std::function<bool(const QUrl& url, std::string& reason)>;

// False, with the reason in the desktop's words, when no application could be started
// for the URL.
bool openWithDefaultApplication(const QUrl& url, std::string& reason);
// Replaces the desktop's opener; an empty opener restores it.
void setDesktopOpener(DesktopOpener opener);

// The help page beside the installed program (share/doc/scoutwell/help/index.html), else
// the one in the source tree; empty when neither exists.
QString helpPagePath();

}  // namespace scoutwell
