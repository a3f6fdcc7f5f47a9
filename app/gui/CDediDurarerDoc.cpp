#include "app/gui/CDediDurarerDoc.h"

#include <QApplication>
#include <QCursor>
#include <QUrl>
#include <algorithm>
#include <new>
#include <system_error>

#include "app/core/Application.h"
#include "app/core/CriteriaFile.h"
#include "app/core/Settings.h"
#include "app/gui/CConfigurationDialog.h"
#include "app/gui/CSaveResultsDialog.h"
#include "engine/FileSystem.h"
#include "engine/Messages.h"
#include "framework/CommandIds.h"
#include "framework/WindowMessages.h"
#include "platform/qtgui/DesktopOpen.h"
#include "platform/qtgui/QtMessageSink.h"

namespace scoutwell {

namespace {

// The wait cursor for the length of one operation.
class WaitCursor {
  public:
    WaitCursor() {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            active_ = false;
    }
    ~WaitCursor() {
        if (active_)
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    bool active_ = true;
};

// The message each of the document's plain commands sends to the views.
int messageOfCommand(int commandId) {
    switch (commandId) {
        case ID_SELECT_ALL:
            return WM_SELECT_ALL_FILES;
        case ID_SORT_BY_NAME:
            return WM_SORT_BY_NAME;
        case ID_SORT_BY_LOCATION:
            return WM_SORT_BY_LOCATION;
        case ID_SORT_BY_DATE:
            return WM_SORT_BY_MODIFIED;
        case ID_SORT_BY_SIZE:
            return WM_SORT_BY_SIZE;
        case ID_SORT_BY_TYPE:
            return WM_SORT_BY_TYPE;
        case ID_SET_HIGHLIGHT_COLOUR:
            return WM_SET_HIGHLIGHT_COLOUR;
        default:
            return 0;
    }
}

}  // namespace

CDediDurarerDoc::CDediDurarerDoc(Application& app, QObject* parent) : Document(parent), app_(app) {
    SettingsStore& store = app_.settings();
    loadOptions(store, editedCriteria);
    app_.options.applyTo(editedCriteria, app_.startingUp);
    wordWrap = rememberWindowSize(store) && readSetting(store, kWordWrap) != 0;
}

CDediDurarerDoc::~CDediDurarerDoc() {
    // No worker may outlive the criteria and results it works on.
    if (engine) {
        workingCriteria.requestStop();
        while (!engine->waitForEnd(kStopWaitStepMs))
            QtMessageSink::servePendingMessages();
        engine.reset();
    }
}

SettingsStore& CDediDurarerDoc::settings() const {
    return app_.settings();
}

bool CDediDurarerDoc::startSearch() {
    if (engine) {
        showMessage(kSearchEngineStillOpen);
        return false;
    }
    workingCriteria = editedCriteria;
    WaitCursor waitCursor;

    // Remembered before validation: a search that fails to start is still in the lists.
    app_.contentsHistory.add(workingCriteria.containingText);
    app_.folderHistory.add(workingCriteria.lookInText());
    app_.fileNameHistory.add(workingCriteria.fileName);

    std::string error;
    if (!workingCriteria.prepare(error)) {
        showMessage(error);
        return false;
    }
    if (!highlightExpression.set(workingCriteria.containingText, workingCriteria.matchContentsCase,
                                 /*compileNow=*/true, nullptr))
        return false;

    results.clear();
    shownItems.clear();
    beginRun();
    sendToAllViews(WM_SEARCH_STARTED);

    workingCriteria.clearStop();
    workingCriteria.sink = &results;
    try {
        engine = std::make_unique<SearchEngine>(&workingCriteria, &notifier());
    } catch (const std::bad_alloc&) {
        showMessage(kCouldNotCreateSearchEngine);
        stopSearch();
        return false;
    }
    resultsCriteria = workingCriteria;
    try {
        engine->start();
    } catch (const std::system_error&) {
        // No thread ran, so there is nothing to wait for: release the engine at once and
        // end idle, able to start again.
        engine.reset();
        showMessage(kCouldNotCreateThread);
        stopSearch();
        return false;
    }
    emit searchStateChanged();
    return true;
}

bool CDediDurarerDoc::stopSearch() {
    if (engine) {
        workingCriteria.requestStop();
        // The worker may be waiting for the GUI thread to show a message; serving those
        // requests between short waits keeps the two threads from waiting on each other.
        while (!engine->waitForEnd(kStopWaitStepMs))
            QtMessageSink::servePendingMessages();
        engine.reset();
        emit searchStateChanged();
    }
    postToAllViews(WM_SEARCH_CLEANEDUP);
    return true;
}

void CDediDurarerDoc::showContentsFor(const std::vector<std::string>& paths) {
    std::vector<FoundItem*> items = results.findPaths(paths);
    const auto missing = std::find(items.begin(), items.end(), nullptr);
    const bool someMissing = missing != items.end();
    items.erase(missing, items.end());
    showItems(std::move(items), someMissing);
}

void CDediDurarerDoc::showContentsForRows(const std::vector<RowRange>& rows) {
    bool missing = false;
    std::vector<FoundItem*> items = results.read([&](const auto& all) {
        std::size_t total = 0;
        for (const RowRange& range : rows)
            total += static_cast<std::size_t>(std::max(0, range.last - range.first + 1));
        std::vector<FoundItem*> found;
        found.reserve(total);
        for (const RowRange& range : rows) {
            for (int row = std::max(0, range.first); row <= range.last; ++row) {
                if (static_cast<std::size_t>(row) >= all.size()) {
                    missing = true;
                    return found;
                }
                found.push_back(all[static_cast<std::size_t>(row)].get());
            }
        }
        return found;
    });
    showItems(std::move(items), missing);
}

void CDediDurarerDoc::showItems(std::vector<FoundItem*> items, bool missing) {
    shownItems.clear();
    // Items are never freed while the document lives except by clear() and removePath(),
    // both on this thread, so the scans can run outside the store's lock.
    for (FoundItem* item : items) {
        if (resultsCriteria.searchContents && item->needsFullScan())
            item->scanContentsFully(highlightExpression, resultsCriteria);
    }
    shownItems = std::move(items);
    if (missing) {
        showMessage(kNotAllItemsExist);
        return;
    }
    sendToAllViews(WM_SHOW_CONTENTS);
}

int CDediDurarerDoc::removeMissingFiles(const std::vector<std::string>& paths) {
    FileSystem* fs = fileSystem();
    int removed = 0;
    for (const std::string& path : paths) {
        // The same item that removePath() frees: the first one with this path.
        FoundItem* item = results.findPath(path);
        if (!item)
            continue;
        // A member of an archive is there as long as its archive is.
        const std::string onDisk =
            item->isMember() ? path.substr(0, item->archivePathLength) : path;
        if (fs && fs->exists(onDisk))
            continue;
        // The shown list must not keep a pointer to the item about to be freed.
        std::erase(shownItems, item);
        if (!results.removePath(path))
            continue;
        SearchProgressNote note(0, path);
        sendToAllViews(WM_FILE_REMOVED, &note);
        ++removed;
    }
    return removed;
}

void CDediDurarerDoc::setWordWrap(bool on) {
    wordWrap = on;
    if (rememberWindowSize(settings()))
        writeSetting(settings(), kWordWrap, on ? 1 : 0);
}

bool CDediDurarerDoc::loadCriteria(const std::string& path, std::string& errorOut) {
    sendToAllViews(WM_CRITERIA_BEFORE_LOAD);
    const bool loaded = CriteriaFile::load(path, editedCriteria, errorOut);
    if (loaded && app_.options.overrideFile)
        app_.options.applyTo(editedCriteria, app_.startingUp);
    sendToAllViews(WM_CRITERIA_AFTER_LOAD);
    return loaded;
}

bool CDediDurarerDoc::storeCriteria(const std::string& path, std::string& errorOut) {
    sendToAllViews(WM_CRITERIA_BEFORE_STORE);
    const bool stored = CriteriaFile::save(path, editedCriteria, errorOut);
    sendToAllViews(WM_CRITERIA_AFTER_STORE);
    return stored;
}

bool CDediDurarerDoc::handleCommand(int commandId) {
    if (const int message = messageOfCommand(commandId)) {
        sendToAllViews(message);
        return true;
    }
    switch (commandId) {
        case ID_HELP_CONTENTS: {
            const QString page = helpPagePath();
            if (!page.isEmpty())
                openWithDefaultApplication(QUrl::fromLocalFile(page));
            return true;
        }
        case ID_SAVE_RESULTS:
            onSaveResults();
            return true;
        case ID_ONE_PHASE:
            editedCriteria.onePhaseSearch = !editedCriteria.onePhaseSearch;
            saveOptions(settings(), editedCriteria);
            return true;
        case ID_CONFIGURATION:
            onConfiguration();
            return true;
        default:
            return false;
    }
}

bool CDediDurarerDoc::updateCommand(int commandId, CommandState& state) {
    if (commandId == ID_ONE_PHASE) {
        state.enabled = true;
        state.checkable = true;
        state.checked = editedCriteria.onePhaseSearch;
        return true;
    }
    if (messageOfCommand(commandId) || commandId == ID_HELP_CONTENTS ||
        commandId == ID_SAVE_RESULTS || commandId == ID_CONFIGURATION) {
        state.enabled = true;
        return true;
    }
    return false;
}

void CDediDurarerDoc::onSaveResults() {
    runSaveResults(*this, QApplication::activeWindow());
}

void CDediDurarerDoc::onConfiguration() {
    runConfiguration(*this, QApplication::activeWindow());
}

}  // namespace scoutwell
