#include "app/gui/CSearchWizLocation.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/core/Application.h"
#include "engine/SearchEngine.h"
#include "framework/CGeometryDynCreateWnd.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr const char* kPerformanceTip =
    "Tip: the fewer folders there are to look through, the sooner the search ends. All local "
    "hard drives can take minutes; a folder of your own documents takes seconds.";

// Every mounted file system a user would search, refilled each time the list opens (a
// disk may have been mounted meanwhile); the chosen entry stays chosen.
class DriveListBox : public NamedComboBox {
  public:
    explicit DriveListBox(QWidget* parent) : NamedComboBox(parent) {
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(8);
        refill();
    }

    void refill() {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const QString chosen = currentText();
        DriveList drives;
        fillDriveList(drives, /*fixedOnly=*/false);
        const bool blocked = blockSignals(true);
        clear();
        for (const std::string& drive : drives)
            addItem(driveEntryIcon(), qStringFromBytes(drive));
        if (!chosen.isEmpty())
            setCurrentIndex(findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive));
        blockSignals(blocked);
        QGuiApplication::restoreOverrideCursor();
    }

    void showPopup() override {
        refill();
        QComboBox::showPopup();
    }
};

// A row under a radio button, lined up with the button's text.
QHBoxLayout* indentedRow(QWidget* page) {
    auto* row = new QHBoxLayout;
    const int indent = page->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                       page->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    row->setContentsMargins(indent, 0, 0, 0);
    return row;
}

}  // namespace

CSearchWizLocation::CSearchWizLocation(WizardData& data, Application* app, QWidget* parent)
    : CSearchWizPage(data, kWizLocationCaption, WizardArtwork::locationPicture, parent),
      allDrives_(new QRadioButton(QString::fromLatin1(kWizAllLocalDrives), this)),
      specificDrive_(new QRadioButton(QString::fromLatin1(kWizSpecificDrive), this)),
      specificFolder_(new QRadioButton(QString::fromLatin1(kWizSpecificFolder), this)),
      driveList_(new DriveListBox(this)),
      folder_(new HistoryComboBox(this)),
      browse_(new QPushButton(QString::fromLatin1(kWizBrowse), this)),
      subfoldersYes_(new QRadioButton(QString::fromLatin1(kWizSubfoldersYes), this)),
      subfoldersNo_(new QRadioButton(QString::fromLatin1(kWizSubfoldersNo), this)),
      startAutomatically_(new QCheckBox(QString::fromLatin1(kWizStartAutomatically), this)) {
    setControlId(allDrives_, kWizAllLocalDrivesId);
    setControlId(specificDrive_, kWizSpecificDriveId);
    setControlId(specificFolder_, kWizSpecificFolderId);
    setControlId(driveList_, kWizDriveListId);
    setFieldName(driveList_, QString::fromLatin1(kWizDriveName));
    setFieldName(folder_, QString::fromLatin1(kWizFolderName));
    setControlId(folder_, kWizFolderId);
    setControlId(browse_, kWizBrowseId);
    setControlId(subfoldersYes_, kWizSubfoldersYesId);
    setControlId(subfoldersNo_, kWizSubfoldersNoId);
    setControlId(startAutomatically_, kWizStartAutomaticallyId);
    if (app)
        folder_->setHistory(&app->folderHistory, HistoryComboBox::withIcons);
    // Enter finishes the wizard; Browse is only clicked.
    browse_->setAutoDefault(false);

    auto* location = new QButtonGroup(this);
    location->addButton(allDrives_, kWizardAllLocalDrives);
    location->addButton(specificDrive_, kWizardSpecificDrive);
    location->addButton(specificFolder_, kWizardSpecificFolder);
    auto* subfolders = new QButtonGroup(this);
    subfolders->addButton(subfoldersYes_);
    subfolders->addButton(subfoldersNo_);

    addText(kWizLocationQuestion);
    controls()->addWidget(allDrives_);
    controls()->addWidget(specificDrive_);
    QHBoxLayout* driveRow = indentedRow(this);
    driveRow->addWidget(driveList_, 1);
    controls()->addLayout(driveRow);
    controls()->addWidget(specificFolder_);
    QHBoxLayout* folderRow = indentedRow(this);
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse_);
    controls()->addLayout(folderRow);
    controls()->addSpacing(fontMetrics().height() / 2);
    addText(kWizSubfoldersQuestion);
    controls()->addWidget(subfoldersYes_);
    controls()->addWidget(subfoldersNo_);
    controls()->addSpacing(fontMetrics().height() / 2);
    controls()->addWidget(startAutomatically_);
    addText(kPerformanceTip);
    controls()->addStretch(1);

    connect(location, &QButtonGroup::idClicked, this, &CSearchWizLocation::locationModeChosen);
    connect(browse_, &QPushButton::clicked, this, &CSearchWizLocation::browseClicked);
}

