#include "criteria/gui/CAdvancedSearch.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <utility>

#include "app/core/Application.h"
#include "app/gui/CDediDurarerDoc.h"
#include "criteria/core/CriteriaFields.h"
#include "criteria/gui/CBasicSearch.h"
#include "criteria/gui/CExprWizSheet.h"
#include "criteria/gui/CMultipleFolders.h"
#include "criteria/gui/DateField.h"
#include "engine/Messages.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr const char* kFollowRight = "X";
constexpr const char* kStretchWidth = "CX";
constexpr const char* kDigitsOnly = "[0-9]*";
constexpr int kBitmapIconSize = 16;

QPushButton* makeBitmapButton(QStyle::StandardPixmap pixmap, int controlId, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIcon(parent->style()->standardIcon(pixmap));
    button->setIconSize(QSize(kBitmapIconSize, kBitmapIconSize));
    button->setAutoDefault(false);
    setControlId(button, controlId);
    if (const char* tip = advancedPageTip(controlId)) {
        button->setToolTip(QString::fromLatin1(tip));
        button->setAccessibleName(QString::fromLatin1(tip));
    }
    return button;
}

QLineEdit* makeLimitEdit(int controlId, bool digitsOnly, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    setControlId(edit, controlId);
    if (digitsOnly)
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QString::fromLatin1(kDigitsOnly)), edit));
    edit->setEnabled(false);
    return edit;
}

bool storeSize(QLineEdit* edit, std::uint64_t& bytes) {
    return readSizeField(bytesFromQString(edit->text()), bytes) != SizeFieldResult::invalid;
}

}  // namespace

const char* advancedPageTip(int controlId) {
    switch (controlId) {
        case kBrowseFolderId:
            return kBrowseSingleFolderTip;
        case kBrowseFoldersId:
            return kBrowseMultipleFoldersTip;
        default:
            return nullptr;
    }
}

