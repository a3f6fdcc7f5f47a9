#include "app/gui/CTestRegExpDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/ResultWriter.h"
#include "app/core/Settings.h"
#include "engine/Messages.h"
#include "engine/SearchExpression.h"
#include "engine/Text.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

QString qText(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

std::string testRegExp(const std::string& pattern, bool matchCase, const std::string& subject,
                       std::string& errorOut) {
    SearchExpression expression;
    if (!expression.set(pattern, matchCase, /*compileNow=*/true, &errorOut)) {
        errorOut += std::string("\n") + kPlainTextHint;
        return {};
    }
    int start = 0;
    int length = 0;
    if (expression.find(subject, start, length))
        return text::format(kExpressionFound, start, length);
    return kExpressionNotFound;
}

CTestRegExpDialog::CTestRegExpDialog(SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
    setWindowTitle(qText(kTestRegExpTitle));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(qText(kTestRegExpIntro), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    auto* expressionLabel = new QLabel(qText(kRegularExpressionLabel), this);
    expression_ = new QLineEdit(this);
    expressionLabel->setBuddy(expression_);
    matchCaseCheck_ = new QCheckBox(qText(kMatchCaseCheck), this);
    auto* sampleLabel = new QLabel(qText(kSampleTextLabel), this);
    sample_ = new QPlainTextEdit(this);
    sample_->setTabChangesFocus(true);
    sampleLabel->setBuddy(sample_);
    auto* resultLabel = new QLabel(qText(kResultLabel), this);
    result_ = new QPlainTextEdit(this);
    result_->setReadOnly(true);
    result_->setTabChangesFocus(true);
    resultLabel->setBuddy(result_);
    grid->addWidget(expressionLabel, 0, 0);
    grid->addWidget(expression_, 0, 1);
    grid->addWidget(matchCaseCheck_, 1, 1);
    grid->addWidget(sampleLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(sample_, 2, 1);
    grid->addWidget(resultLabel, 3, 0, Qt::AlignTop);
    grid->addWidget(result_, 3, 1);
    grid->setRowStretch(2, 2);
    grid->setRowStretch(3, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    test_ = new QPushButton(qText(kTestButton), this);
    test_->setDefault(true);
    close_ = new QPushButton(qText(kTestCloseButton), this);
    close_->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(test_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(test_, &QPushButton::clicked, this, [this] { test(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    matchCase_ = readSetting(store_, kMatchTestRegExpCase) != 0;
    matchCaseCheck_->setChecked(matchCase_);
}

std::string CTestRegExpDialog::sampleText() const {
    // The edit holds its lines with LF alone; the engine is shown them with CR LF, so that
    // offsets count both bytes of every line end.
    return withCrLf(bytesFromQString(sample_->toPlainText()));
}

void CTestRegExpDialog::test() {
    matchCase_ = matchCaseCheck_->isChecked();
    writeSetting(store_, kMatchTestRegExpCase, matchCase_ ? 1 : 0);

    std::string error;
    const std::string outcome =
        testRegExp(bytesFromQString(expression_->text()), matchCase_, sampleText(), error);
    if (!error.empty())
        showMessage(error);
    // The box shows lines the way Qt keeps them, with LF alone.
    QString shown = qStringFromBytes(outcome);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result_->setPlainText(shown);
    sample_->setFocus();
}

}  // namespace scoutwell
