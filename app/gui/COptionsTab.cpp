#include "app/gui/COptionsTab.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/Settings.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/SearchCriteria.h"
#include "framework/CGeometryDynCreateWnd.h"

namespace scoutwell {

namespace {

template <class Control>
Control* makeControl(const char* text, int controlId, QWidget* parent) {
    auto* control = new Control(QString::fromLatin1(text), parent);
    setControlId(control, controlId);
    return control;
}

}  // namespace

COptionsTab::COptionsTab(CSearchOptions* sheet, QWidget* parent)
    : CSearchPropertyPage(sheet, parent) {
    setWindowTitle(QString::fromLatin1(kOptionsTabCaption));
    auto* fileNameGroup = new QGroupBox(QString::fromLatin1(kFileNameGroupText), this);
    excludeFilename_ =
        makeControl<QCheckBox>(kExcludeFilenameText, kExcludeFilenameId, fileNameGroup);
    matchFilenameCase_ =
        makeControl<QCheckBox>(kMatchFilenameCaseText, kMatchFilenameCaseId, fileNameGroup);
    dosExpression_ = makeControl<QRadioButton>(kDosExpressionText, kDosExpressionId, fileNameGroup);
    regularExpression_ =
        makeControl<QRadioButton>(kRegularExpressionText, kRegularExpressionId, fileNameGroup);
    auto* fileNameLayout = new QVBoxLayout(fileNameGroup);
    for (QWidget* control :
         {static_cast<QWidget*>(excludeFilename_), static_cast<QWidget*>(matchFilenameCase_),
          static_cast<QWidget*>(dosExpression_), static_cast<QWidget*>(regularExpression_)})
        fileNameLayout->addWidget(control);
    fileNameLayout->addStretch(1);

    auto* contentsGroup = new QGroupBox(QString::fromLatin1(kContentsGroupText), this);
    contentsRegExp_ = makeControl<QCheckBox>(kContentsRegExpText, kContentsRegExpId, contentsGroup);
    matchContentsCase_ =
        makeControl<QCheckBox>(kMatchContentsCaseText, kMatchContentsCaseId, contentsGroup);
    auto* contentsLayout = new QVBoxLayout(contentsGroup);
    contentsLayout->addWidget(contentsRegExp_);
    contentsLayout->addWidget(matchContentsCase_);
    contentsLayout->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(fileNameGroup);
    layout->addWidget(contentsGroup);
    layout->addStretch(1);
}

void COptionsTab::loadPage(SearchCriteria& criteria) {
    excludeFilename_->setChecked(criteria.excludeFilename);
    matchFilenameCase_->setChecked(criteria.matchFilenameCase);
    // The radios are one group: checking one unchecks the other.
    (criteria.autoConvertToDos ? dosExpression_ : regularExpression_)->setChecked(true);
    contentsRegExp_->setChecked(criteria.treatContentsAsRegExp);
    matchContentsCase_->setChecked(criteria.matchContentsCase);
}

bool COptionsTab::savePage(SearchCriteria& criteria) {
    criteria.excludeFilename = excludeFilename_->isChecked();
    criteria.matchFilenameCase = matchFilenameCase_->isChecked();
    criteria.autoConvertToDos = dosExpression_->isChecked();
    criteria.treatContentsAsRegExp = contentsRegExp_->isChecked();
    criteria.matchContentsCase = matchContentsCase_->isChecked();
    // A settings store that cannot be written must not keep the user from searching.
    if (CDediDurarerDoc* doc = document())
        saveOptions(doc->settings(), criteria);
    return true;
}

}  // namespace scoutwell
