// The Expression Wizard's last page, shown when the texts entered hold characters that
// are special in regular expressions: the user decides whether the wizard escapes them.
//
// Exercised by tests/gui/ExprWizardTest.cpp.
#pragma once

#include "criteria/gui/CExprWizSheet.h"

class QRadioButton;

namespace scoutwell {

inline constexpr const char* kExprWizSpecialTitle = "Warning: Special characters entered";
inline constexpr const char* kSpecialCharsIntro =
    "Some of the text you entered holds characters that have a special meaning in regular "
    "expressions:";
inline constexpr const char* kSpecialCharsList = "^$*?+.[]()|\\";
inline constexpr const char* kSpecialCharsExplained =
    "To find such a character itself, a backslash must stand before it. For example:";
// The texts the page shows escaped, next to their escaped forms.
inline constexpr const char* kEscapingExamples[] = {"$400.00", "What was that?", "(12\\4)*5=15"};
inline constexpr const char* kSpecialCharsQuestion = "Should the wizard insert the backslashes?";
inline constexpr const char* kEscapeYesText =
    "&Yes. Please insert appropriate backslashes because none of the characters I entered "
    "should be treated as special characters.";
inline constexpr const char* kEscapeNoText =
    "&No. I am deliberately using special characters for advanced searching.";

inline constexpr int kEscapeYesId = 1050;
inline constexpr int kEscapeNoId = 1085;

class CExprWizSpecial : public CExprWizPage {
    Q_OBJECT

  public:
    CExprWizSpecial(CExprWizSheet* sheet, ExprWizData* data);

    QRadioButton* yesButton() const { return yes_; }
    QRadioButton* noButton() const { return no_; }

    void activate() override;
    void store() override;

  private:
    QRadioButton* yes_;
    QRadioButton* no_;
};

}  // namespace scoutwell
