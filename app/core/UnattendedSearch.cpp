#include "app/core/UnattendedSearch.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "app/core/ResultWriter.h"
#include "app/core/Settings.h"
#include "engine/Messages.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/Text.h"

namespace scoutwell {

int runUnattendedSearch(const Application& app, int commandLineProblems) {
    if (commandLineProblems > 0)
        return kExitCouldNotRun;

    // Built as for a new search: defaults, remembered options, then the command line.
    SearchCriteria criteria;
    loadOptions(app.settings(), criteria);
    app.options.applyTo(criteria, app.startingUp);
    SearchEngine engine(&criteria, /*notifier=*/nullptr);

    const std::string& path = app.options.outputFile;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        showMessage(text::format(kUnableToOpenForWriting, path.c_str()));
        return kExitCouldNotRun;
    }

    criteria.onePhaseSearch = true;
    std::string error;
    if (!criteria.prepare(error)) {
        showMessage(error);
        ::close(fd);
        return kExitCouldNotRun;
    }
    SearchExpression contents;
    contents.set(criteria.containingText, criteria.matchContentsCase, /*compileNow=*/true, nullptr);

    std::size_t written = 0;
    bool failed = false;
    {
        ResultStreamWriter writer(fd, contents, criteria);
        criteria.sink = &writer;
        engine.run();
        criteria.sink = nullptr;
        failed = !writer.flush();
        written = writer.itemCount();
    }
    if (::close(fd) != 0 && errno != EINTR)
        failed = true;
    if (failed) {
        showMessage(kWritingToFileFailed);
        return kExitCouldNotRun;
    }
    // The engine has said what went wrong; the rows written so far stay.
    if (engine.failed())
        return kExitCouldNotRun;
    return written > 0 ? kExitItemsWritten : kExitNothingFound;
}

}  // namespace scoutwell
