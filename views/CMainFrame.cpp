#include "views/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "app/core/Application.h"
#include "app/core/Settings.h"
#include "app/gui/CAboutDialog.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/CSearchForView.h"
#include "app/gui/DocumentManager.h"
#include "framework/CommandIds.h"
#include "views/CChildFrame.h"
#include "views/FramePlacement.h"

// A resource linked from a static library is registered by hand.
static void initProgramIconResource() {
    Q_INIT_RESOURCE(scoutwell);
}

namespace scoutwell {

namespace {

// One menu item or accelerator: its id, text, prompt ("status text\ntooltip") and keys.
struct CommandSpec {
    int id;
    const char* text;
    const char* prompt;
    const char* keys;
};

// Our own prompts, then the framework's standard ones for its commands.
constexpr CommandSpec kCommands[] = {
    {ID_FILE_NEW, "&New", "Create a new document\nNew", "Ctrl+N"},
    {ID_FILE_OPEN, "&Open Criteria...", "Open a search criteria file\nOpen", "Ctrl+O"},
    {ID_FILE_CLOSE, "&Close", "Close the active document\nClose", nullptr},
    {ID_FILE_SAVE, "&Save Criteria", "Save the current search criteria\nSave Criteria", "Ctrl+S"},
    {ID_FILE_SAVE_AS, "Save Criteria &As...", "Save the active document with a new name\nSave As",
     nullptr},
    {ID_SAVE_RESULTS, "Save R&esults...", "Save search results\nSave results", nullptr},
    {ID_FILE_PRINT, "&Print...", "Print the active document\nPrint", "Ctrl+P"},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Display full pages\nPrint Preview", nullptr},
    {ID_FILE_PRINT_SETUP, "P&rint Setup...", "Change the printer and printing options\nPage Setup",
     nullptr},
    {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit", "Ctrl+Q"},
    {ID_WORD_WRAP, "&Word Wrap", "Switch word wrapping on/off when viewing contents\nWord Wrap",
     nullptr},
    {ID_SET_FONT, "Set &Font...", "Set the font for the contents view\nSet Font", nullptr},
    {ID_SET_HIGHLIGHT_COLOUR, "Set &Highlight Colour...",
     "Set the colour for highlighting found text\nSet Colour", nullptr},
    {ID_CLEAR_HISTORY, "Cl&ear History...",
     "Clear history items in the drop down lists\nClear History", nullptr},
    {ID_SELECT_ALL, "Select Al&l", "Select all the files in the File List view\nSelect All",
     "Ctrl+A"},
    {ID_DELETE, "&Delete", "Delete current selection\nDelete", "Del"},
    {ID_EDIT_COPY, "&Copy", "Copy the selection and put it on the Clipboard\nCopy", "Ctrl+C"},
    {ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", nullptr},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle StatusBar", nullptr},
    {ID_SORT_BY_NAME, "&File name", nullptr, nullptr},
    {ID_SORT_BY_LOCATION, "&Location", nullptr, nullptr},
    {ID_SORT_BY_SIZE, "&Size", nullptr, nullptr},
    {ID_SORT_BY_TYPE, "&Type", nullptr, nullptr},
    {ID_SORT_BY_DATE, "&Date", nullptr, nullptr},
    {ID_SEARCH_START, "&Start", "Start the search\nStart", nullptr},
    {ID_SEARCH_STOP, "Sto&p", "Stop the current search\nStop", nullptr},
    {ID_ONE_PHASE, "One Phase Searching",
     "Toggle One Phase Searching for efficient contents searching of large drives (no progress "
     "meter)\nToggle One Phase Searching (for large drives)",
     nullptr},
    {ID_CONFIGURATION, "&Configuration...", "Modify configuration\nConfiguration", nullptr},
    {ID_TEST_REGEXP, "Reg Expression...", "Test regular expression engine", nullptr},
    {ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows", nullptr},
    {ID_WINDOW_TILE, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows", nullptr},
    {ID_WINDOW_ARRANGE, "&Arrange Icons",
     "Arrange icons at the bottom of the window\nArrange Icons", nullptr},
    {ID_HELP_CONTENTS, "Contents...", "Open Scoutwell help\nHelp", nullptr},
    {ID_APP_ABOUT, "About Scoutwell...",
     "Display program information, version number and copyright\nAbout", nullptr},
    // Accelerators without a menu item.
    {ID_OK, "Start", nullptr, "Return"},
    {ID_CANCEL, "Stop", nullptr, "Esc"},
    {ID_NEXT_PANE, "Next Pane", "Switch to the next window pane\nNext Pane", "F6"},
    {ID_PREV_PANE, "Previous Pane", "Switch back to the previous window pane\nPrevious Pane",
     "Shift+F6"},
};

// The menu of the frame without a search window uses plain "&Open..." for Open.
constexpr const char* kFrameOpenText = "&Open...";
constexpr const char* kRecentFileText = "&%1 %2";
constexpr const char* kRecentFilePrompt = "Open this document";
constexpr int kToolBarButtonWidth = 16;
constexpr int kToolBarButtonHeight = 15;
// A window the system places: this share of the screen, but wide enough for the whole
// criteria form when the screen allows.
constexpr double kDefaultFrameShare = 0.8;
// Narrower or lower than this, the criteria form and a few result rows no longer fit
// beside the menus and bars (the form scrolls sideways down to it).
constexpr int kMinimumFrameWidth = 400;
constexpr int kMinimumFrameHeight = 400;
// Tile and Cascade leave each search window at least the criteria form and this many rows
// of results.
constexpr int kUsableResultRows = 5;
constexpr const char* kProgramIcon = ":/scoutwell.svg";
// Qt's Wayland platforms ("wayland", "wayland-egl"): the compositor places every window
// and tells no program where.
constexpr const char* kWaylandPlatform = "wayland";

}  // namespace

CMainFrame::CMainFrame(Application& app, DocumentManager& manager)
    : app_(app), manager_(manager), mdi_(new QMdiArea(this)) {
    setWindowTitle(QString::fromLatin1(kMainFrameTitle));
    setWindowIcon(programIcon());
    setMinimumSize(kMinimumFrameWidth, kMinimumFrameHeight);
    setCentralWidget(mdi_);
    buildActions();
    buildMenus();
    buildToolBar();
    buildStatusBar();
    showMenusFor(false);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);
    connect(&manager_, &DocumentManager::recentFilesChanged, this, &CMainFrame::updateCommands);
    manager_.setFrameFactory([this](CDediDurarerDoc* doc) { return addChild(doc); });
    manager_.setFrameCloser([this](CDediDurarerDoc* doc) {
        for (QMdiSubWindow* window : mdi_->subWindowList()) {
            auto* child = qobject_cast<CChildFrame*>(window->widget());
            if (child && child->document() == doc)
                delete window;
        }
        onSubWindowActivated(mdi_->activeSubWindow());
    });
    qApp->installEventFilter(this);
    // Copy and Delete follow the pane that has the focus.
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::updateCommands);
    applyPlacement();
    updateCommands();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    manager_.setFrameFactory({});
    manager_.setFrameCloser({});
    // Search windows stop their searches while the frame's services still exist.
    for (QMdiSubWindow* window : mdi_->subWindowList())
        delete window;
}

QAction* CMainFrame::makeAction(int commandId, const QString& text, const char* prompt) {
    auto* action = new QAction(text, this);
    action->setData(commandId);
    if (prompt) {
        const QString all = QString::fromLatin1(prompt);
        const int split = all.indexOf(QLatin1Char('\n'));
        action->setStatusTip(split < 0 ? all : all.left(split));
        if (split >= 0)
            action->setToolTip(all.mid(split + 1));
    }
    connect(action, &QAction::triggered, this, [this, commandId] { runCommand(commandId); });
    actions_[commandId] = action;
    return action;
}

void CMainFrame::buildActions() {
    for (const CommandSpec& spec : kCommands) {
        QAction* action = makeAction(spec.id, QString::fromLatin1(spec.text), spec.prompt);
        if (spec.keys) {
            QList<QKeySequence> keys{QKeySequence(QString::fromLatin1(spec.keys))};
            if (spec.id == ID_OK)
                keys.append(QKeySequence(Qt::Key_Enter));
            action->setShortcuts(keys);
        }
        // Accelerators work wherever the focus is in the main window.
        addAction(action);
    }
    for (int id : {ID_WORD_WRAP, ID_ONE_PHASE, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR})
        actions_[id]->setCheckable(true);
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* recent = makeAction(ID_FILE_MRU_FILE1 + i, QString(), kRecentFilePrompt);
        recentActions_.push_back(recent);
    }
}

void CMainFrame::fillRecentFiles(QMenu* menu) {
    const QStringList files = manager_.recentFiles();
    for (int i = 0; i < files.size() && i < kRecentFileCount; ++i) {
        recentActions_[i]->setText(QString::fromLatin1(kRecentFileText).arg(i + 1).arg(files[i]));
        menu->addAction(recentActions_[i]);
    }
    if (!files.isEmpty())
        menu->addSeparator();
}

void CMainFrame::buildMenus() {
    auto a = [this](int id) { return actions_.at(id); };

    documentFileMenu_ = new QMenu(tr("&File"), this);
    connect(documentFileMenu_, &QMenu::aboutToShow, this, [this, a] {
        QMenu* m = documentFileMenu_;
        m->clear();
        for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                       ID_SAVE_RESULTS})
            m->addAction(a(id));
        m->addSeparator();
        for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP})
            m->addAction(a(id));
        m->addSeparator();
        fillRecentFiles(m);
        m->addAction(a(ID_APP_EXIT));
        updateCommands();
    });
    QMenu* edit = new QMenu(tr("&Edit"), this);
    for (int id : {ID_WORD_WRAP, ID_SET_FONT, ID_SET_HIGHLIGHT_COLOUR, ID_CLEAR_HISTORY})
        edit->addAction(a(id));
    edit->addSeparator();
    for (int id : {ID_SELECT_ALL, ID_DELETE, ID_EDIT_COPY})
        edit->addAction(a(id));
    QMenu* view = new QMenu(tr("&View"), this);
    view->addAction(a(ID_VIEW_TOOLBAR));
    view->addAction(a(ID_VIEW_STATUS_BAR));
    QMenu* sortBy = view->addMenu(tr("S&ort by"));
    for (int id :
         {ID_SORT_BY_NAME, ID_SORT_BY_LOCATION, ID_SORT_BY_SIZE, ID_SORT_BY_TYPE, ID_SORT_BY_DATE})
        sortBy->addAction(a(id));
    QMenu* search = new QMenu(tr("&Search"), this);
    for (int id : {ID_SEARCH_START, ID_SEARCH_STOP, ID_ONE_PHASE, ID_CONFIGURATION})
        search->addAction(a(id));
    QMenu* test = new QMenu(tr("&Test"), this);
    test->addAction(a(ID_TEST_REGEXP));
    windowMenu_ = new QMenu(tr("&Window"), this);
    connect(windowMenu_, &QMenu::aboutToShow, this, &CMainFrame::fillWindowList);
    QMenu* help = new QMenu(tr("&Help"), this);
    help->addAction(a(ID_HELP_CONTENTS));
    help->addSeparator();
    help->addAction(a(ID_APP_ABOUT));
    documentMenus_ = {documentFileMenu_, edit, view, search, test, windowMenu_, help};

    frameFileMenu_ = new QMenu(tr("&File"), this);
    connect(frameFileMenu_, &QMenu::aboutToShow, this, [this, a] {
        QMenu* m = frameFileMenu_;
        m->clear();
        m->addAction(a(ID_FILE_NEW));
        QAction* open = m->addAction(QString::fromLatin1(kFrameOpenText));
        open->setData(ID_FILE_OPEN);
        open->setStatusTip(a(ID_FILE_OPEN)->statusTip());
        connect(open, &QAction::triggered, this, [this] { runCommand(ID_FILE_OPEN); });
        m->addSeparator();
        m->addAction(a(ID_FILE_PRINT_SETUP));
        m->addSeparator();
        fillRecentFiles(m);
        m->addAction(a(ID_APP_EXIT));
        updateCommands();
    });
    QMenu* frameView = new QMenu(tr("&View"), this);
    frameView->addAction(a(ID_VIEW_TOOLBAR));
    frameView->addAction(a(ID_VIEW_STATUS_BAR));
    QMenu* frameHelp = new QMenu(tr("&Help"), this);
    frameHelp->addAction(a(ID_APP_ABOUT));
    frameMenus_ = {frameFileMenu_, frameView, frameHelp};

    for (QMenu* menu : {edit, view, search, windowMenu_, help, frameView, frameHelp})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommands);
    // Filled once now, so that the menus list their items before they are first opened.
    emit documentFileMenu_->aboutToShow();
    emit frameFileMenu_->aboutToShow();
}

