// The Search Wizard's last page, "Location of file": all local hard drives, one drive or
// specific folders, whether to go into subfolders, and whether Finish starts the search.
#pragma once

#include "app/gui/CSearchWiz.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace scoutwell {

class HistoryComboBox;

// What screen readers call the drive list and the folder box beside their choices.
inline constexpr const char* kWizDriveName = "Drive";
inline constexpr const char* kWizFolderName = "Folder";
inline constexpr const char* kWizLocationCaption = "Location of file";
inline constexpr const char* kWizLocationQuestion = "Where do you want to search for the file?";
inline constexpr const char* kWizAllLocalDrives = "&All local hard drives";
inline constexpr const char* kWizSpecificDrive = "Specific &drive (e.g. /, /home/ etc.)";
inline constexpr const char* kWizSpecificFolder =
    "Specific &folder (e.g. /usr/share, /home/me/Documents etc.)";
inline constexpr const char* kWizBrowse = "&Browse...";
inline constexpr const char* kWizSubfoldersQuestion =
    "Do you want to search the folder's sub folders as well?";
inline constexpr const char* kWizSubfoldersYes = "&Yes, also search the sub folders";
inline constexpr const char* kWizSubfoldersNo = "&No, only search that folder";
inline constexpr const char* kWizStartAutomatically =
    "&Start the search automatically when you click the Finish button";

inline constexpr int kWizAllLocalDrivesId = 1042;
inline constexpr int kWizSpecificDriveId = 1043;
inline constexpr int kWizSpecificFolderId = 1044;
inline constexpr int kWizFolderId = 1045;
inline constexpr int kWizDriveListId = 1052;
inline constexpr int kWizBrowseId = 1029;
inline constexpr int kWizSubfoldersYesId = 1050;
inline constexpr int kWizSubfoldersNoId = 1049;
inline constexpr int kWizStartAutomaticallyId = 1089;

class CSearchWizLocation : public CSearchWizPage {
    Q_OBJECT

  public:
    CSearchWizLocation(WizardData& data, Application* app, QWidget* parent = nullptr);

    QRadioButton* allLocalDrivesButton() const { return allDrives_; }
    QRadioButton* specificDriveButton() const { return specificDrive_; }
    QRadioButton* specificFolderButton() const { return specificFolder_; }
    QComboBox* driveListBox() const { return driveList_; }
    HistoryComboBox* folderBox() const { return folder_; }
    QPushButton* browseButton() const { return browse_; }
    QRadioButton* subfoldersYesButton() const { return subfoldersYes_; }
    QRadioButton* subfoldersNoButton() const { return subfoldersNo_; }
    QCheckBox* startAutomaticallyBox() const { return startAutomatically_; }

    void loadPage() override;
    void savePage() override;

  private:
    void locationModeChosen(int mode);
    void browseClicked();

    QRadioButton* allDrives_;
    QRadioButton* specificDrive_;
    QRadioButton* specificFolder_;
    QComboBox* driveList_;
    HistoryComboBox* folder_;
    QPushButton* browse_;
    QRadioButton* subfoldersYes_;
    QRadioButton* subfoldersNo_;
    QCheckBox* startAutomatically_;
    // Once the page has stored a choice of drive, it shows that choice again when the user
    // comes back to it; the wizard itself always opens on all drives or folders.
    bool stored_ = false;
};

}  // namespace scoutwell
