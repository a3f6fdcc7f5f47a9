#include "platform/qtgui/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

QtMessageSink* gInstance = nullptr;

bool onGuiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

void showMessageBox(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageBoxCaption),
                    qStringFromBytes(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

QtMessageSink::QtMessageSink() { gInstance = this; }

QtMessageSink::~QtMessageSink() {
    {
        // Release any worker still waiting: it must not wait on a sink that is gone.
        std::lock_guard<std::mutex> guard(lock_);
        closing_ = true;
        for (Request* request : pending_)
            request->done = true;
        pending_.clear();
    }
    answered_.notify_all();
    if (gInstance == this)
        gInstance = nullptr;
}

void QtMessageSink::setPresenter(Presenter presenter) { presenter_ = std::move(presenter); }

void QtMessageSink::present(const std::string& text) {
    if (presenter_)
        presenter_(text);
    else
        showMessageBox(text);
}

void QtMessageSink::showMessage(const std::string& text) {
    if (onGuiThread()) {
        present(text);
        return;
    }
    Request request{text};
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (closing_)
            return;
        pending_.push_back(&request);
    }
    // The queued call serves the request when the GUI thread runs its loop; a GUI thread
    // that is blocked waiting for this worker serves it through servePendingMessages().
    QMetaObject::invokeMethod(this, [this] { serve(); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> guard(lock_);
    answered_.wait(guard, [&request] { return request.done; });
}

void QtMessageSink::serve() {
    for (;;) {
        Request* request = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (pending_.empty())
                return;
            request = pending_.front();
            pending_.pop_front();
        }
        present(request->text);
        {
            std::lock_guard<std::mutex> guard(lock_);
            request->done = true;
        }
        answered_.notify_all();
    }
}

void QtMessageSink::servePendingMessages() {
    if (gInstance && onGuiThread())
        gInstance->serve();
}

}  // namespace scoutwell
