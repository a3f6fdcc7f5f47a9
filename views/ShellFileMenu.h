// The context menu of two or more found files, and what its commands do.
//
//   ShellFileMenu menu;
//   if (menu.build(paths))
//       menu.showAndRun(QCursor::pos());
//
// It reads, top to bottom: "Open", "&Explore here...", one "Open with NAME" item per
// application registered for the first file's type (its recommended applications, then
// the fallback ones, each once), a separator, "&Copy", "&Delete". Every application is a
// handler owning a block of kIdsPerHandler command ids: handler k owns 20k+1 to 20k+19,
// and the menu's own items follow the last block (firstOwnId = 20 x handlers). An
// application that cannot be loaded takes no block; one that loads but cannot add its item
// keeps its block.
#pragma once

#include <QMenu>
#include <QPoint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "views/MemberHandOver.h"

namespace scoutwell {

class ShellServices;

inline constexpr const char* kOpenItem = "Open";
inline constexpr const char* kExploreHereItem = "&Explore here...";
inline constexpr const char* kCopyItem = "&Copy";
inline constexpr const char* kDeleteItem = "&Delete";
inline constexpr const char* kOpenWithItem = "Open with %s";

class ShellFileMenu {
  public:
    static constexpr int kIdsPerHandler = 20;
    static constexpr int kReservedHandlers = 100;
    // The own items' ids relative to firstOwnId. Offset 1 is never used.
    static constexpr int kSeparatorOffset = 0;
    static constexpr int kCopyOffset = 2;
    static constexpr int kDeleteOffset = 3;
    static constexpr int kOpenOffset = 4;
    static constexpr int kExploreOffset = 5;

    explicit ShellFileMenu(ShellServices& shell);
    ShellFileMenu();

    // Builds the menu for the files; false when there is nothing to show.
    bool build(const std::vector<std::string>& paths);
    // When some of the files are members of archives (MemberHandOver.h), before build():
    // commands that hand files over get `handOver`'s copies, Explore here shows
    // `onDisk` (their archives), and there is no Delete.
    void setMembers(std::function<HandOver()> handOver, std::vector<std::string> onDisk);
    // Shows the menu at a screen point and carries out the chosen command. The menu has no
    // parent window: the list it was opened from may go while it is open.
    void showAndRun(const QPoint& globalPos);
    // Carries out the command with this id; 0 (dismissed) and unknown ids do nothing.
    void carryOut(int id);

    QMenu& menu() { return *menu_; }
    int firstOwnId() const { return firstOwnId_; }
    // The application id of each handler, in handler order.
    const std::vector<std::string>& handlers() const { return handlers_; }

  private:
    void addHandlers(const std::vector<std::string>& applicationIds);
    void addHandler(const std::string& applicationId);
    QAction* ownItem(const char* text, int offset);

    ShellServices& shell_;
    std::unique_ptr<QMenu> menu_;
    std::vector<std::string> handlers_;
    std::vector<std::string> paths_;
    int firstOwnId_ = 0;
    std::function<HandOver()> handOver_;
    std::vector<std::string> onDisk_;
};

// Opens each file with its default application.
void openFiles(const std::vector<std::string>& paths, ShellServices& shell);
// For each file, its folder in the file manager with the file selected; where no file
// manager offers that, the folder with the default application. One call per file.
void exploreHere(const std::vector<std::string>& paths, ShellServices& shell);
// Puts the files on the clipboard as a copy; `shown`, when given, is their text.
void copyFilesToClipboard(const std::vector<std::string>& paths,
                          const std::vector<std::string>* shown = nullptr);

// Runs a popup in place of QMenu::exec (tests): returns the chosen action or null.
using PopupRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
void setPopupRunner(PopupRunner runner);
QAction* runPopup(QMenu& menu, const QPoint& globalPos);

}  // namespace scoutwell
