// The Basic and Advanced pages in a criteria sheet, used as a user would: typing, ticking,
// switching pages, opening drop-downs, browsing and resizing.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "ModalDialogDriver.h"
#include "TestAccess.h"
#include "app/gui/COptionsTab.h"
#include "app/gui/CSearchOptions.h"
#include "app/gui/CSearchWizFilename.h"
#include "criteria/core/CriteriaFields.h"
#include "criteria/gui/CAdvancedSearch.h"
#include "criteria/gui/CBasicSearch.h"
#include "criteria/gui/CExprWizMain.h"
#include "criteria/gui/CExprWizSheet.h"
#include "criteria/gui/CMultipleFolders.h"
#include "criteria/gui/DateField.h"
#include "criteria/gui/ItemTypeCombo.h"
#include "criteria/gui/MainPageFactory.h"
#include "criteria/gui/SingleCharEdit.h"
#include "engine/Messages.h"
#include "engine/Text.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"
#include "platform/qt/ByteText.h"
#include "support/RandomBytes.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::itemsOf;
using testing::RandomBytes;
using testing::typeInto;
using testing::whenModal;

class RecordingSink : public MessageSink {
  public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// What the fake folder browser saw and answers.
struct BrowserScript {
    std::string start;
    std::string answer;
    bool picks = true;
    int calls = 0;
};
BrowserScript browserScript;

bool scriptedBrowser(QWidget*, const std::string& start, std::string& picked) {
    ++browserScript.calls;
    browserScript.start = start;
    if (!browserScript.picks)
        return false;
    picked = browserScript.answer;
    return true;
}

OleDate midnight(int year, int month, int day) {
    OleDate date = 0;
    EXPECT_TRUE(oleDateFromCalendar(CalendarTime{year, month, day, 0, 0, 0}, date));
    return date;
}

class CriteriaPagesTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        previousSink_ = messageSink();
        setMessageSink(&sink);
        browserScript = BrowserScript{};
        setCriteriaFolderBrowser(&scriptedBrowser);
        doc = std::make_unique<CDediDurarerDoc>(app);
        sheet = std::make_unique<CSearchOptions>(doc.get(), nullptr);
        sheet->resize(900, 320);
        sheet->create();
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    }
    void TearDown() override {
        sheet.reset();
        doc.reset();
        setCriteriaFolderBrowser(nullptr);
        setMessageSink(previousSink_);
        GuiTest::TearDown();
    }

    // What the form does when the Expert User check changes.
    template <class Page>
    Page* showPage(const char* name) {
        if (sheet->mainPage())
            sheet->saveData();
        sheet->removeAllPages();
        CSearchPropertyPage* page = createMainPage(name, sheet.get(), nullptr);
        sheet->setPages(page, new COptionsTab(sheet.get()));
        QCoreApplication::processEvents();
        return dynamic_cast<Page*>(page);
    }

    SearchCriteria& criteria() { return doc->editedCriteria; }

    RecordingSink sink;
    std::unique_ptr<CDediDurarerDoc> doc;
    std::unique_ptr<CSearchOptions> sheet;

  private:
    MessageSink* previousSink_ = nullptr;
};

