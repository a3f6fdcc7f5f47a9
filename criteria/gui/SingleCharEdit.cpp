#include "criteria/gui/SingleCharEdit.h"

#include <QKeyEvent>
#include <QMetaObject>

namespace scoutwell {

SingleCharEdit::SingleCharEdit(QWidget* parent) : QLineEdit(parent) {}

bool SingleCharEdit::setSingleChar(bool singleChar) {
    const bool previous = singleChar_;
    singleChar_ = singleChar;
    lastCharacter_.clear();
    return previous;
}

void SingleCharEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (singleChar_ && !typed.isEmpty() && typed.back().isPrint()) {
        // The last whole character, a surrogate pair included.
        const int size = typed.size() >= 2 && typed.back().isLowSurrogate() ? 2 : 1;
        lastCharacter_ = typed.right(size);
    }
    QLineEdit::keyPressEvent(event);
    if (singleChar_)
        QMetaObject::invokeMethod(this, &SingleCharEdit::keepLastCharacter, Qt::QueuedConnection);
}

void SingleCharEdit::keepLastCharacter() {
    if (!singleChar_ || lastCharacter_.isEmpty())
        return;
    if (text().toUcs4().size() > 1) {
        setText(lastCharacter_);
        setCursorPosition(static_cast<int>(lastCharacter_.size()));
    }
}

}  // namespace scoutwell
