// The Expression Wizard used as a user would: choosing types from the lists, typing,
// pressing the wizard's buttons and dragging rows of the "Followed by" list with the mouse.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "ModalDialogDriver.h"
#include "app/core/Settings.h"
#include "criteria/gui/CExprWizIntro.h"
#include "criteria/gui/CExprWizMain.h"
#include "criteria/gui/CExprWizSheet.h"
#include "criteria/gui/CExprWizSpecial.h"
#include "criteria/gui/ExprWizListCtrl.h"
#include "criteria/gui/ItemTypeCombo.h"
#include "criteria/gui/SingleCharEdit.h"
#include "engine/Messages.h"

namespace scoutwell {
namespace {

using testing::clickButton;
using testing::GuiTest;

class RecordingSink : public MessageSink {
  public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Picks entry `index` of a closed drop-down list with the keyboard.
void choose(QComboBox* box, int index) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

// Posted work (the recompute, the wizard buttons) is done once the event loop has run.
bool waitUntil(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 2000);
}

bool buttonShown(QWizard* wizard, QWizard::WizardButton which) {
    QAbstractButton* button = wizard->button(which);
    return button->isVisible() && button->isEnabled();
}

std::vector<std::string> rowTexts(const ExprWizListCtrl* list, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        texts.push_back(list->topLevelItem(row)->text(column).toStdString());
    return texts;
}

class ExprWizardTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        previousSink_ = messageSink();
        setMessageSink(&sink);
    }
    void TearDown() override {
        wizard.reset();
        setMessageSink(previousSink_);
        GuiTest::TearDown();
    }

    // A wizard for the file name, shown; `data` is copied in as the Advanced page does.
    CExprWizSheet* open(const ExprWizData& data = fileNameData()) {
        wizard = std::make_unique<CExprWizSheet>(store);
        wizard->data() = data;
        wizard->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(wizard.get()));
        QCoreApplication::processEvents();
        return wizard.get();
    }

    static ExprWizData fileNameData() {
        ExprWizData data;
        data.note = "Names only.";
        data.fieldName = "File name";
        return data;
    }

    CExprWizMain* mainPage() { return wizard->mainPage(); }

    // From the introduction to the main page.
    CExprWizMain* goToMainPage() {
        if (wizard->currentId() == CExprWizSheet::kIntroPage)
            QTest::mouseClick(wizard->button(QWizard::NextButton), Qt::LeftButton);
        EXPECT_EQ(wizard->currentId(), CExprWizSheet::kMainPage);
        return mainPage();
    }

    void addPhrase(const QString& text) {
        CExprWizMain* page = mainPage();
        choose(page->followedByType(), ItemType::phrase);
        typeInto(page->followedByText(), text);
        QTest::mouseClick(page->addButton(), Qt::LeftButton);
    }

    QString result() { return mainPage()->resultingExpression()->text(); }
    // Waits for the resulting expression to show `expected`.
    bool showsResult(const char* expected) {
        if (waitUntil([&] { return result() == expected; }))
            return true;
        ADD_FAILURE() << "shows " << result().toStdString() << ", not " << expected;
        return false;
    }

    RecordingSink sink;
    std::unique_ptr<CExprWizSheet> wizard;

  private:
    MessageSink* previousSink_ = nullptr;
};

TEST_F(ExprWizardTest, OpensOnTheIntroductionUnlessTheUserSkippedIt) {
    open();
    EXPECT_EQ(wizard->windowTitle(), "Filename Expression Wizard");
    EXPECT_EQ(wizard->currentId(), CExprWizSheet::kIntroPage);
    CExprWizIntro* intro = wizard->introPage();
    EXPECT_EQ(intro->noteLabel()->text(), "Names only.");
    EXPECT_FALSE(intro->dontShowBox()->isChecked());
    EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::NextButton); }));
    EXPECT_FALSE(buttonShown(wizard.get(), QWizard::BackButton));
    EXPECT_FALSE(buttonShown(wizard.get(), QWizard::FinishButton));

    // The choice is stored at once, before the wizard ends.
    clickButton(intro->dontShowBox());
    EXPECT_EQ(readSetting(store, kExprWizDontShowIntro), 1);
    wizard->reject();

    open();
    EXPECT_EQ(wizard->currentId(), CExprWizSheet::kMainPage);
    EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::FinishButton); }));
    QTest::mouseClick(wizard->button(QWizard::BackButton), Qt::LeftButton);
    EXPECT_EQ(wizard->currentId(), CExprWizSheet::kIntroPage);
    EXPECT_TRUE(wizard->introPage()->dontShowBox()->isChecked());
    clickButton(wizard->introPage()->dontShowBox());
    EXPECT_EQ(readSetting(store, kExprWizDontShowIntro), 0);
}