TEST_F(CriteriaPagesTest, PagesCarryTheirCaptionsAndTexts) {
    auto* basic = showPage<CBasicSearch>(kBasicPageName);
    ASSERT_NE(basic, nullptr);
    EXPECT_EQ(sheet->tabText(0), "Basic");
    EXPECT_EQ(basic->searchWizardButton()->text(), "Search Wi&zard...");
    EXPECT_EQ(basic->browseButton()->text(), "&Browse...");
    EXPECT_EQ(basic->subfoldersBox()->text(), "Search s&ubfolders");
    EXPECT_TRUE(basic->searchContentsBox()->text().isEmpty());
    for (int id : {kFileNameId, kSearchContentsId, kContainingTextId, kSearchWizardId, kLookInId,
                   kBrowseFolderId, kSubfoldersId})
        EXPECT_NE(findControl(basic, id), nullptr) << id;

    auto* advanced = showPage<CAdvancedSearch>(kAdvancedPageName);
    ASSERT_NE(advanced, nullptr);
    EXPECT_EQ(sheet->tabText(0), "Advanced");
    EXPECT_EQ(sheet->tabText(1), "Options");
    EXPECT_EQ(advanced->fileNameWizardButton()->text(), "Expr. Wizard...");
    EXPECT_EQ(advanced->sizeMoreThanOnBox()->text(), "More than:");
    EXPECT_EQ(advanced->modifiedBeforeOnBox()->text(), "Before:");
    // Only the two bitmap buttons have tips.
    EXPECT_EQ(advanced->browseButton()->toolTip(), "Browse for single folder");
    EXPECT_EQ(advanced->browseFoldersButton()->toolTip(), "Browse for multiple folders");
    EXPECT_TRUE(advanced->fileNameWizardButton()->toolTip().isEmpty());
    EXPECT_EQ(advancedPageTip(kSubfoldersId), nullptr);
    for (int id : {kFileNameWizardId, kContentsWizardId, kBrowseFoldersId, kSizeMoreThanOnId,
                   kSizeMoreThanId, kSizeLessThanOnId, kSizeLessThanId, kModifiedAfterOnId,
                   kModifiedAfterId, kModifiedBeforeOnId, kModifiedBeforeId})
        EXPECT_NE(findControl(advanced, id), nullptr) << id;
}

TEST_F(CriteriaPagesTest, ValuesTypedOnOnePageShowOnTheOther) {
    auto* basic = showPage<CBasicSearch>(kBasicPageName);
    typeInto(basic->fileNameBox(), "*.txt");
    typeInto(basic->containingTextBox(), "needle");
    typeInto(basic->lookInBox(), "/usr;/tmp");
    QTest::mouseClick(basic->subfoldersBox(), Qt::LeftButton);
    const bool subfolders = basic->subfoldersBox()->isChecked();

    auto* advanced = showPage<CAdvancedSearch>(kAdvancedPageName);
    EXPECT_EQ(advanced->fileNameBox()->currentText(), "*.txt");
    EXPECT_EQ(advanced->containingTextBox()->currentText(), "needle");
    EXPECT_TRUE(advanced->searchContentsBox()->isChecked());
    EXPECT_EQ(advanced->lookInBox()->currentText(), "/usr/;/tmp/");
    EXPECT_EQ(advanced->subfoldersBox()->isChecked(), subfolders);

    typeInto(advanced->fileNameBox(), "*.log");
    basic = showPage<CBasicSearch>(kBasicPageName);
    EXPECT_EQ(basic->fileNameBox()->currentText(), "*.log");
    EXPECT_EQ(basic->containingTextBox()->currentText(), "needle");
    EXPECT_EQ(criteria().lookIn, (std::vector<std::string>{"/usr/", "/tmp/"}));
}

TEST_F(CriteriaPagesTest, ContentsBoxFollowsTheContainingText) {
    for (const char* name : {kBasicPageName, kAdvancedPageName}) {
        CSearchPropertyPage* page =
            name == kBasicPageName ? static_cast<CSearchPropertyPage*>(showPage<CBasicSearch>(name))
                                   : showPage<CAdvancedSearch>(name);
        auto* text = static_cast<HistoryComboBox*>(findControl(page, kContainingTextId));
        auto* box = static_cast<QCheckBox*>(findControl(page, kSearchContentsId));
        ASSERT_FALSE(box->isChecked()) << name;
        typeInto(text, "abc");
        EXPECT_TRUE(box->isChecked()) << name;
        text->lineEdit()->selectAll();
        QTest::keyClick(text->lineEdit(), Qt::Key_Backspace);
        EXPECT_FALSE(box->isChecked()) << name;
        app.contentsHistory.add("from history");
        text->showPopup();
        text->hidePopup();
        emit text->activated(0);
        EXPECT_TRUE(box->isChecked()) << name;
        box->setChecked(false);
        page->saveData();
    }
    // Loading a page leaves the record's choice as it is, text or not.
    criteria().containingText = "kept";
    criteria().searchContents = false;
    auto* advanced = showPage<CAdvancedSearch>(kAdvancedPageName);
    EXPECT_FALSE(advanced->searchContentsBox()->isChecked());
}

