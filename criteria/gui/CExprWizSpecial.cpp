#include "criteria/gui/CExprWizSpecial.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QVBoxLayout>
#include <string>

#include "engine/SpecialChars.h"
#include "framework/CGeometryDynCreateWnd.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

constexpr int kIndentColumns = 4;

QLabel* wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// The caption of a radio button that wraps; a click on it chooses the button.
class RadioCaption : public QLabel {
  public:
    RadioCaption(const QString& text, QRadioButton* button, QWidget* parent)
        : QLabel(text, parent), button_(button) {
        setWordWrap(true);
        setBuddy(button);
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            button_->click();
    }

  private:
    QRadioButton* button_;
};

// QRadioButton itself never wraps, so a long caption is a label beside a bare button.
QRadioButton* addWrappedRadio(const char* text, int controlId, QGridLayout* grid, int row,
                              QWidget* parent) {
    auto* button = new QRadioButton(parent);
    setControlId(button, controlId);
    auto* caption = new RadioCaption(QString::fromLatin1(text), button, parent);
    grid->addWidget(button, row, 0, Qt::AlignTop);
    grid->addWidget(caption, row, 1);
    return button;
}

}  // namespace

CExprWizSpecial::CExprWizSpecial(CExprWizSheet* sheet, ExprWizData* data)
    : CExprWizPage(sheet, data) {
    setTitle(QString::fromLatin1(kExprWizSpecialTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel(QString::fromLatin1(kSpecialCharsIntro), this));
    auto* list = new QLabel(QString::fromLatin1(kSpecialCharsList), this);
    QFont bold = list->font();
    bold.setBold(true);
    list->setFont(bold);
    const int indent = list->fontMetrics().averageCharWidth() * kIndentColumns;
    auto* listLine = new QHBoxLayout;
    listLine->addSpacing(indent);
    listLine->addWidget(list, 1);
    layout->addLayout(listLine);
    layout->addWidget(wrappedLabel(QString::fromLatin1(kSpecialCharsExplained), this));

    auto* examples = new QGridLayout;
    examples->setColumnMinimumWidth(0, indent);
    int row = 0;
    for (const char* example : kEscapingExamples) {
        std::string escaped = example;
        escapeSpecialChars(escaped, kFullEscapeSet);
        examples->addWidget(new QLabel(qStringFromBytes(example), this), row, 1);
        examples->addWidget(new QLabel(QStringLiteral("\u2192"), this), row, 2);
        examples->addWidget(new QLabel(qStringFromBytes(escaped), this), row, 3);
        ++row;
    }
    examples->setColumnStretch(4, 1);
    layout->addLayout(examples);
    layout->addWidget(wrappedLabel(QString::fromLatin1(kSpecialCharsQuestion), this));

    auto* choices = new QGridLayout;
    yes_ = addWrappedRadio(kEscapeYesText, kEscapeYesId, choices, 0, this);
    no_ = addWrappedRadio(kEscapeNoText, kEscapeNoId, choices, 1, this);
    choices->setColumnStretch(1, 1);
    auto* group = new QButtonGroup(this);
    group->addButton(yes_, 0);
    group->addButton(no_, 1);
    layout->addLayout(choices);
    layout->addStretch(1);
}

void CExprWizSpecial::activate() {
    sheet()->postWizardButtons(kWizardButtonsBackFinish);
    if (data()->leaveSpecialChars)
        no_->setChecked(true);
    else
        yes_->setChecked(true);
}

void CExprWizSpecial::store() {
    data()->leaveSpecialChars = no_->isChecked();
}

}  // namespace scoutwell
