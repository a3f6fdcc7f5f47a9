#include "app/gui/CSearchForView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/CommandIds.h"
#include "app/gui/SearchEvent.h"
#include "engine/Text.h"
#include "engine/WindowMessages.h"

namespace scoutwell {

CSearchForView::CSearchForView(CDediDurarerDoc* doc, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      start_(new QPushButton(QString::fromLatin1(kStartButtonText), this)),
      stop_(new QPushButton(QString::fromLatin1(kStopButtonText), this)),
      progress_(new QProgressBar(this)),
      status_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(start_);
    layout->addWidget(stop_);
    layout->addWidget(progress_);
    layout->addWidget(status_, 1);
    start_->setDefault(true);
    stop_->setEnabled(false);
    progress_->setRange(0, kProgressRange);
    progress_->hide();
    connect(start_, &QPushButton::clicked, this, &CSearchForView::startClicked);
    connect(stop_, &QPushButton::clicked, this, [this] {
        if (doc_)
            doc_->stopSearch();
    });
    if (doc_)
        doc_->addView(this);
}

void CSearchForView::startClicked() {
    if (!start_->isEnabled() || !doc_)
        return;
    progress_->setValue(0);
    doc_->startSearch();
}

bool CSearchForView::handleCommand(int commandId) {
    switch (commandId) {
        case ID_OK:
            startClicked();
            return true;
        case ID_CANCEL:
            if (doc_)
                doc_->stopSearch();
            return true;
        default:
            return false;
    }
}

bool CSearchForView::updateCommand(int commandId, CommandState& state) {
    if (commandId == ID_OK || commandId == ID_CANCEL) {
        state.enabled = true;
        return true;
    }
    return false;
}

void CSearchForView::showInStatusBar(const QString& text) {
    if (auto* frame = qobject_cast<QMainWindow*>(window()))
        frame->statusBar()->showMessage(text);
}

void CSearchForView::customEvent(QEvent* event) {
    SearchEvent* message = SearchEvent::from(event);
    if (!message)
        return;
    switch (message->message()) {
        case WM_START_SEARCH:
            startClicked();
            break;
        case WM_STOP_SEARCH:
            if (doc_)
                doc_->stopSearch();
            break;
        case WM_SEARCH_STARTED:
            start_->setEnabled(false);
            stop_->setEnabled(true);
            progress_->setValue(0);
            status_->clear();
            break;
        case WM_SEARCH_PROGRESS:
            if (!progressShown_) {
                progress_->show();
                progressShown_ = true;
            }
            if (const SearchProgressNote* note = message->note()) {
                progress_->setValue(note->position);
                status_->setText(QString::fromStdString(note->text));
            }
            break;
        case WM_SEARCH_FOLDER:
            if (const SearchProgressNote* note = message->note())
                showInStatusBar(QString::fromStdString(note->text));
            break;
        case WM_SEARCH_CLEANEDUP: {
            start_->setEnabled(true);
            stop_->setEnabled(false);
            status_->clear();
            const int count = doc_ ? static_cast<int>(doc_->results.count()) : 0;
            showInStatusBar(
                QString::fromStdString(text::format(kFilesFoundFormat, count, kFilesFoundText)));
            if (progressShown_) {
                progress_->hide();
                progress_->reset();
                progressShown_ = false;
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace scoutwell