TEST_F(CriteriaPagesTest, DropDownsAreRefilledFromTheHistoriesWhenOpened) {
    auto* basic = showPage<CBasicSearch>(kBasicPageName);
    app.fileNameHistory.add("*.cpp");
    app.fileNameHistory.add("Report.TXT");
    app.folderHistory.add("/var/");
    typeInto(basic->fileNameBox(), "typed");
    basic->fileNameBox()->showPopup();
    basic->fileNameBox()->hidePopup();
    EXPECT_EQ(itemsOf(basic->fileNameBox()), (std::vector<std::string>{"Report.TXT", "*.cpp"}));
    EXPECT_EQ(basic->fileNameBox()->currentText(), "typed");

    basic->lookInBox()->showPopup();
    basic->lookInBox()->hidePopup();
    EXPECT_EQ(itemsOf(basic->lookInBox()),
              (std::vector<std::string>{app.localDrivesLabel, "/", "/var/"}));
    for (int i = 0; i < basic->lookInBox()->count(); ++i)
        EXPECT_FALSE(basic->lookInBox()->itemIcon(i).isNull()) << i;

    // Whole-string exchange: an entry equal but for case shows in its own spelling.
    criteria().fileName = "report.txt";
    basic->loadData();
    EXPECT_EQ(basic->fileNameBox()->currentText(), "Report.TXT");
    criteria().fileName = "report";
    basic->loadData();
    EXPECT_EQ(basic->fileNameBox()->currentText(), "report");
    // A history added to later shows the new entry at the next opening.
    app.fileNameHistory.add("new");
    basic->fileNameBox()->showPopup();
    basic->fileNameBox()->hidePopup();
    EXPECT_EQ(basic->fileNameBox()->itemText(0), "new");
}

TEST_F(CriteriaPagesTest, SizeFieldsShowKbAndRefuseTextWithoutANumber) {
    criteria().sizeMoreThan = 1536;
    criteria().sizeLessThan = 10 * 1024;
    auto* page = showPage<CAdvancedSearch>(kAdvancedPageName);
    EXPECT_EQ(page->sizeMoreThanEdit()->text(), "1");
    EXPECT_EQ(page->sizeLessThanEdit()->text(), "10");
    ASSERT_TRUE(page->saveData());
    EXPECT_EQ(criteria().sizeMoreThan, 1024u);

    QTest::mouseClick(page->sizeMoreThanOnBox(), Qt::LeftButton);
    ASSERT_TRUE(page->sizeMoreThanEdit()->isEnabled());
    page->sizeMoreThanEdit()->selectAll();
    QTest::keyClicks(page->sizeMoreThanEdit(), "x25");  // the field takes digits only
    EXPECT_EQ(page->sizeMoreThanEdit()->text(), "25");
    page->sizeMoreThanEdit()->clear();
    ASSERT_TRUE(page->saveData());
    EXPECT_EQ(criteria().sizeMoreThan, 1024u) << "an empty field keeps the size";

    // Focus can only go to an enabled field.
    QTest::mouseClick(page->sizeLessThanOnBox(), Qt::LeftButton);
    struct Case {
        const char* text;
        bool stores;
    };
    for (const Case& c : {Case{"25", true}, Case{"99999999999999999999", false}}) {
        sink.messages.clear();
        page->sizeLessThanEdit()->setText(QString::fromLatin1(c.text));
        typeInto(page->fileNameBox(), c.text);
        EXPECT_EQ(page->saveData(), c.stores) << c.text;
        // The fields before the bad one are stored all the same.
        EXPECT_EQ(criteria().fileName, c.text);
        if (c.stores) {
            EXPECT_TRUE(sink.messages.empty());
            EXPECT_EQ(criteria().sizeLessThan, 25u * 1024);
        } else {
            EXPECT_EQ(sink.messages, (std::vector<std::string>{"Please enter an integer."}));
            EXPECT_EQ(criteria().sizeLessThan, 25u * 1024);
            EXPECT_EQ(page->focusWidget(), page->sizeLessThanEdit());
        }
    }
    // Pasted text that is no number at all.
    page->sizeLessThanEdit()->setText("abc");
    EXPECT_FALSE(page->saveData());
}

