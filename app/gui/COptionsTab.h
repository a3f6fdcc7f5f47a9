// The Options page of the criteria sheet: how the file name and the contents are matched,
// and whether compressed files are searched inside. Its six controls show the document's
// editedCriteria; saving copies them back and, when "RememberOptions" is on, stores the
// options for the next search.
//
// Exercised by tests/gui/CriteriaPagesTest.cpp, tests/gui/FirstSightTest.cpp.
#pragma once

#include "app/gui/CSearchPropertyPage.h"

class QCheckBox;
class QRadioButton;

namespace scoutwell {

inline constexpr const char* kOptionsTabCaption = "Options";
inline constexpr const char* kFileNameGroupText = " File name ";
inline constexpr const char* kContentsGroupText = " Contents ";
inline constexpr const char* kExcludeFilenameText = "Specifies &NOT expression";
inline constexpr const char* kMatchFilenameCaseText = "&Match case";
inline constexpr const char* kDosExpressionText = "&DOS Expression";
inline constexpr const char* kRegularExpressionText = "&Regular Expression";
inline constexpr const char* kContentsRegExpText = "Re&gular expression";
inline constexpr const char* kMatchContentsCaseText = "Match &case";
inline constexpr const char* kSearchCompressedText = "Search &inside compressed files and archives";

inline constexpr int kExcludeFilenameId = 1105;
inline constexpr int kMatchFilenameCaseId = 1101;
inline constexpr int kDosExpressionId = 1100;
inline constexpr int kRegularExpressionId = 1085;
inline constexpr int kContentsRegExpId = 1102;
inline constexpr int kMatchContentsCaseId = 1099;
inline constexpr int kSearchCompressedId = 1130;

class COptionsTab : public CSearchPropertyPage {
    Q_OBJECT

  public:
    explicit COptionsTab(CSearchOptions* sheet = nullptr, QWidget* parent = nullptr);

    QCheckBox* excludeFilenameBox() const { return excludeFilename_; }
    QCheckBox* matchFilenameCaseBox() const { return matchFilenameCase_; }
    QRadioButton* dosExpressionRadio() const { return dosExpression_; }
    QRadioButton* regularExpressionRadio() const { return regularExpression_; }
    QCheckBox* contentsRegExpBox() const { return contentsRegExp_; }
    QCheckBox* matchContentsCaseBox() const { return matchContentsCase_; }
    QCheckBox* searchCompressedBox() const { return searchCompressed_; }

  protected:
    void loadPage(SearchCriteria& criteria) override;
    bool savePage(SearchCriteria& criteria) override;

  private:
    QCheckBox* excludeFilename_;
    QCheckBox* matchFilenameCase_;
    QRadioButton* dosExpression_;
    QRadioButton* regularExpression_;
    QCheckBox* contentsRegExp_;
    QCheckBox* matchContentsCase_;
    QCheckBox* searchCompressed_;
};

}  // namespace scoutwell
