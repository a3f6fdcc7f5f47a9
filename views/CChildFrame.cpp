#include "views/CChildFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/core/Application.h"
#include "app/core/Settings.h"
#include "app/gui/CClearHistoryDialog.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/CSearchForView.h"
#include "app/gui/CTestRegExpDialog.h"
#include "criteria/gui/MainPageFactory.h"
#include "framework/CommandIds.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "views/CDediDurarerView.h"
#include "views/CFileContentsView.h"
#include "views/FramePlacement.h"

namespace scoutwell {

namespace {

// A bar that ignores the mouse: no drag, no split cursor.
class FixedHandle : public QSplitterHandle {
  public:
    FixedHandle(Qt::Orientation orientation, QSplitter* parent)
        : QSplitterHandle(orientation, parent) {
        setCursor(Qt::ArrowCursor);
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override { event->ignore(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->ignore(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->ignore(); }
    void mouseMoveEvent(QMouseEvent* event) override { event->ignore(); }
};

// After its own handling, a release tells the frame to store the list's width; also after
// a click that did not move the bar.
class FileListHandle : public QSplitterHandle {
  public:
    FileListHandle(Qt::Orientation orientation, ResultPaneSplitter* parent)
        : QSplitterHandle(orientation, parent), splitter_(parent) {}

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QSplitterHandle::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && splitter_->frame())
            sendSearchMessage(splitter_->frame(), WM_SAVE_FILE_LIST_WIDTH);
    }

  private:
    ResultPaneSplitter* splitter_;
};

}  // namespace

CriteriaRowSplitter::CriteriaRowSplitter(QWidget* parent) : QSplitter(Qt::Vertical, parent) {
    setChildrenCollapsible(false);
}

QSplitterHandle* CriteriaRowSplitter::createHandle() {
    return new FixedHandle(orientation(), this);
}

CriteriaRowArea::CriteriaRowArea(CSearchForView* form, QWidget* parent)
    : QScrollArea(parent), form_(form) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The form is stretched to the row's width but never below its design.
    setWidgetResizable(true);
    setWidget(form);
    fitHeight();
}

void CriteriaRowArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    fitHeight();
}

void CriteriaRowArea::fitHeight() {
    const QSize design = form_->minimumSizeHint();
    const bool scrolls = width() < design.width();
    const int height = design.height() + (scrolls ? horizontalScrollBar()->sizeHint().height() : 0);
    if (minimumHeight() != height || maximumHeight() != height)
        setFixedHeight(height);
    // A splitter keeps the size it gave a pane even when the pane cannot take it.
    if (auto* splitter = qobject_cast<QSplitter*>(parentWidget())) {
        const QList<int> sizes = splitter->sizes();
        if (sizes.size() == 2 && sizes[0] != height)
            splitter->setSizes({height, sizes[0] + sizes[1] - height});
    }
}

ResultPaneSplitter::ResultPaneSplitter(CChildFrame* frame, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), frame_(frame) {}

QSplitterHandle* ResultPaneSplitter::createHandle() {
    return new FileListHandle(orientation(), this);
}

void ResultPaneSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    if (frame_)
        frame_->applyStartListWidth();
}

