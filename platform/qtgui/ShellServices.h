// What the desktop does for the program with found files: the applications registered
// for a file's type, starting them, the default application, the file manager's
// FileManager1 service, the Trash and the confirmation before it.
//
//   ShellServices& shell = shellServices();   // the desktop's, or a test's stand-in
//   if (!shell.showItems(path)) shell.openWithDefault(folderOfPath(path));
//
// Paths are byte strings; nothing here shows an error: what fails says why, and callers
// decide what to report.
//
// Exercised by tests/gui/ExploreHereBusTest.cpp.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scoutwell {

class ShellServices {
  public:
    virtual ~ShellServices() = default;

    // Ids of the applications recommended for the type of a file so named.
    virtual std::vector<std::string> recommendedApplications(const std::string& path) = 0;
    // Ids of the applications that open any file of that kind (the fallback ones).
    virtual std::vector<std::string> fallbackApplications(const std::string& path) = 0;
    // The application's name; nothing when it cannot be loaded.
    virtual std::optional<std::string> applicationName(const std::string& id) = 0;
    // False, with the reason, when the application could not be started.
    virtual bool launchApplication(const std::string& id, const std::vector<std::string>& paths,
                                   std::string& reason) = 0;

    // Opens a file or folder with the user's default application; false with the reason.
    virtual bool openWithDefault(const std::string& path, std::string& reason) = 0;
    // Shows the file selected in its folder through org.freedesktop.FileManager1; false
    // when no file manager on the session bus took the call.
    virtual bool showItems(const std::string& path) = 0;
    // Whether a file manager on the session bus may show a file's properties, and asking
    // it to.
    virtual bool offersItemProperties() = 0;
    virtual bool showItemProperties(const std::string& path) = 0;

    // A Yes/No question before files go to the Trash; true for Yes.
    virtual bool confirm(const std::string& question) = 0;
    virtual bool moveToTrash(const std::string& path) = 0;
};

// GIO, D-Bus, the freedesktop Trash and a modal question box.
class DesktopShellServices : public ShellServices {
  public:
    std::vector<std::string> recommendedApplications(const std::string& path) override;
    std::vector<std::string> fallbackApplications(const std::string& path) override;
    std::optional<std::string> applicationName(const std::string& id) override;
    bool launchApplication(const std::string& id, const std::vector<std::string>& paths,
                           std::string& reason) override;
    bool openWithDefault(const std::string& path, std::string& reason) override;
    bool showItems(const std::string& path) override;
    bool offersItemProperties() override;
    bool showItemProperties(const std::string& path) override;
    bool confirm(const std::string& question) override;
    bool moveToTrash(const std::string& path) override;
};

// The installed services; the desktop's when none was installed.
ShellServices& shellServices();
// Installs `services` (not owned) for the process; nullptr restores the desktop's.
void setShellServices(ShellServices* services);

}  // namespace scoutwell
