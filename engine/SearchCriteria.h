// One search request: what names and contents to look for, where, with which options and
// limits, and where found items go.
//
// The document keeps several copies: the one the form edits, the working copy that is
// prepared and handed to the engine, and the copy that describes the results on show.
// Copies share nothing: each has its own lock and stop flag.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DateTime.h"

namespace scoutwell {

class FoundItemSink;

// Application values the criteria depend on; the program sets them once at start-up,
// before any search, and they stay fixed afterwards.
struct SearchEnvironment {
    std::string defaultFolder;     // look-in folder of a new search, ends with '/'
    std::string localDrivesLabel;  // stands for every local hard drive in a look-in list
};
const SearchEnvironment& searchEnvironment();
void setSearchEnvironment(SearchEnvironment environment);
// What searchEnvironment() holds until the program sets one: the user's home folder
// ($HOME, else the password database) with one trailing '/', and no local-drives label.
SearchEnvironment defaultSearchEnvironment();

// The label format and the error text for a look-in entry that is not a usable folder.
inline constexpr const char* kLocalDrivesLabelFormat = "Local hard drives (%s)";
inline constexpr const char* kInvalidSearchDirectory =
    "%s is not a valid search directory. The directory name must be the full path, starting "
    "with / (e.g. /usr/share) OR a mounted network share (e.g. /mnt/WORKSTATION/Shared_Folder).";

class SearchCriteria {
  public:
    // Built-in defaults; lookIn holds the environment's defaultFolder.
    SearchCriteria();
    SearchCriteria(const SearchCriteria& other);
    SearchCriteria& operator=(const SearchCriteria& other);

    // Sets lookIn from the text of a look-in box: the local-drives label alone, or a
    // ";"-separated list of folders, each normalised; defaultFolder when nothing is left.
    void setLookInText(std::string_view text);
    // The entries joined with ";".
    std::string lookInText() const;

    // Turns the name and contents texts into regular expressions and validates them and
    // every look-in folder. On false, errorOut holds the message to show.
    bool prepare(std::string& errorOut);

    // The stop channel between the document and the running search.
    void requestStop();
    void clearStop();
    bool stopRequested() const;

    std::vector<std::string> lookIn;
    std::string fileName;
    std::string containingText;
    bool subfolders = true;
    bool searchContents = false;
    FoundItemSink* sink = nullptr;

    bool matchFilenameCase = false;
    bool matchContentsCase = false;
    bool autoConvertToDos = true;
    bool treatContentsAsRegExp = true;
    bool excludeFilename = false;
    bool onePhaseSearch = false;
    bool eolUnix = true;  // LF is the line end of this platform
    bool eolMac = false;
    // Compressed files are searched in their decompressed text. An option of the
    // program's settings and command line, never stored in criteria files.
    bool searchCompressed = false;

    OleDate modifiedAfter = kNoDate;
    OleDate modifiedBefore = kNoDate;
    bool modifiedAfterOn = false;
    bool modifiedBeforeOn = false;
    std::uint64_t sizeMoreThan = 0;
    std::uint64_t sizeLessThan = 0;
    bool sizeMoreThanOn = false;
    bool sizeLessThanOn = false;

  private:
    mutable std::mutex lock_;
    bool stopRequested_ = false;
};

// One look-in entry trimmed, stripped of trailing slashes and given exactly one; the
// local-drives label is kept as it is; an entry of slashes alone is the root "/"; an
// entry of white space alone becomes empty.
std::string normaliseLookInEntry(std::string_view entry);

// The DOS-wildcard conversion and the literal escaping of prepare().
std::string dosToRegExp(std::string_view dosExpression);
std::string escapeLiteral(std::string_view text);

// Per-entry tests of a running search (the name test needs the compiled name expression).
bool passesSize(const SearchCriteria& criteria, std::uint64_t size);
bool passesDate(const SearchCriteria& criteria, FileTime modified);

}  // namespace scoutwell