TEST_F(ExprWizardTest, ANewRunStartsEmpty) {
    open();
    CExprWizMain* page = goToMainPage();
    EXPECT_EQ(page->beginsLabel()->text(), "File name begins:");
    EXPECT_EQ(page->endsLabel()->text(), "File name ends:");
    for (ItemTypeCombo* row : {page->beginsType(), page->followedByType(), page->endsType()}) {
        EXPECT_EQ(row->currentText(), "Don't know");
        EXPECT_EQ(row->count(), ItemType::count);
        EXPECT_FALSE(row->textBox()->isEnabled());
        EXPECT_FALSE(row->occurrenceList()->isEnabled());
        EXPECT_EQ(row->occurrenceList()->currentIndex(), -1);
        EXPECT_EQ(row->occurrenceList()->count(), Occurrence::count);
    }
    EXPECT_EQ(page->list()->topLevelItemCount(), 0);
    EXPECT_FALSE(page->modifyButton()->isEnabled());
    EXPECT_FALSE(page->deleteButton()->isEnabled());
    EXPECT_TRUE(result().isEmpty());
    // Shown as readable text, not greyed out, and not to be typed into.
    EXPECT_TRUE(page->resultingExpression()->isEnabled());
    EXPECT_TRUE(page->resultingExpression()->isReadOnly());
    EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::FinishButton); }));
    EXPECT_FALSE(buttonShown(wizard.get(), QWizard::NextButton));
    EXPECT_TRUE(buttonShown(wizard.get(), QWizard::BackButton));
}

TEST_F(ExprWizardTest, ThePhraseInTheBeginsRowShowsItsExpressionAtOnce) {
    open();
    CExprWizMain* page = goToMainPage();
    choose(page->beginsType(), ItemType::phrase);
    EXPECT_TRUE(page->beginsText()->isEnabled());
    EXPECT_TRUE(page->beginsOccurrence()->isEnabled());
    EXPECT_EQ(page->beginsOccurrence()->currentText(), "Once only");
    typeInto(page->beginsText(), "abc");
    EXPECT_TRUE(showsResult("^(abc)"));
    choose(page->endsType(), ItemType::numeric);
    EXPECT_EQ(page->endsOccurrence()->currentText(), "Zero or many times");
    choose(page->endsOccurrence(), Occurrence::onceOrMany);
    EXPECT_TRUE(showsResult("^(abc)[0-9]+$"));
}

TEST_F(ExprWizardTest, SpecialCharactersAskWhetherToEscapeThem) {
    struct Case {
        bool leave;
        const char* expected;
    };
    for (const Case& c : {Case{true, "^(a.b)"}, Case{false, "^(a\\.b)"}}) {
        open();
        CExprWizMain* page = goToMainPage();
        choose(page->beginsType(), ItemType::phrase);
        typeInto(page->beginsText(), "ab");
        EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::FinishButton); }));
        page->beginsText()->setCursorPosition(1);
        QTest::keyClick(page->beginsText(), Qt::Key_Period);
        EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::NextButton); }));
        EXPECT_FALSE(buttonShown(wizard.get(), QWizard::FinishButton));
        EXPECT_EQ(result(), "^(a\\.b)");

        QTest::mouseClick(wizard->button(QWizard::NextButton), Qt::LeftButton);
        ASSERT_EQ(wizard->currentId(), CExprWizSheet::kSpecialPage);
        EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::FinishButton); }));
        CExprWizSpecial* special = wizard->specialPage();
        EXPECT_TRUE(special->yesButton()->isChecked());
        clickButton(c.leave ? special->noButton() : special->yesButton());
        QTest::mouseClick(wizard->button(QWizard::FinishButton), Qt::LeftButton);
        ASSERT_EQ(wizard->result(), QDialog::Accepted);

        // What the Advanced page does with a finished wizard.
        ExprWizData data = wizard->data();
        EXPECT_EQ(data.leaveSpecialChars, c.leave);
        std::string field;
        data.model.generate(field, !data.leaveSpecialChars);
        EXPECT_EQ(field, c.expected);
    }
}

