#include "framework/HistoryComboBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QStyle>

#include "app/core/HistoryList.h"
#include "engine/SearchCriteria.h"
#include "engine/Text.h"
#include "framework/IconCache.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr const char* kDriveIconName = "drive-harddisk";

}  // namespace

QIcon driveEntryIcon() {
    return QIcon::fromTheme(QString::fromLatin1(kDriveIconName),
                            QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon));
}

QIcon folderEntryIcon(const std::string& entry) {
    const std::string& label = searchEnvironment().localDrivesLabel;
    if (!label.empty() && text::equalsNoCase(entry, label))
        return driveEntryIcon();
    IconCache& icons = IconCache::shared();
    return icons.icon(icons.iconIndexForPath(entry));
}

HistoryComboBox::HistoryComboBox(QWidget* parent, bool editable) : QComboBox(parent) {
    setEditable(editable);
    // The history decides the list; what the user types is never added to it here.
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
}

void HistoryComboBox::setHistory(const HistoryList* history, Fill fill) {
    history_ = history;
    fill_ = fill;
}

void HistoryComboBox::refill(bool keepText) {
    const QString typed = currentText();
    // blockSignals: the list changing under the user is no edit of theirs.
    const bool blocked = blockSignals(true);
    clear();
    if (history_) {
        const bool icons = fill_ != plain;
        if (icons)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        for (const std::string& item : history_->items(fill_ == withFixedEntriesAndIcons)) {
            const QString itemText = qStringFromBytes(item);
            if (icons)
                addItem(folderEntryIcon(item), itemText);
            else
                addItem(itemText);
        }
        if (icons)
            QGuiApplication::restoreOverrideCursor();
    }
    if (keepText) {
        if (isEditable())
            setEditText(typed);
        else
            setCurrentIndex(findText(typed, Qt::MatchFixedString));
    }
    blockSignals(blocked);
}

void HistoryComboBox::setWholeText(const std::string& value) {
    for (int i = 0; i < count(); ++i) {
        if (text::equalsNoCase(bytesFromQString(itemText(i)), value)) {
            setCurrentIndex(i);
            if (isEditable())
                setEditText(itemText(i));
            return;
        }
    }
    if (isEditable())
        setEditText(qStringFromBytes(value));
}

std::string HistoryComboBox::wholeText() const {
    return bytesFromQString(currentText());
}

void HistoryComboBox::showPopup() {
    refill(true);
    QComboBox::showPopup();
}

}  // namespace scoutwell
