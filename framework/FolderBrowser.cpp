#include "framework/FolderBrowser.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "engine/FileSystem.h"
#include "engine/Messages.h"
#include "engine/Text.h"
#include "framework/CriteriaPageSupport.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr int kNameRole = Qt::UserRole;
constexpr int kListMinimumLines = 12;
constexpr int kPathMinimumChars = 48;

std::string joinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string parentOf(const std::string& folder) {
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : folder.substr(0, slash);
}

bool readable(const std::string& folder) {
    FileSystem* fs = fileSystem();
    if (!fs || folder.empty())
        return false;
    std::unique_ptr<Directory> dir = fs->openFolder(folder, /*stayOnFileSystem=*/false);
    return dir && dir->close();
}

}  // namespace

std::string folderBrowserPreselection(std::string_view currentText) {
    std::size_t end = currentText.size();
    while (end > 0 && (currentText[end - 1] == '/' || currentText[end - 1] == ' '))
        --end;
    return std::string(currentText.substr(0, end));
}

std::vector<std::string> listSubfolders(const std::string& folder) {
    std::vector<std::string> names;
    FileSystem* fs = fileSystem();
    std::unique_ptr<Directory> dir = fs ? fs->openFolder(folder, false) : nullptr;
    if (!dir)
        return names;
    std::string_view name;
    EntryType type = EntryType::Unknown;
    while (dir->next(name, type)) {
        if (name.empty() || name.front() == '.')
            continue;
        // A link or an entry of unknown type is listed when it leads to a folder.
        if (type == EntryType::Directory ||
            ((type == EntryType::Link || type == EntryType::Unknown) &&
             fs->isDirectory(joinPath(folder, name))))
            names.emplace_back(name);
    }
    dir->close();
    // As the list shows them: by their text, case aside, then by their bytes.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = qStringFromBytes(a).compare(qStringFromBytes(b), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

CFolderBrowserDialog::CFolderBrowserDialog(const std::string& start, QWidget* parent)
    : QDialog(parent),
      path_(new QLineEdit(this)),
      list_(new QListWidget(this)),
      up_(new QPushButton(QString::fromLatin1(kUpText), this)) {
    setWindowTitle(QString::fromLatin1(kBrowseForFolderTitle));
    up_->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    up_->setAutoDefault(false);
    up_->setAccessibleName(QString::fromLatin1(kUpName));
    path_->setMinimumWidth(path_->fontMetrics().averageCharWidth() * kPathMinimumChars);
    list_->setMinimumHeight(list_->fontMetrics().lineSpacing() * kListMinimumLines);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->installEventFilter(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(makeCriteriaLabel(kFolderLabel, path_, this), 0, 0);
    layout->addWidget(path_, 0, 1);
    layout->addWidget(up_, 0, 2);
    layout->addWidget(makeCriteriaLabel(kSubfoldersLabel, list_, this), 1, 0, Qt::AlignTop);
    layout->addWidget(list_, 1, 1, 1, 2);
    layout->addWidget(buttons, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);

    connect(buttons, &QDialogButtonBox::accepted, this, &CFolderBrowserDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFolderBrowserDialog::reject);
    connect(up_, &QPushButton::clicked, this, &CFolderBrowserDialog::upClicked);
    connect(list_, &QListWidget::itemDoubleClicked, this, &CFolderBrowserDialog::openItem);
    // Only a subfolder the user selects becomes the choice; the focus alone makes none.
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        if (!selected.isEmpty())
            path_->setText(qStringFromBytes(
                joinPath(shown_, selected.front()->data(kNameRole).toByteArray().toStdString())));
    });

    // Qt's dialog could not open a folder whose path is not UTF-8; this one can, so it
    // opens where the box points, or the nearest folder above that can be read.
    std::string folder = folderBrowserPreselection(start);
    while (!folder.empty() && !readable(folder))
        folder = folder == "/" ? std::string() : parentOf(folder);
    if (folder.empty() || !showFolder(folder))
        showFolder("/");
}

bool CFolderBrowserDialog::showFolder(const std::string& folder) {
    if (!readable(folder))
        return false;
    shown_ = folder;
    list_->clear();
    for (const std::string& name : listSubfolders(folder)) {
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirIcon),
                                         qStringFromBytes(name), list_);
        item->setData(kNameRole, QByteArray::fromStdString(name));
    }
    path_->setText(qStringFromBytes(folder));
    up_->setEnabled(folder != "/" && !parentOf(folder).empty());
    return true;
}

std::string CFolderBrowserDialog::chosenFolder() const {
    std::string chosen = bytesFromQString(path_->text());
    // "/a/b/" and "/a/b" are the same folder; "/" stays.
    while (chosen.size() > 1 && chosen.back() == '/')
        chosen.pop_back();
    return chosen;
}

void CFolderBrowserDialog::accept() {
    const std::string chosen = chosenFolder();
    FileSystem* fs = fileSystem();
    if (chosen.empty() || !fs || !fs->isDirectory(chosen)) {
        showMessage(chosen.empty() ? std::string(kInvalidDirectory)
                                   : text::format(kNotAFolderFormat, chosen.c_str()));
        path_->setFocus(Qt::OtherFocusReason);
        path_->selectAll();
        return;
    }
    QDialog::accept();
}

bool CFolderBrowserDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the list opens the folder instead of closing the dialog.
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list_->currentItem()) {
            openItem(list_->currentItem());
            return true;
        }
        if (key == Qt::Key_Backspace) {
            upClicked();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CFolderBrowserDialog::openItem(QListWidgetItem* item) {
    if (!item)
        return;
    const std::string name = item->data(kNameRole).toByteArray().toStdString();
    showFolder(joinPath(shown_, name));
}

void CFolderBrowserDialog::upClicked() {
    const std::string left = shown_;
    const std::string parent = parentOf(shown_);
    if (parent.empty() || !showFolder(parent))
        return;
    // The folder just left is selected, so that going down again is one key.
    for (int row = 0; row < list_->count(); ++row) {
        if (joinPath(shown_, list_->item(row)->data(kNameRole).toByteArray().toStdString()) ==
            left) {
            list_->setCurrentRow(row);
            break;
        }
    }
}

bool browseForFolder(QWidget* owner, const std::string& currentText, std::string& result) {
    CFolderBrowserDialog dialog(currentText, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    result = dialog.chosenFolder();
    return true;
}

}  // namespace scoutwell
