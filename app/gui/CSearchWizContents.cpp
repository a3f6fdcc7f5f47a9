#include "app/gui/CSearchWizContents.h"

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/Application.h"
#include "framework/CGeometryDynCreateWnd.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"

namespace scoutwell {

namespace {

constexpr const char* kPerformanceTip =
    "Tip: reading files takes far longer than comparing names. Give a file name as well, "
    "for example *.txt, so that fewer files have to be read.";

}  // namespace

CSearchWizContents::CSearchWizContents(WizardData& data, Application* app, QWidget* parent)
    : CSearchWizPage(data, kWizContentsCaption, WizardArtwork::contentsPicture, parent),
      no_(new QRadioButton(QString::fromLatin1(kWizContentsNo), this)),
      yes_(new QRadioButton(QString::fromLatin1(kWizContentsYes), this)),
      containingText_(new HistoryComboBox(this)) {
    setControlId(no_, kWizContentsNoId);
    setControlId(yes_, kWizContentsYesId);
    setControlId(containingText_, kWizContainingTextId);
    setFieldName(containingText_, QString::fromLatin1(kWizContainingTextName));
    if (app)
        containingText_->setHistory(&app->contentsHistory);
    auto* choice = new QButtonGroup(this);
    choice->addButton(no_);
    choice->addButton(yes_);

    addText(kWizContentsQuestion);
    controls()->addWidget(no_);
    controls()->addWidget(yes_);
    controls()->addSpacing(fontMetrics().height() / 2);
    addText(kWizContentsPrompt);
    controls()->addWidget(containingText_);
    addExamples({
        {"Dear Bill", "lines that contain Dear Bill"},
        {"Dear.*Bill",
         "lines with Dear and, further on, Bill, when the text is a regular "
         "expression (Regular expression on the Options tab)"},
    });
    addText(kPerformanceTip);
    controls()->addStretch(1);

    connect(no_, &QRadioButton::clicked, this, [this] { searchContentsChosen(false); });
    connect(yes_, &QRadioButton::clicked, this, [this] { searchContentsChosen(true); });
}

void CSearchWizContents::loadPage() {
    const bool searchContents = data_.criteria.searchContents;
    (searchContents ? yes_ : no_)->setChecked(true);
    containingText_->setEnabled(searchContents);
    containingText_->setWholeText(data_.criteria.containingText);
    (searchContents ? static_cast<QWidget*>(containingText_) : no_)->setFocus();
}

void CSearchWizContents::savePage() {
    // No keeps the text for later, but nothing is read.
    data_.criteria.containingText = containingText_->wholeText();
    data_.criteria.searchContents = yes_->isChecked();
}

void CSearchWizContents::searchContentsChosen(bool searchContents) {
    data_.criteria.searchContents = searchContents;
    containingText_->setEnabled(searchContents);
    if (searchContents)
        containingText_->setFocus();
}

}  // namespace scoutwell
