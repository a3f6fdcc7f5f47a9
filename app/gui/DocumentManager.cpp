#include "app/gui/DocumentManager.h"

#include <QFileDialog>
#include <QFileInfo>
#include <filesystem>

#include "app/core/Application.h"
#include "app/core/CriteriaFile.h"
#include "app/core/Settings.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/Messages.h"
#include "engine/Text.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

// The absolute, tidied form of a path, worked out on its bytes.
QString absolutePathOf(const QString& path) {
    std::error_code error;
    const std::filesystem::path bytes(bytesFromQString(path));
    const std::filesystem::path absolute = std::filesystem::absolute(bytes, error);
    return qStringFromBytes((error ? bytes : absolute).lexically_normal().native());
}

// A file dialog's answer as bridge text.
QString fromFileDialog(const QString& chosen) {
    return chosen.isEmpty() ? chosen : qStringFromBytes(bytesFromQtFileName(chosen));
}

}  // namespace

DocumentManager::DocumentManager(Application& app, QObject* parent)
    : QObject(parent), app_(app) {
    loadRecentFiles();
}

bool DocumentManager::show(CDediDurarerDoc* doc) {
    if (frameFactory_ && frameFactory_(doc))
        return true;
    if (!frameFactory_)
        delete doc;
    return false;
}

CDediDurarerDoc* DocumentManager::newDocument() {
    auto* doc = new CDediDurarerDoc(app_);
    doc->setTitle(QString::fromLatin1(kNewDocumentTitle) + QString::number(++untitledCount_));
    return show(doc) ? doc : nullptr;
}

CDediDurarerDoc* DocumentManager::openDocument(const QString& path) {
    auto* doc = new CDediDurarerDoc(app_);
    doc->setTitle(QFileInfo(path).fileName());
    if (!show(doc))
        return nullptr;
    std::string error;
    if (!doc->loadCriteria(bytesFromQString(path), error)) {
        if (frameCloser_)
            frameCloser_(doc);
        else
            delete doc;
        showMessage(error.empty() ? kFailedToOpenDocument : error);
        return nullptr;
    }
    doc->setFilePath(absolutePathOf(path));
    addToRecentFiles(doc->filePath());
    return doc;
}

CDediDurarerDoc* DocumentManager::openWithDialog(QWidget* parent) {
    const QString path = fromFileDialog(QFileDialog::getOpenFileName(
        parent, QString(), QString(), QString::fromLatin1(kCriteriaFileFilter)));
    if (path.isEmpty())
        return nullptr;
    return openDocument(path);
}

bool DocumentManager::save(CDediDurarerDoc* doc, QWidget* parent) {
    if (!doc)
        return false;
    if (doc->filePath().isEmpty())
        return saveAs(doc, parent);
    return saveTo(doc, doc->filePath());
}

bool DocumentManager::saveAs(CDediDurarerDoc* doc, QWidget* parent) {
    if (!doc)
        return false;
    QString suggestion = doc->filePath();
    if (suggestion.isEmpty())
        suggestion = doc->title() + QString::fromLatin1(kCriteriaFileExtension);
    QString path = fromFileDialog(QFileDialog::getSaveFileName(
        parent, QString(), qtFileNameFromBytes(bytesFromQString(suggestion)),
        QString::fromLatin1(kCriteriaFileFilter)));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QString::fromLatin1(kCriteriaFileExtension);
    return saveTo(doc, path);
}

bool DocumentManager::saveTo(CDediDurarerDoc* doc, const QString& path) {
    std::string error;
    if (!doc->storeCriteria(bytesFromQString(path), error)) {
        showMessage(error.empty() ? kFailedToSaveDocument : error);
        return false;
    }
    doc->setFilePath(absolutePathOf(path));
    addToRecentFiles(doc->filePath());
    return true;
}

void DocumentManager::addToRecentFiles(const QString& path) {
    recentFiles_.removeAll(path);
    recentFiles_.prepend(path);
    while (recentFiles_.size() > kRecentFileCount)
        recentFiles_.removeLast();
    saveRecentFiles();
    emit recentFilesChanged();
}

void DocumentManager::loadRecentFiles() {
    recentFiles_.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string name = text::format(kRecentFileFormat, i);
        const std::string value = app_.settings().readText(kRecentFileListSection, name);
        if (!value.empty())
            recentFiles_.append(qStringFromBytes(value));
    }
}

void DocumentManager::saveRecentFiles() {
    SettingsStore& store = app_.settings();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string name = text::format(kRecentFileFormat, i);
        if (i <= recentFiles_.size())
            store.writeText(kRecentFileListSection, name, bytesFromQString(recentFiles_[i - 1]));
        else
            store.deleteValue(kRecentFileListSection, name);
    }
}

}  // namespace scoutwell
