// The Expression Wizard's first page: what the wizard does, the note of the field it
// fills, and a check box that skips this page from the next run on.
//
// Exercised by tests/gui/ExprWizardTest.cpp.
#pragma once

#include "criteria/gui/CExprWizSheet.h"

class QCheckBox;
class QLabel;

namespace scoutwell {

inline constexpr const char* kExprWizIntroTitle = "Introducing the Expression Wizard";
inline constexpr const char* kExprWizIntroText =
    "Regular expressions find text by its shape rather than by its exact words, but they "
    "are hard to write by hand. This wizard writes one for you.\n\n"
    "Describe how the text begins, what follows in which order, and how it ends, choosing "
    "each piece from plain descriptions such as \"The phrase\" or \"Any numeric character\". "
    "The wizard shows the resulting expression as you go and puts it into the field when "
    "you press Finish.";
inline constexpr const char* kExprWizNoteTemplate = "The search specific note goes here.";
inline constexpr const char* kDontShowIntroText = "&Don't show this introduction next time.";

inline constexpr int kExprWizNoteId = 1088;
inline constexpr int kDontShowIntroId = 1089;

class CExprWizIntro : public CExprWizPage {
    Q_OBJECT

  public:
    CExprWizIntro(CExprWizSheet* sheet, ExprWizData* data);

    QLabel* noteLabel() const { return note_; }
    QCheckBox* dontShowBox() const { return dontShow_; }

    void initializePage() override;
    void activate() override;

  private:
    void dontShowClicked(bool checked);

    QLabel* note_;
    QCheckBox* dontShow_;
};

}  // namespace scoutwell