TEST_F(CriteriaPagesTest, ANewSearchOffersTodayInBothDateFields) {
    auto* page = showPage<CAdvancedSearch>(kAdvancedPageName);
    const QString today = dateFieldText(currentOleDate());
    EXPECT_EQ(page->modifiedAfterEdit()->text(), today);
    EXPECT_EQ(page->modifiedBeforeEdit()->text(), today);
    EXPECT_FALSE(page->modifiedAfterOnBox()->isChecked());
    EXPECT_FALSE(page->modifiedBeforeOnBox()->isChecked());
    EXPECT_FALSE(page->modifiedAfterEdit()->isEnabled());
    EXPECT_FALSE(page->modifiedBeforeEdit()->isEnabled());
    EXPECT_TRUE(dateFieldInRange(criteria().modifiedAfter));
    EXPECT_TRUE(dateFieldInRange(criteria().modifiedBefore));
    ASSERT_TRUE(page->saveData());
    // The field holds only the date: storing gives midnight of it.
    CalendarTime now;
    ASSERT_TRUE(calendarFromOleDate(currentOleDate(), now));
    if (now.hour != 0 || now.minute != 0) {
        EXPECT_EQ(criteria().modifiedAfter, midnight(now.year, now.month, now.day));
    }
}

TEST_F(CriteriaPagesTest, DateFieldsTakeDatesAndRefuseOtherText) {
    auto* page = showPage<CAdvancedSearch>(kAdvancedPageName);
    QTest::mouseClick(page->modifiedAfterOnBox(), Qt::LeftButton);
    QTest::mouseClick(page->modifiedBeforeOnBox(), Qt::LeftButton);
    struct Case {
        const char* text;
        bool stores;
        OleDate expected;
    };
    OleDate withTime = 0;
    ASSERT_TRUE(oleDateFromCalendar(CalendarTime{2024, 2, 29, 13, 45, 0}, withTime));
    const Case cases[] = {
        {"2024-02-29", true, midnight(2024, 2, 29)},
        {" 2024-02-29 13:45 ", true, withTime},
        {"2024-02-30", false, 0},
        {"yesterday", false, 0},
        {"", false, 0},
        {"0099-12-31", false, 0},
    };
    for (const Case& c : cases) {
        sink.messages.clear();
        criteria().modifiedBefore = midnight(2000, 1, 1);
        page->modifiedAfterEdit()->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(page->saveData(), c.stores) << c.text;
        if (c.stores) {
            EXPECT_EQ(criteria().modifiedAfter, c.expected) << c.text;
            EXPECT_TRUE(criteria().modifiedAfterOn);
        } else {
            EXPECT_EQ(sink.messages, (std::vector<std::string>{"Please enter a date and/or time."}))
                << c.text;
            EXPECT_EQ(page->focusWidget(), page->modifiedAfterEdit());
            // Fields after the bad one keep their values.
            EXPECT_EQ(criteria().modifiedBefore, midnight(2000, 1, 1));
        }
    }
}

TEST(DateField, WhatIsShownReadsBackInEveryLocale) {
    const OleDate dates[] = {midnight(2026, 3, 7), midnight(1905, 1, 2), midnight(2099, 12, 31),
                             midnight(100, 1, 1), midnight(9999, 12, 31)};
    for (const char* name : {"C", "en_US", "de_DE", "en_GB", "fr_FR", "ja_JP"}) {
        const QLocale locale{QString::fromLatin1(name)};
        for (OleDate date : dates) {
            const QString text = dateFieldText(date, locale);
            OleDate read = 0;
            EXPECT_TRUE(readDateField(text, read, locale)) << name << " " << text.toStdString();
            EXPECT_EQ(read, date) << name << " " << text.toStdString();
        }
        // ISO dates are understood everywhere.
        OleDate iso = 0;
        EXPECT_TRUE(readDateField("2026-03-07", iso, locale)) << name;
        EXPECT_EQ(iso, midnight(2026, 3, 7)) << name;
    }
    EXPECT_EQ(dateFieldText(midnight(2026, 3, 7), QLocale::c()), "2026-03-07");
    EXPECT_TRUE(dateFieldText(kNoDate).isEmpty());
    // The locale's own short form with a two-digit year.
    OleDate shortYear = 0;
    EXPECT_TRUE(readDateField("3/7/26", shortYear, QLocale(QStringLiteral("en_US"))));
    EXPECT_EQ(shortYear, midnight(2026, 3, 7));
}

