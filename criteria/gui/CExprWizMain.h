// The Expression Wizard's main page: how the text begins, an ordered "Followed by" list,
// how it ends, and the regular expression all of it makes, recomputed live. When a text
// holds special characters the wizard offers Next (the special-characters page) instead
// of Finish.
#pragma once

#include "criteria/gui/CExprWizSheet.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace scoutwell {

class ExprWizListCtrl;
class ItemTypeCombo;
class SingleCharEdit;

inline constexpr const char* kExprWizMainTitle = "Create the expression";
inline constexpr const char* kBeginsSuffix = " begins:";
inline constexpr const char* kEndsSuffix = " ends:";
inline constexpr const char* kBeginsTemplate = "File name &begins:";
inline constexpr const char* kEndsTemplate = "File name &ends:";
inline constexpr const char* kThatOccursText = "that occurs";
// What screen readers call a row's text box and occurrence list, after the row's name.
inline constexpr const char* kRowTextName = " text";
inline constexpr const char* kRowOccursName = " occurs";
inline constexpr const char* kFollowedByListName = "Followed by items";
inline constexpr const char* kFollowedByGroup = "Followed by";
inline constexpr const char* kAddItemText = "&Add";
inline constexpr const char* kModifyItemText = "&Modify";
inline constexpr const char* kDeleteItemText = "&Delete";
inline constexpr const char* kNoteLabel = "Note:";
inline constexpr const char* kDragToRearrange = "Drag & Drop to rearrange items";
inline constexpr const char* kResultingExpressionGroup = "Resulting expression";
inline constexpr const char* kUnknownEndsNote =
    "If you do not know how the text begins or ends just add your criteria in the 'Followed "
    "by' list.";
inline constexpr const char* kAdvancedLabel = "Advanced:";
inline constexpr const char* kExprWizAdvancedNote =
    "After Finish the expression stands in the field, where you can still change it by hand, "
    "for example to join two alternatives with \"|\".";

inline constexpr int kBeginsLabelId = 1127;
inline constexpr int kBeginsTypeId = 1075;
inline constexpr int kBeginsTextId = 1021;
inline constexpr int kBeginsOccursLabelId = 1076;
inline constexpr int kBeginsOccurrenceId = 1067;
inline constexpr int kFollowedByTypeId = 1039;
inline constexpr int kFollowedByTextId = 1022;
inline constexpr int kFollowedByOccursLabelId = 1077;
inline constexpr int kFollowedByOccurrenceId = 1068;
inline constexpr int kAddItemId = 1018;
inline constexpr int kModifyItemId = 1019;
inline constexpr int kDeleteItemId = 1020;
inline constexpr int kFollowedByListId = 1074;
inline constexpr int kEndsLabelId = 1071;
inline constexpr int kEndsTypeId = 1041;
inline constexpr int kEndsTextId = 1024;
inline constexpr int kEndsOccursLabelId = 1072;
inline constexpr int kEndsOccurrenceId = 1070;
inline constexpr int kResultingExpressionId = 1026;
inline constexpr int kAdvancedNoteId = 1095;

class CExprWizMain : public CExprWizPage {
    Q_OBJECT

  public:
    CExprWizMain(CExprWizSheet* sheet, ExprWizData* data);

    QLabel* beginsLabel() const { return beginsLabel_; }
    ItemTypeCombo* beginsType() const { return beginsType_; }
    SingleCharEdit* beginsText() const { return beginsText_; }
    QComboBox* beginsOccurrence() const { return beginsOccurrence_; }
    ItemTypeCombo* followedByType() const { return followedByType_; }
    SingleCharEdit* followedByText() const { return followedByText_; }
    QComboBox* followedByOccurrence() const { return followedByOccurrence_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* modifyButton() const { return modify_; }
    QPushButton* deleteButton() const { return delete_; }
    ExprWizListCtrl* list() const { return list_; }
    QLabel* endsLabel() const { return endsLabel_; }
    ItemTypeCombo* endsType() const { return endsType_; }
    SingleCharEdit* endsText() const { return endsText_; }
    QComboBox* endsOccurrence() const { return endsOccurrence_; }
    QLineEdit* resultingExpression() const { return result_; }
    QLabel* advancedNote() const { return advancedNote_; }

    void initializePage() override;
    void activate() override;
    void store() override;

  private:
    // The model the controls describe: begins, the list in order, ends.
    ExpressionModel modelOfControls() const;
    void recompute();
    // Recomputes once the control that changed has finished its own update.
    void postRecompute();
    void addClicked();
    void modifyClicked();
    void deleteClicked();
    void rowSelectionChanged(int row, bool selected);

    QLabel* beginsLabel_;
    ItemTypeCombo* beginsType_;
    SingleCharEdit* beginsText_;
    QLabel* beginsOccurs_;
    QComboBox* beginsOccurrence_;
    ItemTypeCombo* followedByType_;
    SingleCharEdit* followedByText_;
    QLabel* followedByOccurs_;
    QComboBox* followedByOccurrence_;
    QPushButton* add_;
    QPushButton* modify_;
    QPushButton* delete_;
    ExprWizListCtrl* list_;
    QLabel* endsLabel_;
    ItemTypeCombo* endsType_;
    SingleCharEdit* endsText_;
    QLabel* endsOccurs_;
    QComboBox* endsOccurrence_;
    QLineEdit* result_;
    QLabel* advancedNote_;
    int buttons_ = kWizardButtonsBackFinish;
};

}  // namespace scoutwell
