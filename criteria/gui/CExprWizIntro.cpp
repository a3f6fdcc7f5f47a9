#include "criteria/gui/CExprWizIntro.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/core/Settings.h"
#include "framework/CGeometryDynCreateWnd.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

CExprWizIntro::CExprWizIntro(CExprWizSheet* sheet, ExprWizData* data)
    : CExprWizPage(sheet, data),
      note_(new QLabel(QString::fromLatin1(kExprWizNoteTemplate), this)),
      dontShow_(new QCheckBox(QString::fromLatin1(kDontShowIntroText), this)) {
    setTitle(QString::fromLatin1(kExprWizIntroTitle));
    setControlId(note_, kExprWizNoteId);
    setControlId(dontShow_, kDontShowIntroId);
    auto* intro = new QLabel(QString::fromLatin1(kExprWizIntroText), this);
    intro->setWordWrap(true);
    note_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(intro->fontMetrics().height());
    layout->addWidget(note_);
    layout->addStretch(1);
    layout->addWidget(dontShow_);
    connect(dontShow_, &QCheckBox::clicked, this, &CExprWizIntro::dontShowClicked);
}

void CExprWizIntro::initializePage() {
    if (!data())
        return;
    note_->setText(qStringFromBytes(data()->note));
    dontShow_->setChecked(readSetting(sheet()->settings(), kExprWizDontShowIntro) != 0);
}

void CExprWizIntro::activate() {
    sheet()->postWizardButtons(kWizardButtonsNext);
}

void CExprWizIntro::dontShowClicked(bool checked) {
    writeSetting(sheet()->settings(), kExprWizDontShowIntro, checked ? 1 : 0);
}

}  // namespace scoutwell
