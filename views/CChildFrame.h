// One search window inside the main frame: the criteria form on top (its bar cannot be
// dragged) and, below it, the result list and the contents view side by side in a splitter
// whose position is remembered as "FileListWidth". It owns its document and turns the
// menu commands it handles into messages to the document's views.
//
//   auto* frame = new CChildFrame(doc, /*creationWidth=*/area->width());
//   frame->routeCommand(ID_SEARCH_START);   // active view, document, then the frame
//
// Exercised by tests/gui/FirstSightTest.cpp, tests/gui/MainFrameTest.cpp,
//  tests/gui/ResultListShellTest.cpp, tests/gui/ResultListViewTest.cpp,
//  tests/gui/SettingsDialogsTest.cpp, tests/gui/TestRegExpDialogTest.cpp.
#pragma once

#include <QScrollArea>
#include <QSplitter>
#include <QWidget>
#include <memory>

#include "framework/Document.h"

namespace scoutwell {

class CDediDurarerDoc;
class CDediDurarerView;
class CFileContentsView;
class CSearchForView;
class CChildFrame;

inline constexpr int kInitialPaneWidth = 400;
// Neither result pane is made narrower than this at start when the window has room for
// both.
inline constexpr int kMinimumResultPaneWidth = 60;

// The bar between the criteria form and the result panes: fixed.
class CriteriaRowSplitter : public QSplitter {
    Q_OBJECT

  public:
    explicit CriteriaRowSplitter(QWidget* parent);

  protected:
    QSplitterHandle* createHandle() override;
};

// The criteria row: the form at its designed height and at least its designed width; a
// window narrower than that scrolls the form sideways, and the row grows by the scroll
// bar so that nothing of the form is covered.
class CriteriaRowArea : public QScrollArea {
    Q_OBJECT

  public:
    CriteriaRowArea(CSearchForView* form, QWidget* parent);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitHeight();

    CSearchForView* form_;
};

// The bar between the result list and the contents view; a mouse release on it stores
// the list's width through the child frame.
class ResultPaneSplitter : public QSplitter {
    Q_OBJECT

  public:
    ResultPaneSplitter(CChildFrame* frame, QWidget* parent);
    CChildFrame* frame() const { return frame_; }

  protected:
    QSplitterHandle* createHandle() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    CChildFrame* frame_;
};

class CChildFrame : public QWidget, public CommandTarget {
    Q_OBJECT

  public:
    // Takes ownership of `doc`. `creationWidth` is the width the window is made with.
    CChildFrame(CDediDurarerDoc* doc, int creationWidth, QWidget* parent = nullptr);
    // Stops the document's search and waits for it before anything else goes.
    ~CChildFrame() override;

    CDediDurarerDoc* document() const { return doc_.get(); }
    CSearchForView* criteriaForm() const { return form_; }
    CDediDurarerView* resultList() const { return list_; }
    CFileContentsView* contentsView() const { return contents_; }
    CriteriaRowSplitter* criteriaRowSplitter() const { return outer_; }
    CriteriaRowArea* criteriaRow() const { return criteriaRow_; }
    ResultPaneSplitter* resultPaneSplitter() const { return inner_; }

    // The pane holding the keyboard focus, else the last one activated.
    QWidget* activeView() const;
    void setActiveView(QWidget* view);

    // The active view, then the document, then this frame; false when none handled it.
    bool routeCommand(int commandId);
    bool routeCommandUpdate(int commandId, CommandState& state);

    bool handleCommand(int commandId) override;
    bool updateCommand(int commandId, CommandState& state) override;

    // Until the user moves the bar, the list keeps the width it starts with (the stored
    // one, or half the window) whatever size the window takes on its way to the screen.
    void applyStartListWidth();

  protected:
    void customEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void applyStartListWidth(int windowWidth);
    void cyclePane(int step);
    // The Reg Expression test and Clear History dialogs, modal over this window.
    void runRegExpTestDialog();
    void runClearHistoryDialog();

    std::unique_ptr<CDediDurarerDoc> doc_;
    CriteriaRowSplitter* outer_;
    CriteriaRowArea* criteriaRow_;
    ResultPaneSplitter* inner_;
    CSearchForView* form_;
    CDediDurarerView* list_;
    CFileContentsView* contents_;
    QWidget* lastActive_ = nullptr;
    // The stored list width (less than 1: half the window) while it still applies.
    bool startWidthPending_ = false;
    int storedListWidth_ = -1;
};

}  // namespace scoutwell
