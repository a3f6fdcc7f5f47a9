#include "framework/Document.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>

#include "framework/SearchEvent.h"

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace scoutwell {

namespace {

// The relay event passes from the search thread to the GUI thread through Qt's event
// queue, whose lock ThreadSanitizer cannot see in the uninstrumented Qt library. These
// tell it about that hand-over, and only that one: release as the event is posted,
// acquire as it arrives.
void handOver([[maybe_unused]] const QEvent* event) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<QEvent*>(event));
#endif
}
void takeOver([[maybe_unused]] const QEvent* event) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<QEvent*>(event));
#endif
}

// The relay's own event: the message to hand on and the note every view gets a copy of.
class RelayEvent : public QEvent {
  public:
    static QEvent::Type relayType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    RelayEvent(int message, std::unique_ptr<SearchProgressNote> note, unsigned run)
        : QEvent(relayType()), message(message), run(run), note(std::move(note)) {}

    int message;
    unsigned run;
    std::unique_ptr<SearchProgressNote> note;
};

}  // namespace

void DocumentNotifier::post(int message, std::unique_ptr<SearchProgressNote> note) {
    document_.postToAllViews(message, std::move(note));
}

Document::Document(QObject* parent) : QObject(parent) {}

Document::~Document() = default;

void Document::addView(QWidget* view) {
    if (!view || std::find(views_.begin(), views_.end(), view) != views_.end())
        return;
    views_.emplace_back(view);
}

void Document::removeView(QWidget* view) {
    std::erase_if(views_, [view](const QPointer<QWidget>& v) { return v.data() == view; });
}

std::vector<QWidget*> Document::views() const {
    std::vector<QWidget*> live;
    for (const auto& v : views_)
        if (v)
            live.push_back(v.data());
    return live;
}

void Document::sendToAllViews(int message, SearchProgressNote* note) {
    // A handler may close views or add them; the copy keeps the walk well defined and
    // the guarded pointers skip any view destroyed meanwhile.
    const std::vector<QPointer<QWidget>> snapshot = views_;
    for (const auto& view : snapshot)
        if (view)
            sendSearchMessage(view.data(), message, note);
}

void Document::postToAllViews(int message, std::unique_ptr<SearchProgressNote> note) {
    // postEvent is thread-safe and the document outlives every search it starts.
    auto* relay = new RelayEvent(message, std::move(note), run_.load(std::memory_order_relaxed));
    handOver(relay);
    QCoreApplication::postEvent(this, relay);
}

bool Document::event(QEvent* event) {
    if (event->type() != RelayEvent::relayType())
        return QObject::event(event);
    auto* relay = static_cast<RelayEvent*>(event);
    takeOver(relay);
    if (relay->run != run_.load(std::memory_order_relaxed))
        return true;
    const std::vector<QPointer<QWidget>> snapshot = views_;
    for (const auto& view : snapshot) {
        if (!view)
            continue;
        std::unique_ptr<SearchProgressNote> copy;
        if (relay->note)
            copy = std::make_unique<SearchProgressNote>(*relay->note);
        SearchEvent delivered(relay->message, std::move(copy));
        QCoreApplication::sendEvent(view.data(), &delivered);
    }
    return true;
}

void Document::setTitle(const QString& title) {
    if (title == title_)
        return;
    title_ = title;
    emit titleChanged(title_);
}

void Document::setFilePath(const QString& path) {
    filePath_ = path;
    if (!path.isEmpty())
        setTitle(QFileInfo(path).fileName());
}

}  // namespace scoutwell
