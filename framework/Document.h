// The document half of the program's document/view layer: a document with an ordered list
// of views, the messages it sends and posts to them, and its title.
//
//   doc->addView(form);                       // view order = order of adding
//   doc->sendToAllViews(WM_SEARCH_STARTED);   // synchronous, in view order
//   doc->postToAllViews(WM_SEARCH_CLEANEDUP); // from any thread
//   doc->notifier();                          // the engine's SearchNotifier
//
// Posted messages go to the document first and are handed to the views that exist when
// they arrive, so a worker never posts to a view that is being destroyed. Every view then
// receives its own event, owning its own copy of the note. A message posted before the
// latest beginRun() belongs to a run that has ended and is dropped on arrival: the end
// message of a stopped search must not stop the search started right after it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <memory>
#include <vector>

#include "engine/SearchEngine.h"

namespace scoutwell {

// A command handled somewhere along the routing chain (active view, document, frame).
// Views and documents that handle menu commands implement it too.
struct CommandState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
};

class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    // True when the command was handled here.
    virtual bool handleCommand(int commandId) = 0;
    // True when this target decides the command's state; fills `state` then.
    virtual bool updateCommand(int commandId, CommandState& state) = 0;
};

class Document;

// Posts the engine's messages to every view of one document; safe on any thread.
class DocumentNotifier : public SearchNotifier {
  public:
    explicit DocumentNotifier(Document& document) : document_(document) {}
    void post(int message, std::unique_ptr<SearchProgressNote> note) override;

  private:
    Document& document_;
};

class Document : public QObject {
    Q_OBJECT

  public:
    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    // Views are not owned; one that is destroyed leaves the list by itself.
    void addView(QWidget* view);
    void removeView(QWidget* view);
    std::vector<QWidget*> views() const;

    // Sends the message to each view in view order; the note stays the caller's.
    void sendToAllViews(int message, SearchProgressNote* note = nullptr);
    // Posts the message to each view (any thread); each view gets a copy of the note.
    void postToAllViews(int message, std::unique_ptr<SearchProgressNote> note = nullptr);

    SearchNotifier& notifier() { return notifier_; }
    // Starts a new run of posted messages; call before announcing a new search.
    void beginRun() { run_.fetch_add(1, std::memory_order_relaxed); }

    // "Search1", ... for a new document; a saved or opened one shows its file's name.
    QString title() const { return title_; }
    void setTitle(const QString& title);
    // The criteria file behind the document; empty for a new one.
    QString filePath() const { return filePath_; }
    void setFilePath(const QString& path);

  signals:
    void titleChanged(const QString& title);

  protected:
    bool event(QEvent* event) override;

  private:
    std::vector<QPointer<QWidget>> views_;
    DocumentNotifier notifier_{*this};
    // Read by posting threads; every post of a run happens before the next beginRun(),
    // since a search is waited for before another starts.
    std::atomic<unsigned> run_{0};
    QString title_;
    QString filePath_;
};

}  // namespace scoutwell
