#include "framework/FolderBrowser.h"

#include <QFileDialog>

#include "engine/Messages.h"
#include "engine/Text.h"
#include "platform/qt/ByteText.h"

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
    std::string preselection = folderBrowserPreselection(currentText);
    // Qt's dialog cannot open a folder whose path is not UTF-8: it opens at the nearest
    // folder above that it can show.
    while (!text::isValidUtf8(preselection)) {
        const std::size_t slash = preselection.rfind('/');
        preselection.resize(slash == std::string::npos ? 0 : slash);
    }
    if (!preselection.empty())
        dialog.setDirectory(qtFileNameFromBytes(preselection));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) {
        showMessage(kInvalidDirectory);
        return false;
    }
    result = bytesFromQtFileName(chosen.front());
    return true;
}

}  // namespace scoutwell
