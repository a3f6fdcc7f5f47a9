#include "views/SingleFileMenu.h"

#include <sys/stat.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <cerrno>
#include <functional>
#include <map>

#include "app/core/CcpException.h"
#include "engine/Messages.h"
#include "engine/Text.h"
#include "platform/qt/ByteText.h"
#include "platform/qtgui/ShellServices.h"
#include "views/FileDataSource.h"
#include "views/ShellFileMenu.h"

namespace scoutwell {

namespace {

// Raises the step's failure when the path cannot be looked at.
void checkExists(const std::string& path, const char* step) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        checkResult(resultFromErrno(errno), step);
}

QString menuText(const std::string& text) {
    QString label = qStringFromBytes(text);
    label.replace(QLatin1Char('&'), QLatin1String("&&"));
    return label;
}

void copyPathToClipboard(const std::string& path) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kPlainTextFormat),
                  QByteArray(path.data(), qsizetype(path.size())));
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setMimeData(data);
}

}  // namespace

std::int32_t resultFromErrno(int error) {
    return static_cast<std::int32_t>(0x80070000U | (static_cast<unsigned>(error) & 0xFFFFU));
}

bool showSingleFileMenu(const std::string& name, const std::string& location,
                        const QPoint& globalPos, ShellServices& shell) {
    const std::string path = location + name;
    try {
        checkExists(location, kParsingFolderStep);
        checkExists(path, kParsingFileStep);
    } catch (const CCP_Exception& e) {
        showMessage(text::format(kProblemManipulatingFile, name.c_str(), e.stepText().c_str(),
                                 static_cast<unsigned>(e.code())));
        showMessage(CCP_Exception(e.code(), kGettingContextMenuStep).messageWithCode());
        return false;
    }

    QMenu menu;
    std::map<QAction*, std::function<void()>> commands;
    auto add = [&](const QString& text, std::function<void()> command) {
        QAction* action = menu.addAction(text);
        commands[action] = std::move(command);
        return action;
    };
    const std::vector<std::string> one{path};
    menu.setDefaultAction(
        add(QString::fromLatin1(kSingleOpenItem), [&] { shell.openWithDefault(path); }));
    for (const std::string& id : shell.recommendedApplications(path)) {
        const std::optional<std::string> app = shell.applicationName(id);
        if (app && !app->empty())
            add(menuText(text::format(kOpenWithItem, app->c_str())),
                [&shell, id, &one] { shell.launchApplication(id, one); });
    }
    add(QString::fromLatin1(kExploreHereItem), [&] { exploreHere(one, shell); });
    menu.addSeparator();
    add(QString::fromLatin1(kCopyItem), [&] { copyFilesToClipboard(one); });
    add(QString::fromLatin1(kCopyPathItem), [&] { copyPathToClipboard(path); });
    menu.addSeparator();
    add(QString::fromLatin1(kMoveToTrashItem), [&] {
        FileDataSource source;
        source.fill(one);
        source.deleteFiles(shell);
    });
    if (shell.offersItemProperties()) {
        menu.addSeparator();
        add(QString::fromLatin1(kPropertiesItem), [&] { shell.showItemProperties(path); });
    }

    QAction* chosen = runPopup(menu, globalPos);
    if (auto it = commands.find(chosen); chosen && it != commands.end())
        it->second();
    return true;
}

void showMemberMenu(const std::string& path, const std::string& archivePath,
                    const std::function<std::string()>& extract, const QPoint& globalPos,
                    ShellServices& shell) {
    QMenu menu;
    std::map<QAction*, std::function<void()>> commands;
    auto add = [&](const QString& text, std::function<void()> command) {
        QAction* action = menu.addAction(text);
        commands[action] = std::move(command);
        return action;
    };
    menu.setDefaultAction(add(QString::fromLatin1(kSingleOpenItem), [&] {
        if (const std::string copy = extract(); !copy.empty())
            shell.openWithDefault(copy);
    }));
    for (const std::string& id : shell.recommendedApplications(path)) {
        const std::optional<std::string> app = shell.applicationName(id);
        if (app && !app->empty())
            add(menuText(text::format(kOpenWithItem, app->c_str())), [&shell, id, &extract] {
                if (const std::string copy = extract(); !copy.empty())
                    shell.launchApplication(id, {copy});
            });
    }
    add(QString::fromLatin1(kExploreHereItem), [&] { exploreHere({archivePath}, shell); });
    menu.addSeparator();
    add(QString::fromLatin1(kCopyItem), [&] {
        if (const std::string copy = extract(); !copy.empty()) {
            const std::vector<std::string> shown{path};
            copyFilesToClipboard({copy}, &shown);
        }
    });
    add(QString::fromLatin1(kCopyPathItem), [&] { copyPathToClipboard(path); });
    if (shell.offersItemProperties()) {
        menu.addSeparator();
        add(QString::fromLatin1(kPropertiesItem), [&] { shell.showItemProperties(archivePath); });
    }
    QAction* chosen = runPopup(menu, globalPos);
    if (auto it = commands.find(chosen); chosen && it != commands.end())
        it->second();
}

bool showSingleFileMenu(const std::string& name, const std::string& location,
                        const QPoint& globalPos) {
    return showSingleFileMenu(name, location, globalPos, shellServices());
}

}  // namespace scoutwell
