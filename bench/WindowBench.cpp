// Benchmark of the search window with a million results, offscreen: Select All, the
// contents view's paints, sorting, appending while a search delivers, and the window's
// memory per row. Prints each figure with its target beside it.
//
//   window-bench [items]
//
// The results are made in memory as a search of a generated tree would deliver them:
// folders of 200 entries, names of mixed case, a few hit lines per file for the contents
// search. The exit status is 0 even when a target is missed; the table says which.
#include <malloc.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/core/Application.h"
#include "app/core/SettingsStore.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/FileSystem.h"
#include "framework/CommandIds.h"
#include "framework/IconCache.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtgui/MimeTypeNames.h"
#include "views/CChildFrame.h"
#include "views/CDediDurarerView.h"
#include "views/CFileContentsView.h"
#include "views/ResultsModel.h"

namespace scoutwell {
namespace {

constexpr long kDefaultItems = 1000000;
constexpr int kItemsPerFolder = 200;
constexpr int kHitLinesPerFile = 3;
constexpr int kRepeats = 20;  // timed Page Downs and wheel steps
constexpr int kFrameWidth = 1200;
constexpr int kFrameHeight = 800;
// How often a search posts new results, and the tick that measures the GUI thread's gaps.
constexpr int kNotifyIntervalMs = 500;
constexpr int kTickMs = 1;

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void row(const char* figure, double value, const char* unit, double target) {
    std::printf("%-52s %10.1f %-4s  target <= %-7g %s\n", figure, value, unit, target,
                value <= target ? "met" : "MISSED");
    std::fflush(stdout);
}

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Runs the event loop until every event posted so far has been handled.
void settle() {
    bool reached = false;
    QTimer::singleShot(0, [&] { reached = true; });
    while (!reached)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// One found item of the generated tree.
std::unique_ptr<FoundFile> makeItem(long i, const SharedText& folder, bool withHits) {
    static const char* const kStems[] = {"Makefile", "readme", "Config", "main",   "Index",
                                         "util",     "Parser", "test",   "LICENSE"};
    static const char* const kExtensions[] = {".c", ".h", ".txt", ".md", ".py", ".json", ""};
    const std::string name =
        std::string(kStems[i % 9]) + "_" + std::to_string(i * 7919 % 1000003) + kExtensions[i % 7];
    auto file = std::make_unique<FoundFile>(folder, name, (i * 104729) % 5000000,
                                            FileTime{132000000000000000LL + i * 10000000LL});
    if (withHits) {
        for (int k = 0; k < kHitLinesPerFile; ++k) {
            const std::string line = "    if (value_" + std::to_string(k) +
                                     " == needle) return compute(needle, " + std::to_string(i) +
                                     "); // a line long enough to wrap in a narrow pane";
            file->hits.emplace_back(line, static_cast<int>(line.find("needle")), 6, 10 * k + 7);
        }
        file->hitsComplete = true;
    }
    return file;
}

void fillStore(ResultsStore& store, long count, bool withHits) {
    SharedText folder;
    for (long i = 0; i < count; ++i) {
        if (i % kItemsPerFolder == 0)
            folder = makeSharedText("/srv/tree/d" + std::to_string(i / kItemsPerFolder % 97) +
                                    "/sub" + std::to_string(i / kItemsPerFolder) + "/");
        store.add(*makeItem(i, folder, withHits));
    }
}

// Each step's time, the longest and the middle one.
struct Steps {
    std::vector<double> ms;
    double longest() const { return *std::max_element(ms.begin(), ms.end()); }
    double median() {
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    }
};

class WindowBench {
  public:
    WindowBench(Application& app, long count) : app_(app), count_(count) {}

    void contentsSearch() {
        std::printf("\n%ld found files with %d hit lines each (a contents search)\n", count_,
                    kHitLinesPerFile);
        CChildFrame frame(new CDediDurarerDoc(app_), kFrameWidth);
        CDediDurarerDoc& doc = *frame.document();
        doc.resultsCriteria.searchContents = true;
        fillStore(doc.results, count_, true);
        showFrame(frame);
        frame.resultList()->appendNewItems();
        settle();
        selectAll(frame);
        contentsPaints(frame, false);
        contentsPaints(frame, true);
    }

    void nameSearch() {
        std::printf("\n%ld found files (a name search)\n", count_);
        CChildFrame frame(new CDediDurarerDoc(app_), kFrameWidth);
        CDediDurarerDoc& doc = *frame.document();
        fillStore(doc.results, count_, false);
        showFrame(frame);
        const std::size_t before = heapInUse();
        frame.resultList()->appendNewItems();
        settle();
        selectAll(frame);
        contentsPaints(frame, false);
        contentsPaints(frame, true);
        sorts(frame);
        const std::size_t after = heapInUse();
        row("window memory beyond the store, per row", perRow(before, after), "B", 64);
    }

    void appending() {
        std::printf("\n%ld found files appended while a search delivers them\n", count_);
        CChildFrame frame(new CDediDurarerDoc(app_), kFrameWidth);
        CDediDurarerDoc& doc = *frame.document();
        showFrame(frame);
        std::atomic<bool> done{false};
        std::thread search([&] {
            SharedText folder;
            auto last = Clock::now();
            for (long i = 0; i < count_; ++i) {
                if (i % kItemsPerFolder == 0)
                    folder = makeSharedText("/srv/tree/sub" + std::to_string(i) + "/");
                doc.results.add(*makeItem(i, folder, false));
                if (msSince(last) >= kNotifyIntervalMs) {
                    doc.notifier().post(WM_SEARCH_NEWRESULTS, nullptr);
                    last = Clock::now();
                }
            }
            doc.notifier().post(WM_SEARCH_NEWRESULTS, nullptr);
            done = true;
        });
        double longestGap = 0;
        auto lastTick = Clock::now();
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, msSince(lastTick));
            lastTick = Clock::now();
        });
        ticks.start(kTickMs);
        const ResultsModel& model = *frame.resultList()->resultsModel();
        while (!done || model.rowCount() < count_)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ticks.stop();
        search.join();
        row("longest GUI-thread gap while 1M rows are appended", longestGap, "ms", 50);
    }

