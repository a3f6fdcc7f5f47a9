// The program's message interface while windows exist: a modal message box with an OK
// button on the GUI thread. A message raised on a worker thread is queued to the GUI
// thread and the worker waits until the user has closed the box.
//
//   QtMessageSink sink;              // on the GUI thread, after QApplication
//   setMessageSink(&sink);
//   ...
//   while (!engine.waitForEnd(50))   // a GUI thread that waits for a worker
//       QtMessageSink::servePendingMessages();
//
// Tests replace the box with a presenter of their own (setPresenter).
#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "engine/Messages.h"

namespace scoutwell {

inline constexpr const char* kMessageBoxCaption = "Scoutwell";

class QtMessageSink : public QObject, public MessageSink {
    Q_OBJECT

  public:
    using Presenter = std::function<void(const std::string& text)>;

    // Must be made on the GUI thread; becomes the instance servePendingMessages() serves.
    QtMessageSink();
    ~QtMessageSink() override;

    void showMessage(const std::string& text) override;

    // Replaces the modal box (tests); an empty presenter restores it.
    void setPresenter(Presenter presenter);

    // Shows every message a worker is waiting on; GUI thread only. Does nothing when no
    // sink exists.
    static void servePendingMessages();

  private:
    struct Request {
        std::string text;
        bool done = false;
    };

    void present(const std::string& text);
    void serve();

    Presenter presenter_;
    std::mutex lock_;
    std::condition_variable answered_;
    std::deque<Request*> pending_;
    bool closing_ = false;
};

// The modal message box itself, parented to the active window when there is one.
void showMessageBox(const std::string& text);

}  // namespace scoutwell
