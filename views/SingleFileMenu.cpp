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

// A context menu whose items run commands: the chosen one runs once the menu has closed.
class CommandMenu {
  public:
    QAction* add(const QString& text, std::function<void()> command) {
        QAction* action = menu_.addAction(text);
        commands_[action] = std::move(command);
        return action;
    }
    void addSeparator() { menu_.addSeparator(); }
    void setDefaultAction(QAction* action) { menu_.setDefaultAction(action); }
    // Properties of `path`, where the file manager offers them.
    void addProperties(const std::string& path, ShellServices& shell) {
        if (!shell.offersItemProperties())
            return;
        menu_.addSeparator();
        add(QString::fromLatin1(kPropertiesItem), [path, &shell] {
            if (!shell.showItemProperties(path))
                showMessage(text::format(kCouldNotShowProperties, path.c_str()));
        });
    }
    void run(const QPoint& globalPos) {
        QAction* chosen = runPopup(menu_, globalPos);
        if (auto it = commands_.find(chosen); chosen && it != commands_.end())
            it->second();
    }

  private:
    QMenu menu_;
    std::map<QAction*, std::function<void()>> commands_;
};

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

    CommandMenu menu;
    const std::vector<std::string> one{path};
    menu.setDefaultAction(
        menu.add(QString::fromLatin1(kSingleOpenItem), [&] { openFile(path, shell); }));
    for (const std::string& id : shell.recommendedApplications(path)) {
        const std::optional<std::string> app = shell.applicationName(id);
        if (app && !app->empty())
            menu.add(menuText(text::format(kOpenWithItem, app->c_str())),
                     [&shell, id, &one] { openFilesWith(id, one, shell); });
    }
    menu.add(QString::fromLatin1(kExploreHereItem), [&] { exploreHere(one, shell); });
    menu.addSeparator();
    menu.add(QString::fromLatin1(kCopyItem), [&] { copyFilesToClipboard(one); });
    menu.add(QString::fromLatin1(kCopyPathItem), [&] { copyPathToClipboard(path); });
    menu.addSeparator();
    menu.add(QString::fromLatin1(kMoveToTrashItem), [&] {
        FileDataSource source;
        source.fill(one);
        source.deleteFiles(shell);
    });
    menu.addProperties(path, shell);

    menu.run(globalPos);
    return true;
}

void showMemberMenu(const std::string& path, const std::string& archivePath,
                    const std::function<std::string()>& extract, const QPoint& globalPos,
                    ShellServices& shell) {
    CommandMenu menu;
    menu.setDefaultAction(menu.add(QString::fromLatin1(kSingleOpenItem), [&] {
        if (const std::string copy = extract(); !copy.empty())
            openFile(copy, shell);
    }));
    for (const std::string& id : shell.recommendedApplications(path)) {
        const std::optional<std::string> app = shell.applicationName(id);
        if (app && !app->empty())
            menu.add(menuText(text::format(kOpenWithItem, app->c_str())), [&shell, id, &extract] {
                if (const std::string copy = extract(); !copy.empty())
                    openFilesWith(id, {copy}, shell);
            });
    }
    menu.add(QString::fromLatin1(kExploreHereItem), [&] { exploreHere({archivePath}, shell); });
    menu.addSeparator();
    menu.add(QString::fromLatin1(kCopyItem), [&] {
        if (const std::string copy = extract(); !copy.empty()) {
            const std::vector<std::string> shown{path};
            copyFilesToClipboard({copy}, &shown);
        }
    });
    menu.add(QString::fromLatin1(kCopyPathItem), [&] { copyPathToClipboard(path); });
    menu.addProperties(archivePath, shell);
    menu.run(globalPos);
}

bool showSingleFileMenu(const std::string& name, const std::string& location,
                        const QPoint& globalPos) {
    return showSingleFileMenu(name, location, globalPos, shellServices());
}

}  // namespace scoutwell
