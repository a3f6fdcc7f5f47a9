#include "app/gui/CSaveResultsDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>
#include <new>

#include "app/core/CcpException.h"
#include "app/core/ResultWriter.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/Messages.h"
#include "engine/Text.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

constexpr int kFileNameChars = 60;

QString qText(const char* text) {
    return QString::fromUtf8(text);
}

QString filterOf(const char* name, const char* extension) {
    return QStringLiteral("%1 (*.%2)").arg(qText(name), qText(extension));
}

// The wait cursor for the length of one save.
class SaveWaitCursor {
  public:
    SaveWaitCursor() : active_(qobject_cast<QApplication*>(QCoreApplication::instance())) {
        if (active_)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~SaveWaitCursor() {
        if (active_)
            QApplication::restoreOverrideCursor();
    }
    SaveWaitCursor(const SaveWaitCursor&) = delete;
    SaveWaitCursor& operator=(const SaveWaitCursor&) = delete;

  private:
    bool active_;
};

QByteArray byteArrayOf(std::string_view bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The output as its exact bytes for programs that take plain text as it comes, and as
// valid UTF-8 (bytes that are not UTF-8 replaced) for programs that ask for UTF-8.
std::unique_ptr<QMimeData> savedResultsMimeData(const std::string& bytes) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kPlainTextMimeType), byteArrayOf(bytes));
    data->setData(QString::fromLatin1(kUtf8TextMimeType),
                  byteArrayOf(text::withInvalidUtf8Replaced(bytes)));
    return data;
}

void putOnClipboard(CDediDurarerDoc& doc, const std::string& bytes) {
    std::unique_ptr<QMimeData> owned;
    std::int32_t code = 0;
    try {
        owned = savedResultsMimeData(bytes);
    } catch (const std::bad_alloc&) {
        code = kResultOutOfMemory;
    }
    checkResult(code, kGettingMemoryStep);

    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    if (!clipboard || doc.views().empty()) {
        showMessage(kCouldNotOpenViewForSaving);
        return;
    }
    // Setting the data replaces whatever the clipboard held, so there is no separate
    // emptying step that could fail on its own.
    clipboard->setMimeData(owned.release());
    const QMimeData* held = clipboard->mimeData();
    if (!held || held->data(QString::fromLatin1(kPlainTextMimeType)) != byteArrayOf(bytes))
        showMessage(kCouldNotSetClipboardData);
}

}  // namespace

