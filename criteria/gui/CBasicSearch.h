// The Basic criteria page: file name, containing text, where to look and whether to go
// into subfolders, with the Search Wizard and a Browse button. It edits the document's
// editedCriteria through the page base and is created as CGeometryDynCreateWnd<CBasicSearch>.
// The criteria record is the Advanced and Options pages' too: when it holds choices this
// page does not show (size, date, NOT expression, case, expression kinds), a one-line
// notice names them, with a button that clears them.
//
// Exercised by tests/gui/CriteriaPagesTest.cpp, tests/gui/FirstSightTest.cpp,
//  tests/gui/KeyboardAndScreenReaderTest.cpp, tests/gui/SearchWizardTest.cpp.
#pragma once

#include <string>
#include <vector>

#include "app/gui/CSearchPropertyPage.h"
#include "app/gui/CSearchWiz.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace scoutwell {

// The tests' reader of state no control shows (tests/gui/TestAccess.h); no code of it ships.
namespace testing {
struct Access;
}

class HistoryComboBox;

inline constexpr const char* kBasicPageCaption = "Basic";
inline constexpr const char* kFileNameLabel = "File &name:";
inline constexpr const char* kContainingTextLabel = "&Containing text:";
inline constexpr const char* kSearchWizardText = "Search Wi&zard...";
inline constexpr const char* kLookInLabel = "&Look in:";
inline constexpr const char* kBrowseText = "&Browse...";
inline constexpr const char* kSubfoldersText = "Search s&ubfolders";

// The notice of the choices this page does not show, and its button.
inline constexpr const char* kHiddenCriteriaFormat = "Also applied, not shown here: %s.";
inline constexpr const char* kHiddenCriteriaSeparator = "; ";
inline constexpr const char* kClearHiddenText = "Cl&ear them";
inline constexpr const char* kClearHiddenName = "Clear the choices not shown here";
inline constexpr const char* kSizeMoreThanPhrase = "size more than %s KB";
inline constexpr const char* kSizeLessThanPhrase = "size less than %s KB";
inline constexpr const char* kModifiedAfterPhrase = "modified after %s";
inline constexpr const char* kModifiedBeforePhrase = "modified before %s";
inline constexpr const char* kNotExpressionPhrase = "file name is a NOT expression";
inline constexpr const char* kFileNameCasePhrase = "file name case matched";
inline constexpr const char* kFileNameRegExpPhrase = "file name as a regular expression";
inline constexpr const char* kContentsCasePhrase = "contents case matched";
inline constexpr const char* kContentsPlainPhrase = "containing text as plain text";

inline constexpr int kFileNameId = 1011;
inline constexpr int kSearchContentsId = 1030;
// The contents check box has no caption; screen readers name it by this.
inline constexpr const char* kSearchContentsName = "Search the contents";
inline constexpr int kContainingTextId = 1058;
inline constexpr int kSearchWizardId = 1048;
inline constexpr int kLookInId = 1057;
inline constexpr int kBrowseFolderId = 1029;
inline constexpr int kSubfoldersId = 1024;
inline constexpr int kHiddenCriteriaNoticeId = 1140;
inline constexpr int kClearHiddenCriteriaId = 1141;

class CBasicSearch : public CSearchPropertyPage {
    Q_OBJECT

  public:
    explicit CBasicSearch(CSearchOptions* sheet = nullptr, QWidget* parent = nullptr);

    HistoryComboBox* fileNameBox() const { return fileName_; }
    QCheckBox* searchContentsBox() const { return searchContents_; }
    HistoryComboBox* containingTextBox() const { return containingText_; }
    QPushButton* searchWizardButton() const { return searchWizard_; }
    HistoryComboBox* lookInBox() const { return lookIn_; }
    QPushButton* browseButton() const { return browse_; }
    QCheckBox* subfoldersBox() const { return subfolders_; }
    QLabel* hiddenCriteriaNotice() const { return hiddenNotice_; }
    QPushButton* clearHiddenButton() const { return clearHidden_; }

    std::vector<QWidget*> tabOrder() const override;

  protected:
    void initPage() override;
    void loadPage(SearchCriteria& criteria) override;
    bool savePage(SearchCriteria& criteria) override;

  private:
    void browseClicked();
    void searchWizardClicked();
    void showHiddenCriteria(const SearchCriteria& criteria);
    void clearHiddenClicked();

    HistoryComboBox* fileName_;
    QCheckBox* searchContents_;
    HistoryComboBox* containingText_;
    QPushButton* searchWizard_;
    HistoryComboBox* lookIn_;
    QPushButton* browse_;
    QCheckBox* subfolders_;
    QLabel* hiddenNotice_;
    QPushButton* clearHidden_;

    // The Search Wizard's state, kept for the page's whole life.
    WizardData wizard_;

    friend struct testing::Access;
};

// What `criteria` holds that the Basic page does not show, each as a short phrase; none
// when it holds what a new search starts with there.
std::vector<std::string> hiddenCriteriaPhrases(const SearchCriteria& criteria);
// Sets those choices back to a new search's.
void clearHiddenCriteria(SearchCriteria& criteria);

// Ties the page's three drop-downs to the application's histories and the contents check
// box to the Containing text; shared by both criteria pages.
void connectCriteriaBoxes(CSearchPropertyPage* page, HistoryComboBox* fileName,
                          HistoryComboBox* containingText, HistoryComboBox* lookIn,
                          QCheckBox* searchContents);

// Browse for one folder: stores the page, opens the browser at the first look-in folder
// and hands a picked folder to the criteria as the new Look in text.
void browseForLookInFolder(CSearchPropertyPage* page);

}  // namespace scoutwell
