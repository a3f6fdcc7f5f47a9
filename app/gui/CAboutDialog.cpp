#include "app/gui/CAboutDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/core/ProgramVersion.h"

namespace scoutwell {

namespace {

constexpr int kTitleBarAllowance = 160;

}  // namespace

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kAboutTitle));
    auto* layout = new QVBoxLayout(this);
    auto* program = new QLabel(programLine(), this);
    program->setObjectName(QStringLiteral("programLine"));
    // Wide enough for the title beside the title bar's buttons.
    program->setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarAllowance);
    layout->addWidget(program);
    auto* build = new QLabel(buildLine(), this);
    build->setObjectName(QStringLiteral("buildLine"));
    layout->addWidget(build);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CAboutDialog::programLine() {
    return QString::fromLatin1(kAboutProgramFormat).arg(QString::fromLatin1(programVersion()));
}

QString CAboutDialog::buildLine() {
    return QString::fromLatin1(kReleaseBuildFormat).arg(QString::fromLatin1(kReleaseBuild));
}

}  // namespace scoutwell
