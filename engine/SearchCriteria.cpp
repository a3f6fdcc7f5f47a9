#include "engine/SearchCriteria.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "engine/Text.h"

namespace scoutwell {
namespace {

constexpr char kLookInSeparator = ';';
constexpr char kFolderSeparator = '/';
constexpr const char* kRootFolder = "/";
constexpr const char* kHomeVariable = "HOME";

struct EnvironmentState {
    std::mutex mutex;
    bool ready = false;
    SearchEnvironment environment;
};

EnvironmentState& environmentState() {
    static EnvironmentState state;
    return state;
}

std::string homeFolder() {
    const char* home = std::getenv(kHomeVariable);
    if (home == nullptr || *home == '\0') {
        passwd entry{};
        passwd* found = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
            found->pw_dir && *found->pw_dir) {
            return found->pw_dir;
        }
        return kRootFolder;
    }
    return home;
}

// A folder path with exactly one trailing separator; "/" for the root.
std::string withOneTrailingSeparator(std::string_view path) {
    while (!path.empty() && path.back() == kFolderSeparator)
        path.remove_suffix(1);
    std::string result(path);
    result += kFolderSeparator;
    return result;
}

bool isLocalDrivesLabel(std::string_view entry) {
    const std::string& label = searchEnvironment().localDrivesLabel;
    // An unset label must not turn an empty look-in box into an empty entry.
    return !label.empty() && entry == label;
}

}  // namespace

SearchEnvironment defaultSearchEnvironment() {
    SearchEnvironment environment;
    environment.defaultFolder = withOneTrailingSeparator(homeFolder());
    return environment;
}

const SearchEnvironment& searchEnvironment() {
    EnvironmentState& state = environmentState();
    std::lock_guard<std::mutex> guard(state.mutex);
    if (!state.ready) {
        state.environment = defaultSearchEnvironment();
        state.ready = true;
    }
    return state.environment;
}

void setSearchEnvironment(SearchEnvironment environment) {
    EnvironmentState& state = environmentState();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.environment = std::move(environment);
    state.ready = true;
}

SearchCriteria::SearchCriteria() : lookIn{searchEnvironment().defaultFolder} {}

SearchCriteria::SearchCriteria(const SearchCriteria& other)
    : lookIn(other.lookIn),
      fileName(other.fileName),
      containingText(other.containingText),
      subfolders(other.subfolders),
      searchContents(other.searchContents),
      sink(other.sink),
      matchFilenameCase(other.matchFilenameCase),
      matchContentsCase(other.matchContentsCase),
      autoConvertToDos(other.autoConvertToDos),
      treatContentsAsRegExp(other.treatContentsAsRegExp),
      excludeFilename(other.excludeFilename),
      onePhaseSearch(other.onePhaseSearch),
      eolUnix(other.eolUnix),
      eolMac(other.eolMac),
      searchCompressed(other.searchCompressed),
      modifiedAfter(other.modifiedAfter),
      modifiedBefore(other.modifiedBefore),
      modifiedAfterOn(other.modifiedAfterOn),
      modifiedBeforeOn(other.modifiedBeforeOn),
      sizeMoreThan(other.sizeMoreThan),
      sizeLessThan(other.sizeLessThan),
      sizeMoreThanOn(other.sizeMoreThanOn),
      sizeLessThanOn(other.sizeLessThanOn),
      stopRequested_(other.stopRequested()) {}

SearchCriteria& SearchCriteria::operator=(const SearchCriteria& other) {
    if (this == &other)
        return *this;
    lookIn = other.lookIn;
    fileName = other.fileName;
    containingText = other.containingText;
    subfolders = other.subfolders;
    searchContents = other.searchContents;
    sink = other.sink;
    matchFilenameCase = other.matchFilenameCase;
    matchContentsCase = other.matchContentsCase;
    autoConvertToDos = other.autoConvertToDos;
    treatContentsAsRegExp = other.treatContentsAsRegExp;
    excludeFilename = other.excludeFilename;
    onePhaseSearch = other.onePhaseSearch;
    eolUnix = other.eolUnix;
    eolMac = other.eolMac;
    searchCompressed = other.searchCompressed;
    modifiedAfter = other.modifiedAfter;
    modifiedBefore = other.modifiedBefore;
    modifiedAfterOn = other.modifiedAfterOn;
    modifiedBeforeOn = other.modifiedBeforeOn;
    sizeMoreThan = other.sizeMoreThan;
    sizeLessThan = other.sizeLessThan;
    sizeMoreThanOn = other.sizeMoreThanOn;
    sizeLessThanOn = other.sizeLessThanOn;
    // The two locks are taken one after the other, never together, so two copies made in
    // opposite directions at once cannot deadlock.
    const bool stop = other.stopRequested();
    std::lock_guard<std::mutex> guard(lock_);
    stopRequested_ = stop;
    return *this;
}

void SearchCriteria::setLookInText(std::string_view text) {
    if (isLocalDrivesLabel(text)) {
        lookIn.assign(1, std::string(text));
        return;
    }
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(kLookInSeparator, start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string entry = normaliseLookInEntry(text.substr(start, end - start));
        if (!entry.empty())
            entries.push_back(std::move(entry));
        start = end + 1;
    }
    if (entries.empty())
        entries.push_back(normaliseLookInEntry(searchEnvironment().defaultFolder));
    lookIn = std::move(entries);
}

std::string SearchCriteria::lookInText() const {
    std::string result;
    for (std::size_t i = 0; i < lookIn.size(); ++i) {
        if (i > 0)
            result += kLookInSeparator;
        result += lookIn[i];
    }
    return result;
}

void SearchCriteria::requestStop() {
    std::lock_guard<std::mutex> guard(lock_);
    stopRequested_ = true;
}

void SearchCriteria::clearStop() {
    std::lock_guard<std::mutex> guard(lock_);
    stopRequested_ = false;
}

bool SearchCriteria::stopRequested() const {
    std::lock_guard<std::mutex> guard(lock_);
    return stopRequested_;
}

std::string normaliseLookInEntry(std::string_view entry) {
    const std::string_view trimmed = text::trimWhite(entry);
    if (trimmed.empty())
        return {};
    if (isLocalDrivesLabel(trimmed))
        return std::string(trimmed);
    return withOneTrailingSeparator(trimmed);
}

}  // namespace scoutwell
