// Found files as the desktop's clipboard and drag-and-drop carry them.
//
//   auto source = std::make_unique<FileDataSource>();
//   source->fill(paths);
//   FileDataSource::handToClipboard(std::move(source));   // the clipboard owns it now
//
// Once filled it offers text/uri-list (file URLs), text/plain (the paths, one a line),
// x-special/gnome-copied-files ("copy", then a line per URL) and
// application/x-kde-cutselection "0": every file manager pastes a copy, never a move.
// An empty list offers nothing. URLs percent-encode the paths' raw bytes.
#pragma once

#include <QMimeData>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDrag;
class QWidget;

namespace scoutwell {

class ShellServices;

inline constexpr const char* kUriListFormat = "text/uri-list";
inline constexpr const char* kPlainTextFormat = "text/plain";
inline constexpr const char* kGnomeCopiedFilesFormat = "x-special/gnome-copied-files";
inline constexpr const char* kKdeCutSelectionFormat = "application/x-kde-cutselection";

inline constexpr const char* kConfirmTrashOne =
    "Are you sure you want to move \"%s\" to the Trash?";
inline constexpr const char* kConfirmTrashMany =
    "Are you sure you want to move these %d items to the Trash?";
inline constexpr const char* kCouldNotTrash =
    "These files could not be moved to the Trash and were left where they are:";

class FileDataSource : public QMimeData {
    Q_OBJECT

  public:
    // Replaces what the source held. `shown`, when given, is the text/plain list instead of
    // `paths` (the found paths of members whose extracted copies are handed over).
    void fill(const std::vector<std::string>& paths,
              const std::vector<std::string>* shown = nullptr);
    // Each path followed by a NUL, then one more NUL; empty until filled.
    const std::string& pathList() const { return pathList_; }
    std::vector<std::string> paths() const;

    static void handToClipboard(std::unique_ptr<FileDataSource> source);
    // Drags the files with only the copy effect allowed; returns the effect the drop
    // target chose.
    static Qt::DropAction dragFrom(QWidget* source, std::unique_ptr<FileDataSource> data);
    // Asks once (naming the file, or the count of files), then moves every file to the
    // Trash; the files that could not be moved are named in one message at the end.
    // False when the user refused.
    bool deleteFiles(ShellServices& shell) const;

  private:
    std::string pathList_;
};

// Runs a drag in place of QDrag::exec (tests); an empty runner restores it.
using DragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions allowed)>;
void setDragRunner(DragRunner runner);

}  // namespace scoutwell
