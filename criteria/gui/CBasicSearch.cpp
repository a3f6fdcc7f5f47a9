#include "criteria/gui/CBasicSearch.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/core/Application.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/CSearchOptions.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"

namespace scoutwell {

namespace {

constexpr const char* kFollowRight = "X";
constexpr const char* kStretchWidth = "CX";

}  // namespace

void connectCriteriaBoxes(CSearchPropertyPage* page, HistoryComboBox* fileName,
                          HistoryComboBox* containingText, HistoryComboBox* lookIn,
                          QCheckBox* searchContents) {
    if (CDediDurarerDoc* doc = page->document()) {
        Application& app = doc->application();
        fileName->setHistory(&app.fileNameHistory);
        containingText->setHistory(&app.contentsHistory);
        lookIn->setHistory(&app.folderHistory, HistoryComboBox::withFixedEntriesAndIcons);
    }
    // Only the user's own typing and choosing move the check box: a page being loaded
    // keeps the record's searchContents.
    QObject::connect(
        containingText->lineEdit(), &QLineEdit::textEdited, searchContents,
        [searchContents](const QString& text) { searchContents->setChecked(!text.isEmpty()); });
    QObject::connect(containingText, &QComboBox::activated, searchContents,
                     [searchContents] { searchContents->setChecked(true); });
}

void browseForLookInFolder(CSearchPropertyPage* page) {
    if (!page->saveData())
        return;
    SearchCriteria* criteria = page->criteria();
    const std::string start = criteria->lookIn.empty() ? std::string() : criteria->lookIn.front();
    std::string picked;
    if (!criteriaFolderBrowser()(page, start, picked))
        return;
    criteria->setLookInText(picked);
    page->loadData();
}

CBasicSearch::CBasicSearch(CSearchOptions* sheet, QWidget* parent)
    : CSearchPropertyPage(sheet, parent),
      fileName_(new HistoryComboBox(this)),
      searchContents_(new QCheckBox(this)),
      containingText_(new HistoryComboBox(this)),
      searchWizard_(makeCriteriaControl<QPushButton>(kSearchWizardText, kSearchWizardId, this)),
      lookIn_(new HistoryComboBox(this)),
      browse_(makeCriteriaControl<QPushButton>(kBrowseText, kBrowseFolderId, this)),
      subfolders_(makeCriteriaControl<QCheckBox>(kSubfoldersText, kSubfoldersId, this)) {
    setWindowTitle(QString::fromLatin1(kBasicPageCaption));
    // The wizard starts the search on Finish until the user says otherwise.
    wizard_.startAutomatically = true;
    setControlId(fileName_, kFileNameId);
    setControlId(searchContents_, kSearchContentsId);
    searchContents_->setAccessibleName(QString::fromLatin1(kSearchContentsName));
    setControlId(containingText_, kContainingTextId);
    setControlId(lookIn_, kLookInId);
    // Buttons of a page must not take Enter: it starts the search.
    searchWizard_->setAutoDefault(false);
    browse_->setAutoDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(makeCriteriaLabel(kFileNameLabel, fileName_, this), 0, 0, 1, 2);
    layout->addWidget(fileName_, 0, 2);
    layout->addWidget(searchWizard_, 0, 3);
    layout->addWidget(searchContents_, 1, 0);
    layout->addWidget(makeCriteriaLabel(kContainingTextLabel, containingText_, this), 1, 1);
    layout->addWidget(containingText_, 1, 2);
    layout->addWidget(makeCriteriaLabel(kLookInLabel, lookIn_, this), 2, 0, 1, 2);
    layout->addWidget(lookIn_, 2, 2);
    layout->addWidget(browse_, 2, 3);
    layout->addWidget(subfolders_, 3, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(4, 1);

    for (QWidget* control : {static_cast<QWidget*>(searchWizard_), static_cast<QWidget*>(browse_)})
        setGeometrySpecText(control, QString::fromLatin1(kFollowRight));
    for (QWidget* control : {fileName_, containingText_, lookIn_})
        setGeometrySpecText(control, QString::fromLatin1(kStretchWidth));

    connect(browse_, &QPushButton::clicked, this, &CBasicSearch::browseClicked);
    connect(searchWizard_, &QPushButton::clicked, this, &CBasicSearch::searchWizardClicked);
}

std::vector<QWidget*> CBasicSearch::tabOrder() const {
    return {fileName_, searchWizard_, searchContents_, containingText_,
            lookIn_,   browse_,       subfolders_};
}

void CBasicSearch::initPage() {
    connectCriteriaBoxes(this, fileName_, containingText_, lookIn_, searchContents_);
}

void CBasicSearch::loadPage(SearchCriteria& criteria) {
    fileName_->setWholeText(criteria.fileName);
    containingText_->setWholeText(criteria.containingText);
    subfolders_->setChecked(criteria.subfolders);
    searchContents_->setChecked(criteria.searchContents);
    lookIn_->setWholeText(criteria.lookInText());
}

bool CBasicSearch::savePage(SearchCriteria& criteria) {
    criteria.fileName = fileName_->wholeText();
    criteria.containingText = containingText_->wholeText();
    criteria.subfolders = subfolders_->isChecked();
    criteria.searchContents = searchContents_->isChecked();
    criteria.setLookInText(lookIn_->wholeText());
    return true;
}

void CBasicSearch::browseClicked() {
    browseForLookInFolder(this);
}

void CBasicSearch::searchWizardClicked() {
    if (!saveData())
        return;
    wizard_.criteria = *criteria();
    wizard_.locationMode = kWizardSpecificFolder;
    CSearchWiz wizard(wizard_, &document()->application(), this);
    if (wizard.exec() != QDialog::Accepted)
        return;
    wizard_ = wizard.data();
    *criteria() = wizard_.criteria;
    loadData();
    repaint();
    // The sheet starts the search as its Start button would.
    if (wizard_.startAutomatically && sheet())
        sendSearchMessage(sheet(), WM_START_SEARCH);
}

}  // namespace scoutwell
