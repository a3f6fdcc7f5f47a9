// The Search Wizard: three pages that ask for the file's name, the text it must contain
// and where to look, working on a copy of a search's criteria. The Basic page runs it and
// takes the copy back on Finish.
//
//   WizardData data{kWizardSpecificFolder, driveIndex, startAutomatically, criteria};
//   CSearchWiz wizard(data, &app, page);
//   if (wizard.exec() == QDialog::Accepted) use(wizard.data());
//
// Every page is loaded from the data each time it becomes the current page and stores its
// controls back when another page takes its place or the wizard finishes, so Back and
// Next keep what was typed.
//
// Exercised by tests/gui/KeyboardAndScreenReaderTest.cpp, tests/gui/SearchWizardTest.cpp.
#pragma once

#include <QWizard>
#include <QWizardPage>
#include <initializer_list>
#include <utility>

#include "app/gui/WizardArtwork.h"
#include "engine/SearchCriteria.h"

class QLabel;
class QVBoxLayout;

namespace scoutwell {

class Application;
class CSearchWizContents;
class CSearchWizFilename;
class CSearchWizLocation;

inline constexpr const char* kSearchWizCaption = "SearchWiz";
inline constexpr const char* kExamplesHeading = "Examples:";

// Where the wizard searches.
inline constexpr int kWizardAllLocalDrives = 0;
inline constexpr int kWizardSpecificDrive = 1;
inline constexpr int kWizardSpecificFolder = 2;

// What the three pages share.
struct WizardData {
    int locationMode = kWizardSpecificFolder;
    int driveIndex = 0;  // entry of the drive list
    bool startAutomatically = false;
    SearchCriteria criteria;
};

// A page of the wizard: its picture on the left, its controls on the right.
class CSearchWizPage : public QWizardPage {
    Q_OBJECT

  public:
    CSearchWizPage(WizardData& data, const char* caption, WizardArtwork::Picture picture,
                   QWidget* parent = nullptr);

    // Data to controls.
    virtual void loadPage() = 0;
    // Controls to data.
    virtual void savePage() = 0;

    WizardArtwork* artwork() const { return artwork_; }

  protected:
    // The column right of the picture that the page fills.
    QVBoxLayout* controls() const { return controls_; }
    // A paragraph of the page, wrapped to its width, added to the column.
    QLabel* addText(const char* text);
    // Example entries with what each one finds, under the heading "Examples:".
    void addExamples(std::initializer_list<std::pair<const char*, const char*>> examples);

    WizardData& data_;

  private:
    WizardArtwork* artwork_;
    QVBoxLayout* controls_;
};

class CSearchWiz : public QWizard {
    Q_OBJECT

  public:
    // Works on a copy of `data`. `app` supplies the histories of the drop-downs (may be
    // null: the lists stay empty).
    CSearchWiz(const WizardData& data, Application* app, QWidget* owner = nullptr);

    const WizardData& data() const { return data_; }

    CSearchWizFilename* filenamePage() const { return filename_; }
    CSearchWizContents* contentsPage() const { return contents_; }
    CSearchWizLocation* locationPage() const { return location_; }

    // Finish: the current page is stored before the wizard closes.
    void accept() override;

  private:
    void currentPageChanged(int id);

    WizardData data_;
    CSearchWizFilename* filename_;
    CSearchWizContents* contents_;
    CSearchWizLocation* location_;
    CSearchWizPage* current_ = nullptr;
};

}  // namespace scoutwell
