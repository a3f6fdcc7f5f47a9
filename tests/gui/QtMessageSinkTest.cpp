// Messages raised by a search's worker thread: shown by the GUI thread while the worker
// waits, also when the GUI thread is itself waiting for that worker to end.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "GuiTestSupport.h"
#include "app/MessageCapture.h"
#include "platform/qtgui/QtMessageSink.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::RecordingView;
using testing::TempTree;

constexpr const char* kWorkerMessage = "raised by the worker";

// The real file system, except that opening a look-in folder first shows a message
// (on the worker thread) or waits until the test lets it go on.
class InterferingFileSystem : public PosixFileSystem {
  public:
    enum Mode { kRaiseMessage, kWaitForGate };
    explicit InterferingFileSystem(Mode mode) : mode_(mode) {}

    std::unique_ptr<Directory> openFolder(const std::string& path, bool stay) override {
        reached = true;
        if (mode_ == kRaiseMessage) {
            showMessage(kWorkerMessage);
            answered = true;
        } else {
            std::unique_lock<std::mutex> guard(lock_);
            gateSignal_.wait(guard, [this] { return gateOpen_; });
        }
        return PosixFileSystem::openFolder(path, stay);
    }
    void openGate() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            gateOpen_ = true;
        }
        gateSignal_.notify_all();
    }

    std::atomic<bool> reached{false};
    std::atomic<bool> answered{false};

  private:
    Mode mode_;
    std::mutex lock_;
    std::condition_variable gateSignal_;
    bool gateOpen_ = false;
};

// Ends the test program when a step hangs: a deadlock must fail, not stall the suite.
class Watchdog {
  public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock<std::mutex> guard(lock_);
              if (!signal_.wait_for(guard, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "watchdog: the GUI thread and the worker deadlocked\n");
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            done_ = true;
        }
        signal_.notify_all();
        thread_.join();
    }

  private:
    std::mutex lock_;
    std::condition_variable signal_;
    bool done_ = false;
    std::thread thread_;
};

class QtMessageSinkTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        sink = std::make_unique<QtMessageSink>();
        sink->setPresenter([this](const std::string& text) { shown.push_back(text); });
        previousSink_ = messageSink();
        setMessageSink(sink.get());
    }
    void TearDown() override {
        setMessageSink(previousSink_);
        sink.reset();
        setFileSystem(nullptr);
        GuiTest::TearDown();
    }

    std::unique_ptr<CDediDurarerDoc> makeDoc() {
        auto doc = std::make_unique<CDediDurarerDoc>(app);
        doc->editedCriteria.lookIn = {tree.path()};
        return doc;
    }

    TempTree tree;
    std::unique_ptr<QtMessageSink> sink;
    std::vector<std::string> shown;

  private:
    MessageSink* previousSink_ = nullptr;
};

TEST_F(QtMessageSinkTest, StopSearchServesAWorkerWaitingOnAMessage) {
    InterferingFileSystem fs(InterferingFileSystem::kRaiseMessage);
    setFileSystem(&fs);
    auto doc = makeDoc();
    RecordingView view(doc.get());
    Watchdog watchdog(std::chrono::seconds(20));

    ASSERT_TRUE(doc->startSearch());
    // The worker now waits for the GUI thread, which does not run its event loop.
    while (!fs.reached)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(doc->stopSearch());

    EXPECT_FALSE(doc->searching());
    EXPECT_TRUE(fs.answered);
    EXPECT_EQ(shown, std::vector<std::string>{kWorkerMessage});
    EXPECT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));
}

TEST_F(QtMessageSinkTest, AWorkerMessageIsShownByTheEventLoop) {
    InterferingFileSystem fs(InterferingFileSystem::kRaiseMessage);
    setFileSystem(&fs);
    auto doc = makeDoc();
    RecordingView view(doc.get());
    Watchdog watchdog(std::chrono::seconds(20));

    ASSERT_TRUE(doc->startSearch());
    ASSERT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));
    EXPECT_EQ(shown, std::vector<std::string>{kWorkerMessage});
}

TEST_F(QtMessageSinkTest, MessagesOnTheGuiThreadAreShownAtOnce) {
    showMessage("direct");
    EXPECT_EQ(shown, std::vector<std::string>{"direct"});
}

TEST_F(QtMessageSinkTest, AStartWhileRunningIsRefusedAndChangesNothing) {
    InterferingFileSystem fs(InterferingFileSystem::kWaitForGate);
    setFileSystem(&fs);
    auto doc = makeDoc();
    RecordingView view(doc.get());
    Watchdog watchdog(std::chrono::seconds(20));

    ASSERT_TRUE(doc->startSearch());
    while (!fs.reached)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(doc->startSearch());
    EXPECT_EQ(shown, std::vector<std::string>{kSearchEngineStillOpen});
    EXPECT_EQ(view.count(WM_SEARCH_STARTED), 1);
    EXPECT_TRUE(doc->searching());

    // The stop is asked for before the worker may go on, so it can never run to its end.
    std::thread opener([&fs] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fs.openGate();
    });
    EXPECT_TRUE(doc->stopSearch());
    opener.join();
    EXPECT_FALSE(doc->searching());
    // Stopped by the user: no done message, one cleanup.
    EXPECT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));
    QCoreApplication::processEvents();
    EXPECT_EQ(view.count(WM_SEARCH_CLEANEDUP), 1);
}

}  // namespace
}  // namespace scoutwell
