// The Basic criteria page: file name, containing text, where to look and whether to go
// into subfolders, with the Search Wizard and a Browse button. It edits the document's
// editedCriteria through the page base and is created as CGeometryDynCreateWnd<CBasicSearch>.
#pragma once

#include "app/gui/CSearchPropertyPage.h"
#include "app/gui/CSearchWiz.h"

class QCheckBox;
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

inline constexpr int kFileNameId = 1011;
inline constexpr int kSearchContentsId = 1030;
// The contents check box has no caption; screen readers name it by this.
inline constexpr const char* kSearchContentsName = "Search the contents";
inline constexpr int kContainingTextId = 1058;
inline constexpr int kSearchWizardId = 1048;
inline constexpr int kLookInId = 1057;
inline constexpr int kBrowseFolderId = 1029;
inline constexpr int kSubfoldersId = 1024;

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

    std::vector<QWidget*> tabOrder() const override;

  protected:
    void initPage() override;
    void loadPage(SearchCriteria& criteria) override;
    bool savePage(SearchCriteria& criteria) override;

  private:
    void browseClicked();
    void searchWizardClicked();

    HistoryComboBox* fileName_;
    QCheckBox* searchContents_;
    HistoryComboBox* containingText_;
    QPushButton* searchWizard_;
    HistoryComboBox* lookIn_;
    QPushButton* browse_;
    QCheckBox* subfolders_;

    // The Search Wizard's state, kept for the page's whole life.
    WizardData wizard_;

    friend struct testing::Access;
};

// Ties the page's three drop-downs to the application's histories and the contents check
// box to the Containing text; shared by both criteria pages.
void connectCriteriaBoxes(CSearchPropertyPage* page, HistoryComboBox* fileName,
                          HistoryComboBox* containingText, HistoryComboBox* lookIn,
                          QCheckBox* searchContents);

// Browse for one folder: stores the page, opens the browser at the first look-in folder
// and hands a picked folder to the criteria as the new Look in text.
void browseForLookInFolder(CSearchPropertyPage* page);

}  // namespace scoutwell
