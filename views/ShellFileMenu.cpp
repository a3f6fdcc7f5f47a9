#include "views/ShellFileMenu.h"

#include <algorithm>

#include "engine/Text.h"
#include "platform/posix/FileUrl.h"
#include "platform/qt/ByteText.h"
#include "platform/qtgui/ShellServices.h"
#include "views/FileDataSource.h"

namespace scoutwell {

namespace {

PopupRunner& popupRunner() {
    static PopupRunner runner;
    return runner;
}

}  // namespace

ShellFileMenu::ShellFileMenu(ShellServices& shell) : shell_(shell) {}

ShellFileMenu::ShellFileMenu() : ShellFileMenu(shellServices()) {}

bool ShellFileMenu::build(const std::vector<std::string>& paths) {
    menu_ = std::make_unique<QMenu>();
    handlers_.clear();
    handlers_.reserve(kReservedHandlers);
    paths_.clear();
    firstOwnId_ = 0;
    if (paths.empty())
        return false;

    // The first file's type decides for all of them.
    const std::vector<std::string> recommended = shell_.recommendedApplications(paths.front());
    addHandlers(recommended);
    addHandlers(shell_.fallbackApplications(paths.front()));

    firstOwnId_ = kIdsPerHandler * static_cast<int>(handlers_.size());
    QAction* first = menu_->actions().isEmpty() ? nullptr : menu_->actions().front();
    QAction* open = ownItem(kOpenItem, kOpenOffset);
    menu_->insertAction(first, open);
    menu_->setDefaultAction(open);
    menu_->insertAction(first, ownItem(kExploreHereItem, kExploreOffset));
    menu_->addSeparator()->setData(firstOwnId_ + kSeparatorOffset);
    menu_->addAction(ownItem(kCopyItem, kCopyOffset));
    if (!handOver_)
        menu_->addAction(ownItem(kDeleteItem, kDeleteOffset));
    paths_ = paths;
    return true;
}

void ShellFileMenu::setMembers(std::function<HandOver()> handOver,
                               std::vector<std::string> onDisk) {
    handOver_ = std::move(handOver);
    onDisk_ = std::move(onDisk);
}

QAction* ShellFileMenu::ownItem(const char* text, int offset) {
    auto* action = new QAction(QString::fromLatin1(text), menu_.get());
    action->setData(firstOwnId_ + offset);
    return action;
}

void ShellFileMenu::addHandlers(const std::vector<std::string>& applicationIds) {
    for (const std::string& id : applicationIds) {
        // An application registered both for the type and for its parent appears once.
        if (std::find(handlers_.begin(), handlers_.end(), id) == handlers_.end())
            addHandler(id);
    }
}

void ShellFileMenu::addHandler(const std::string& applicationId) {
    const std::optional<std::string> name = shell_.applicationName(applicationId);
    if (!name)
        return;  // cannot be loaded: no item and no id block
    handlers_.push_back(applicationId);
    const int index = static_cast<int>(handlers_.size()) - 1;
    // A nameless application cannot add its item but keeps its block.
    if (name->empty())
        return;
    QString label = qStringFromBytes(text::format(kOpenWithItem, name->c_str()));
    label.replace(QLatin1Char('&'), QLatin1String("&&"));
    QAction* item = menu_->addAction(label);
    item->setData(kIdsPerHandler * index + 1);
}

void ShellFileMenu::showAndRun(const QPoint& globalPos) {
    if (!menu_ || paths_.empty())
        return;
    QAction* chosen = runPopup(*menu_, globalPos);
    carryOut(chosen ? chosen->data().toInt() : 0);
}

void ShellFileMenu::carryOut(int id) {
    if (id <= 0 || paths_.empty())
        return;
    // Members are extracted only for a command that hands them over.
    const auto given = [this] {
        if (handOver_)
            return handOver_();
        HandOver files;
        files.paths = paths_;
        files.shown = paths_;
        return files;
    };
    if (id < firstOwnId_) {
        const std::size_t handler = static_cast<std::size_t>(id / kIdsPerHandler);
        // Each application adds one command: the first of its block.
        if (handler < handlers_.size() && id % kIdsPerHandler - 1 == 0)
            shell_.launchApplication(handlers_[handler], given().paths);
        return;
    }
    switch (id - firstOwnId_) {
        case kCopyOffset: {
            const HandOver files = given();
            copyFilesToClipboard(files.paths, &files.shown);
            break;
        }
        case kDeleteOffset: {
            if (handOver_)
                break;
            FileDataSource source;
            source.fill(paths_);
            source.deleteFiles(shell_);
            break;
        }
        case kOpenOffset:
            openFiles(given().paths, shell_);
            break;
        case kExploreOffset:
            exploreHere(handOver_ ? onDisk_ : paths_, shell_);
            break;
        default:
            break;
    }
}

void openFiles(const std::vector<std::string>& paths, ShellServices& shell) {
    for (const std::string& path : paths)
        shell.openWithDefault(path);
}

void exploreHere(const std::vector<std::string>& paths, ShellServices& shell) {
    for (const std::string& path : paths) {
        if (!shell.showItems(path))
            shell.openWithDefault(folderOfPath(path));
    }
}

void copyFilesToClipboard(const std::vector<std::string>& paths,
                          const std::vector<std::string>* shown) {
    auto source = std::make_unique<FileDataSource>();
    source->fill(paths, shown);
    FileDataSource::handToClipboard(std::move(source));
}

void setPopupRunner(PopupRunner runner) {
    popupRunner() = std::move(runner);
}

QAction* runPopup(QMenu& menu, const QPoint& globalPos) {
    if (popupRunner())
        return popupRunner()(menu, globalPos);
    return menu.exec(globalPos);
}

}  // namespace scoutwell
