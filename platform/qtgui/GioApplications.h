// The desktop applications registered for a file's type, through GIO's application
// information (desktop entries and mimeapps.list). No Qt here: GIO's headers and Qt's
// keywords do not mix.
//
//   for (const std::string& id : recommendedApplicationIds("/tmp/a.txt")) ...
//   launchApplication("org.gnome.TextEditor.desktop", {"/tmp/a.txt", "/tmp/b.txt"}, reason);
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scoutwell {

// The applications recommended for the type a file of this name has (the type is guessed
// from the name alone), in GIO's order: default first, then recently used.
std::vector<std::string> recommendedApplicationIds(const std::string& path);
// The applications that can open the type through a parent type (text/plain for most
// text files, and the like).
std::vector<std::string> fallbackApplicationIds(const std::string& path);
// The name a menu shows for the application; nothing when its desktop entry cannot be
// loaded.
std::optional<std::string> applicationName(const std::string& id);
// Starts the application with the files; its desktop entry's Exec codes decide whether
// it gets them all at once or one instance each. False, with GIO's reason, when it could
// not be started.
bool launchApplication(const std::string& id, const std::vector<std::string>& paths,
                       std::string& reason);
// Opens a URL (a file: URL opens the file or folder it names) with the default application
// for its type, as the desktop's file manager would: no helper program on the PATH is
// needed. False, with GIO's reason, when nothing could be started for it.
bool launchDefaultApplication(const std::string& url, std::string& reason);

}  // namespace scoutwell