void CMainFrame::showMenusFor(bool withDocument) {
    menuBar()->clear();
    for (QMenu* menu : withDocument ? documentMenus_ : frameMenus_)
        menuBar()->addMenu(menu);
}

void CMainFrame::fillWindowList() {
    windowMenu_->clear();
    for (int id : {ID_WINDOW_CASCADE, ID_WINDOW_TILE, ID_WINDOW_ARRANGE})
        windowMenu_->addAction(actions_.at(id));
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (!windows.isEmpty())
        windowMenu_->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QAction* item = windowMenu_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(window->widget()->windowTitle()));
        item->setCheckable(true);
        item->setChecked(window == mdi_->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, window] {
            mdi_->setActiveSubWindow(window);
            window->showMaximized();
        });
    }
    updateCommands();
}

void CMainFrame::buildToolBar() {
    toolBar_ = addToolBar(tr("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolbar%1").arg(kToolBarId));
    toolBar_->setIconSize(QSize(kToolBarButtonWidth, kToolBarButtonHeight));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setMovable(true);
    QStyle* s = style();
    auto button = [&](int id, const char* themeName, QStyle::StandardPixmap fallback) {
        QAction* a = actions_.at(id);
        a->setIcon(QIcon::fromTheme(QString::fromLatin1(themeName), s->standardIcon(fallback)));
        toolBar_->addAction(a);
    };
    button(ID_FILE_NEW, "document-new", QStyle::SP_FileIcon);
    button(ID_FILE_OPEN, "document-open", QStyle::SP_DialogOpenButton);
    button(ID_FILE_SAVE, "document-save", QStyle::SP_DialogSaveButton);
    button(ID_SAVE_RESULTS, "document-save-as", QStyle::SP_DriveFDIcon);
    toolBar_->addSeparator();
    button(ID_SEARCH_START, "media-playback-start", QStyle::SP_MediaPlay);
    button(ID_SEARCH_STOP, "media-playback-stop", QStyle::SP_MediaStop);
    toolBar_->addSeparator();
    button(ID_FILE_PRINT, "document-print", QStyle::SP_ComputerIcon);
    toolBar_->addSeparator();
    button(ID_APP_ABOUT, "help-about", QStyle::SP_MessageBoxInformation);
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusbar%1").arg(kStatusBarId));
    capsLabel_ = new QLabel(QString::fromLatin1(kCapsIndicator), bar);
    numLabel_ = new QLabel(QString::fromLatin1(kNumIndicator), bar);
    scrollLabel_ = new QLabel(QString::fromLatin1(kScrollIndicator), bar);
    for (QLabel* label : {capsLabel_, numLabel_, scrollLabel_}) {
        // Greyed until the key is seen switched on.
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
    // Whenever a prompt or a message goes away, the idle text returns.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(QString::fromLatin1(kReadyText));
    });
    bar->showMessage(QString::fromLatin1(kReadyText));
}

