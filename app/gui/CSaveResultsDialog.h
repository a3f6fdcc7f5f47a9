// The Save Results command: its dialog, which edits a copy of a document's choices, and
// the output to the clipboard or a file.
//
//   runSaveResults(doc, parentWindow);   // adjust, ask, then save what was asked for
//   writeSavedResults(doc);              // save with the document's choices as they stand
//
// Exercised by tests/gui/FirstSightTest.cpp, tests/gui/SaveResultsDialogTest.cpp.
#pragma once

#include <QDialog>

#include "app/core/SaveResultsSettings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace scoutwell {

class CDediDurarerDoc;

inline constexpr const char* kSaveResultsTitle = "Save Results";
inline constexpr const char* kSaveToGroup = "Save to";
inline constexpr const char* kClipboardChoice = "&Clipboard";
inline constexpr const char* kFileChoice = "&File";
inline constexpr const char* kBrowseButton = "&Browse...";
inline constexpr const char* kOverwriteChoice = "&Overwrite file";
inline constexpr const char* kAppendChoice = "A&ppend to file";
inline constexpr const char* kFormatLabel = "F&ormat:";
inline constexpr const char* kSaveResultsForGroup = "Save results for";
inline constexpr const char* kAllFilesChoice = "&All files";
inline constexpr const char* kSelectedFilesChoice = "&Selected files";
inline constexpr const char* kSaveInformationGroup = "Save information";
inline constexpr const char* kFileNameCheck = "File &name";
inline constexpr const char* kContentsCheck = "Con&tents";
inline constexpr const char* kSaveButton = "Save";
inline constexpr const char* kCancelButton = "Cancel";
inline constexpr const char* kAllFilesFilterName = "All files";
inline constexpr const char* kAllFilesPattern = "*.*";
// The save-file dialog takes no longer initial name.
inline constexpr int kMaxBrowseNameLength = 260;

inline constexpr const char* kCouldNotOpenViewForSaving = "Could not open view for saving";
inline constexpr const char* kCouldNotSetClipboardData = "Could not set clipboard data";
// The clipboard formats of saved results: the exact bytes, and the same text as UTF-8.
inline constexpr const char* kPlainTextMimeType = "text/plain";
inline constexpr const char* kUtf8TextMimeType = "text/plain;charset=utf-8";

class CSaveResultsDialog : public QDialog {
    Q_OBJECT

  public:
    CSaveResultsDialog(const SaveResultsSettings& settings, QWidget* parent = nullptr);

    // The choices as the controls show them now.
    SaveResultsSettings settings() const;

    // "Text (*.txt)", ... one a format, then "All files (*.*)".
    static QStringList nameFilters();

    QRadioButton* clipboardChoice() const { return clipboard_; }
    QRadioButton* fileChoice() const { return file_; }
    QLineEdit* fileNameEdit() const { return fileName_; }
    QPushButton* browseButton() const { return browse_; }
    QRadioButton* overwriteChoice() const { return overwrite_; }
    QRadioButton* appendChoice() const { return append_; }
    QComboBox* formatList() const { return format_; }
    QRadioButton* allFilesChoice() const { return allFiles_; }
    QRadioButton* selectedFilesChoice() const { return selectedFiles_; }
    QCheckBox* fileNameCheck() const { return withFileNames_; }
    QCheckBox* contentsCheck() const { return withContents_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    void enableFileControls();
    void browse();

    SaveResultsSettings initial_;
    QRadioButton* clipboard_;
    QRadioButton* file_;
    QLineEdit* fileName_;
    QPushButton* browse_;
    QRadioButton* overwrite_;
    QRadioButton* append_;
    QComboBox* format_;
    QRadioButton* allFiles_;
    QRadioButton* selectedFiles_;
    QCheckBox* withFileNames_;
    QCheckBox* withContents_;
    QPushButton* save_;
    QPushButton* cancel_;
};

// The whole command: adjusts the document's choices to its results, shows the dialog and,
// when Save was pressed, keeps its choices and saves.
void runSaveResults(CDediDurarerDoc& doc, QWidget* parent);

// Saves the document's results as its choices say; every failure is shown as a message.
void writeSavedResults(CDediDurarerDoc& doc);

}  // namespace scoutwell