TEST_F(CriteriaPagesTest, EachLimitBoxEnablesItsField) {
    auto* page = showPage<CAdvancedSearch>(kAdvancedPageName);
    const std::pair<QCheckBox*, QLineEdit*> pairs[] = {
        {page->sizeMoreThanOnBox(), page->sizeMoreThanEdit()},
        {page->sizeLessThanOnBox(), page->sizeLessThanEdit()},
        {page->modifiedAfterOnBox(), page->modifiedAfterEdit()},
        {page->modifiedBeforeOnBox(), page->modifiedBeforeEdit()},
    };
    for (const auto& [box, edit] : pairs) {
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_TRUE(edit->isEnabled()) << box->text().toStdString();
        for (const auto& [other, otherEdit] : pairs)
            EXPECT_EQ(otherEdit->isEnabled(), other->isChecked());
    }
    ASSERT_TRUE(page->saveData());
    EXPECT_TRUE(criteria().sizeMoreThanOn && criteria().sizeLessThanOn &&
                criteria().modifiedAfterOn && criteria().modifiedBeforeOn);
    for (const auto& [box, edit] : pairs) {
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_FALSE(edit->isEnabled());
    }
    // The record decides after a load.
    criteria().sizeMoreThanOn = false;
    criteria().sizeLessThanOn = true;
    page->loadData();
    EXPECT_TRUE(page->sizeLessThanEdit()->isEnabled());
    EXPECT_FALSE(page->sizeMoreThanEdit()->isEnabled());
}

TEST_F(CriteriaPagesTest, BrowseStartsAtTheFirstFolderAndTakesThePickedOne) {
    for (const char* name : {kBasicPageName, kAdvancedPageName}) {
        CSearchPropertyPage* page =
            name == kBasicPageName ? static_cast<CSearchPropertyPage*>(showPage<CBasicSearch>(name))
                                   : showPage<CAdvancedSearch>(name);
        auto* lookIn = static_cast<HistoryComboBox*>(findControl(page, kLookInId));
        auto* browse = static_cast<QPushButton*>(findControl(page, kBrowseFolderId));
        typeInto(lookIn, "/usr;/var");
        browserScript.picks = false;
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(browserScript.start, "/usr/") << name;
        EXPECT_EQ(criteria().lookIn, (std::vector<std::string>{"/usr/", "/var/"})) << name;
        browserScript.picks = true;
        browserScript.answer = "/tmp";
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(criteria().lookIn, (std::vector<std::string>{"/tmp/"})) << name;
        EXPECT_EQ(lookIn->currentText(), "/tmp/") << name;
    }
    // A page that cannot be stored browses nowhere.
    auto* advanced = showPage<CAdvancedSearch>(kAdvancedPageName);
    advanced->sizeMoreThanEdit()->setText("x");
    browserScript.calls = 0;
    QTest::mouseClick(advanced->browseButton(), Qt::LeftButton);
    EXPECT_EQ(browserScript.calls, 0);
}

// Answers the Multiple Folders dialog once it is up: the edit gets `lines`, then OK or
// Cancel.
void answerMultipleFolders(const QString& lines, bool ok, std::vector<std::string>* shown) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<CMultipleFolders*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (shown)
            *shown =
                std::vector<std::string>{dialog->folderLinesEdit()->toPlainText().toStdString()};
        dialog->folderLinesEdit()->setPlainText(lines);
        (ok ? dialog->okButton() : dialog->cancelButton())->click();
    });
}

