#include "app/core/SaveResultsSettings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <new>

#include "app/core/CcpException.h"
#include "app/core/ResultWriter.h"
#include "engine/Text.h"
#include "platform/posix/UniqueFd.h"

namespace scoutwell {
namespace {

// Holds an advisory lock on a file for as long as it lives.
class FileLock {
  public:
    explicit FileLock(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666)) {
        if (fd_ && ::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0)
            fd_.reset();
    }

    bool held() const { return static_cast<bool>(fd_); }

  private:
    UniqueFd fd_;  // closing it releases the lock
};

}  // namespace

void adjustBeforeDialog(SaveResultsSettings& settings, bool selectionNow, bool contentsNow) {
    if (contentsNow != settings.contentsAvailable)
        settings.withContents = contentsNow;
    else if (!contentsNow)
        settings.withContents = false;

    if (selectionNow != settings.selectionAvailable)
        settings.allFiles = !selectionNow;
    else if (!selectionNow)
        settings.allFiles = true;

    settings.selectionAvailable = selectionNow;
    settings.contentsAvailable = contentsNow;
}

std::string defaultResultsFilePath(std::string_view folder) {
    if (folder.empty())
        return {};
    std::string path(folder);
    if (path.back() != '/')
        path += '/';
    return path + kDefaultResultsFileName;
}

std::string currentFolder() {
    std::string buffer(PATH_MAX, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

std::string initialResultsFileName(const SaveResultsSettings& settings) {
    if (!settings.fileName.empty())
        return settings.fileName;
    return defaultResultsFilePath(currentFolder());
}

std::string saveResultsText(const SaveResultsSettings& settings, const ResultsStore& results,
                            const std::vector<FoundItem*>& shownItems, SearchExpression& expression,
                            const SearchCriteria& resultsCriteria) {
    const ResultWriter writer(resultFormatFromIndex(settings.format), settings.withFileNames,
                              settings.withContents);
    std::int32_t code = 0;
    std::string out;
    try {
        // Memory can run out at any point while the output grows; either way nothing is
        // saved and the user hears why.
        out = settings.allFiles ? writer.format(results, expression, resultsCriteria)
                                : writer.format(shownItems, expression, resultsCriteria);
    } catch (const std::bad_alloc&) {
        code = kResultOutOfMemory;
    }
    checkResult(code, kCreatingStreamStep);
    return out;
}

bool saveResultsToFile(const SaveResultsSettings& settings, std::string_view bytes,
                       std::string& errorOut) {
    const FileLock lock(settings.fileName);
    if (!lock.held()) {
        errorOut = text::format(kUnableToOpenForWriting, settings.fileName.c_str());
        return false;
    }
    return writeResultFile(settings.fileName, bytes, settings.overwrite, errorOut);
}

}  // namespace scoutwell