QString CMainFrame::readyText() const {
    return QString::fromLatin1(kReadyText);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        QLabel* label = key == Qt::Key_CapsLock     ? capsLabel_
                        : key == Qt::Key_NumLock    ? numLabel_
                        : key == Qt::Key_ScrollLock ? scrollLabel_
                                                    : nullptr;
        if (label && watched == QApplication::focusWidget())
            label->setEnabled(!label->isEnabled());
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::windowPositionsKnown() {
    return !QGuiApplication::platformName().startsWith(QLatin1String(kWaylandPlatform));
}

QIcon CMainFrame::programIcon() {
    initProgramIconResource();
    return QIcon(QString::fromLatin1(kProgramIcon));
}

bool CMainFrame::addChild(CDediDurarerDoc* doc) {
    const int width = mdi_->viewport()->width() > 1 ? mdi_->viewport()->width() : this->width();
    auto* child = new CChildFrame(doc, width);
    if (systemSized_ && !isVisible()) {
        // The first search window decides how wide a window the system places must be.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int wanted = child->criteriaForm()->sizeHint().width() + 2 * mdi_->frameWidth();
        const int most = screen ? screen->availableGeometry().width() : wanted;
        if (this->width() < wanted)
            resize(std::min(wanted, most), height());
    }
    QMdiSubWindow* window = mdi_->addSubWindow(child);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(child->windowTitle());
    connect(child, &QWidget::windowTitleChanged, window, &QWidget::setWindowTitle);
    connect(child, &QWidget::windowTitleChanged, this, &CMainFrame::updateTitle);
    connect(doc, &CDediDurarerDoc::searchStateChanged, this, &CMainFrame::updateCommands);
    window->showMaximized();
    mdi_->setActiveSubWindow(window);
    onSubWindowActivated(window);
    return true;
}

QSize CMainFrame::usableWindowSize(const QMdiSubWindow* window) const {
    const auto* child = qobject_cast<const CChildFrame*>(window->widget());
    if (!child)
        return window->minimumSizeHint();
    // The whole criteria form, so that Start search, Stop and Expert User are in view, and
    // a few rows of results under it.
    const QSize form = child->criteriaForm()->sizeHint();
    const QSize frame = window->size() - window->contentsRect().size();
    const int rows = child->fontMetrics().lineSpacing() * kUsableResultRows;
    return QSize(form.width(), form.height() + rows) + frame;
}

void CMainFrame::arrangeWindows(bool tile) {
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isMinimized() && !window->isHidden())
            windows.push_back(window);
    }
    if (windows.empty())
        return;
    QSize usable(0, 0);
    for (QMdiSubWindow* window : windows) {
        if (window->isMaximized())
            window->showNormal();
        usable = usable.expandedTo(usableWindowSize(window));
    }
    const QSize area = mdi_->viewport()->size();
    const int count = static_cast<int>(windows.size());
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.front());
    const std::vector<WindowRect> rects =
        tile ? tileWindows(count, area.width(), area.height(), usable.width(), usable.height())
             : cascadeWindows(count, area.width(), area.height(), usable.width(), usable.height(),
                              step);
    // The active window stays in front; a cascade puts it last, where it is whole.
    for (int i = 0; i < count; ++i) {
        const WindowRect& r = rects[static_cast<std::size_t>(i)];
        windows[static_cast<std::size_t>(i)]->setGeometry(r.x, r.y, r.width, r.height);
        windows[static_cast<std::size_t>(i)]->raise();
    }
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow* window) {
    // Search windows are always maximized, whatever state they are activated in.
    if (window && !window->isMaximized())
        window->showMaximized();
    showMenusFor(!mdi_->subWindowList().isEmpty());
    updateTitle();
    updateCommands();
}