TEST_F(ExprWizardTest, TheCharacterKeepsOnlyTheLastOneTyped) {
    open();
    CExprWizMain* page = goToMainPage();
    choose(page->beginsType(), ItemType::theCharacter);
    EXPECT_TRUE(page->beginsText()->singleChar());
    typeInto(page->beginsText(), "abc");
    EXPECT_TRUE(waitUntil([&] { return page->beginsText()->text() == "c"; }));
    EXPECT_EQ(page->beginsText()->cursorPosition(), 1);
    EXPECT_TRUE(showsResult("^c*"));
    choose(page->beginsType(), ItemType::phrase);
    typeInto(page->beginsText(), "abc");
    EXPECT_TRUE(showsResult("^(abc)"));
    EXPECT_FALSE(page->beginsText()->singleChar());
}

TEST_F(ExprWizardTest, ListColumnsShowTheirWholeEntriesAndTheTextTakesTheRest) {
    open();
    CExprWizMain* page = goToMainPage();
    ExprWizListCtrl* list = page->list();
    choose(page->followedByType(), ItemType::phrase);
    typeInto(page->followedByText(), "a");
    choose(page->followedByType()->occurrenceList(), Occurrence::onceOrMany);
    QTest::mouseClick(page->addButton(), Qt::LeftButton);
    ASSERT_EQ(rowTexts(list, 2), std::vector<std::string>{"Once or many times"});
    QCoreApplication::processEvents();
    const QFontMetrics metrics = list->fontMetrics();
    for (const int column : {0, 2}) {
        const QString text = list->topLevelItem(0)->text(column);
        EXPECT_GE(list->header()->sectionSize(column), metrics.horizontalAdvance(text))
            << text.toStdString() << " is cut";
    }
    // No empty space beside the columns.
    EXPECT_EQ(list->header()->length(), list->viewport()->width());
}

TEST_F(ExprWizardTest, AScreenReaderReadsEachRowByItsLabel) {
    open();
    CExprWizMain* page = goToMainPage();
    const std::pair<QWidget*, const char*> expected[] = {
        {page->beginsType(), "File name begins"},
        {page->beginsText(), "File name begins text"},
        {page->beginsOccurrence(), "File name begins occurs"},
        {page->followedByType(), "Followed by"},
        {page->followedByText(), "Followed by text"},
        {page->endsType(), "File name ends"},
        {page->endsOccurrence(), "File name ends occurs"},
        {page->resultingExpression(), "Resulting expression"},
    };
    for (const auto& [widget, name] : expected) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->text(QAccessible::Name).toStdString(), name);
    }
    // A drop-down's value is its choice, apart from its name.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->beginsType())
                  ->text(QAccessible::Value)
                  .toStdString(),
              "Don't know");
}

