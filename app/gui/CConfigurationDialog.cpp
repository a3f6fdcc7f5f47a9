#include "app/gui/CConfigurationDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/Settings.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/Messages.h"

namespace scoutwell {
namespace {

QString qText(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

CConfigurationDialog::CConfigurationDialog(const SearchCriteria& criteria, SettingsStore& store,
                                           QWidget* parent)
    : QDialog(parent), criteria_(criteria), store_(store) {
    setWindowTitle(qText(kConfigurationTitle));
    auto* layout = new QVBoxLayout(this);

    auto* eol = new QGroupBox(qText(kEolGroup), this);
    auto* eolLayout = new QVBoxLayout(eol);
    eolUnix_ = new QCheckBox(qText(kEolUnixCheck), eol);
    eolMac_ = new QCheckBox(qText(kEolMacCheck), eol);
    eolLayout->addWidget(eolUnix_);
    eolLayout->addWidget(eolMac_);
    layout->addWidget(eol);

    auto* remember = new QGroupBox(qText(kRememberGroup), this);
    auto* rememberLayout = new QVBoxLayout(remember);
    rememberOptions_ = new QCheckBox(qText(kRememberOptionsCheck), remember);
    rememberWindowSize_ = new QCheckBox(qText(kRememberWindowSizeCheck), remember);
    rememberLayout->addWidget(rememberOptions_);
    rememberLayout->addWidget(rememberWindowSize_);
    layout->addWidget(remember);

    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(qText(kOkButton), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(qText(kConfigurationCancelButton), this);
    cancel_->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    eolUnix_->setChecked(criteria_.eolUnix);
    eolMac_->setChecked(criteria_.eolMac);
    rememberOptions_->setChecked(rememberOptions(store_));
    rememberWindowSize_->setChecked(rememberWindowSize(store_));
}

void CConfigurationDialog::accept() {
    criteria_.eolUnix = eolUnix_->isChecked();
    criteria_.eolMac = eolMac_->isChecked();
    writeSetting(store_, kRememberOptions, rememberOptions_->isChecked() ? 1 : 0);
    writeSetting(store_, kRememberWindowSize, rememberWindowSize_->isChecked() ? 1 : 0);
    if (rememberOptions_->isChecked())
        saveOptions(store_, criteria_);
    QDialog::accept();
}

void runConfiguration(CDediDurarerDoc& doc, QWidget* parent) {
    CConfigurationDialog dialog(doc.editedCriteria, doc.settings(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const SearchCriteria& copy = dialog.criteria();
    const bool eolChanged =
        copy.eolUnix != doc.editedCriteria.eolUnix || copy.eolMac != doc.editedCriteria.eolMac;
    if (eolChanged && doc.results.count() > 0)
        showMessage(kEolChangeAltersResults);
    doc.editedCriteria = copy;
}

}  // namespace scoutwell