TEST_F(CriteriaPagesTest, MultipleFoldersReplaceLookIn) {
    auto* page = showPage<CAdvancedSearch>(kAdvancedPageName);
    typeInto(page->lookInBox(), "/usr;/var");
    std::vector<std::string> shown;
    answerMultipleFolders("C:\\A\nc:\\a\nD:\\B", true, &shown);
    QTest::mouseClick(page->browseFoldersButton(), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<std::string>{"/usr/\n/var/\n"}));
    EXPECT_EQ(criteria().lookIn, (std::vector<std::string>{"C:\\A", "D:\\B"}));
    EXPECT_EQ(page->lookInBox()->currentText(), "C:\\A;D:\\B");

    answerMultipleFolders("/elsewhere", false, nullptr);
    QTest::mouseClick(page->browseFoldersButton(), Qt::LeftButton);
    EXPECT_EQ(criteria().lookIn.size(), 2u);

    answerMultipleFolders("", true, nullptr);
    QTest::mouseClick(page->browseFoldersButton(), Qt::LeftButton);
    EXPECT_EQ(criteria().lookIn, (std::vector<std::string>{app.defaultFolder}));
}

TEST_F(CriteriaPagesTest, ExpressionWizardsNeedRegularExpressions) {
    auto* page = showPage<CAdvancedSearch>(kAdvancedPageName);
    struct Case {
        bool dosName;
        bool contentsRegExp;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {true, false, {kFileNameNotRegExp, kContentsNotRegExp}},
        {false, true, {}},
    };
    for (const Case& c : cases) {
        sink.messages.clear();
        criteria().autoConvertToDos = c.dosName;
        criteria().treatContentsAsRegExp = c.contentsRegExp;
        int wizards = 0;
        for (QPushButton* button : {page->fileNameWizardButton(), page->contentsWizardButton()}) {
            if (!c.dosName)
                whenModal<CExprWizSheet>([&](CExprWizSheet* wizard) {
                    ++wizards;
                    wizard->reject();
                });
            QTest::mouseClick(button, Qt::LeftButton);
        }
        EXPECT_EQ(sink.messages, c.messages);
        EXPECT_EQ(wizards, c.dosName ? 0 : 2);
    }
}

// Picks entry `index` of a closed drop-down list with the keyboard.
void choose(QComboBox* box, int index) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
}

// Answers the next Expression Wizard: describes a text beginning with `phrase` (unless
// empty) and finishes, or cancels after describing it.
void answerExpressionWizard(const QString& phrase, bool finish,
                            std::string* beginsShown = nullptr) {
    whenModal<CExprWizSheet>([=](CExprWizSheet* wizard) {
        QTest::mouseClick(wizard->button(QWizard::NextButton), Qt::LeftButton);
        CExprWizMain* page = wizard->mainPage();
        if (beginsShown)
            *beginsShown = page->beginsText()->text().toStdString();
        page->beginsText()->clear();
        if (!phrase.isEmpty()) {
            choose(page->beginsType(), ItemType::phrase);
            page->beginsText()->setFocus();
            QTest::keyClicks(page->beginsText(), phrase);
        }
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return wizard->button(QWizard::FinishButton)->isVisible(); }));
        if (finish)
            QTest::mouseClick(wizard->button(QWizard::FinishButton), Qt::LeftButton);
        else
            QTest::mouseClick(wizard->button(QWizard::CancelButton), Qt::LeftButton);
    });
}