void CSearchWizLocation::loadPage() {
    const std::string& label = searchEnvironment().localDrivesLabel;
    const std::vector<std::string>& lookIn = data_.criteria.lookIn;
    if (!lookIn.empty() && !label.empty() && lookIn.front() == label)
        data_.locationMode = kWizardAllLocalDrives;
    else if (!(stored_ && data_.locationMode == kWizardSpecificDrive))
        data_.locationMode = kWizardSpecificFolder;

    const int drives = driveList_->count();
    driveList_->setCurrentIndex(data_.driveIndex >= 0 && data_.driveIndex < drives
                                    ? data_.driveIndex
                                    : (drives > 0 ? 0 : -1));
    startAutomatically_->setChecked(data_.startAutomatically);
    (data_.criteria.subfolders ? subfoldersYes_ : subfoldersNo_)->setChecked(true);
    // Other choices leave the folder box as the user last saw it.
    if (data_.locationMode == kWizardSpecificFolder)
        folder_->setWholeText(data_.criteria.lookInText());

    QRadioButton* choice = data_.locationMode == kWizardAllLocalDrives  ? allDrives_
                           : data_.locationMode == kWizardSpecificDrive ? specificDrive_
                                                                        : specificFolder_;
    choice->setChecked(true);
    locationModeChosen(data_.locationMode);
    choice->setFocus();
}

void CSearchWizLocation::savePage() {
    data_.driveIndex = std::max(driveList_->currentIndex(), 0);
    data_.startAutomatically = startAutomatically_->isChecked();
    data_.criteria.subfolders = subfoldersYes_->isChecked();
    data_.locationMode = allDrives_->isChecked()       ? kWizardAllLocalDrives
                         : specificDrive_->isChecked() ? kWizardSpecificDrive
                                                       : kWizardSpecificFolder;
    switch (data_.locationMode) {
        case kWizardAllLocalDrives:
            data_.criteria.lookIn.assign(1, searchEnvironment().localDrivesLabel);
            break;
        case kWizardSpecificDrive:
            data_.criteria.setLookInText(bytesFromQString(driveList_->currentText()));
            break;
        default:
            data_.criteria.setLookInText(folder_->wholeText());
            break;
    }
    stored_ = true;
}

void CSearchWizLocation::locationModeChosen(int mode) {
    data_.locationMode = mode;
    driveList_->setEnabled(mode == kWizardSpecificDrive);
    folder_->setEnabled(mode == kWizardSpecificFolder);
    browse_->setEnabled(mode == kWizardSpecificFolder);
}

void CSearchWizLocation::browseClicked() {
    savePage();
    const std::vector<std::string>& lookIn = data_.criteria.lookIn;
    const std::string start = lookIn.empty() ? std::string() : lookIn.front();
    std::string picked;
    if (!criteriaFolderBrowser()(this, start, picked))
        return;
    data_.criteria.setLookInText(picked);
    loadPage();
}

}  // namespace scoutwell
