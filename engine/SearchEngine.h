// One search: expands the look-in list, walks every folder depth-first (a folder's own
// entries before any of its subfolders), tests each entry, scans contents at once or in a
// second phase, and hands found items to the criteria's sink.
//
//   SearchEngine engine(&criteria, &notifier);
//   engine.start();          // on a worker thread named "scoutwell-search"
//   criteria.requestStop();  // from any thread
//   engine.join();
//
// run() does the same on the calling thread (the unattended mode, with no notifier).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/DescriptorBudget.h"
#include "engine/FileSystem.h"
#include "engine/FoundItem.h"
#include "engine/NameMatcher.h"
#include "engine/SearchExpression.h"
#include "engine/WalkReadAhead.h"

namespace scoutwell {

class SearchCriteria;
class Directory;
class ScanPool;
struct ScanBuffers;

// A heap note that some messages carry; the receiver owns and deletes it.
class SearchProgressNote {
  public:
    SearchProgressNote() = default;
    SearchProgressNote(int position, std::string text)
        : position(position), text(std::move(text)) {}
    virtual ~SearchProgressNote() = default;

    std::int32_t position = 0;
    std::string text;
};

// Posts a message to every view of a document, in view order. Posting never blocks.
class SearchNotifier {
  public:
    virtual ~SearchNotifier() = default;
    virtual void post(int message, std::unique_ptr<SearchProgressNote> note) = 0;
};

inline constexpr const char* kOutOfMemoryMessage =
    "Scoutwell ran out of memory during search. Try the search again with the 'One Phase "
    "Search' option. If the problem persists please contact Scoutwell technical support.";
inline constexpr const char* kUnexpectedExceptionMessage =
    "Scoutwell encountered an unexpected exception during the search. If the problem "
    "persists please contact technical support.";
inline constexpr const char* kCloseFindHandleMessage = "Could not close the Find handle";
inline constexpr const char* kFolderNoteFormat = "Phase %d searching %s";
inline constexpr const char* kProgressNoteFormat = "%dMb of %dMb";

using DriveList = std::vector<std::string>;

// The mount points of local, non-removable block-device file systems (all mounted file
// systems a user would search when !fixedOnly), each ending with '/'; "/" alone when none
// qualifies. Returns the number of entries.
int fillDriveList(DriveList& list, bool fixedOnly);

class SearchEngine {
  public:
    SearchEngine(SearchCriteria* criteria, SearchNotifier* notifier);
    ~SearchEngine();
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    // The whole search on the calling thread. 1, or 0 with no criteria or when the
    // contents expression does not compile.
    int run();

    // run() on a worker thread of its own; join() waits for it. waitForEnd() waits at
    // most `milliseconds` and tells whether the thread's run has ended, so a waiting GUI
    // thread can keep serving requests the worker makes of it meanwhile.
    void start();
    void join();
    bool waitForEnd(int milliseconds);
    bool running() const { return thread_.joinable(); }

    SearchCriteria* criteria() const { return criteria_; }
    // The run ended early on running out of memory or another failure (reported through
    // showMessage).
    bool failed() const { return failed_; }

  private:
    void searchLookInFolder(const std::string& folder, bool stayOnFileSystem);
    struct WalkFrame;
    // Walks the tree below the folder whose path walkPath_ holds.
    void walkTree(std::unique_ptr<Directory> root);
    // Tests the entries of the folder whose path walkPath_ holds and appends its
    // subfolders' names to subfolderNames_.
    void listFolder(Directory& dir);
    // Which files the read-ahead may start reading: those this search scans at once.
    WalkReadAhead::FileFilter filesAhead() const;
    void startReadAhead();
    void noteListingTime(std::chrono::steady_clock::duration took);
    // Hands the read-ahead the next subfolders the walk will enter after the one it is
    // about to enter, nearest first.
    // Hands the read-ahead the subfolders not handed yet of the folders on the stack from
    // `lowestLevel` up, at most `most` of them, the top's nearest.
    void readAhead(std::vector<WalkFrame>& stack, std::size_t lowestLevel, std::size_t most);
    // Opens again the folder on top of the stack, let go earlier; `child` is the folder
    // just left, or null.
    void reopenTop(std::vector<WalkFrame>& stack, Directory* child);
    // Runs `open` until it opens or fails for a reason other than want of descriptors; while
    // it lacks them, frees those the scan queue and the walk (`stack`, when given) hold
    // and tries again. Throws OutOfDescriptors when that does not help.
    std::unique_ptr<Directory> openFolderWith(
        const std::function<std::unique_ptr<Directory>()>& open, std::vector<WalkFrame>* stack);
    // An entry other than a folder when compressed files are searched: besides being
    // tested as it is, it is looked into as a possible archive (Archives.h).
    void entryWithMembers(Directory& dir, std::string_view name, EntryType type, bool nameMatched,
                          const std::function<SharedText()>& location);
    class MemberLister;
    void secondPhase();
    void postNote(int message, int position, std::string text);
    // WM_SEARCH_NEWRESULTS when items arrived since the last one (throttled: and the
    // last one is more than 500 ms old).
    void postNewResults(bool throttled);
    bool stopRequested() const;
    // Hands an item to the sink: whole, or the first piece of a file that comes in pieces.
    void deliver(const FoundItem& item, bool firstPiece = false);

    SearchCriteria* criteria_;
    SearchNotifier* notifier_;
    SearchExpression nameExpression_;
    SearchExpression contentsExpression_;
    NameMatcher nameMatcher_;  // the name test without the matcher, when it applies
    bool nameMatcherOn_ = false;
    // The walk's path and its folders' pending subfolder names (each a 4-byte length and
    // the name), grown and shrunk as it goes down and up, so entries cost no allocation.
    std::string walkPath_;
    std::string subfolderNames_;
    bool nameFilterOn_ = false;
    bool dateFilterOn_ = false;
    bool sizeFilterOn_ = false;
    std::uint32_t lastFolderNoteTick_ = 0;
    std::uint32_t lastNewResultsTick_ = 0;
    std::atomic<bool> itemsAdded_{false};   // set by whichever thread delivers
    std::unique_ptr<ScanBuffers> buffers_;  // the walking thread's, for a contents search
    std::vector<std::unique_ptr<FoundFile>> pendingFiles_;
    std::unique_ptr<ScanPool> scanPool_;  // for a contents search
    // For a walk into subfolders where it helps: wanted there, started on a cold disk.
    std::unique_ptr<WalkReadAhead> readAhead_;
    bool readAheadWanted_ = false;
    // The walk's place in the tree for the read-ahead: the number of each folder from the
    // look-in folder down to the one listed among its parent's subfolders.
    std::vector<std::uint32_t> walkKey_;
    std::uint64_t recentListings_ = 0;  // the last ones the walk made: 1 for a slow one
    std::vector<std::string_view> aheadNames_;
    DescriptorBudget budget_;
    std::thread thread_;
    std::mutex endLock_;
    std::condition_variable endSignal_;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace scoutwell
