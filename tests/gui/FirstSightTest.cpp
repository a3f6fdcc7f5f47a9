// The search window as a user first sees it, built in the order the program builds it:
// the main frame, the first search document, and only then the show. Every criteria
// control must be wholly on screen, the result panes must share the window sensibly, and
// the window must open where it was closed.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <memory>
#include <optional>

#include "GuiTestSupport.h"
#include "ModalDialogDriver.h"
#include "app/MessageCapture.h"
#include "app/core/ProgramVersion.h"
#include "app/core/Settings.h"
#include "app/gui/CAboutDialog.h"
#include "app/gui/COptionsTab.h"
#include "app/gui/CSaveResultsDialog.h"
#include "app/gui/CSearchForView.h"
#include "app/gui/DocumentManager.h"
#include "criteria/gui/CAdvancedSearch.h"
#include "criteria/gui/CBasicSearch.h"
#include "framework/CommandIds.h"
#include "framework/HistoryComboBox.h"
#include "views/CChildFrame.h"
#include "views/CDediDurarerView.h"
#include "views/CFileContentsView.h"
#include "views/CMainFrame.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::MessageCapture;

// Narrower than this, a result pane is of no use.
constexpr int kUsablePaneWidth = 60;

// Why `control` is not wholly on screen, or empty when it is: shown, of a usable size,
// not cut by any enclosing widget, and inside the screen.
std::string notWhollyShown(const QWidget* control) {
    const std::string name = control->metaObject()->className() + std::string(" '") +
                             control->property("text").toString().toStdString() + "'";
    if (!control->isVisible())
        return name + " is hidden";
    if (control->width() < 4 || control->height() < 4)
        return name + " is too small";
    const QWidget* window = control->window();
    const QRect whole(control->mapTo(window, QPoint(0, 0)), control->size());
    QRect shown = whole;
    for (const QWidget* p = control->parentWidget(); p && p != window; p = p->parentWidget())
        shown &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    shown &= window->rect();
    if (shown != whole)
        return name + " is cut by the window";
    const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
    if (!window->screen()->geometry().contains(onScreen))
        return name + " is off the screen";
    return {};
}

class FirstSightTest : public GuiTest {
  protected:
    void TearDown() override {
        stop();
        GuiTest::TearDown();
    }

    // Builds the application as the program's main does.
    void start() {
        manager = std::make_unique<DocumentManager>(app);
        frame = std::make_unique<CMainFrame>(app, *manager);
        app.startingUp = true;
        CDediDurarerDoc* doc = manager->newDocument();
        app.startingUp = false;
        ASSERT_NE(doc, nullptr);
        if (readSetting(store, kFrameMaximized) != 0)
            frame->showMaximized();
        else
            frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        QCoreApplication::processEvents();
        child = frame->activeChild();
        ASSERT_NE(child, nullptr);
        form = child->criteriaForm();
    }

    // Closes the window as the user would; it stores its placement.
    void stop() {
        if (frame)
            frame->close();
        child = nullptr;
        form = nullptr;
        frame.reset();
        manager.reset();
    }

    // Every control of the shown page, and the form's own, wholly on screen.
    void expectWholeFormShown(const char* what) {
        QWidget* page = form->sheet()->currentWidget();
        ASSERT_NE(page, nullptr) << what;
        int checked = 0;
        for (QWidget* control : page->findChildren<QWidget*>()) {
            const bool comboPart = qobject_cast<QComboBox*>(control->parentWidget()) != nullptr;
            if (!control->isVisibleTo(page) || comboPart)
                continue;
            EXPECT_EQ(notWhollyShown(control), "") << what;
            ++checked;
        }
        EXPECT_GT(checked, 4) << what;
        for (QWidget* control :
             {static_cast<QWidget*>(form->startButton()), static_cast<QWidget*>(form->stopButton()),
              static_cast<QWidget*>(form->expertUserBox())}) {
            EXPECT_EQ(notWhollyShown(control), "") << what;
            EXPECT_FALSE(control->geometry().intersects(form->sheet()->geometry())) << what;
        }
    }

    void showPage(int index) {
        form->sheet()->setCurrentIndex(index);
        QCoreApplication::processEvents();
    }

    void setExpertUser(bool on) {
        if (form->expertUserBox()->isChecked() != on)
            testing::clickButton(form->expertUserBox());
        QCoreApplication::processEvents();
    }

    int listWidth() const { return child->resultPaneSplitter()->sizes().value(0); }
    int contentsWidth() const { return child->resultPaneSplitter()->sizes().value(1); }

    std::unique_ptr<DocumentManager> manager;
    std::unique_ptr<CMainFrame> frame;
    CChildFrame* child = nullptr;
    CSearchForView* form = nullptr;
};