CSaveResultsDialog::CSaveResultsDialog(const SaveResultsSettings& settings, QWidget* parent)
    : QDialog(parent), initial_(settings) {
    setWindowTitle(qText(kSaveResultsTitle));
    auto* layout = new QVBoxLayout(this);

    auto* saveTo = new QGroupBox(qText(kSaveToGroup), this);
    auto* saveToLayout = new QGridLayout(saveTo);
    clipboard_ = new QRadioButton(qText(kClipboardChoice), saveTo);
    file_ = new QRadioButton(qText(kFileChoice), saveTo);
    fileName_ = new QLineEdit(saveTo);
    // Room for a usual path in full.
    fileName_->setMinimumWidth(fileName_->fontMetrics().averageCharWidth() * kFileNameChars);
    browse_ = new QPushButton(qText(kBrowseButton), saveTo);
    browse_->setAutoDefault(false);
    overwrite_ = new QRadioButton(qText(kOverwriteChoice), saveTo);
    append_ = new QRadioButton(qText(kAppendChoice), saveTo);
    saveToLayout->addWidget(clipboard_, 0, 0, 1, 3);
    saveToLayout->addWidget(file_, 1, 0);
    saveToLayout->addWidget(fileName_, 1, 1);
    saveToLayout->addWidget(browse_, 1, 2);
    auto* modes = new QHBoxLayout;
    modes->addWidget(overwrite_);
    modes->addWidget(append_);
    modes->addStretch();
    saveToLayout->addLayout(modes, 2, 1, 1, 2);
    saveToLayout->setColumnStretch(1, 1);
    // The two pairs share one box, so each pair needs a group of its own to exclude.
    auto* targets = new QButtonGroup(this);
    targets->addButton(clipboard_);
    targets->addButton(file_);
    auto* fileModes = new QButtonGroup(this);
    fileModes->addButton(overwrite_);
    fileModes->addButton(append_);
    layout->addWidget(saveTo);

    auto* formatRow = new QHBoxLayout;
    auto* formatLabel = new QLabel(qText(kFormatLabel), this);
    format_ = new QComboBox(this);
    for (const ResultFormatInfo& info : kResultFormats)
        format_->addItem(qText(info.name));
    formatLabel->setBuddy(format_);
    formatRow->addWidget(formatLabel);
    formatRow->addWidget(format_, 1);
    layout->addLayout(formatRow);

    auto* resultsFor = new QGroupBox(qText(kSaveResultsForGroup), this);
    auto* resultsForLayout = new QHBoxLayout(resultsFor);
    allFiles_ = new QRadioButton(qText(kAllFilesChoice), resultsFor);
    selectedFiles_ = new QRadioButton(qText(kSelectedFilesChoice), resultsFor);
    resultsForLayout->addWidget(allFiles_);
    resultsForLayout->addWidget(selectedFiles_);
    layout->addWidget(resultsFor);

    auto* information = new QGroupBox(qText(kSaveInformationGroup), this);
    auto* informationLayout = new QHBoxLayout(information);
    withFileNames_ = new QCheckBox(qText(kFileNameCheck), information);
    withContents_ = new QCheckBox(qText(kContentsCheck), information);
    informationLayout->addWidget(withFileNames_);
    informationLayout->addWidget(withContents_);
    layout->addWidget(information);

    auto* buttons = new QHBoxLayout;
    save_ = new QPushButton(qText(kSaveButton), this);
    save_->setDefault(true);
    cancel_ = new QPushButton(qText(kCancelButton), this);
    cancel_->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    connect(save_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(clipboard_, &QRadioButton::toggled, this, [this] { enableFileControls(); });
    connect(browse_, &QPushButton::clicked, this, [this] { browse(); });

    (settings.overwrite ? overwrite_ : append_)->setChecked(true);
    fileName_->setText(qStringFromBytes(initialResultsFileName(settings)));
    format_->setCurrentIndex(
        settings.format >= 0 && settings.format < kResultFormatCount ? settings.format : 0);
    (settings.allFiles ? allFiles_ : selectedFiles_)->setChecked(true);
    selectedFiles_->setEnabled(settings.selectionAvailable);
    withFileNames_->setChecked(settings.withFileNames);
    withContents_->setChecked(settings.withContents);
    withContents_->setEnabled(settings.contentsAvailable);
    QRadioButton* target = settings.toClipboard ? clipboard_ : file_;
    target->setChecked(true);
    enableFileControls();
    target->setFocus();
}

SaveResultsSettings CSaveResultsDialog::settings() const {
    SaveResultsSettings s = initial_;
    s.toClipboard = clipboard_->isChecked();
    s.overwrite = overwrite_->isChecked();
    s.fileName = bytesFromQString(fileName_->text());
    s.format = format_->currentIndex();
    s.allFiles = allFiles_->isChecked();
    s.withFileNames = withFileNames_->isChecked();
    s.withContents = withContents_->isChecked();
    return s;
}

QStringList CSaveResultsDialog::nameFilters() {
    QStringList filters;
    for (const ResultFormatInfo& info : kResultFormats)
        filters << filterOf(info.name, info.extension);
    filters << QStringLiteral("%1 (%2)").arg(qText(kAllFilesFilterName), qText(kAllFilesPattern));
    return filters;
}

void CSaveResultsDialog::enableFileControls() {
    const bool toFile = !clipboard_->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(fileName_), static_cast<QWidget*>(browse_),
                             static_cast<QWidget*>(overwrite_), static_cast<QWidget*>(append_)})
        control->setEnabled(toFile);
}

void CSaveResultsDialog::browse() {
    const int index = format_->currentIndex();
    if (index < 0 || index >= kResultFormatCount)
        return;
    const ResultFormatInfo& info = kResultFormats[static_cast<std::size_t>(index)];
    QFileDialog chooser(this);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    // Whether an existing file is replaced or extended is this dialog's choice.
    chooser.setOption(QFileDialog::DontConfirmOverwrite);
    chooser.setDefaultSuffix(qText(info.extension));
    const QStringList filters = nameFilters();
    chooser.setNameFilters(filters);
    chooser.selectNameFilter(filters.at(index));
    chooser.selectFile(
        qtFileNameFromBytes(bytesFromQString(fileName_->text().left(kMaxBrowseNameLength))));
    if (chooser.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = chooser.selectedFiles();
    if (!chosen.isEmpty())
        fileName_->setText(qStringFromBytes(bytesFromQtFileName(chosen.first())));
}

void runSaveResults(CDediDurarerDoc& doc, QWidget* parent) {
    const bool selectionNow = !doc.shownItems.empty();
    const bool contentsNow = doc.resultsCriteria.searchContents;
    adjustBeforeDialog(doc.saveSettings, selectionNow, contentsNow);

    CSaveResultsDialog dialog(doc.saveSettings, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    doc.saveSettings = dialog.settings();
    writeSavedResults(doc);
}

void writeSavedResults(CDediDurarerDoc& doc) {
    SaveWaitCursor waitCursor;
    const SaveResultsSettings& settings = doc.saveSettings;
    try {
        const std::string bytes = saveResultsText(settings, doc.results, doc.shownItems,
                                                  doc.highlightExpression, doc.resultsCriteria);
        if (settings.toClipboard) {
            putOnClipboard(doc, bytes);
            return;
        }
        std::string error;
        if (!saveResultsToFile(settings, bytes, error))
            showMessage(error);
    } catch (const CCP_Exception& e) {
        showMessage(e.messageWithCode());
    }
}

}  // namespace scoutwell
