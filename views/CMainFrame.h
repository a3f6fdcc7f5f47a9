// The main window: one per process, holding a maximized window per open search, with the
// menus, toolbar, status bar and accelerators. Commands are routed to the active search
// window (its active pane, its document, the window itself) before the main window
// handles the framework's own ones (New, Open, Exit, toolbar and status bar, windows,
// About).
//
//   CMainFrame frame(app, manager);      // placement from the settings
//   manager.newDocument();               // shown through frame.addChild()
//   frame.showAtStart();
#pragma once

#include <QMainWindow>
#include <QString>
#include <map>
#include <vector>

#include "framework/Document.h"

class QAction;
class QIcon;
class QLabel;
class QMdiArea;
class QMenu;
class QMdiSubWindow;
class QToolBar;

namespace scoutwell {

class Application;
class CChildFrame;
class CDediDurarerDoc;
class DocumentManager;

inline constexpr const char* kMainFrameTitle = "Scoutwell";
inline constexpr const char* kReadyText = "Ready";
inline constexpr const char* kCapsIndicator = "CAP";
inline constexpr const char* kNumIndicator = "NUM";
inline constexpr const char* kScrollIndicator = "SCRL";
inline constexpr int kToolBarId = 0xE800;
inline constexpr int kStatusBarId = 0xE801;

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    // Both must outlive the frame. Connects itself as the manager's frame factory.
    CMainFrame(Application& app, DocumentManager& manager);
    ~CMainFrame() override;

    // Shows `doc` in a new maximized search window, which owns it.
    bool addChild(CDediDurarerDoc* doc);

    CChildFrame* activeChild() const;
    CDediDurarerDoc* activeDocument() const;
    std::vector<CChildFrame*> children() const;
    QMdiArea* mdiArea() const { return mdi_; }
    QToolBar* toolBar() const { return toolBar_; }

    // The action of a command id (menu, toolbar or accelerator), or null.
    QAction* action(int commandId) const;
    // Runs a command as its menu item would.
    void runCommand(int commandId);
    // Brings every action's enabled and checked state up to date.
    void updateCommands();

    // Shows the frame for the first time: maximized when it was maximized at the last
    // close (also when window sizes are not remembered), else in its normal state.
    void showAtStart();

    QString readyText() const;

    // Scoutwell's own icon, for the window and the taskbar.
    static QIcon programIcon();

    // False where the window system neither lets a window place itself nor tells it where
    // it is (Wayland): the frame then asks only for its size and keeps the stored position.
    static bool windowPositionsKnown();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* makeAction(int commandId, const QString& text, const char* prompt);
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void showMenusFor(bool withDocument);
    void fillRecentFiles(QMenu* menu);
    void fillWindowList();
    bool handleFrameCommand(int commandId);
    bool updateFrameCommand(int commandId, CommandState& state);
    void applyPlacement();
    void savePlacement();
    void updateTitle();
    void onSubWindowActivated(QMdiSubWindow* window);
    // Window > Tile and Window > Cascade over the search windows that are not minimized.
    void arrangeWindows(bool tile);
    // The smallest size a search window is arranged at.
    QSize usableWindowSize(const QMdiSubWindow* window) const;

    Application& app_;
    DocumentManager& manager_;
    QMdiArea* mdi_;
    QToolBar* toolBar_ = nullptr;
    std::map<int, QAction*> actions_;
    std::vector<QMenu*> documentMenus_;
    std::vector<QMenu*> frameMenus_;
    QMenu* documentFileMenu_ = nullptr;
    QMenu* frameFileMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    std::vector<QAction*> recentActions_;
    QLabel* capsLabel_ = nullptr;
    QLabel* numLabel_ = nullptr;
    QLabel* scrollLabel_ = nullptr;
    bool placementSaved_ = false;
    // The window's size is the system's choice, not a remembered one.
    bool systemSized_ = false;
};

}  // namespace scoutwell