TEST_F(FirstSightTest, EveryCriteriaControlIsOnScreenOnEveryPage) {
    for (bool expert : {true, false}) {
        writeSetting(store, kExpertUser, expert ? 1 : 0);
        start();
        const char* mainPage = expert ? "Advanced" : "Basic";
        expectWholeFormShown(mainPage);
        showPage(1);
        expectWholeFormShown("Options");
        showPage(0);
        // Switching Expert User never clips the other main page.
        setExpertUser(!expert);
        expectWholeFormShown(expert ? "Basic after Expert User" : "Advanced after Expert User");
        stop();
    }
}

TEST_F(FirstSightTest, ANarrowWindowScrollsTheFormInsteadOfCuttingItOff) {
    start();
    frame->resize(420, 420);
    QCoreApplication::processEvents();
    auto* row = qobject_cast<QScrollArea*>(child->criteriaRowSplitter()->widget(0));
    ASSERT_NE(row, nullptr);
    const QScrollBar* bar = row->horizontalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // The scroll bar adds to the row; it covers nothing of the form.
    EXPECT_EQ(form->height(), form->sizeHint().height());
    EXPECT_EQ(child->criteriaRowSplitter()->sizes().value(0), form->height() + bar->height());
    // Scrolled to the end, the Start button comes fully into view.
    row->ensureWidgetVisible(form->startButton());
    QCoreApplication::processEvents();
    EXPECT_EQ(notWhollyShown(form->startButton()), "");
    EXPECT_GE(frame->minimumWidth(), 300);
    EXPECT_GE(frame->minimumHeight(), 300);
}

TEST_F(FirstSightTest, TheFileListIsHalfTheWindowAtAFirstStart) {
    start();
    EXPECT_NEAR(listWidth(), child->width() / 2, child->resultPaneSplitter()->handleWidth());
    EXPECT_EQ(frame->windowTitle(), "Scoutwell - [Search1]");
}

TEST_F(FirstSightTest, BothResultPanesKeepAUsableWidthWhateverWasStored) {
    struct Case {
        const char* what;
        std::optional<int> fileListWidth, frameWidth, frameHeight, maximized;
    };
    const Case cases[] = {
        {"stored list wider than the window, then maximized", 698, 560, 400, 1},
        {"stored list wider than the window", 698, 560, 400, 0},
        {"stored list of one pixel", 1, 700, 500, 0},
        {"stored list far beyond any screen", 100000, std::nullopt, std::nullopt, 1},
        {"nothing stored", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        for (const auto& [setting, value] :
             {std::pair{kFileListWidth, c.fileListWidth}, std::pair{kFrameWidth, c.frameWidth},
              std::pair{kFrameHeight, c.frameHeight}, std::pair{kFrameMaximized, c.maximized}}) {
            if (value)
                writeSetting(store, setting, *value);
            else
                store.deleteValue(setting.section, setting.name);
        }
        start();
        EXPECT_GE(listWidth(), kUsablePaneWidth) << c.what;
        EXPECT_GE(contentsWidth(), kUsablePaneWidth) << c.what;
        EXPECT_EQ(notWhollyShown(child->contentsView()), "") << c.what;
        EXPECT_EQ(notWhollyShown(child->resultList()), "") << c.what;
        stop();
    }
}

TEST_F(FirstSightTest, TheWindowOpensWhereItWasClosed) {
    writeSetting(store, kFrameX, 40);
    writeSetting(store, kFrameY, 30);
    writeSetting(store, kFrameWidth, 600);
    writeSetting(store, kFrameHeight, 450);
    std::optional<QRect> first;
    for (int run = 0; run < 3; ++run) {
        start();
        const QRect placed = frame->geometry();
        stop();
        const QRect stored(readSetting(store, kFrameX), readSetting(store, kFrameY),
                           readSetting(store, kFrameWidth), readSetting(store, kFrameHeight));
        EXPECT_EQ(stored, placed) << "run " << run;
        if (first)
            EXPECT_EQ(stored, *first) << "run " << run;
        else
            first = stored;
    }
}

TEST_F(FirstSightTest, EnterAndEscapeReachTheFormFromEveryPaneAndF6FocusesItsFirstField) {
    start();
    auto* page = qobject_cast<CAdvancedSearch*>(form->sheet()->currentWidget());
    ASSERT_NE(page, nullptr);
    page->lookInBox()->setEditText("/nonexistent-folder-for-enter/");
    for (QWidget* pane : {static_cast<QWidget*>(child->resultList()),
                          static_cast<QWidget*>(child->contentsView())}) {
        child->setActiveView(pane);
        frame->updateCommands();
        EXPECT_TRUE(frame->action(ID_OK)->isEnabled());
        EXPECT_TRUE(frame->action(ID_CANCEL)->isEnabled());
    }
    MessageCapture messages;  // the missing folder is reported, not searched
    child->setActiveView(child->resultList());
    QTest::keyClick(child->resultList(), Qt::Key_Return);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("/nonexistent-folder-for-enter/"), std::string::npos);

    child->setActiveView(child->contentsView());
    frame->runCommand(ID_NEXT_PANE);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QComboBox* fileName = page->fileNameBox();
    EXPECT_TRUE(focus == fileName || fileName->isAncestorOf(focus));
    QTest::keyClicks(focus, "abc");
    EXPECT_EQ(page->fileNameBox()->currentText(), "abc");
}

