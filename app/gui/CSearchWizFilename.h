// The Search Wizard's first page, "Name of file": the file name to look for, from the
// file-name history or typed, with examples.
#pragma once

#include "app/gui/CSearchWiz.h"

namespace scoutwell {

class HistoryComboBox;

inline constexpr const char* kWizFilenameCaption = "Name of file";
inline constexpr const char* kWizFilenameQuestion =
    "What is the name of the file you want to find?";
inline constexpr int kWizFileNameId = 1053;
// What screen readers call the field below the question.
inline constexpr const char* kWizFileNameName = "File name";

class CSearchWizFilename : public CSearchWizPage {
    Q_OBJECT

  public:
    CSearchWizFilename(WizardData& data, Application* app, QWidget* parent = nullptr);

    HistoryComboBox* fileNameBox() const { return fileName_; }

    void loadPage() override;
    void savePage() override;

  private:
    HistoryComboBox* fileName_;
};

}  // namespace scoutwell
