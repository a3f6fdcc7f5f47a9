// The Test Regular Expression dialog as a user tries it: type an expression and a sample,
// press Test, read the result box.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "ModalDialogDriver.h"
#include "app/MessageCapture.h"
#include "app/core/Settings.h"
#include "app/gui/CTestRegExpDialog.h"
#include "engine/SearchExpression.h"
#include "framework/CommandIds.h"
#include "views/CChildFrame.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::MessageCapture;
using testing::whenModal;

class TestRegExpDialogTest : public GuiTest {
  protected:
    // Types the expression and the sample into a fresh dialog, sets Match Case and
    // presses Test; returns what the result box shows.
    std::string runTest(CTestRegExpDialog& dialog, const QString& expression, const QString& sample,
                        bool matchCase) {
        dialog.expressionEdit()->clear();
        QTest::keyClicks(dialog.expressionEdit(), expression);
        dialog.sampleEdit()->setPlainText(sample);  // as pasted: lines end with LF alone
        if (dialog.matchCaseCheck()->isChecked() != matchCase)
            testing::clickButton(dialog.matchCaseCheck());
        dialog.expressionEdit()->setFocus();
        testing::clickButton(dialog.testButton());
        return dialog.resultEdit()->toPlainText().toStdString();
    }
};

std::string found(int start, int length) {
    return "Expression was found in text.\nExpression start: " + std::to_string(start) +
           "\nExpression length: " + std::to_string(length);
}
const std::string kNotFound = "Expression NOT found in text.";

TEST_F(TestRegExpDialogTest, OffsetsCountTheSampleAsOneSubjectWithItsCrLfPairs) {
    CTestRegExpDialog dialog(store);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Test Regular Expression"));
    EXPECT_TRUE(dialog.sampleEdit()->toPlainText().isEmpty());
    EXPECT_FALSE(dialog.matchCaseCheck()->isChecked());

    struct Case {
        const char* expression;
        const char* sample;
        bool matchCase;
        std::string result;
    };
    const Case cases[] = {
        {"b+", "abbbc", false, found(1, 3)},  {"ABC", "xabc", false, found(1, 3)},
        {"ABC", "xabc", true, kNotFound},     {"abc", "ABC", false, found(0, 3)},
        {"c", "ab\ncd", false, found(4, 1)},  // a, b, CR, LF, then c
        {"^c", "ab\ncd", false, kNotFound},   // ^ only at the very beginning
        {"b$", "ab\ncd", false, kNotFound},   // $ only at the very end
        {"d$", "ab\ncd", false, found(5, 1)}, {"b[^x]+c", "ab\ncd", false, found(1, 4)},
        {"z", "", false, kNotFound},
    };
    MessageCapture messages;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression + std::string(" on ") + c.sample);
        EXPECT_EQ(runTest(dialog, QString::fromUtf8(c.expression), QString::fromUtf8(c.sample),
                          c.matchCase),
                  c.result);
        EXPECT_TRUE(dialog.sampleEdit()->hasFocus());
        EXPECT_TRUE(dialog.isVisible());  // Test keeps the dialog open
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(TestRegExpDialogTest, AnInvalidExpressionIsReportedAndClearsTheResult) {
    CTestRegExpDialog dialog(store);
    dialog.show();
    MessageCapture messages;
    ASSERT_EQ(runTest(dialog, "b+", "abbbc", false), found(1, 3));
    EXPECT_EQ(runTest(dialog, "(", "abbbc", false), "");
    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{
                  std::string("The expression: ( is not valid\nUnbalanced parenthesis at byte "
                              "offset 0: this ( has no ) to close it.\n") +
                  kPlainTextHint}));
}

TEST_F(TestRegExpDialogTest, MatchCaseSurvivesReopeningThroughTheSettings) {
    {
        CTestRegExpDialog dialog(store);
        dialog.show();
        runTest(dialog, "a", "a", /*matchCase=*/true);
    }
    EXPECT_EQ(readSetting(store, kMatchTestRegExpCase), 1);
    {
        CTestRegExpDialog dialog(store);
        EXPECT_TRUE(dialog.matchCaseCheck()->isChecked());
        dialog.show();
        runTest(dialog, "a", "a", /*matchCase=*/false);
    }
    EXPECT_EQ(readSetting(store, kMatchTestRegExpCase), 0);
    CTestRegExpDialog dialog(store);
    EXPECT_FALSE(dialog.matchCaseCheck()->isChecked());
}

TEST_F(TestRegExpDialogTest, TheTestCommandOfASearchWindowOpensTheDialog) {
    CChildFrame frame(new CDediDurarerDoc(app), 800);
    bool seen = false;
    whenModal<CTestRegExpDialog>([&](CTestRegExpDialog* dialog) {
        seen = true;
        EXPECT_EQ(dialog->parentWidget(), &frame);
        testing::clickButton(dialog->closeButton());
    });
    EXPECT_TRUE(frame.handleCommand(ID_TEST_REGEXP));
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace scoutwell
