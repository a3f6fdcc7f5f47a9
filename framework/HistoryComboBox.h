// An editable drop-down of a criteria page whose list is refilled from a history each
// time it opens, keeping the text typed so far; a folder list shows each entry's icon.
//
//   auto* box = new HistoryComboBox(page);
//   box->setHistory(&app.folderHistory, HistoryComboBox::withFixedEntriesAndIcons);
//   box->setWholeText(criteria.lookInText());       // selects an entry equal but for case
//
// Exercised by tests/gui/CriteriaPagesTest.cpp, tests/gui/FirstSightTest.cpp,
//  tests/gui/KeyboardAndScreenReaderTest.cpp, tests/gui/MultipleFoldersTest.cpp,
//  tests/gui/SearchWizardTest.cpp.
#pragma once

#include <QComboBox>
#include <string>

namespace scoutwell {

class HistoryList;

class HistoryComboBox : public QComboBox {
    Q_OBJECT

  public:
    enum Fill { plain, withIcons, withFixedEntriesAndIcons };

    explicit HistoryComboBox(QWidget* parent = nullptr, bool editable = true);

    // The history to list (not owned; may be null).
    void setHistory(const HistoryList* history, Fill fill = plain);
    // Replaces the list with the history's items; the typed text stays when `keepText`.
    void refill(bool keepText = true);

    // Whole-string exchange: the first entry equal to `value` ignoring case is selected and
    // shows in its own spelling; otherwise `value` goes into the edit part.
    void setWholeText(const std::string& value);
    std::string wholeText() const;

    void showPopup() override;

  private:
    const HistoryList* history_ = nullptr;
    Fill fill_ = plain;
};

// The small icon of a folder box entry: a drive for the local-drives label, the file
// system's icon for a path.
QIcon folderEntryIcon(const std::string& entry);
// The small icon of a drive.
QIcon driveEntryIcon();

}  // namespace scoutwell
