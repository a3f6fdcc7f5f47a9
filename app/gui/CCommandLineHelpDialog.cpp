#include "app/gui/CCommandLineHelpDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "app/core/CommandLineOptions.h"

namespace scoutwell {

CCommandLineHelpDialog::CCommandLineHelpDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kHelpTitle));
    auto* layout = new QVBoxLayout(this);
    QStringList lines;
    for (const char* line : kHelpLines)
        lines << QString::fromLatin1(line);
    auto* text = new QLabel(lines.join(QLatin1Char('\n')), this);
    text->setObjectName(QStringLiteral("helpText"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(this);
    run_ = buttons->addButton(QString::fromLatin1(kHelpRunButton), QDialogButtonBox::AcceptRole);
    close_ = buttons->addButton(QString::fromLatin1(kHelpCloseButton), QDialogButtonBox::RejectRole);
    run_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace scoutwell