CChildFrame* CMainFrame::activeChild() const {
    QMdiSubWindow* window = mdi_->activeSubWindow();
    if (!window) {
        const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
        if (windows.size() == 1)
            window = windows.front();
    }
    return window ? qobject_cast<CChildFrame*>(window->widget()) : nullptr;
}

CDediDurarerDoc* CMainFrame::activeDocument() const {
    CChildFrame* child = activeChild();
    return child ? child->document() : nullptr;
}

std::vector<CChildFrame*> CMainFrame::children() const {
    std::vector<CChildFrame*> list;
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window->widget()))
            list.push_back(child);
    return list;
}

QAction* CMainFrame::action(int commandId) const {
    auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::updateTitle() {
    // Search windows are always maximized, so the caption names the active one; also
    // the first, made before this window was shown.
    QString title = QString::fromLatin1(kMainFrameTitle);
    if (CChildFrame* child = activeChild())
        title += QStringLiteral(" - [%1]").arg(child->windowTitle());
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    updateTitle();
}

void CMainFrame::runCommand(int commandId) {
    if (QAction* a = action(commandId); a && !a->isEnabled())
        return;
    CChildFrame* child = activeChild();
    if (!(child && child->routeCommand(commandId)))
        handleFrameCommand(commandId);
    updateCommands();
}

bool CMainFrame::handleFrameCommand(int commandId) {
    if (commandId >= ID_FILE_MRU_FILE1 && commandId < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const QStringList files = manager_.recentFiles();
        const int index = commandId - ID_FILE_MRU_FILE1;
        if (index < files.size())
            manager_.openDocument(files[index]);
        return true;
    }
    switch (commandId) {
        case ID_FILE_NEW:
            manager_.newDocument();
            return true;
        case ID_FILE_OPEN:
            manager_.openWithDialog(this);
            return true;
        case ID_FILE_CLOSE:
            if (QMdiSubWindow* window = mdi_->activeSubWindow())
                window->close();
            return true;
        case ID_FILE_SAVE:
            manager_.save(activeDocument(), this);
            return true;
        case ID_FILE_SAVE_AS:
            manager_.saveAs(activeDocument(), this);
            return true;
        case ID_FILE_PRINT_SETUP: {
            QPrinter printer;
            QPageSetupDialog dialog(&printer, this);
            dialog.exec();
            return true;
        }
        case ID_APP_EXIT:
            close();
            return true;
        case ID_VIEW_TOOLBAR:
            toolBar_->setVisible(!toolBar_->isVisible());
            return true;
        case ID_VIEW_STATUS_BAR:
            statusBar()->setVisible(!statusBar()->isVisible());
            return true;
        case ID_WINDOW_CASCADE:
            arrangeWindows(/*tile=*/false);
            return true;
        case ID_WINDOW_TILE:
            arrangeWindows(/*tile=*/true);
            return true;
        case ID_WINDOW_ARRANGE:
            // Minimized windows line up along the bottom, as tiling puts them.
            mdi_->tileSubWindows();
            return true;
        case ID_APP_ABOUT: {
            CAboutDialog about(this);
            about.exec();
            return true;
        }
        default:
            return false;
    }
}

bool CMainFrame::updateFrameCommand(int commandId, CommandState& state) {
    const bool hasChild = activeChild() != nullptr;
    if (commandId >= ID_FILE_MRU_FILE1 && commandId < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        state.enabled = commandId - ID_FILE_MRU_FILE1 < manager_.recentFiles().size();
        return true;
    }
    switch (commandId) {
        case ID_FILE_NEW:
        case ID_FILE_OPEN:
        case ID_FILE_PRINT_SETUP:
        case ID_APP_EXIT:
        case ID_APP_ABOUT:
            state.enabled = true;
            return true;
        case ID_VIEW_TOOLBAR:
            state.checkable = true;
            state.checked = toolBar_->isVisibleTo(this);
            return true;
        case ID_VIEW_STATUS_BAR:
            state.checkable = true;
            state.checked = statusBar()->isVisibleTo(this);
            return true;
        case ID_FILE_CLOSE:
        case ID_FILE_SAVE:
        case ID_FILE_SAVE_AS:
        case ID_WINDOW_CASCADE:
        case ID_WINDOW_TILE:
        case ID_WINDOW_ARRANGE:
            state.enabled = hasChild;
            return true;
        case ID_SEARCH_START:
            // Without a search window there is nothing running that would forbid it.
            state.enabled = true;
            return true;
        default:
            return false;
    }
}

void CMainFrame::updateCommands() {
    if (!toolBar_)
        return;  // still being built
    CChildFrame* child = activeChild();
    for (auto& [id, action] : actions_) {
        CommandState state;
        bool decided = child && child->routeCommandUpdate(id, state);
        if (!decided)
            decided = updateFrameCommand(id, state);
        if (!decided)
            state.enabled = false;  // no handler anywhere
        action->setEnabled(state.enabled);
        if (state.checkable) {
            action->setCheckable(true);
            action->setChecked(state.checked);
        }
    }
}

void CMainFrame::applyPlacement() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const FramePlacement p =
        framePlacementFromSettings(app_.settings(), desktop.width(), desktop.height());
    const QRect available = screen ? screen->availableGeometry() : desktop;
    const int width = p.width != kLetSystemChoose
                          ? p.width
                          : static_cast<int>(available.width() * kDefaultFrameShare);
    const int height = p.height != kLetSystemChoose
                           ? p.height
                           : static_cast<int>(available.height() * kDefaultFrameShare);
    systemSized_ = p.width == kLetSystemChoose;
    // The position is the restored client rectangle's, as savePlacement stores it: a
    // frame position would move the window by its title bar at every start. Where the
    // compositor places windows the size alone is asked for.
    if (p.x != kLetSystemChoose && p.y != kLetSystemChoose && windowPositionsKnown())
        setGeometry(p.x, p.y, width, height);
    else
        resize(width, height);
}

void CMainFrame::showAtStart() {
    if (readSetting(app_.settings(), kFrameMaximized) != 0)
        showMaximized();
    else
        show();
    update();
}

void CMainFrame::savePlacement() {
    if (placementSaved_)
        return;
    placementSaved_ = true;
    QRect normal = normalGeometry();
    if (!normal.isValid())
        normal = geometry();
    saveFramePlacement(app_.settings(), isMaximized(), windowPositionsKnown(), normal.x(),
                       normal.y(), normal.width(), normal.height());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Each search window stops its search and waits for it as it closes.
    mdi_->closeAllSubWindows();
    savePlacement();
    event->accept();
}

}  // namespace scoutwell
