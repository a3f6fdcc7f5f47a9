// The Search Wizard's second page, "Contents of file": whether the file must contain a
// text, and which. No keeps the typed text but makes the search a name-only one.
#pragma once

#include "app/gui/CSearchWiz.h"

class QRadioButton;

namespace scoutwell {

class HistoryComboBox;

inline constexpr const char* kWizContentsCaption = "Contents of file";
// What screen readers call the field below the choice.
inline constexpr const char* kWizContainingTextName = "Containing text";
inline constexpr const char* kWizContentsQuestion =
    "Do you want to search for the file based upon text within the file?";
inline constexpr const char* kWizContentsNo = "&No, just search by file name";
inline constexpr const char* kWizContentsYes = "&Yes, search the contents of the file";
inline constexpr const char* kWizContentsPrompt = "What text should the file contain?";
inline constexpr int kWizContentsNoId = 1049;
inline constexpr int kWizContentsYesId = 1050;
inline constexpr int kWizContainingTextId = 1051;

class CSearchWizContents : public CSearchWizPage {
    Q_OBJECT

  public:
    CSearchWizContents(WizardData& data, Application* app, QWidget* parent = nullptr);

    QRadioButton* noButton() const { return no_; }
    QRadioButton* yesButton() const { return yes_; }
    HistoryComboBox* containingTextBox() const { return containingText_; }

    void loadPage() override;
    void savePage() override;

  private:
    void searchContentsChosen(bool searchContents);

    QRadioButton* no_;
    QRadioButton* yes_;
    HistoryComboBox* containingText_;
};

}  // namespace scoutwell
