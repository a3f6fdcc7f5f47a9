// The Save Results command's choices and the parts of it that need no window: the
// adjustments made before its dialog opens, the initial file name, the bytes to save and
// the file output.
//
//   adjustBeforeDialog(doc.saveSettings, /*selectionNow=*/!shown.empty(), contentsSearch);
//   ... the dialog edits a copy; on Save the copy goes back ...
//   std::string bytes = saveResultsText(settings, results, shown, expression, criteria);
//   if (!saveResultsToFile(settings, bytes, error)) showMessage(error);
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scoutwell {

class FoundItem;
class ResultsStore;
class SearchCriteria;
class SearchExpression;

// Joined to the current folder when no file name was chosen yet.
inline constexpr const char* kDefaultResultsFileName = "Contents.txt";
// Step texts of the guarded calls; a CCP_Exception shows them with " failed." and its code.
inline constexpr const char* kCreatingStreamStep = "Creating stream for saving data";
inline constexpr const char* kGettingMemoryStep = "Getting HGlobal from stream";

struct SaveResultsSettings {
    std::string fileName;
    int format = 0;  // index into kResultFormats
    bool toClipboard = true;
    bool withFileNames = true;
    bool withContents = false;
    bool allFiles = false;
    bool overwrite = true;
    // What the results offered when the dialog last opened.
    bool selectionAvailable = false;
    bool contentsAvailable = false;

    bool operator==(const SaveResultsSettings&) const = default;
};

// Before the dialog opens: Contents follows a change between a name search and a contents
// search and is off after a name search; All files follows a change in whether anything is
// selected and is on when nothing is. Then both availabilities are remembered.
void adjustBeforeDialog(SaveResultsSettings& settings, bool selectionNow, bool contentsNow);

// `folder` joined with kDefaultResultsFileName; empty when `folder` is.
std::string defaultResultsFilePath(std::string_view folder);
// The process's current folder, empty when it cannot be read.
std::string currentFolder();
// What the dialog's file-name box starts with.
std::string initialResultsFileName(const SaveResultsSettings& settings);

// The output of every chosen item, with CR LF line ends: all items of `results` in their
// current order, or `shownItems` in theirs. Running out of memory raises a CCP_Exception
// with kCreatingStreamStep.
std::string saveResultsText(const SaveResultsSettings& settings, const ResultsStore& results,
                            const std::vector<FoundItem*>& shownItems, SearchExpression& expression,
                            const SearchCriteria& resultsCriteria);

// Writes `bytes` to settings.fileName, truncating it or appending to it. While writing the
// file is locked against other writers that lock it; a file locked by one of them cannot
// be opened. On false `errorOut` holds the message to show.
bool saveResultsToFile(const SaveResultsSettings& settings, std::string_view bytes,
                       std::string& errorOut);

}  // namespace scoutwell
