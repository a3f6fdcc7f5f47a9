// The Expression Wizard: three pages (an introduction, the description of the wanted text
// with the expression it makes, and a choice about special characters) over the wizard's
// own copy of an ExprWizData.
//
//   CExprWizSheet wizard(settings, page);
//   wizard.data() = fileNameWizard;                 // copy in
//   if (wizard.exec() == QDialog::Accepted) {       // Finish
//       fileNameWizard = wizard.data();             // copy back
//       fileNameWizard.model.generate(criteria.fileName, !fileNameWizard.leaveSpecialChars);
//   }
//
// Each page tells the sheet which buttons to offer by posting a request (Next; Back and
// Next; Back and Finish); the sheet applies it once the event loop runs.
//
// Exercised by tests/gui/CriteriaPagesTest.cpp, tests/gui/ExprWizardTest.cpp.
#pragma once

#include <QWizard>
#include <QWizardPage>

#include "criteria/core/ExpressionModel.h"

namespace scoutwell {

class CExprWizIntro;
class CExprWizMain;
class CExprWizSheet;
class CExprWizSpecial;
class SettingsStore;

inline constexpr const char* kExprWizCaption = "Expression Wizard";
// The caption of a wizard that builds the expression of one field: names the field.
inline constexpr const char* kExprWizFieldCaptionFormat = "Expression Wizard: %s";

// The wizard buttons a page asks for: flags back 1, next 2, finish 4.
inline constexpr int kWizardBack = 1;
inline constexpr int kWizardNext = 2;
inline constexpr int kWizardFinish = 4;
inline constexpr int kWizardButtonsNext = kWizardNext;
inline constexpr int kWizardButtonsBackNext = kWizardBack | kWizardNext;
inline constexpr int kWizardButtonsBackFinish = kWizardBack | kWizardFinish;

// What every page of the wizard has: the sheet's data, a step when the page becomes the
// current one, and a step that stores its controls when it is left or finished on.
class CExprWizPage : public QWizardPage {
    Q_OBJECT

  public:
    CExprWizPage(CExprWizSheet* sheet, ExprWizData* data);

    virtual void activate() {}
    virtual void store() {}
    QSize minimumSizeHint() const override;

  protected:
    CExprWizSheet* sheet() const { return sheet_; }
    ExprWizData* data() const { return data_; }

  private:
    CExprWizSheet* sheet_;
    ExprWizData* data_;
};

class CExprWizSheet : public QWizard {
    Q_OBJECT

  public:
    enum PageId { kIntroPage = 0, kMainPage = 1, kSpecialPage = 2 };

    // `settings` (not owned) must outlive the sheet; the data's escaping choice starts from
    // them.
    explicit CExprWizSheet(SettingsStore& settings, QWidget* owner = nullptr);

    ExprWizData& data() { return data_; }
    const ExprWizData& data() const { return data_; }
    SettingsStore& settings() const { return settings_; }

    CExprWizIntro* introPage() const { return intro_; }
    CExprWizMain* mainPage() const { return main_; }
    CExprWizSpecial* specialPage() const { return special_; }

    // Asks for `buttons` (kWizardButtons...); takes effect once the event loop runs.
    void postWizardButtons(int buttons);
    int wizardButtons() const { return buttons_; }

    int nextId() const override;
    void setVisible(bool visible) override;

  protected:
    void done(int result) override;

  private:
    void applyWizardButtons(int buttons);
    void pageChanged(int id);
    CExprWizPage* wizardPage(int id) const;

    SettingsStore& settings_;
    ExprWizData data_;
    CExprWizIntro* intro_;
    CExprWizMain* main_;
    CExprWizSpecial* special_;
    int buttons_ = kWizardButtonsNext;
    int shownPage_ = -1;
};

}  // namespace scoutwell
