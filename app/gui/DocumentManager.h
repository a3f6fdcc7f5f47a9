// Makes search documents and their windows, opens and saves criteria files, and keeps the
// File menu's list of recent criteria files.
//
// Paths are the files' bytes as bridge text (platform/qt/ByteText.h), so a name that is
// not UTF-8 opens, saves and lists as it is; file dialogs' answers are turned into that
// form before they are used.
//
//   DocumentManager manager(app);
//   manager.setFrameFactory([&](CDediDurarerDoc* doc) { return mainFrame.addChild(doc); });
//   manager.newDocument();               // "Search1"
//   manager.openDocument("/a/b.srf");    // titled "b.srf"; null and a message on failure
//
// Exercised by tests/gui/FirstSightTest.cpp, tests/gui/MainFrameTest.cpp,
//  tests/gui/ResultListShellTest.cpp, tests/gui/SearchDocumentTest.cpp, tests/gui/StressTest.cpp.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace scoutwell {

class Application;
class CDediDurarerDoc;

inline constexpr const char* kNewDocumentTitle = "Search";
inline constexpr const char* kCriteriaFileFilter = "Search Result (*.srf)";
inline constexpr const char* kCriteriaFileExtension = ".srf";

class DocumentManager : public QObject {
    Q_OBJECT

  public:
    // Shows a document in a window of its own, which takes ownership of it; false when
    // the window could not be made (the document is deleted then).
    using FrameFactory = std::function<bool(CDediDurarerDoc* doc)>;

    // `app` must outlive the manager. Loads the recent-file list.
    explicit DocumentManager(Application& app, QObject* parent = nullptr);

    // Closes the window of a document at once, deleting both.
    using FrameCloser = std::function<void(CDediDurarerDoc* doc)>;

    void setFrameFactory(FrameFactory factory) { frameFactory_ = std::move(factory); }
    void setFrameCloser(FrameCloser closer) { frameCloser_ = std::move(closer); }

    // A new search titled "Search<n>", n counting from 1; null when no window was made.
    CDediDurarerDoc* newDocument();
    // A document with the criteria of `path`; null, after a message, when it cannot be read.
    // The window and its views exist before the file is read, so that they hear the load.
    CDediDurarerDoc* openDocument(const QString& path);
    // Open Criteria: asks for the file first.
    CDediDurarerDoc* openWithDialog(QWidget* parent);

    // Save Criteria: to the document's file, or as Save As when it has none.
    bool save(CDediDurarerDoc* doc, QWidget* parent);
    // Save Criteria As: asks for the file first.
    bool saveAs(CDediDurarerDoc* doc, QWidget* parent);
    // Writes the document's criteria to `path` and makes it the document's file; a
    // message on failure.
    bool saveTo(CDediDurarerDoc* doc, const QString& path);

    // Most recent first, at most four.
    QStringList recentFiles() const { return recentFiles_; }
    void addToRecentFiles(const QString& path);

  signals:
    void recentFilesChanged();

  private:
    bool show(CDediDurarerDoc* doc);
    void loadRecentFiles();
    void saveRecentFiles();

    Application& app_;
    FrameFactory frameFactory_;
    FrameCloser frameCloser_;
    int untitledCount_ = 0;
    QStringList recentFiles_;
};

}  // namespace scoutwell
