#include "app/core/UnattendedSearch.h"

#include "app/core/ResultWriter.h"
#include "app/core/Settings.h"
#include "engine/Messages.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/Text.h"
#include "platform/posix/FileReplacement.h"

namespace scoutwell {

int runUnattendedSearch(const Application& app, int commandLineProblems) {
    if (commandLineProblems > 0)
        return kExitCouldNotRun;

    // Built as for a new search: defaults, remembered options, then the command line.
    SearchCriteria criteria;
    loadOptions(app.settings(), criteria);
    app.options.applyTo(criteria, app.startingUp);
    SearchEngine engine(&criteria, /*notifier=*/nullptr);

    // The output replaces the file as a whole: a run that cannot start or cannot write
    // leaves an earlier output as it was.
    const std::string& path = app.options.outputFile;
    FileReplacement output;
    if (!output.open(path, /*waitForReader=*/true)) {
        showMessage(text::format(kUnableToOpenForWriting, path.c_str()));
        return kExitCouldNotRun;
    }

    criteria.onePhaseSearch = true;
    std::string error;
    if (!criteria.prepare(error)) {
        showMessage(error);
        return kExitCouldNotRun;
    }
    SearchExpression contents;
    contents.set(criteria.containingText, criteria.matchContentsCase, /*compileNow=*/true, nullptr);

    std::size_t written = 0;
    bool failed = false;
    {
        ResultStreamWriter writer(output.fd(), contents, criteria);
        criteria.sink = &writer;
        engine.run();
        criteria.sink = nullptr;
        failed = !writer.flush();
        written = writer.itemCount();
    }
    // The rows of a run the engine ended early are kept: the exit status says they are
    // not all there is.
    if (failed || !output.commit()) {
        showMessage(kWritingToFileFailed);
        return kExitCouldNotRun;
    }
    // The engine has said what went wrong; the rows written so far stay.
    if (engine.failed())
        return kExitCouldNotRun;
    return written > 0 ? kExitItemsWritten : kExitNothingFound;
}

}  // namespace scoutwell