TEST_F(CriteriaPagesTest, ExpressionWizardsFillTheirFieldsOnFinishOnly) {
    auto* page = showPage<CAdvancedSearch>(kAdvancedPageName);
    criteria().autoConvertToDos = false;
    criteria().treatContentsAsRegExp = true;
    typeInto(page->fileNameBox(), "old name");

    answerExpressionWizard("report", /*finish=*/true);
    QTest::mouseClick(page->fileNameWizardButton(), Qt::LeftButton);
    EXPECT_EQ(page->fileNameBox()->currentText(), "^(report)");
    EXPECT_EQ(criteria().fileName, "^(report)");

    // A second run starts from the first one's items; Cancel leaves the field alone.
    std::string shown;
    answerExpressionWizard("other", /*finish=*/false, &shown);
    QTest::mouseClick(page->fileNameWizardButton(), Qt::LeftButton);
    EXPECT_EQ(shown, "report");
    EXPECT_EQ(page->fileNameBox()->currentText(), "^(report)");
    EXPECT_EQ(testing::Access::fileNameWizard(*page).model.items().front().text, "report");

    // The contents wizard ticks the contents box for a text and clears it for none.
    EXPECT_FALSE(page->searchContentsBox()->isChecked());
    answerExpressionWizard("needle", /*finish=*/true);
    QTest::mouseClick(page->contentsWizardButton(), Qt::LeftButton);
    EXPECT_EQ(page->containingTextBox()->currentText(), "^(needle)");
    EXPECT_TRUE(page->searchContentsBox()->isChecked());
    EXPECT_TRUE(criteria().searchContents);
    answerExpressionWizard("", /*finish=*/true);
    QTest::mouseClick(page->contentsWizardButton(), Qt::LeftButton);
    EXPECT_EQ(page->containingTextBox()->currentText(), "");
    EXPECT_FALSE(page->searchContentsBox()->isChecked());
    EXPECT_EQ(page->fileNameBox()->currentText(), "^(report)");
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(CriteriaPagesTest, SearchWizardStartsFromTheStoredPage) {
    auto* page = showPage<CBasicSearch>(kBasicPageName);
    EXPECT_TRUE(testing::Access::wizard(*page).startAutomatically);
    typeInto(page->fileNameBox(), "*.md");
    QString offered;
    testing::whenModal<CSearchWiz>([&](CSearchWiz* wizard) {
        offered = wizard->filenamePage()->fileNameBox()->currentText();
        wizard->reject();
    });
    QTest::mouseClick(page->searchWizardButton(), Qt::LeftButton);
    EXPECT_EQ(offered, "*.md");
    EXPECT_EQ(criteria().fileName, "*.md");
    EXPECT_EQ(testing::Access::wizard(*page).criteria.fileName, "*.md");
    EXPECT_EQ(testing::Access::wizard(*page).locationMode, kWizardSpecificFolder);
    EXPECT_TRUE(sink.messages.empty());
}

// Where each control of the page is after the sheet is resized from one width to another:
// stretched ones grow by the page's growth, right-hand ones move by it, the rest stay.
template <class Page>
void checkResize(CSearchOptions* sheet, Page* page, const std::vector<int>& followRight,
                 const std::vector<int>& stretch) {
    sheet->resize(900, 320);
    QCoreApplication::processEvents();
    std::map<QWidget*, QRect> before;
    for (QWidget* child : page->template findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        before[child] = child->geometry();
    const int width = page->width();
    sheet->resize(1150, 400);
    QCoreApplication::processEvents();
    const int grown = page->width() - width;
    ASSERT_GT(grown, 0);
    for (const auto& [child, rect] : before) {
        const std::optional<int> id = controlIdOf(child);
        const bool moves = id && std::count(followRight.begin(), followRight.end(), *id);
        const bool grows = id && std::count(stretch.begin(), stretch.end(), *id);
        const QRect now = child->geometry();
        EXPECT_EQ(now.x(), rect.x() + (moves ? grown : 0)) << id.value_or(-1);
        EXPECT_EQ(now.width(), rect.width() + (grows ? grown : 0)) << id.value_or(-1);
        EXPECT_EQ(now.y(), rect.y()) << id.value_or(-1);
        EXPECT_EQ(now.height(), rect.height()) << id.value_or(-1);
    }
}

TEST_F(CriteriaPagesTest, PagesFollowTheGeometryRulesWhenResized) {
    checkResize(sheet.get(), showPage<CBasicSearch>(kBasicPageName),
                {kSearchWizardId, kBrowseFolderId}, {kFileNameId, kContainingTextId, kLookInId});
    checkResize(
        sheet.get(), showPage<CAdvancedSearch>(kAdvancedPageName),
        {kFileNameWizardId, kContentsWizardId, kBrowseFolderId, kBrowseFoldersId, kSubfoldersId},
        {kFileNameId, kContainingTextId, kLookInId});
}

TEST_F(CriteriaPagesTest, NoTextIsClippedAtTheSmallestSize) {
    for (const char* name : {kBasicPageName, kAdvancedPageName}) {
        CSearchPropertyPage* page =
            name == kBasicPageName ? static_cast<CSearchPropertyPage*>(showPage<CBasicSearch>(name))
                                   : showPage<CAdvancedSearch>(name);
        sheet->resize(sheet->minimumSizeHint());
        QCoreApplication::processEvents();
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isHidden() || qobject_cast<QComboBox*>(child))
                continue;
            EXPECT_GE(child->width(), child->minimumSizeHint().width())
                << name << " " << child->metaObject()->className();
            EXPECT_GE(child->height(), child->minimumSizeHint().height()) << name;
            EXPECT_TRUE(page->rect().contains(child->geometry())) << name;
        }
    }
}

