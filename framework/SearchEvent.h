// The window messages between a search document, its engine, its frame and its views, as
// Qt events whose type is the message number of framework/WindowMessages.h.
//
//   // sending: the note stays with the sender
//   SearchProgressNote note(1, "");
//   int answer = sendSearchMessage(view, WM_TOGGLE_WORDWRAP, &note);
//   // receiving, in a view's customEvent():
//   if (auto* e = SearchEvent::from(event, WM_SEARCH_PROGRESS)) use(e->note());
//
// A posted event owns its note and deletes it with itself; a sent one only borrows it.
// A handler that answers sets result (0 or 1).
//
// Exercised by tests/gui/ResultListViewTest.cpp.
#pragma once

#include <QEvent>
#include <QWidget>
#include <memory>

#include "engine/SearchEngine.h"

namespace scoutwell {

class SearchEvent : public QEvent {
  public:
    // A sent event: the note (when any) is borrowed.
    SearchEvent(int message, SearchProgressNote* borrowedNote = nullptr);
    // A posted event: it owns the note.
    SearchEvent(int message, std::unique_ptr<SearchProgressNote> ownedNote);
    ~SearchEvent() override;

    int message() const { return static_cast<int>(type()); }
    SearchProgressNote* note() const { return note_; }
    bool ownsNote() const { return ownsNote_; }

    // The event as a SearchEvent when it carries `message`, else nullptr.
    static SearchEvent* from(QEvent* event, int message);
    // The event as a SearchEvent when its type lies in the messages' range, else nullptr.
    static SearchEvent* from(QEvent* event);

    // What the handler answers; 0 unless it sets one.
    int result = 0;
    // The view a WM_ACTIVATE_VIEW names.
    QWidget* view = nullptr;

  private:
    SearchProgressNote* note_ = nullptr;
    bool ownsNote_ = false;
};

// Sends `message` synchronously to `receiver` and returns the handler's result.
int sendSearchMessage(QObject* receiver, int message, SearchProgressNote* note = nullptr);
// Posts `message` to `receiver`; the event owns the note.
void postSearchMessage(QObject* receiver, int message,
                       std::unique_ptr<SearchProgressNote> note = nullptr);

}  // namespace scoutwell
