#include "criteria/gui/CMultipleFolders.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "criteria/core/CriteriaFields.h"
#include "criteria/gui/CBasicSearch.h"
#include "engine/Text.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr int kEditMinimumLines = 6;
constexpr int kColumnGapChars = 2;

}  // namespace

CMultipleFolders::CMultipleFolders(const std::vector<std::string>& folders,
                                   const HistoryList* history, QWidget* parent)
    : QDialog(parent),
      recentFolders_(new HistoryComboBox(this, /*editable=*/false)),
      add_(makeCriteriaControl<QPushButton>(kAddText, kAddFolderId, this)),
      lines_(new QPlainTextEdit(this)),
      browse_(makeCriteriaControl<QPushButton>(kBrowseText, kBrowseLineId, this)),
      ok_(makeCriteriaControl<QPushButton>(kOkText, kOkId, this)),
      cancel_(makeCriteriaControl<QPushButton>(kCancelText, kCancelId, this)) {
    setWindowTitle(QString::fromLatin1(kMultipleFoldersTitle));
    setControlId(recentFolders_, kRecentFoldersId);
    setControlId(lines_, kFolderLinesId);
    lines_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setMinimumHeight(lines_->fontMetrics().lineSpacing() * kEditMinimumLines);
    ok_->setDefault(true);
    for (QPushButton* button : {add_, browse_, cancel_})
        button->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromLatin1(kMultipleFoldersHelp), this), 0, 0);
    grid->addWidget(ok_, 0, 1);
    grid->addWidget(makeCriteriaLabel(kRecentFoldersLabel, recentFolders_, this), 1, 0);
    grid->addWidget(cancel_, 1, 1);
    grid->addWidget(recentFolders_, 2, 0);
    grid->addWidget(add_, 2, 1);
    grid->addWidget(makeCriteriaLabel(kLookInFoldersLabel, lines_, this), 3, 0);
    grid->addWidget(lines_, 4, 0);
    grid->addWidget(browse_, 4, 1, Qt::AlignTop);
    // The style's own spacing is a pixel or two: the instruction ran into OK.
    grid->setHorizontalSpacing(fontMetrics().averageCharWidth() * kColumnGapChars);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(style()->pixelMetric(QStyle::PM_LayoutLeftMargin),
                             style()->pixelMetric(QStyle::PM_LayoutTopMargin),
                             style()->pixelMetric(QStyle::PM_LayoutRightMargin),
                             style()->pixelMetric(QStyle::PM_LayoutBottomMargin));
    body->addLayout(grid);
    outer->addLayout(body);

    for (const std::string& folder : folders)
        appendLine(folder);
    recentFolders_->setHistory(history, HistoryComboBox::withFixedEntriesAndIcons);
    recentFolders_->refill(/*keepText=*/false);
    if (!folders.empty())
        recentFolders_->setWholeText(folders.front());

    setGeometrySpecText(recentFolders_, QStringLiteral("CX"));
    setGeometrySpecText(lines_, QStringLiteral("CX+CY"));
    for (QPushButton* button : {add_, browse_, cancel_, ok_})
        setGeometrySpecText(button, QStringLiteral("X"));
    setSizeGripEnabled(false);

    // One stretching pane with a size grip: the dialog's sizing border.
    statusBar_ = new QStatusBar(this);
    setControlId(statusBar_, kMultipleFoldersStatusBarId);
    statusBar_->setSizeGripEnabled(true);
    statusBar_->clearMessage();
    outer->addWidget(statusBar_);
    setGeometrySpecText(statusBar_, QStringLiteral("CX+Y"));

    connect(add_, &QPushButton::clicked, this, &CMultipleFolders::addClicked);
    connect(browse_, &QPushButton::clicked, this, &CMultipleFolders::browseClicked);
    connect(ok_, &QPushButton::clicked, this, &CMultipleFolders::accept);
    connect(cancel_, &QPushButton::clicked, this, &CMultipleFolders::reject);
}

void CMultipleFolders::appendLine(const std::string& folder) {
    lines_->setPlainText(
        qStringFromBytes(appendFolderLine(bytesFromQString(lines_->toPlainText()), folder)));
    lines_->moveCursor(QTextCursor::End);
}

void CMultipleFolders::addClicked() {
    const std::string folder(text::trimWhite(bytesFromQString(recentFolders_->currentText())));
    if (!folder.empty())
        appendLine(folder);
}

void CMultipleFolders::browseClicked() {
    const std::string start = lastFolderLine(bytesFromQString(lines_->toPlainText()));
    std::string picked;
    if (criteriaFolderBrowser()(this, start, picked))
        appendLine(picked);
}

void CMultipleFolders::accept() {
    folders_ = foldersFromLines(bytesFromQString(lines_->toPlainText()));
    QDialog::accept();
}

}  // namespace scoutwell
