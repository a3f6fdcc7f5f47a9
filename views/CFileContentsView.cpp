#include "views/CFileContentsView.h"

#include <QPainter>

#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/SearchEvent.h"
#include "engine/WindowMessages.h"

namespace scoutwell {

CFileContentsView::CFileContentsView(CDediDurarerDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc) {
    if (doc_)
        doc_->addView(this);
}

void CFileContentsView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    if (!doc_ || doc_->shownItems.empty()) {
        painter.drawText(viewport()->rect(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                         QString::fromLatin1(kContentsViewIntro));
    }
}

void CFileContentsView::customEvent(QEvent* event) {
    if (SearchEvent::from(event, WM_SHOW_CONTENTS))
        viewport()->update();
}

}  // namespace scoutwell