TEST_F(ExprWizardTest, AddModifyAndDeleteEditTheList) {
    open();
    CExprWizMain* page = goToMainPage();
    ExprWizListCtrl* list = page->list();
    addPhrase("x");
    EXPECT_EQ(rowTexts(list, 0), std::vector<std::string>{"The phrase"});
    EXPECT_EQ(rowTexts(list, 1), std::vector<std::string>{"x"});
    EXPECT_EQ(rowTexts(list, 2), std::vector<std::string>{"Once only"});
    EXPECT_EQ(result(), "(x)");
    // The new row has the focus, not the selection; the row is ready for the next item.
    EXPECT_EQ(page->followedByType()->currentText(), "Don't know");
    EXPECT_FALSE(page->followedByText()->isEnabled());
    EXPECT_EQ(list->focusedRow(), 0);
    EXPECT_FALSE(list->hasSelection());
    EXPECT_FALSE(page->modifyButton()->isEnabled());
    EXPECT_FALSE(page->deleteButton()->isEnabled());

    addPhrase("y");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    EXPECT_TRUE(page->modifyButton()->isEnabled());
    EXPECT_TRUE(page->deleteButton()->isEnabled());
    EXPECT_EQ(page->followedByText()->text(), "x");

    page->followedByText()->clear();
    typeInto(page->followedByText(), "z");
    QTest::mouseClick(page->modifyButton(), Qt::LeftButton);
    EXPECT_EQ(rowTexts(list, 1), (std::vector<std::string>{"z", "y"}));
    EXPECT_EQ(result(), "(z)(y)");

    QTest::mouseClick(page->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(rowTexts(list, 1), std::vector<std::string>{"y"});
    EXPECT_EQ(list->focusedRow(), 0);
    EXPECT_FALSE(page->deleteButton()->isEnabled());
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(result(), "(y)");

    // A row past the end is refused and changes nothing.
    sink.messages.clear();
    EXPECT_FALSE(list->insertItem(5, ExpressionItem{}));
    EXPECT_EQ(sink.messages, std::vector<std::string>{kInvalidInsertRow});
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

class DragTest : public ExprWizardTest {
  protected:
    // Presses on `row`, moves the mouse in steps to `to` (viewport coordinates) and
    // releases it there.
    void drag(int row, QPoint to) {
        ExprWizListCtrl* list = mainPage()->list();
        QWidget* viewport = list->viewport();
        const QPoint from = list->visualItemRect(list->topLevelItem(row)).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        constexpr int kSteps = 5;
        for (int step = 1; step <= kSteps; ++step)
            QTest::mouseMove(viewport, from + (to - from) * step / kSteps);
        EXPECT_TRUE(list->dragging());
        lastIndicator = list->indicatorRect();
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        EXPECT_FALSE(list->dragging());
    }

    QRect lastIndicator;
};

TEST_F(DragTest, DraggingReordersTheRows) {
    open();
    CExprWizMain* page = goToMainPage();
    ExprWizListCtrl* list = page->list();
    for (const char* text : {"a", "b", "c"})
        addPhrase(text);
    ASSERT_EQ(result(), "(a)(b)(c)");
    const QRect last = list->visualItemRect(list->topLevelItem(2));

    // Below the last row: after it.
    drag(0, QPoint(last.left() + 30, last.bottom() + 8));
    EXPECT_EQ(rowTexts(list, 1), (std::vector<std::string>{"b", "c", "a"}));
    std::vector<std::string> itemTexts;
    for (const ExpressionItem& item : list->items())
        itemTexts.push_back(item.text);
    EXPECT_EQ(itemTexts, (std::vector<std::string>{"b", "c", "a"}));
    // The indicator sat under the last row, at its left.
    EXPECT_EQ(lastIndicator.top(), last.bottom() + 1 - 2);
    EXPECT_EQ(lastIndicator.left(), 0);
    EXPECT_TRUE(showsResult("(b)(c)(a)"));

    // Onto its own upper part: nothing moves.
    const QRect middle = list->visualItemRect(list->topLevelItem(1));
    drag(1, QPoint(middle.left() + 30, middle.top() + 1));
    EXPECT_EQ(rowTexts(list, 1), (std::vector<std::string>{"b", "c", "a"}));

    // Onto the upper part of the first row: before it.
    drag(2, QPoint(last.left() + 30, list->visualItemRect(list->topLevelItem(0)).top() + 1));
    EXPECT_EQ(rowTexts(list, 1), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(showsResult("(a)(b)(c)"));

    // Outside the list: no target, nothing moves.
    drag(0, QPoint(-40, last.bottom()));
    EXPECT_EQ(rowTexts(list, 1), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(DragTest, DropTargetsFollowTheListsRules) {
    open();
    ExprWizListCtrl* list = goToMainPage()->list();
    for (const char* text : {"a", "b", "c"})
        addPhrase(text);
    const QRect first = list->visualItemRect(list->topLevelItem(0));
    EXPECT_EQ(list->dropTarget(first.topLeft() + QPoint(5, 1)), 0);
    EXPECT_EQ(list->dropTarget(QPoint(5, first.bottom() - 2)), 1);
    EXPECT_EQ(list->dropTarget(QPoint(0, first.top() + 1)), 0);
    EXPECT_EQ(list->dropTarget(QPoint(5, list->viewport()->height() - 2)), 3);
    EXPECT_EQ(list->dropTarget(QPoint(0, list->viewport()->height() - 2)), std::nullopt);
    const QPoint onHeader = list->viewport()->mapFrom(list, list->header()->geometry().center());
    EXPECT_EQ(list->dropTarget(onHeader), 0);
    EXPECT_EQ(list->dropTarget(QPoint(-50, -50)), std::nullopt);
}

TEST_F(ExprWizardTest, ASecondRunStartsWithTheItemsOfTheFirst) {
    ExprWizData data = fileNameData();
    writeSetting(store, kExprWizDontShowIntro, 1);
    open(data);
    CExprWizMain* page = mainPage();
    choose(page->beginsType(), ItemType::textCharacter);
    addPhrase("x");
    choose(page->endsType(), ItemType::phrase);
    typeInto(page->endsText(), "end");
    EXPECT_TRUE(showsResult("^[A-Za-z]*(x)(end)$"));
    EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::FinishButton); }));
    QTest::mouseClick(wizard->button(QWizard::FinishButton), Qt::LeftButton);
    ASSERT_EQ(wizard->result(), QDialog::Accepted);
    data = wizard->data();
    ASSERT_EQ(data.model.items().size(), 3u);
    EXPECT_EQ(data.model.items().front().position, ItemPosition::begins);
    EXPECT_EQ(data.model.items().back().position, ItemPosition::ends);

    open(data);
    page = mainPage();
    EXPECT_EQ(page->beginsType()->currentText(), "Any text character");
    EXPECT_EQ(rowTexts(page->list(), 1), std::vector<std::string>{"x"});
    EXPECT_EQ(page->endsText()->text(), "end");
    EXPECT_TRUE(showsResult("^[A-Za-z]*(x)(end)$"));
}

// Every control of the page shown lies wholly inside it and has room for its text.
void expectUnclipped(QWizardPage* page) {
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(page) || child->parentWidget() != page)
            continue;
        const QRect inPage(child->mapTo(page, QPoint(0, 0)), child->size());
        EXPECT_TRUE(page->rect().contains(inPage)) << child->metaObject()->className();
        EXPECT_GE(child->width(), child->minimumSizeHint().width())
            << child->metaObject()->className() << " "
            << child->property("text").toString().toStdString();
        EXPECT_GE(child->height(), child->minimumSizeHint().height())
            << child->metaObject()->className();
    }
}

TEST_F(ExprWizardTest, NoControlIsClippedSmallOrLarge) {
    for (const QSize size : {QSize(0, 0), QSize(1400, 1000)}) {
        open();
        wizard->resize(size);
        QCoreApplication::processEvents();
        expectUnclipped(wizard->currentPage());
        CExprWizMain* page = goToMainPage();
        QCoreApplication::processEvents();
        expectUnclipped(page);
        choose(page->beginsType(), ItemType::phrase);
        typeInto(page->beginsText(), ".");
        EXPECT_TRUE(waitUntil([&] { return buttonShown(wizard.get(), QWizard::NextButton); }));
        QTest::mouseClick(wizard->button(QWizard::NextButton), Qt::LeftButton);
        QCoreApplication::processEvents();
        expectUnclipped(wizard->specialPage());
    }
}

}  // namespace
}  // namespace scoutwell