// Texts that are not UTF-8 give back the bytes they were given.
// Look-in text is split at ';' and trimmed by the record; what is left keeps its bytes.
std::string lookInEntry(RandomBytes& random) {
    std::string entry = "/d" + random.textWithout(200, ";/ \t\r\n\v\f");
    return entry + "/";
}

TEST_F(CriteriaPagesTest, BothPagesGiveBackTheBytesTheyWereGiven) {
    RandomBytes random(17);
    for (const char* name : {kBasicPageName, kAdvancedPageName}) {
        SCOPED_TRACE(name);
        CSearchPropertyPage* page = showPage<CSearchPropertyPage>(name);
        auto* fileName = static_cast<HistoryComboBox*>(findControl(page, kFileNameId));
        auto* lookIn = static_cast<HistoryComboBox*>(findControl(page, kLookInId));
        for (int round = 0; round < 60; ++round) {
            SearchCriteria& c = criteria();
            const std::string file = random.text(4000);
            const std::string contents = random.text(4000);
            const std::vector<std::string> folders = {lookInEntry(random), lookInEntry(random)};
            c.fileName = file;
            c.containingText = contents;
            c.lookIn = folders;
            page->loadData();
            // What the user sees is the text Qt decodes from valid UTF-8.
            if (text::isValidUtf8(file)) {
                ASSERT_EQ(fileName->currentText(),
                          QString::fromUtf8(file.data(), qsizetype(file.size())));
            }
            c.fileName.clear();
            c.containingText.clear();
            c.lookIn.clear();
            ASSERT_TRUE(page->saveData());
            ASSERT_EQ(c.fileName, file);
            ASSERT_EQ(c.containingText, contents);
            ASSERT_EQ(c.lookIn, folders);
            ASSERT_EQ(bytesFromQString(lookIn->currentText()), folders[0] + ";" + folders[1]);
        }
    }
}

TEST_F(CriteriaPagesTest, HistoryDropDownsListAndPickTheExactBytes) {
    CSearchPropertyPage* page = showPage<CSearchPropertyPage>(kAdvancedPageName);
    auto* lookIn = static_cast<HistoryComboBox*>(findControl(page, kLookInId));
    auto* fileName = static_cast<HistoryComboBox*>(findControl(page, kFileNameId));
    app.folderHistory.add("/srv/caf\xe9/");
    app.fileNameHistory.add("r\xe9sum\xe9*.txt");
    for (HistoryComboBox* box : {lookIn, fileName}) {
        box->showPopup();
        box->hidePopup();
    }
    const int entry = lookIn->count() - 1;
    EXPECT_EQ(bytesFromQString(lookIn->itemText(entry)), "/srv/caf\xe9/");
    lookIn->setCurrentIndex(entry);
    fileName->setCurrentIndex(0);
    ASSERT_TRUE(page->saveData());
    EXPECT_EQ(criteria().lookIn, std::vector<std::string>{"/srv/caf\xe9/"});
    EXPECT_EQ(criteria().fileName, "r\xe9sum\xe9*.txt");
    // Loading an equal text selects the entry, whose own bytes show.
    criteria().fileName = "R\xe9SUM\xe9*.TXT";
    page->loadData();
    EXPECT_EQ(bytesFromQString(fileName->currentText()), "r\xe9sum\xe9*.txt");
}

TEST_F(CriteriaPagesTest, MultipleFoldersKeepsTheBytesOfItsLines) {
    RandomBytes random(23);
    for (int round = 0; round < 30; ++round) {
        const std::vector<std::string> folders = {lookInEntry(random), lookInEntry(random)};
        CMultipleFolders dialog(folders, &app.folderHistory);
        dialog.accept();
        ASSERT_EQ(dialog.folders(), folders);
    }
}

}  // namespace
}  // namespace scoutwell