CChildFrame::CChildFrame(CDediDurarerDoc* doc, int creationWidth, QWidget* parent)
    : QWidget(parent), doc_(doc) {
    outer_ = new CriteriaRowSplitter(this);
    form_ = new CSearchForView(doc, createMainPage, outer_);
    criteriaRow_ = new CriteriaRowArea(form_, outer_);
    outer_->addWidget(criteriaRow_);
    inner_ = new ResultPaneSplitter(this, outer_);
    outer_->addWidget(inner_);
    list_ = new CDediDurarerView(doc, inner_);
    inner_->addWidget(list_);
    contents_ = new CFileContentsView(doc, inner_);
    inner_->addWidget(contents_);

    // The form keeps its designed height; the result panes take the rest.
    outer_->setStretchFactor(0, 0);
    outer_->setStretchFactor(1, 1);
    outer_->setSizes({criteriaRow_->minimumHeight(), kInitialPaneWidth});

    // Once the user has placed the bar, a wider or narrower window changes the contents
    // pane only.
    inner_->setChildrenCollapsible(true);
    list_->setMinimumWidth(0);
    inner_->setStretchFactor(0, 0);
    inner_->setStretchFactor(1, 1);
    inner_->setSizes({kInitialPaneWidth, kInitialPaneWidth});
    if (rememberWindowSize(doc_->settings())) {
        // The window is made before it has the size it is shown with, so the width is
        // worked out from the real width each time the panes are resized.
        storedListWidth_ = readSetting(doc_->settings(), kFileListWidth);
        startWidthPending_ = true;
        applyStartListWidth(creationWidth);
        connect(inner_, &QSplitter::splitterMoved, this, [this] { startWidthPending_ = false; });
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(outer_);
    setWindowTitle(doc_->title());
    connect(doc_.get(), &Document::titleChanged, this, &QWidget::setWindowTitle);
    lastActive_ = list_;
}

CChildFrame::~CChildFrame() {
    if (doc_)
        doc_->stopSearch();
    // The panes go before their document: a pane may still use it while it is destroyed.
    delete outer_;
    outer_ = nullptr;
    doc_.reset();
}

void CChildFrame::applyStartListWidth() {
    applyStartListWidth(inner_->width());
}

void CChildFrame::applyStartListWidth(int windowWidth) {
    if (!startWidthPending_)
        return;
    const int panes = windowWidth - inner_->handleWidth();
    if (panes <= 0)
        return;
    int listWidth = initialFileListWidth(storedListWidth_, windowWidth);
    if (panes >= 2 * kMinimumResultPaneWidth)
        listWidth = std::clamp(listWidth, kMinimumResultPaneWidth, panes - kMinimumResultPaneWidth);
    else
        listWidth = panes / 2;
    inner_->setSizes({listWidth, panes - listWidth});
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (doc_)
        doc_->stopSearch();
    event->accept();
}

QWidget* CChildFrame::activeView() const {
    const QWidget* focus = QApplication::focusWidget();
    for (QWidget* pane : {static_cast<QWidget*>(form_), static_cast<QWidget*>(list_),
                          static_cast<QWidget*>(contents_)}) {
        if (focus && (focus == pane || pane->isAncestorOf(focus)))
            return pane;
    }
    return lastActive_;
}

void CChildFrame::setActiveView(QWidget* view) {
    if (view != form_ && view != list_ && view != contents_)
        return;
    lastActive_ = view;
    // The form itself takes no typing: its first field does.
    if (view == form_)
        form_->focusFirstField();
    else
        view->setFocus(Qt::OtherFocusReason);
}

void CChildFrame::cyclePane(int step) {
    const std::array<QWidget*, 3> panes{form_, list_, contents_};
    QWidget* current = activeView();
    int index = 0;
    for (int i = 0; i < 3; ++i)
        if (panes[i] == current)
            index = i;
    setActiveView(panes[(index + step + 3) % 3]);
}

bool CChildFrame::routeCommand(int commandId) {
    if (auto* target = dynamic_cast<CommandTarget*>(activeView()))
        if (target->handleCommand(commandId))
            return true;
    // Enter and Escape belong to the criteria form wherever the focus is.
    if ((commandId == ID_OK || commandId == ID_CANCEL) && form_->handleCommand(commandId))
        return true;
    if (doc_ && doc_->handleCommand(commandId))
        return true;
    return handleCommand(commandId);
}

bool CChildFrame::routeCommandUpdate(int commandId, CommandState& state) {
    if (auto* target = dynamic_cast<CommandTarget*>(activeView()))
        if (target->updateCommand(commandId, state))
            return true;
    if ((commandId == ID_OK || commandId == ID_CANCEL) && form_->updateCommand(commandId, state))
        return true;
    if (doc_ && doc_->updateCommand(commandId, state))
        return true;
    return updateCommand(commandId, state);
}

bool CChildFrame::handleCommand(int commandId) {
    switch (commandId) {
        case ID_WORD_WRAP: {
            doc_->setWordWrap(!doc_->wordWrap);
            SearchProgressNote note(doc_->wordWrap ? 1 : 0, std::string());
            doc_->sendToAllViews(WM_TOGGLE_WORDWRAP, &note);
            return true;
        }
        case ID_SET_FONT:
            doc_->sendToAllViews(WM_SET_CONTENTS_FONT);
            return true;
        case ID_SEARCH_START:
            doc_->sendToAllViews(WM_START_SEARCH);
            return true;
        case ID_SEARCH_STOP:
            doc_->sendToAllViews(WM_STOP_SEARCH);
            return true;
        case ID_FILE_PRINT:
            doc_->sendToAllViews(WM_PRINT_CONTENTS);
            return true;
        case ID_FILE_PRINT_PREVIEW:
            doc_->sendToAllViews(WM_PREVIEW_CONTENTS);
            return true;
        case ID_TEST_REGEXP:
            runRegExpTestDialog();
            return true;
        case ID_CLEAR_HISTORY: {
            runClearHistoryDialog();
            // Whatever the dialog did, the lists show what the store now holds.
            Application& app = doc_->application();
            app.folderHistory.load();
            app.contentsHistory.load();
            app.fileNameHistory.load();
            return true;
        }
        case ID_NEXT_PANE:
            cyclePane(1);
            return true;
        case ID_PREV_PANE:
            cyclePane(-1);
            return true;
        default:
            return false;
    }
}

bool CChildFrame::updateCommand(int commandId, CommandState& state) {
    switch (commandId) {
        case ID_WORD_WRAP:
            state.enabled = true;
            state.checkable = true;
            state.checked = doc_->wordWrap;
            return true;
        case ID_SEARCH_START:
            state.enabled = !doc_->searching();
            return true;
        case ID_SEARCH_STOP:
            state.enabled = doc_->searching();
            return true;
        case ID_SET_FONT:
        case ID_FILE_PRINT:
        case ID_FILE_PRINT_PREVIEW:
        case ID_TEST_REGEXP:
        case ID_CLEAR_HISTORY:
        case ID_NEXT_PANE:
        case ID_PREV_PANE:
            state.enabled = true;
            return true;
        default:
            return false;
    }
}

void CChildFrame::runRegExpTestDialog() {
    CTestRegExpDialog dialog(doc_->settings(), this);
    dialog.exec();
}

void CChildFrame::runClearHistoryDialog() {
    CClearHistoryDialog dialog(doc_->settings(), this);
    dialog.exec();
}

void CChildFrame::customEvent(QEvent* event) {
    SearchEvent* message = SearchEvent::from(event);
    if (!message)
        return;
    if (message->message() == WM_SAVE_FILE_LIST_WIDTH) {
        if (rememberWindowSize(doc_->settings()))
            writeSetting(doc_->settings(), kFileListWidth, inner_->sizes().value(0));
        message->result = 1;
    } else if (message->message() == WM_ACTIVATE_VIEW) {
        if (message->view)
            setActiveView(message->view);
        message->result = 1;
    }
}

}  // namespace scoutwell
