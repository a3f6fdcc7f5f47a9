#include "framework/SearchEvent.h"

#include <QCoreApplication>

#include "framework/WindowMessages.h"

namespace scoutwell {

namespace {

// The messages' numbers all lie in this range (WM_APP + 100 to WM_APP + 129).
constexpr int kFirstMessage = WM_SEARCH_PROGRESS;
constexpr int kLastMessage = WM_ACTIVATE_VIEW;

}  // namespace

SearchEvent::SearchEvent(int message, SearchProgressNote* borrowedNote)
    : QEvent(static_cast<QEvent::Type>(message)), note_(borrowedNote) {}

SearchEvent::SearchEvent(int message, std::unique_ptr<SearchProgressNote> ownedNote)
    : QEvent(static_cast<QEvent::Type>(message)), note_(ownedNote.release()), ownsNote_(true) {}

SearchEvent::~SearchEvent() {
    if (ownsNote_)
        delete note_;
}

SearchEvent* SearchEvent::from(QEvent* event) {
    if (!event)
        return nullptr;
    const int type = static_cast<int>(event->type());
    if (type < kFirstMessage || type > kLastMessage)
        return nullptr;
    return dynamic_cast<SearchEvent*>(event);
}

SearchEvent* SearchEvent::from(QEvent* event, int message) {
    if (!event || static_cast<int>(event->type()) != message)
        return nullptr;
    return dynamic_cast<SearchEvent*>(event);
}

int sendSearchMessage(QObject* receiver, int message, SearchProgressNote* note) {
    if (!receiver)
        return 0;
    SearchEvent event(message, note);
    QCoreApplication::sendEvent(receiver, &event);
    return event.result;
}

void postSearchMessage(QObject* receiver, int message, std::unique_ptr<SearchProgressNote> note) {
    if (!receiver)
        return;
    QCoreApplication::postEvent(receiver, new SearchEvent(message, std::move(note)));
}

}  // namespace scoutwell
