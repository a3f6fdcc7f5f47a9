// The criteria form at the top of a search window: the criteria sheet (Basic or Advanced
// page and the Options page), the Expert User switch between Basic and Advanced, Start and
// Stop, the progress of a two-phase search, a busy animation and a one-line status text.
// It turns the user's actions and the search's messages into document calls and control
// states.
//
//   auto* form = new CSearchForView(doc, createMainPage, parent);   // "ExpertUser"'s page
//   form->setActiveCriteriaTab("Basic");            // keeps what the pages hold
//   form->startClicked();                           // saves the pages, starts the search
//
// The form is built at its smallest size with Qt layouts; from then on the geometry rules
// move the right-hand controls with the right edge and stretch the sheet with the width.
// Its height is always that smallest height.
#pragma once

#include <QWidget>
#include <string>

#include "app/gui/CSearchOptions.h"
#include "app/gui/CriteriaPages.h"
#include "framework/CGeometryDynCreateWnd.h"
#include "framework/Document.h"

class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace scoutwell {

// The tests' reader of state no control shows (tests/gui/TestAccess.h); no code of it ships.
namespace testing {
struct Access;
}

class BusyAnimation;
class CDediDurarerDoc;
class COptionsTab;
class CSearchPropertyPage;

inline constexpr const char* kStartButtonText = "Start search";
inline constexpr const char* kStopButtonText = "Stop";
inline constexpr const char* kExpertUserText = "E&xpert User";
inline constexpr const char* kFilesFoundFormat = "%d %s";
inline constexpr const char* kFilesFoundText = "file(s) found";
// After the count, when compressed files could not be searched to their end.
inline constexpr const char* kCutShortFormat =
    "; %d compressed file(s) damaged or too large, searched only in part";
inline constexpr const char* kInvalidTabFormat = "Invalid tab passed to setActiveCriteriaTab: %s";
inline constexpr const char* kOutOfMemoryForPage = "Ran out of memory when trying to create dialog";
inline constexpr const char* kCouldNotCreateSheet = "Could not create property sheet";
inline constexpr int kProgressRange = 50;
// What screen readers call the progress bar and the busy animation.
inline constexpr const char* kProgressName = "Search progress";
inline constexpr const char* kAnimationName = "Searching";

inline constexpr int kSheetPlaceholderId = 1041;
inline constexpr int kExpertUserId = 1087;
inline constexpr int kStartButtonId = 1031;
inline constexpr int kStopButtonId = 1032;
inline constexpr int kStatusTextId = 1093;
inline constexpr int kProgressBarId = 1034;
inline constexpr int kAnimationId = 1036;
// The sheet is a child of the form like its controls; dialog ids are 16-bit, so this
// never meets one of them.
inline constexpr int kCriteriaSheetId = 0xE900;

// The criteria sheet as a geometry host: its tab area stretches with it.
using CriteriaSheet = CGeometryDynCreateWnd<CSearchOptions>;
using CSearchForViewHost = CGeometryDynCreateWnd<QWidget, GeometryHostKind::formView>;

class CSearchForView : public CSearchForViewHost, public CommandTarget {
    Q_OBJECT

  public:
    // Adds itself to the document's views and makes its first show's setup: the page
    // "ExpertUser" asks for, the sheet, the progress range and the geometry. The main pages
    // are made by `createPage`, which must not be empty.
    CSearchForView(CDediDurarerDoc* doc, MainPageFactory createPage, QWidget* parent);
    ~CSearchForView() override;

    // Replaces the sheet's pages with the main page `name` ("Basic" or "Advanced") and the
    // Options page, after saving what the old pages hold. False when a page is missing.
    bool setActiveCriteriaTab(const std::string& name);

    // Start button, Enter, the Start command: does nothing while a search runs, nor when a
    // page refuses its data.
    void startClicked();

    // Gives the keyboard focus to the first field of the page on show.
    void focusFirstField();

    bool handleCommand(int commandId) override;
    bool updateCommand(int commandId, CommandState& state) override;

    // The design size: the form's height never changes, and a narrower window scrolls it
    // sideways.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    CDediDurarerDoc* document() const { return doc_; }
    CriteriaSheet* sheet() const { return sheet_; }
    QCheckBox* expertUserBox() const { return expertUser_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QProgressBar* progressBar() const { return progress_; }
    BusyAnimation* animation() const { return animation_; }
    QLabel* statusLabel() const { return status_; }

  protected:
    void customEvent(QEvent* event) override;

  private:
    void buildControls();
    QSize largestSheetSize();
    void createSheet();
    void registerGeometry();
    void expertUserClicked(bool checked);
    void stopSearch();
    void showInStatusBar(const QString& text);
    void sendDeleteToFocus();
    void sendCopyToFocus();

    CDediDurarerDoc* doc_;
    MainPageFactory createPage_;
    CriteriaSheet* sheet_ = nullptr;
    QFrame* placeholder_ = nullptr;
    QCheckBox* expertUser_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    BusyAnimation* animation_ = nullptr;
    QSize designSize_;
    bool sheetCreated_ = false;
    bool progressShown_ = false;

    friend struct testing::Access;
};

}  // namespace scoutwell
