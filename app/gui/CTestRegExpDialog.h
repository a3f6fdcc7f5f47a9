// The Test Regular Expression dialog: runs the program's own expression engine once over a
// sample text and tells where the first match lies. The Match Case choice is remembered.
//
//   CTestRegExpDialog dialog(app.settings(), parentWindow);
//   dialog.exec();
//
// Exercised by tests/gui/TestRegExpDialogTest.cpp.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace scoutwell {

class SettingsStore;

inline constexpr const char* kTestRegExpTitle = "Test Regular Expression";
inline constexpr const char* kTestRegExpIntro =
    "Not quite sure if your regular expression is correct? This window allows you to test "
    "the regular expression engine used by Scoutwell. Simply enter the expression you wish "
    "to test along with some sample text and then press Test.";
inline constexpr const char* kRegularExpressionLabel = "&Regular Expression:";
inline constexpr const char* kMatchCaseCheck = "Match Case";
inline constexpr const char* kSampleTextLabel = "&Sample Text:";
inline constexpr const char* kResultLabel = "Result:";
inline constexpr const char* kTestButton = "Test";
inline constexpr const char* kTestCloseButton = "Close";
inline constexpr const char* kExpressionFound =
    "Expression was found in text.\r\nExpression start: %d\r\nExpression length: %d";
inline constexpr const char* kExpressionNotFound = "Expression NOT found in text.";

// The result text of testing `pattern` on `subject` (bytes, line ends as they are), or
// the compiler's message in `errorOut` and an empty text when the pattern is not valid.
std::string testRegExp(const std::string& pattern, bool matchCase, const std::string& subject,
                       std::string& errorOut);

class CTestRegExpDialog : public QDialog {
    Q_OBJECT

  public:
    // `store` must outlive the dialog.
    explicit CTestRegExpDialog(SettingsStore& store, QWidget* parent = nullptr);

    // Takes the sample and Match Case, remembers Match Case, tests, shows the outcome and
    // gives the focus back to the sample.
    void test();

    // The sample as the engine sees it: each line end a CR LF pair.
    std::string sampleText() const;
    bool matchCase() const { return matchCase_; }

    QLineEdit* expressionEdit() const { return expression_; }
    QCheckBox* matchCaseCheck() const { return matchCaseCheck_; }
    QPlainTextEdit* sampleEdit() const { return sample_; }
    QPlainTextEdit* resultEdit() const { return result_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* closeButton() const { return close_; }

  private:
    SettingsStore& store_;
    bool matchCase_ = false;
    QLineEdit* expression_;
    QCheckBox* matchCaseCheck_;
    QPlainTextEdit* sample_;
    QPlainTextEdit* result_;
    QPushButton* test_;
    QPushButton* close_;
};

}  // namespace scoutwell
