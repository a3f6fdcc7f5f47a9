// A main window with one search window, as the criteria-form tests drive it.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <functional>
#include <memory>

#include "GuiTestSupport.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/COptionsTab.h"
#include "app/gui/CSearchForView.h"
#include "app/gui/CSearchPropertyPage.h"
#include "app/gui/DocumentManager.h"
#include "views/CChildFrame.h"
#include "views/CMainFrame.h"

namespace scoutwell::testing {

class SearchFormTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        openWindow();
    }
    void TearDown() override {
        frame.reset();
        manager.reset();
        GuiTest::TearDown();
    }

    void openWindow() {
        frame.reset();
        manager = std::make_unique<DocumentManager>(app);
        frame = std::make_unique<CMainFrame>(app, *manager);
        frame->resize(1000, 700);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        ASSERT_NE(manager->newDocument(), nullptr);
        child = frame->activeChild();
        ASSERT_NE(child, nullptr);
        form = child->criteriaForm();
        doc = child->document();
        QCoreApplication::processEvents();
    }

    // Puts criteria into the document as if the user had typed them into the pages.
    void setCriteria(const std::function<void(SearchCriteria&)>& change) {
        change(doc->editedCriteria);
        for (CSearchPropertyPage* page :
             {form->sheet()->mainPage(),
              static_cast<CSearchPropertyPage*>(form->sheet()->optionsPage())})
            if (page->initialised())
                page->loadData();
    }

    COptionsTab* optionsPage() const { return form->sheet()->optionsPage(); }

    QString statusBarText() const { return frame->statusBar()->currentMessage(); }

    bool waitUntilIdle(int timeoutMs = 20000) {
        return QTest::qWaitFor(
            [&] { return !doc->searching() && form->startButton()->isEnabled(); }, timeoutMs);
    }

    std::unique_ptr<DocumentManager> manager;
    std::unique_ptr<CMainFrame> frame;
    CChildFrame* child = nullptr;
    CSearchForView* form = nullptr;
    CDediDurarerDoc* doc = nullptr;
};

}  // namespace scoutwell::testing