  private:
    static void showFrame(CChildFrame& frame) {
        frame.resize(kFrameWidth, kFrameHeight);
        frame.show();
        settle();
    }

    double perRow(std::size_t before, std::size_t after) const {
        return (static_cast<double>(after) - static_cast<double>(before)) /
               static_cast<double>(count_);
    }

    // From the command until the window handles the next event.
    void selectAll(CChildFrame& frame) {
        const auto start = Clock::now();
        frame.routeCommand(ID_SELECT_ALL);
        settle();
        row("Select All, until the next event is handled", msSince(start), "ms", 200);
        if (frame.document()->shownItems.size() != static_cast<std::size_t>(count_))
            std::printf("  (only %zu items shown)\n", frame.document()->shownItems.size());
    }

    void contentsPaints(CChildFrame& frame, bool wrap) {
        CDediDurarerDoc& doc = *frame.document();
        CFileContentsView& view = *frame.contentsView();
        QScrollBar& bar = *view.verticalScrollBar();
        doc.wordWrap = wrap;
        const double frameTarget = wrap ? 50 : 16;
        const char* suffix = wrap ? ", word wrap" : "";
        const auto label = [&](const char* what) { return std::string(what) + suffix; };

        auto start = Clock::now();
        doc.sendToAllViews(WM_SHOW_CONTENTS);
        row(label("contents first paint").c_str(), msSince(start), "ms", 100);

        Steps pageDowns;
        for (int k = 0; k < kRepeats; ++k) {
            start = Clock::now();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QCoreApplication::sendEvent(&view, &press);
            view.viewport()->repaint();
            pageDowns.ms.push_back(msSince(start));
        }
        row(label("contents Page Down, longest").c_str(), pageDowns.longest(), "ms", frameTarget);

        Steps wheel;
        for (int k = 0; k < kRepeats; ++k) {
            start = Clock::now();
            const QPointF at(20, 20);
            QWheelEvent step(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view.viewport(), &step);
            view.viewport()->repaint();
            wheel.ms.push_back(msSince(start));
        }
        row(label("contents wheel step, longest").c_str(), wheel.longest(), "ms", frameTarget);

        start = Clock::now();
        bar.setValue(bar.maximum());
        view.viewport()->repaint();
        row(label("contents jump to the end").c_str(), msSince(start), "ms", frameTarget);

        Steps up;
        for (int k = 0; k < kRepeats; ++k) {
            start = Clock::now();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
            QCoreApplication::sendEvent(&view, &press);
            view.viewport()->repaint();
            up.ms.push_back(msSince(start));
        }
        row(label("contents Page Up from the end, longest").c_str(), up.longest(), "ms",
            frameTarget);

        start = Clock::now();
        bar.setValue(bar.maximum() / 2);
        view.viewport()->repaint();
        row(label("contents jump to the middle").c_str(), msSince(start), "ms", frameTarget);
        doc.wordWrap = false;
    }

    void sorts(CChildFrame& frame) {
        static const char* const kNames[] = {"name", "location", "size", "type", "modified"};
        CDediDurarerView& list = *frame.resultList();
        for (int column = 0; column < ResultsModel::kColumnCount; ++column) {
            auto start = Clock::now();
            list.sortByColumn(column);
            const double sorted = msSince(start);
            start = Clock::now();
            list.viewport()->repaint();
            settle();
            const double repainted = msSince(start);
            const std::string label = std::string("sort by ") + kNames[column] + " of 1M rows";
            row(label.c_str(), sorted / 1000, "s", 1.0);
            row("  repaint after it", repainted, "ms", 100);
        }
        // A second click on the sorted header reverses its order.
        const auto start = Clock::now();
        list.sortByColumn(ResultsModel::kModifiedColumn);
        row("sort by modified of 1M rows, reversed", msSince(start) / 1000, "s", 1.0);
    }

    Application& app_;
    long count_;
};

}  // namespace
}  // namespace scoutwell

int main(int argc, char** argv) {
    using namespace scoutwell;
    const long count = argc > 1 ? std::atol(argv[1]) : kDefaultItems;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    PosixFileSystem fileSystem;
    setFileSystem(&fileSystem);
    MimeTypeNames::install();
    IconCache::shared();
    MemorySettingsStore settings;
    Application app(settings);
    app.init({"/"}, "/tmp");

    WindowBench bench(app, count);
    bench.nameSearch();
    bench.contentsSearch();
    bench.appending();
    return 0;
}
