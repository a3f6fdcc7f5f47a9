#include "app/gui/CSearchPropertyPage.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/CSearchOptions.h"
#include "engine/Messages.h"

namespace scoutwell {

CSearchPropertyPage::CSearchPropertyPage(CSearchOptions* sheet, QWidget* parent)
    : QWidget(parent), sheet_(sheet) {}

CDediDurarerDoc* CSearchPropertyPage::document() const {
    return sheet_ ? sheet_->document() : nullptr;
}

SearchCriteria* CSearchPropertyPage::criteria() const {
    CDediDurarerDoc* doc = document();
    return doc ? &doc->editedCriteria : nullptr;
}

std::vector<QWidget*> CSearchPropertyPage::tabOrder() const {
    std::vector<QWidget*> order;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            order.push_back(w);
    }
    return order;
}

void CSearchPropertyPage::initialise() {
    if (initialised_)
        return;
    initialised_ = true;
    initPage();
    loadData();
}

bool CSearchPropertyPage::loadData() {
    SearchCriteria* edited = criteria();
    if (!edited)
        return false;
    loadPage(*edited);
    return true;
}

bool CSearchPropertyPage::saveData() {
    SearchCriteria* edited = criteria();
    if (!edited)
        return false;
    return savePage(*edited);
}

bool CSearchPropertyPage::addGeometry(int, const GeometrySpec&, QWidget*) {
    return true;
}

void CSearchPropertyPage::removeGeometry(int) {}

void CSearchPropertyPage::loadPage(SearchCriteria&) {}

bool CSearchPropertyPage::savePage(SearchCriteria&) {
    return true;
}

bool CSearchPropertyPage::rejectField(QWidget* field, const std::string& message) {
    showMessage(message);
    if (field) {
        // The page with the bad field comes to the front so the user sees what to mend.
        if (sheet_ && sheet_->indexOf(this) >= 0)
            sheet_->setCurrentWidget(this);
        field->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
        else if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
            combo->lineEdit()->selectAll();
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
            spin->selectAll();
    }
    return false;
}

}  // namespace scoutwell
