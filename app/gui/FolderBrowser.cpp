#include "app/gui/FolderBrowser.h"

#include <QFileDialog>

#include "engine/Messages.h"

namespace scoutwell {

std::string folderBrowserPreselection(std::string_view currentText) {
    std::size_t end = currentText.size();
    while (end > 0 && (currentText[end - 1] == '/' || currentText[end - 1] == ' '))
        --end;
    return std::string(currentText.substr(0, end));
}

bool browseForFolder(QWidget* owner, const std::string& currentText, std::string& result) {
    QFileDialog dialog(owner, QString::fromLatin1(kBrowseForFolderTitle));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    const std::string preselection = folderBrowserPreselection(currentText);
    if (!preselection.empty())
        dialog.setDirectory(QString::fromStdString(preselection));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) {
        showMessage(kInvalidDirectory);
        return false;
    }
    result = chosen.front().toStdString();
    return true;
}

}  // namespace scoutwell
