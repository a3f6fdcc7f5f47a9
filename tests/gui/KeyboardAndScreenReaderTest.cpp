// A search window used from the keyboard alone and read by a screen reader: the order Tab
// visits the controls in, what label mnemonics and Ctrl+Q do, and the names and values
// the accessibility tree gives every control of each criteria page.
#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "SearchFormSupport.h"
#include "app/core/Settings.h"
#include "app/gui/CSearchWiz.h"
#include "app/gui/CSearchWizContents.h"
#include "app/gui/CSearchWizFilename.h"
#include "app/gui/CSearchWizLocation.h"
#include "app/gui/CriteriaPages.h"
#include "criteria/gui/CAdvancedSearch.h"
#include "criteria/gui/CBasicSearch.h"
#include "framework/HistoryComboBox.h"

namespace scoutwell {
namespace {

using testing::SearchFormTest;

class KeyboardAndScreenReaderTest : public SearchFormTest {
  protected:
    template <class Page>
    Page* showPage(bool expert) {
        if (form->expertUserBox()->isChecked() != expert)
            QTest::mouseClick(form->expertUserBox(), Qt::LeftButton);
        form->sheet()->setCurrentIndex(0);
        QCoreApplication::processEvents();
        return dynamic_cast<Page*>(form->sheet()->mainPage());
    }

    // The widget that holds the focus, an edit field counted as its drop-down.
    static QWidget* focused() {
        QWidget* w = QApplication::focusWidget();
        if (w && qobject_cast<QComboBox*>(w->parentWidget()))
            return w->parentWidget();
        return w;
    }

    // Where the focus goes on each Tab from `first` on.
    std::vector<QWidget*> tabbing(QWidget* first, std::size_t presses) {
        first->setFocus(Qt::TabFocusReason);
        std::vector<QWidget*> visited{focused()};
        for (std::size_t i = 0; i < presses; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(focused());
        }
        return visited;
    }
};

std::string nameOf(QWidget* w) {
    if (!w)
        return "(nothing)";
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name).toStdString() : w->metaObject()->className();
}

TEST_F(KeyboardAndScreenReaderTest, TabFollowsTheScreenRowByRowThenTheButtonsColumn) {
    auto* basic = showPage<CBasicSearch>(false);
    ASSERT_NE(basic, nullptr);
    const std::vector<QWidget*> basicOrder{basic->fileNameBox(),       basic->searchWizardButton(),
                                           basic->searchContentsBox(), basic->containingTextBox(),
                                           basic->lookInBox(),         basic->browseButton(),
                                           basic->subfoldersBox(),     form->startButton(),
                                           form->stopButton(),         form->expertUserBox()};
    // Stop is disabled while no search runs: Tab passes it by.
    std::vector<QWidget*> expected = basicOrder;
    std::erase(expected, form->stopButton());
    const std::vector<QWidget*> seen = tabbing(basic->fileNameBox(), expected.size() - 1);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(seen[i], expected[i])
            << "Tab " << i << ": " << nameOf(seen[i]) << " instead of " << nameOf(expected[i]);

    auto* advanced = showPage<CAdvancedSearch>(true);
    ASSERT_NE(advanced, nullptr);
    // The limit fields are enabled so that Tab stops at them too.
    for (QCheckBox* box : {advanced->sizeMoreThanOnBox(), advanced->sizeLessThanOnBox(),
                           advanced->modifiedAfterOnBox(), advanced->modifiedBeforeOnBox()})
        QTest::mouseClick(box, Qt::LeftButton);
    expected = {advanced->fileNameBox(),
                advanced->fileNameWizardButton(),
                advanced->searchContentsBox(),
                advanced->containingTextBox(),
                advanced->contentsWizardButton(),
                advanced->lookInBox(),
                advanced->browseButton(),
                advanced->browseFoldersButton(),
                advanced->sizeMoreThanOnBox(),
                advanced->sizeMoreThanEdit(),
                advanced->sizeLessThanOnBox(),
                advanced->sizeLessThanEdit(),
                advanced->subfoldersBox(),
                advanced->modifiedAfterOnBox(),
                advanced->modifiedAfterEdit(),
                advanced->modifiedBeforeOnBox(),
                advanced->modifiedBeforeEdit(),
                form->startButton(),
                form->expertUserBox()};
    const std::vector<QWidget*> seenAdvanced =
        tabbing(advanced->fileNameBox(), expected.size() - 1);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(seenAdvanced[i], expected[i]) << "Tab " << i << ": " << nameOf(seenAdvanced[i])
                                                << " instead of " << nameOf(expected[i]);
    // Every step goes right on the same row or down to a later one.
    for (std::size_t i = 1; i + 2 < expected.size(); ++i) {
        const QRect before(seenAdvanced[i - 1]->mapToGlobal(QPoint()), seenAdvanced[i - 1]->size());
        const QRect after(seenAdvanced[i]->mapToGlobal(QPoint()), seenAdvanced[i]->size());
        EXPECT_TRUE(after.top() >= before.bottom() - before.height() / 2 ||
                    after.left() >= before.right())
            << nameOf(seenAdvanced[i - 1]) << " -> " << nameOf(seenAdvanced[i]);
    }
    // Enter in a field still starts the search: Start search stays the default button.
    EXPECT_TRUE(form->startButton()->isDefault());
}

TEST_F(KeyboardAndScreenReaderTest, LabelMnemonicsMoveTheFocusAndTickNothing) {
    auto* page = showPage<CAdvancedSearch>(true);
    ASSERT_NE(page, nullptr);
    struct Case {
        Qt::Key key;
        QWidget* field;
    };
    const Case cases[] = {
        {Qt::Key_Z, page->sizeMoreThanOnBox()}, {Qt::Key_M, page->modifiedAfterOnBox()},
        {Qt::Key_N, page->fileNameBox()},       {Qt::Key_C, page->containingTextBox()},
        {Qt::Key_L, page->lookInBox()},
    };
    for (const Case& c : cases) {
        form->startButton()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), c.key, Qt::AltModifier);
        QCoreApplication::processEvents();
        EXPECT_EQ(focused(), c.field) << nameOf(c.field) << " has not the focus after Alt+"
                                      << QKeySequence(c.key).toString().toStdString();
    }
    QTest::qWait(200);  // a click that was set off would have landed by now
    for (QCheckBox* box : {page->sizeMoreThanOnBox(), page->modifiedAfterOnBox()})
        EXPECT_FALSE(box->isChecked()) << nameOf(box);
    EXPECT_FALSE(page->sizeMoreThanEdit()->isEnabled());
    ASSERT_TRUE(form->sheet()->saveData());
    EXPECT_FALSE(doc->editedCriteria.sizeMoreThanOn);
    EXPECT_FALSE(doc->editedCriteria.modifiedAfterOn);
}

