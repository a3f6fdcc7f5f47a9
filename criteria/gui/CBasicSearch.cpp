#include "criteria/gui/CBasicSearch.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "app/core/Application.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/COptionsTab.h"
#include "app/gui/CSearchOptions.h"
#include "criteria/core/CriteriaFields.h"
#include "criteria/gui/DateField.h"
#include "engine/Text.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr const char* kFollowRight = "X";
constexpr const char* kStretchWidth = "CX";

// A one-line label that ends its text with "…" where the page is too narrow for it; its
// text (what screen readers read, and the tooltip) stays whole.
class OneLineLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideRight, area.width()),
                              foregroundRole());
    }
};

}  // namespace

std::vector<std::string> hiddenCriteriaPhrases(const SearchCriteria& criteria) {
    std::vector<std::string> phrases;
    const auto date = [](OleDate value) { return dateFieldText(value).toStdString(); };
    if (criteria.sizeMoreThanOn)
        phrases.push_back(
            text::format(kSizeMoreThanPhrase, sizeFieldText(criteria.sizeMoreThan).c_str()));
    if (criteria.sizeLessThanOn)
        phrases.push_back(
            text::format(kSizeLessThanPhrase, sizeFieldText(criteria.sizeLessThan).c_str()));
    if (criteria.modifiedAfterOn)
        phrases.push_back(text::format(kModifiedAfterPhrase, date(criteria.modifiedAfter).c_str()));
    if (criteria.modifiedBeforeOn)
        phrases.push_back(
            text::format(kModifiedBeforePhrase, date(criteria.modifiedBefore).c_str()));
    if (criteria.excludeFilename)
        phrases.emplace_back(kNotExpressionPhrase);
    if (criteria.matchFilenameCase)
        phrases.emplace_back(kFileNameCasePhrase);
    if (!criteria.autoConvertToDos)
        phrases.emplace_back(kFileNameRegExpPhrase);
    // The contents choices matter only when contents are searched.
    if (criteria.searchContents && criteria.matchContentsCase)
        phrases.emplace_back(kContentsCasePhrase);
    if (criteria.searchContents && !criteria.treatContentsAsRegExp)
        phrases.emplace_back(kContentsPlainPhrase);
    return phrases;
}

void clearHiddenCriteria(SearchCriteria& criteria) {
    const SearchCriteria fresh;
    criteria.sizeMoreThanOn = fresh.sizeMoreThanOn;
    criteria.sizeLessThanOn = fresh.sizeLessThanOn;
    criteria.modifiedAfterOn = fresh.modifiedAfterOn;
    criteria.modifiedBeforeOn = fresh.modifiedBeforeOn;
    criteria.excludeFilename = fresh.excludeFilename;
    criteria.matchFilenameCase = fresh.matchFilenameCase;
    criteria.autoConvertToDos = fresh.autoConvertToDos;
    criteria.matchContentsCase = fresh.matchContentsCase;
    criteria.treatContentsAsRegExp = fresh.treatContentsAsRegExp;
}

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
      subfolders_(makeCriteriaControl<QCheckBox>(kSubfoldersText, kSubfoldersId, this)),
      hiddenNotice_(new OneLineLabel(this)),
      clearHidden_(new QPushButton(QString::fromLatin1(kClearHiddenText), this)) {
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
    setControlId(hiddenNotice_, kHiddenCriteriaNoticeId);
    setControlId(clearHidden_, kClearHiddenCriteriaId);
    clearHidden_->setAutoDefault(false);
    clearHidden_->setAccessibleName(QString::fromLatin1(kClearHiddenName));
    // One line whatever it names: the whole text is the tooltip when the page cuts it.
    hiddenNotice_->setWordWrap(false);
    hiddenNotice_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    hiddenNotice_->setTextFormat(Qt::PlainText);
    for (QWidget* shownWhenNeeded :
         {static_cast<QWidget*>(hiddenNotice_), static_cast<QWidget*>(clearHidden_)}) {
        // The page is designed with the notice's row, so that showing it moves nothing.
        QSizePolicy policy = shownWhenNeeded->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        shownWhenNeeded->setSizePolicy(policy);
        shownWhenNeeded->hide();
    }

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
    layout->addWidget(hiddenNotice_, 4, 0, 1, 3);
    layout->addWidget(clearHidden_, 4, 3);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(5, 1);

    for (QWidget* control : {static_cast<QWidget*>(searchWizard_), static_cast<QWidget*>(browse_),
                             static_cast<QWidget*>(clearHidden_)})
        setGeometrySpecText(control, QString::fromLatin1(kFollowRight));
    for (QWidget* control :
         {static_cast<QWidget*>(fileName_), static_cast<QWidget*>(containingText_),
          static_cast<QWidget*>(lookIn_), static_cast<QWidget*>(hiddenNotice_)})
        setGeometrySpecText(control, QString::fromLatin1(kStretchWidth));

    connect(browse_, &QPushButton::clicked, this, &CBasicSearch::browseClicked);
    connect(searchWizard_, &QPushButton::clicked, this, &CBasicSearch::searchWizardClicked);
    connect(clearHidden_, &QPushButton::clicked, this, &CBasicSearch::clearHiddenClicked);
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
    showHiddenCriteria(criteria);
}

bool CBasicSearch::savePage(SearchCriteria& criteria) {
    criteria.fileName = fileName_->wholeText();
    criteria.containingText = containingText_->wholeText();
    criteria.subfolders = subfolders_->isChecked();
    criteria.searchContents = searchContents_->isChecked();
    criteria.setLookInText(lookIn_->wholeText());
    showHiddenCriteria(criteria);
    return true;
}

void CBasicSearch::showHiddenCriteria(const SearchCriteria& criteria) {
    const std::vector<std::string> phrases = hiddenCriteriaPhrases(criteria);
    std::string joined;
    for (const std::string& phrase : phrases)
        joined += (joined.empty() ? "" : kHiddenCriteriaSeparator) + phrase;
    const QString notice =
        phrases.empty() ? QString()
                        : qStringFromBytes(text::format(kHiddenCriteriaFormat, joined.c_str()));
    hiddenNotice_->setText(notice);
    hiddenNotice_->setToolTip(notice);
    hiddenNotice_->setVisible(!phrases.empty());
    clearHidden_->setVisible(!phrases.empty());
}

void CBasicSearch::clearHiddenClicked() {
    SearchCriteria* edited = criteria();
    if (!edited)
        return;
    // What this page holds goes into the record first, so that reloading it keeps it.
    if (!saveData())
        return;
    clearHiddenCriteria(*edited);
    // The Options page shows some of the cleared choices.
    if (sheet() && sheet()->optionsPage() && sheet()->optionsPage()->initialised())
        sheet()->optionsPage()->loadData();
    loadData();
    // The button goes with the notice: the focus moves to the field above it.
    if (!clearHidden_->isVisible())
        subfolders_->setFocus(Qt::OtherFocusReason);
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
