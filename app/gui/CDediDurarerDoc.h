// One search window's document: the criteria the form edits, the copies a running search
// and its results use, the engine while a search runs, the results, the items whose
// contents are on show, and the display settings of its panes.
//
//   auto* doc = new CDediDurarerDoc(app);   // a new search: defaults, options, command line
//   doc->startSearch();                     // the worker posts its messages to the views
//   doc->stopSearch();                      // waits for the worker, posts WM_SEARCH_CLEANEDUP
//
// Everything here runs on the GUI thread; the worker touches only workingCriteria, results
// (through the store's lock) and the notifier.
//
// Exercised by tests/gui/ResultListViewTest.cpp.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/core/SaveResultsSettings.h"
#include "engine/ResultsStore.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/SearchExpression.h"
#include "framework/Document.h"

namespace scoutwell {

class Application;
class SettingsStore;

inline constexpr const char* kSearchEngineStillOpen = "Search engine is still open!";
inline constexpr const char* kCouldNotCreateSearchEngine = "Could not create search engine";
inline constexpr const char* kCouldNotCreateThread = "Couldn't create thread";
inline constexpr const char* kCouldNotCleanUp =
    "Could not clean up because Wait did not return WAIT_OBJECT_";
inline constexpr const char* kNotAllItemsExist =
    "Not all items exist in list. Cannot show contents.";
inline constexpr const char* kHelpPageMissing =
    "The help page could not be found beside the program. Reinstalling Scoutwell puts it "
    "back.";
inline constexpr const char* kCouldNotOpenHelpFormat = "Could not open the help page %s\n\n%s";
// The status bar's text after a search: the count, how it ended, compressed files cut short.
inline constexpr const char* kFilesFoundFormat = "%d %s";
inline constexpr const char* kFilesFoundText = "file(s) found";
inline constexpr const char* kSearchStoppedText = " before the search was stopped";
// After the count, when compressed files could not be searched to their end.
inline constexpr const char* kCutShortFormat =
    "; %d compressed file(s) or document(s) damaged, encrypted or too large, searched only in "
    "part";
// A colour value with red in the low byte: pure blue.
inline constexpr std::uint32_t kDefaultHighlightColour = 0xFF0000;

// Rows first to last of the results, both included.
struct RowRange {
    int first = 0;
    int last = -1;
};

class CDediDurarerDoc : public Document, public CommandTarget {
    Q_OBJECT

  public:
    // A new search. `app` must outlive the document.
    explicit CDediDurarerDoc(Application& app, QObject* parent = nullptr);
    // Stops a running search and waits for its worker first.
    ~CDediDurarerDoc() override;

    bool startSearch();
    bool stopSearch();
    // An engine exists: from a successful start until the stop that follows.
    bool searching() const { return engine != nullptr; }
    // Whether the last search was stopped before it ran to its end.
    bool lastSearchStopped() const { return lastSearchStopped_; }

    // What the status bar says while this document's window is the active one: the folder
    // a search is in, then what it found. Empty (the frame's idle text) until a search.
    const std::string& statusText() const { return statusText_; }
    void setStatusText(std::string text);
    // The count of results held, whether the search was stopped and how many compressed
    // files were searched only in part.
    std::string foundText() const;

    // The full paths of the selected results, in selection order.
    void showContentsFor(const std::vector<std::string>& paths);
    // The same for rows of the results given as ranges, in their order: no path is made or
    // looked up, so showing a million rows costs a million pointers.
    void showContentsForRows(const std::vector<RowRange>& rows);
    // Drops each result that no longer exists on disk; returns how many went.
    int removeMissingFiles(const std::vector<std::string>& paths);
    void setWordWrap(bool on);

    // Reading and writing criteria files, with the four criteria messages around them.
    // On false `errorOut` says why and the criteria are unchanged.
    bool loadCriteria(const std::string& path, std::string& errorOut);
    bool storeCriteria(const std::string& path, std::string& errorOut);

    bool handleCommand(int commandId) override;
    bool updateCommand(int commandId, CommandState& state) override;

    // Save Results (32793) and Configuration (32799), each through its modal dialog.
    void onSaveResults();
    void onConfiguration();

    Application& application() const { return app_; }
    SettingsStore& settings() const;

    SearchCriteria editedCriteria;
    SearchCriteria workingCriteria;
    SearchCriteria resultsCriteria;
    SearchExpression highlightExpression;
    std::unique_ptr<SearchEngine> engine;
    ResultsStore results;
    // Items of `results` on show, in selection order; cleared whenever results change.
    std::vector<FoundItem*> shownItems;
    bool wordWrap = false;
    std::uint32_t highlightColour = kDefaultHighlightColour;
    SaveResultsSettings saveSettings;

    // How long stopSearch waits for the worker between serving its message requests.
    static constexpr int kStopWaitStepMs = 20;

  signals:
    // The search started or was cleaned up: Start and Stop change their state.
    void searchStateChanged();
    void statusTextChanged();

  private:
    // Shows `items`; with `missing`, an item after them could not be found.
    void showItems(std::vector<FoundItem*> items, bool missing);

    Application& app_;
    bool lastSearchStopped_ = false;
    std::string statusText_;
};

}  // namespace scoutwell
