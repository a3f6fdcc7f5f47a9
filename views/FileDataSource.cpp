#include "views/FileDataSource.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QWidget>

#include "engine/Messages.h"
#include "engine/Text.h"
#include "platform/posix/FileUrl.h"
#include "platform/qtgui/ShellServices.h"

namespace scoutwell {

namespace {

DragRunner& dragRunner() {
    static DragRunner runner;
    return runner;
}

QByteArray bytes(const std::string& text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace

void FileDataSource::fill(const std::vector<std::string>& paths,
                          const std::vector<std::string>* shown) {
    clear();
    pathList_.clear();
    if (paths.empty())
        return;
    std::string uriList;
    std::string plain;
    std::string gnome = "copy";
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        pathList_ += path;
        pathList_ += '\0';
        const std::string url = fileUrlFromPath(path);
        uriList += url + "\r\n";
        if (!plain.empty())
            plain += '\n';
        plain += shown != nullptr && i < shown->size() ? (*shown)[i] : path;
        gnome += '\n' + url;
    }
    pathList_ += '\0';
    setData(QString::fromLatin1(kUriListFormat), bytes(uriList));
    setData(QString::fromLatin1(kPlainTextFormat), bytes(plain));
    setData(QString::fromLatin1(kGnomeCopiedFilesFormat), bytes(gnome));
    setData(QString::fromLatin1(kKdeCutSelectionFormat), QByteArrayLiteral("0"));
}

std::vector<std::string> FileDataSource::paths() const {
    std::vector<std::string> result;
    for (std::size_t start = 0; start < pathList_.size();) {
        const std::size_t end = pathList_.find('\0', start);
        if (end == start || end == std::string::npos)
            break;  // the final NUL
        result.push_back(pathList_.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

void FileDataSource::handToClipboard(std::unique_ptr<FileDataSource> source) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setMimeData(source.release());
}

Qt::DropAction FileDataSource::dragFrom(QWidget* source, std::unique_ptr<FileDataSource> data) {
    QDrag drag(source);
    drag.setMimeData(data.release());
    if (dragRunner())
        return dragRunner()(drag, Qt::CopyAction);
    return drag.exec(Qt::CopyAction, Qt::CopyAction);
}

bool FileDataSource::deleteFiles(ShellServices& shell) const {
    const std::vector<std::string> files = paths();
    if (files.empty())
        return true;
    std::string question;
    if (files.size() == 1) {
        const std::string& path = files.front();
        question = text::format(kConfirmTrashOne, path.substr(path.rfind('/') + 1).c_str());
    } else {
        question = text::format(kConfirmTrashMany, static_cast<int>(files.size()));
    }
    if (!shell.confirm(question))
        return false;
    std::string failures;
    for (const std::string& path : files) {
        if (!shell.moveToTrash(path))
            failures += "\n" + path;
    }
    if (!failures.empty())
        showMessage(kCouldNotTrash + failures);
    return true;
}

void setDragRunner(DragRunner runner) {
    dragRunner() = std::move(runner);
}

}  // namespace scoutwell