TEST_F(FirstSightTest, TheOptionsPageIsStoredWhenAnotherTabIsChosen) {
    start();
    CDediDurarerDoc* doc = child->document();
    ASSERT_TRUE(doc->editedCriteria.autoConvertToDos);
    showPage(1);
    COptionsTab* options = form->sheet()->optionsPage();
    testing::clickButton(options->regularExpressionRadio());
    QTest::mouseClick(form->sheet()->tabBar(), Qt::LeftButton, Qt::NoModifier,
                      form->sheet()->tabBar()->tabRect(0).center());
    EXPECT_EQ(form->sheet()->currentIndex(), 0);
    EXPECT_FALSE(doc->editedCriteria.autoConvertToDos);

    // A page that refuses its data keeps the user on it.
    auto* advanced = qobject_cast<CAdvancedSearch*>(form->sheet()->currentWidget());
    ASSERT_NE(advanced, nullptr);
    advanced->sizeMoreThanEdit()->setText("x");
    MessageCapture messages;
    QTest::mouseClick(form->sheet()->tabBar(), Qt::LeftButton, Qt::NoModifier,
                      form->sheet()->tabBar()->tabRect(1).center());
    EXPECT_EQ(form->sheet()->currentIndex(), 0);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Please enter an integer."});
}

TEST_F(FirstSightTest, SmallThingsSeenAtOnce) {
    start();
    // The program's own icon, not Qt's.
    EXPECT_FALSE(frame->windowIcon().pixmap(32, 32).isNull());

    // Rows as high as their text needs.
    CDediDurarerView* list = child->resultList();
    EXPECT_LE(list->verticalHeader()->defaultSectionSize(), list->fontMetrics().height() + 8);

    // Controls without a caption still have a name for screen readers.
    auto* advanced = qobject_cast<CAdvancedSearch*>(form->sheet()->currentWidget());
    ASSERT_NE(advanced, nullptr);
    for (QWidget* control : {static_cast<QWidget*>(advanced->searchContentsBox()),
                             static_cast<QWidget*>(advanced->browseButton()),
                             static_cast<QWidget*>(advanced->browseFoldersButton())})
        EXPECT_FALSE(control->accessibleName().isEmpty());
    setExpertUser(false);
    auto* basic = qobject_cast<CBasicSearch*>(form->sheet()->currentWidget());
    ASSERT_NE(basic, nullptr);
    EXPECT_FALSE(basic->searchContentsBox()->accessibleName().isEmpty());

    // The About box has room for its title and names the version the build states.
    CAboutDialog about(frame.get());
    about.show();
    EXPECT_GE(about.width(), about.fontMetrics().horizontalAdvance(about.windowTitle()) + 100);
    auto* programLine = about.findChild<QLabel*>(QStringLiteral("programLine"));
    ASSERT_NE(programLine, nullptr);
    EXPECT_EQ(programLine->text(),
              QStringLiteral("Scoutwell Version ") + QLatin1String(programVersion()));
    EXPECT_TRUE(
        QString::fromLatin1(programVersion()).contains(QRegularExpression("^[0-9]+\\.[0-9]+")));

    // Save Results shows a usual path whole.
    SaveResultsSettings settings;
    settings.toClipboard = false;
    settings.fileName = "/home/someone/Documents/search results/found.txt";
    CSaveResultsDialog save(settings, frame.get());
    save.show();
    QLineEdit* field = save.fileNameEdit();
    EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(field->text()) + 10);

    // The font dialog opens on the font the contents view draws with.
    QString offered;
    testing::whenModal<QFontDialog>([&](QFontDialog* dialog) {
        offered = dialog->currentFont().family();
        dialog->reject();
    });
    frame->runCommand(ID_SET_FONT);
    const QFont used(child->contentsView()->fontDescription());
    EXPECT_EQ(offered, QFontInfo(used).family());
}

}  // namespace
}  // namespace scoutwell