CAdvancedSearch::CAdvancedSearch(CSearchOptions* sheet, QWidget* parent)
    : CSearchPropertyPage(sheet, parent),
      fileName_(new HistoryComboBox(this)),
      fileNameWizard_(makeCriteriaControl<QPushButton>(kExprWizardText, kFileNameWizardId, this)),
      searchContents_(new QCheckBox(this)),
      containingText_(new HistoryComboBox(this)),
      contentsWizard_(makeCriteriaControl<QPushButton>(kExprWizardText, kContentsWizardId, this)),
      lookIn_(new HistoryComboBox(this)),
      subfolders_(makeCriteriaControl<QCheckBox>(kSubfoldersText, kSubfoldersId, this)),
      browse_(makeBitmapButton(QStyle::SP_DirOpenIcon, kBrowseFolderId, this)),
      browseFolders_(makeBitmapButton(QStyle::SP_FileDialogListView, kBrowseFoldersId, this)),
      sizeMoreThanOn_(makeCriteriaControl<QCheckBox>(kMoreThanText, kSizeMoreThanOnId, this)),
      sizeMoreThan_(makeLimitEdit(kSizeMoreThanId, true, this)),
      sizeLessThanOn_(makeCriteriaControl<QCheckBox>(kLessThanText, kSizeLessThanOnId, this)),
      sizeLessThan_(makeLimitEdit(kSizeLessThanId, true, this)),
      modifiedAfterOn_(makeCriteriaControl<QCheckBox>(kAfterText, kModifiedAfterOnId, this)),
      modifiedAfter_(makeLimitEdit(kModifiedAfterId, false, this)),
      modifiedBeforeOn_(makeCriteriaControl<QCheckBox>(kBeforeText, kModifiedBeforeOnId, this)),
      modifiedBefore_(makeLimitEdit(kModifiedBeforeId, false, this)),
      fileNameWizardData_(document() ? ExprWizData(document()->settings()) : ExprWizData()),
      contentsWizardData_(document() ? ExprWizData(document()->settings()) : ExprWizData()) {
    setWindowTitle(QString::fromLatin1(kAdvancedPageCaption));
    fileNameWizardData_.note = kFileNameWizardNote;
    fileNameWizardData_.fieldName = kFileNameWizardField;
    contentsWizardData_.note = kContentsWizardNote;
    contentsWizardData_.fieldName = kContentsWizardField;
    setControlId(fileName_, kFileNameId);
    setControlId(searchContents_, kSearchContentsId);
    searchContents_->setAccessibleName(QString::fromLatin1(kSearchContentsName));
    setControlId(containingText_, kContainingTextId);
    setControlId(lookIn_, kLookInId);
    fileNameWizard_->setAutoDefault(false);
    contentsWizard_->setAutoDefault(false);
    const std::pair<QWidget*, const char*> names[] = {
        {fileNameWizard_, kFileNameWizardName},     {contentsWizard_, kContentsWizardName},
        {sizeMoreThanOn_, kSizeMoreThanOnName},     {sizeMoreThan_, kSizeMoreThanName},
        {sizeLessThanOn_, kSizeLessThanOnName},     {sizeLessThan_, kSizeLessThanName},
        {modifiedAfterOn_, kModifiedAfterOnName},   {modifiedAfter_, kModifiedAfterName},
        {modifiedBeforeOn_, kModifiedBeforeOnName}, {modifiedBefore_, kModifiedBeforeName}};
    for (const auto& [control, name] : names)
        setFieldName(control, QString::fromLatin1(name));
    // A date field must hold a four-digit year and a size field any 64-bit KB count.
    const int dateWidth =
        modifiedAfter_->fontMetrics().horizontalAdvance(dateFieldText(currentOleDate()) + "0000");
    for (QLineEdit* edit : {modifiedAfter_, modifiedBefore_})
        edit->setMinimumWidth(dateWidth);
    const int sizeWidth =
        sizeMoreThan_->fontMetrics().horizontalAdvance(QStringLiteral("00000000000"));
    for (QLineEdit* edit : {sizeMoreThan_, sizeLessThan_})
        edit->setMinimumWidth(sizeWidth);

    auto* layout = new QGridLayout(this);
    layout->addWidget(makeCriteriaLabel(kFileNameLabel, fileName_, this), 0, 0, 1, 2);
    layout->addWidget(fileName_, 0, 2);
    layout->addWidget(fileNameWizard_, 0, 3);
    layout->addWidget(searchContents_, 1, 0);
    layout->addWidget(makeCriteriaLabel(kContainingTextLabel, containingText_, this), 1, 1);
    layout->addWidget(containingText_, 1, 2);
    layout->addWidget(contentsWizard_, 1, 3);
    layout->addWidget(makeCriteriaLabel(kLookInLabel, lookIn_, this), 2, 0, 1, 2);
    layout->addWidget(lookIn_, 2, 2);
    auto* browseButtons = new QHBoxLayout;
    browseButtons->addWidget(browse_);
    browseButtons->addWidget(browseFolders_);
    browseButtons->addStretch(1);
    layout->addLayout(browseButtons, 2, 3);

    auto* sizes = new QHBoxLayout;
    sizes->addWidget(sizeMoreThanOn_);
    sizes->addWidget(sizeMoreThan_);
    sizes->addWidget(sizeLessThanOn_);
    sizes->addWidget(sizeLessThan_);
    sizes->addStretch(1);
    layout->addWidget(makeCriteriaLabel(kSizeLabel, sizeMoreThanOn_, this), 3, 0, 1, 2);
    layout->addLayout(sizes, 3, 2);
    layout->addWidget(subfolders_, 3, 3);
    auto* dates = new QHBoxLayout;
    dates->addWidget(modifiedAfterOn_);
    dates->addWidget(modifiedAfter_);
    dates->addWidget(modifiedBeforeOn_);
    dates->addWidget(modifiedBefore_);
    dates->addStretch(1);
    layout->addWidget(makeCriteriaLabel(kModifiedLabel, modifiedAfterOn_, this), 4, 0, 1, 2);
    layout->addLayout(dates, 4, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(5, 1);

    for (QWidget* control :
         {static_cast<QWidget*>(fileNameWizard_), static_cast<QWidget*>(contentsWizard_),
          static_cast<QWidget*>(browse_), static_cast<QWidget*>(browseFolders_),
          static_cast<QWidget*>(subfolders_)})
        setGeometrySpecText(control, QString::fromLatin1(kFollowRight));
    for (QWidget* control : {fileName_, containingText_, lookIn_})
        setGeometrySpecText(control, QString::fromLatin1(kStretchWidth));

    for (QCheckBox* box : {sizeMoreThanOn_, sizeLessThanOn_, modifiedAfterOn_, modifiedBeforeOn_})
        connect(box, &QCheckBox::clicked, this, &CAdvancedSearch::applyEnablingRules);
    connect(browse_, &QPushButton::clicked, this, [this] { browseForLookInFolder(this); });
    connect(browseFolders_, &QPushButton::clicked, this, &CAdvancedSearch::browseFoldersClicked);
    connect(fileNameWizard_, &QPushButton::clicked, this, &CAdvancedSearch::fileNameWizardClicked);
    connect(contentsWizard_, &QPushButton::clicked, this, &CAdvancedSearch::contentsWizardClicked);
}

std::vector<QWidget*> CAdvancedSearch::tabOrder() const {
    return {fileName_,         fileNameWizard_, searchContents_, containingText_,  contentsWizard_,
            lookIn_,           browse_,         browseFolders_,  sizeMoreThanOn_,  sizeMoreThan_,
            sizeLessThanOn_,   sizeLessThan_,   subfolders_,     modifiedAfterOn_, modifiedAfter_,
            modifiedBeforeOn_, modifiedBefore_};
}

void CAdvancedSearch::initPage() {
    connectCriteriaBoxes(this, fileName_, containingText_, lookIn_, searchContents_);
}

void CAdvancedSearch::loadPage(SearchCriteria& criteria) {
    subfolders_->setChecked(criteria.subfolders);
    searchContents_->setChecked(criteria.searchContents);
    fileName_->setWholeText(criteria.fileName);
    containingText_->setWholeText(criteria.containingText);
    lookIn_->setWholeText(criteria.lookInText());
    sizeMoreThan_->setText(qStringFromBytes(sizeFieldText(criteria.sizeMoreThan)));
    sizeLessThan_->setText(qStringFromBytes(sizeFieldText(criteria.sizeLessThan)));
    sizeMoreThanOn_->setChecked(criteria.sizeMoreThanOn);
    sizeLessThanOn_->setChecked(criteria.sizeLessThanOn);
    // A search without a date limit yet offers today.
    for (OleDate* date : {&criteria.modifiedAfter, &criteria.modifiedBefore})
        if (!dateFieldInRange(*date))
            *date = currentOleDate();
    modifiedAfter_->setText(dateFieldText(criteria.modifiedAfter));
    modifiedBefore_->setText(dateFieldText(criteria.modifiedBefore));
    modifiedAfterOn_->setChecked(criteria.modifiedAfterOn);
    modifiedBeforeOn_->setChecked(criteria.modifiedBeforeOn);
    applyEnablingRules();
}

bool CAdvancedSearch::savePage(SearchCriteria& criteria) {
    const bool stored = exchange(criteria);
    applyEnablingRules();
    return stored;
}

bool CAdvancedSearch::exchange(SearchCriteria& criteria) {
    criteria.subfolders = subfolders_->isChecked();
    criteria.searchContents = searchContents_->isChecked();
    criteria.fileName = fileName_->wholeText();
    criteria.containingText = containingText_->wholeText();
    criteria.setLookInText(lookIn_->wholeText());
    if (!storeSize(sizeMoreThan_, criteria.sizeMoreThan))
        return rejectField(sizeMoreThan_, kEnterAnInteger);
    if (!storeSize(sizeLessThan_, criteria.sizeLessThan))
        return rejectField(sizeLessThan_, kEnterAnInteger);
    criteria.sizeMoreThanOn = sizeMoreThanOn_->isChecked();
    criteria.sizeLessThanOn = sizeLessThanOn_->isChecked();
    if (!readDateField(modifiedAfter_->text(), criteria.modifiedAfter))
        return rejectField(modifiedAfter_, kEnterADate);
    if (!readDateField(modifiedBefore_->text(), criteria.modifiedBefore))
        return rejectField(modifiedBefore_, kEnterADate);
    criteria.modifiedAfterOn = modifiedAfterOn_->isChecked();
    criteria.modifiedBeforeOn = modifiedBeforeOn_->isChecked();
    return true;
}

void CAdvancedSearch::applyEnablingRules() {
    sizeMoreThan_->setEnabled(sizeMoreThanOn_->isChecked());
    sizeLessThan_->setEnabled(sizeLessThanOn_->isChecked());
    modifiedAfter_->setEnabled(modifiedAfterOn_->isChecked());
    modifiedBefore_->setEnabled(modifiedBeforeOn_->isChecked());
}

void CAdvancedSearch::browseFoldersClicked() {
    if (!saveData())
        return;
    SearchCriteria* edited = criteria();
    const HistoryList* history = document() ? &document()->application().folderHistory : nullptr;
    CGeometryDynCreateWnd<CMultipleFolders> dialog(edited->lookIn, history, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.folders().empty())
        edited->lookIn = {searchEnvironment().defaultFolder};
    else
        edited->lookIn = dialog.folders();
    loadData();
}

void CAdvancedSearch::fileNameWizardClicked() {
    const SearchCriteria* edited = criteria();
    if (edited && edited->autoConvertToDos) {
        showMessage(kFileNameNotRegExp);
        return;
    }
    if (runExpressionWizard(fileNameWizardData_, &SearchCriteria::fileName))
        loadData();
}

void CAdvancedSearch::contentsWizardClicked() {
    const SearchCriteria* edited = criteria();
    if (edited && !edited->treatContentsAsRegExp) {
        showMessage(kContentsNotRegExp);
        return;
    }
    if (runExpressionWizard(contentsWizardData_, &SearchCriteria::containingText)) {
        criteria()->searchContents = !criteria()->containingText.empty();
        loadData();
    }
}

bool CAdvancedSearch::runExpressionWizard(ExprWizData& data, std::string SearchCriteria::*target) {
    if (!document() || !saveData())
        return false;
    CExprWizSheet wizard(document()->settings(), this);
    wizard.data() = data;
    if (wizard.exec() != QDialog::Accepted)
        return false;
    data = wizard.data();
    data.model.generate(criteria()->*target, !data.leaveSpecialChars);
    return true;
}

}  // namespace scoutwell
