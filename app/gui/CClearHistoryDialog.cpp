#include "app/gui/CClearHistoryDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/HistoryList.h"
#include "app/core/Settings.h"
#include "engine/Messages.h"

namespace scoutwell {
namespace {

QString qText(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

CClearHistoryDialog::CClearHistoryDialog(SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
    setWindowTitle(qText(kClearHistoryTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qText(kClearHistoryQuestion), this));
    fileName_ = new QCheckBox(qText(kFileNameHistoryCheck), this);
    containingText_ = new QCheckBox(qText(kContainingTextHistoryCheck), this);
    lookIn_ = new QCheckBox(qText(kLookInHistoryCheck), this);
    for (QCheckBox* check : {fileName_, containingText_, lookIn_}) {
        check->setChecked(true);
        layout->addWidget(check);
    }
    auto* buttons = new QHBoxLayout;
    delete_ = new QPushButton(qText(kDeleteHistoryButton), this);
    delete_->setDefault(true);
    close_ = new QPushButton(qText(kCloseButton), this);
    close_->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(delete_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(delete_, &QPushButton::clicked, this, [this] { deleteHistory(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void CClearHistoryDialog::deleteHistory() {
    const std::pair<QCheckBox*, const char*> sections[] = {
        {fileName_, kRecentFileNameSection},
        {lookIn_, kRecentFoldersSection},
        {containingText_, kRecentContainsSection},
    };
    bool allCleared = true;
    for (const auto& [check, section] : sections)
        if (check->isChecked() && !clearHistorySection(store_, section))
            allCleared = false;
    // A failed deletion has shown its own message; "Cleared." would then be untrue.
    if (allCleared)
        showMessage(kHistoryCleared);
    accept();
}

}  // namespace scoutwell
