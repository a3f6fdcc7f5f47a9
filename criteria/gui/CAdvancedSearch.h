// The Advanced criteria page: everything of the Basic page plus size and date limits,
// Expression Wizard buttons for the two texts and a Multiple Folders dialog for Look in.
// Created as CGeometryDynCreateWnd<CAdvancedSearch>; edits the document's editedCriteria.
#pragma once

#include <string>

#include "app/gui/CSearchPropertyPage.h"
#include "criteria/core/ExpressionModel.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace scoutwell {

// The tests' reader of state no control shows (tests/gui/TestAccess.h); no code of it ships.
namespace testing {
struct Access;
}

class HistoryComboBox;

inline constexpr const char* kAdvancedPageCaption = "Advanced";
inline constexpr const char* kExprWizardText = "Expr. Wizard...";
inline constexpr const char* kSizeLabel = "Si&ze (kb):";
inline constexpr const char* kMoreThanText = "More than:";
inline constexpr const char* kLessThanText = "Less than:";
inline constexpr const char* kModifiedLabel = "&Modified:";
inline constexpr const char* kAfterText = "After:";
inline constexpr const char* kBeforeText = "Before:";
inline constexpr const char* kBrowseSingleFolderTip = "Browse for single folder";
inline constexpr const char* kBrowseMultipleFoldersTip = "Browse for multiple folders";
// What screen readers call the controls whose caption says too little on its own: the two
// wizard buttons share theirs, the limit boxes' captions leave out the row's label, and
// the limit fields have none.
inline constexpr const char* kFileNameWizardName = "File name expression wizard";
inline constexpr const char* kContentsWizardName = "Containing text expression wizard";
inline constexpr const char* kSizeMoreThanOnName = "Size more than";
inline constexpr const char* kSizeMoreThanName = "Size more than, in KB";
inline constexpr const char* kSizeLessThanOnName = "Size less than";
inline constexpr const char* kSizeLessThanName = "Size less than, in KB";
inline constexpr const char* kModifiedAfterOnName = "Modified after";
inline constexpr const char* kModifiedAfterName = "Modified after date";
inline constexpr const char* kModifiedBeforeOnName = "Modified before";
inline constexpr const char* kModifiedBeforeName = "Modified before date";
inline constexpr const char* kFileNameNotRegExp =
    "You must set the file name to 'Regular Expression' in the Options tab before you can "
    "specify the File name as a regular expression.";
inline constexpr const char* kContentsNotRegExp =
    "You must set the Contents to 'Regular Expression' in the Options tab before you can "
    "specify the Containing text as a regular expression.";

// What the Expression Wizard's introduction says about each field, and the word its
// labels put before " begins:" and " ends:".
inline constexpr const char* kFileNameWizardNote =
    "The expression you build here is looked for in the name of every file and folder, "
    "without its folder. A name matches when the expression is found anywhere in it, unless "
    "you say how the name begins or ends.";
inline constexpr const char* kContentsWizardNote =
    "The expression you build here is looked for in every line of the files searched. A line "
    "matches when the expression is found anywhere in it, unless you say how the line begins "
    "or ends.";
inline constexpr const char* kFileNameWizardField = "File name";
inline constexpr const char* kContentsWizardField = "Line";

inline constexpr int kFileNameWizardId = 1066;
inline constexpr int kContentsWizardId = 1049;
inline constexpr int kBrowseFoldersId = 1118;
inline constexpr int kSizeMoreThanOnId = 1060;
inline constexpr int kSizeMoreThanId = 1021;
inline constexpr int kSizeLessThanOnId = 1061;
inline constexpr int kSizeLessThanId = 1022;
inline constexpr int kModifiedAfterOnId = 1062;
inline constexpr int kModifiedAfterId = 1026;
inline constexpr int kModifiedBeforeOnId = 1063;
inline constexpr int kModifiedBeforeId = 1068;

// The tip of a control of the Advanced page, by control id; null for a control without.
const char* advancedPageTip(int controlId);

class CAdvancedSearch : public CSearchPropertyPage {
    Q_OBJECT

  public:
    explicit CAdvancedSearch(CSearchOptions* sheet = nullptr, QWidget* parent = nullptr);

    HistoryComboBox* fileNameBox() const { return fileName_; }
    QPushButton* fileNameWizardButton() const { return fileNameWizard_; }
    QCheckBox* searchContentsBox() const { return searchContents_; }
    HistoryComboBox* containingTextBox() const { return containingText_; }
    QPushButton* contentsWizardButton() const { return contentsWizard_; }
    HistoryComboBox* lookInBox() const { return lookIn_; }
    QCheckBox* subfoldersBox() const { return subfolders_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* browseFoldersButton() const { return browseFolders_; }
    QCheckBox* sizeMoreThanOnBox() const { return sizeMoreThanOn_; }
    QLineEdit* sizeMoreThanEdit() const { return sizeMoreThan_; }
    QCheckBox* sizeLessThanOnBox() const { return sizeLessThanOn_; }
    QLineEdit* sizeLessThanEdit() const { return sizeLessThan_; }
    QCheckBox* modifiedAfterOnBox() const { return modifiedAfterOn_; }
    QLineEdit* modifiedAfterEdit() const { return modifiedAfter_; }
    QCheckBox* modifiedBeforeOnBox() const { return modifiedBeforeOn_; }
    QLineEdit* modifiedBeforeEdit() const { return modifiedBefore_; }

    std::vector<QWidget*> tabOrder() const override;

  protected:
    void initPage() override;
    void loadPage(SearchCriteria& criteria) override;
    bool savePage(SearchCriteria& criteria) override;

  private:
    bool exchange(SearchCriteria& criteria);
    void applyEnablingRules();
    void browseFoldersClicked();
    void fileNameWizardClicked();
    void contentsWizardClicked();
    // Runs the wizard over `data`; after Finish generates into `target` and returns true.
    bool runExpressionWizard(ExprWizData& data, std::string SearchCriteria::*target);

    HistoryComboBox* fileName_;
    QPushButton* fileNameWizard_;
    QCheckBox* searchContents_;
    HistoryComboBox* containingText_;
    QPushButton* contentsWizard_;
    HistoryComboBox* lookIn_;
    QCheckBox* subfolders_;
    QPushButton* browse_;
    QPushButton* browseFolders_;
    QCheckBox* sizeMoreThanOn_;
    QLineEdit* sizeMoreThan_;
    QCheckBox* sizeLessThanOn_;
    QLineEdit* sizeLessThan_;
    QCheckBox* modifiedAfterOn_;
    QLineEdit* modifiedAfter_;
    QCheckBox* modifiedBeforeOn_;
    QLineEdit* modifiedBefore_;
    // The wizards' state, kept from one run to the next.
    ExprWizData fileNameWizardData_;
    ExprWizData contentsWizardData_;

    friend struct testing::Access;
};

}  // namespace scoutwell