TEST_F(KeyboardAndScreenReaderTest, CtrlQQuitsAsFileExitDoes) {
    auto* page = showPage<CBasicSearch>(false);
    ASSERT_NE(page, nullptr);
    page->fileNameBox()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isVisible(); }, 3000));
}

// What a screen reader finds below `root`: every object with its role and name.
struct ReadObject {
    QAccessible::Role role;
    std::string name;
    QObject* object;
};

void walk(QAccessibleInterface* iface, std::vector<ReadObject>& out, int depth = 0) {
    if (!iface || depth > 30)
        return;
    out.push_back({iface->role(), iface->text(QAccessible::Name).toStdString(), iface->object()});
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), out, depth + 1);
}

bool isControl(QAccessible::Role role) {
    switch (role) {
        case QAccessible::EditableText:
        case QAccessible::ComboBox:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::PushButton:
        case QAccessible::ProgressBar:
        case QAccessible::SpinBox:
            return true;
        default:
            return false;
    }
}

TEST_F(KeyboardAndScreenReaderTest, AScreenReaderReadsEveryFieldOfEachPageByItsLabel) {
    setCriteria([](SearchCriteria& c) {
        c.setLookInText("/home/me/");
        c.fileName = "*.h";
    });
    for (const bool expert : {false, true}) {
        showPage<CSearchPropertyPage>(expert);
        std::map<QWidget*, std::string> expected{
            {form->startButton(), "Start search"},
            {form->stopButton(), "Stop"},
            {form->expertUserBox(), "Expert User"},
            {form->progressBar(), kProgressName},
        };
        if (auto* basic = dynamic_cast<CBasicSearch*>(form->sheet()->mainPage())) {
            expected.insert({{basic->fileNameBox(), "File name"},
                             {basic->fileNameBox()->lineEdit(), "File name"},
                             {basic->containingTextBox(), "Containing text"},
                             {basic->lookInBox(), "Look in"},
                             {basic->lookInBox()->lineEdit(), "Look in"},
                             {basic->searchContentsBox(), kSearchContentsName},
                             {basic->searchWizardButton(), "Search Wizard..."},
                             {basic->subfoldersBox(), "Search subfolders"}});
        }
        if (auto* page = dynamic_cast<CAdvancedSearch*>(form->sheet()->mainPage())) {
            expected.insert({{page->fileNameBox(), "File name"},
                             {page->containingTextBox(), "Containing text"},
                             {page->lookInBox(), "Look in"},
                             {page->fileNameWizardButton(), kFileNameWizardName},
                             {page->contentsWizardButton(), kContentsWizardName},
                             {page->browseButton(), kBrowseSingleFolderTip},
                             {page->browseFoldersButton(), kBrowseMultipleFoldersTip},
                             {page->sizeMoreThanOnBox(), kSizeMoreThanOnName},
                             {page->sizeMoreThanEdit(), kSizeMoreThanName},
                             {page->sizeLessThanOnBox(), kSizeLessThanOnName},
                             {page->sizeLessThanEdit(), kSizeLessThanName},
                             {page->modifiedAfterOnBox(), kModifiedAfterOnName},
                             {page->modifiedAfterEdit(), kModifiedAfterName},
                             {page->modifiedBeforeOnBox(), kModifiedBeforeOnName},
                             {page->modifiedBeforeEdit(), kModifiedBeforeName}});
        }
        for (const auto& [widget, name] : expected)
            EXPECT_EQ(nameOf(widget), name) << (expert ? "Advanced" : "Basic");
        // The drop-down's value is what it holds, apart from its name.
        QAccessibleInterface* lookIn = QAccessible::queryAccessibleInterface(
            findControl(form->sheet()->mainPage(), kLookInId));
        ASSERT_NE(lookIn, nullptr);
        EXPECT_EQ(lookIn->text(QAccessible::Value).toStdString(), "/home/me/");

        // The whole form, Options page included: every control has a name, no two buttons
        // share one, and no layout helper is announced.
        form->sheet()->setCurrentIndex(1);
        QCoreApplication::processEvents();
        std::vector<ReadObject> read;
        walk(QAccessible::queryAccessibleInterface(form), read);
        std::set<std::string> buttonNames;
        for (const ReadObject& object : read) {
            EXPECT_EQ(object.name.find("$Geometry"), std::string::npos) << object.name;
            if (!isControl(object.role))
                continue;
            EXPECT_FALSE(object.name.empty())
                << "unnamed control " << object.object->metaObject()->className();
            if (object.role == QAccessible::PushButton) {
                EXPECT_TRUE(buttonNames.insert(object.name).second)
                    << "two buttons named " << object.name;
            }
        }
        EXPECT_GT(read.size(), 20u);
    }
}

class DialogsReadByAScreenReader : public testing::GuiTest {};

TEST_F(DialogsReadByAScreenReader, TheSearchWizardNamesEveryFieldNotByWhatItHolds) {
    WizardData data;
    data.criteria.setLookInText("/tmp/");
    CSearchWiz wizard(data, &app);
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    std::set<std::string> fields;
    for (int page = 0; page < 3; ++page) {
        std::vector<ReadObject> read;
        walk(QAccessible::queryAccessibleInterface(&wizard), read);
        for (const ReadObject& object : read) {
            auto* widget = qobject_cast<QWidget*>(object.object);
            if (!isControl(object.role) || !widget || !widget->isVisible())
                continue;
            EXPECT_FALSE(object.name.empty())
                << "unnamed " << widget->metaObject()->className() << " on page " << page;
            if (object.role == QAccessible::ComboBox)
                fields.insert(object.name);
        }
        wizard.next();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(fields, (std::set<std::string>{kWizFileNameName, kWizContainingTextName,
                                             kWizDriveName, kWizFolderName}));
}

}  // namespace
}  // namespace scoutwell
