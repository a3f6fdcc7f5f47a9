#include "app/gui/CSearchOptions.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include "app/gui/COptionsTab.h"
#include "app/gui/CSearchForView.h"
#include "app/gui/CSearchPropertyPage.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"

namespace scoutwell {

CSearchOptions::CSearchOptions(CDediDurarerDoc* doc, CSearchForView* form, QWidget* parent)
    : QTabWidget(parent), doc_(doc), form_(form) {
    connect(this, &QTabWidget::currentChanged, this, &CSearchOptions::pageChanged);
}

CSearchForView* CSearchOptions::form() const {
    return form_;
}

CSearchPropertyPage* CSearchOptions::mainPage() const {
    return mainPage_;
}

COptionsTab* CSearchOptions::optionsPage() const {
    return optionsPage_;
}

void CSearchOptions::setPages(CSearchPropertyPage* mainPage, COptionsTab* optionsPage) {
    mainPage_ = mainPage;
    optionsPage_ = optionsPage;
    for (CSearchPropertyPage* page : {mainPage, static_cast<CSearchPropertyPage*>(optionsPage)}) {
        if (!page)
            continue;
        page->setSheet(this);
        addTab(page, page->windowTitle());
    }
    setCurrentIndex(0);
    shownPage_ = widget(0);
    initialisePage(0);
    // Pages made elsewhere joined the window's focus chain at its end.
    setTabChain(tabOrder());
}

std::vector<QWidget*> CSearchOptions::tabOrder() const {
    std::vector<QWidget*> order{tabBar()};
    for (CSearchPropertyPage* page :
         {mainPage_.data(), static_cast<CSearchPropertyPage*>(optionsPage_.data())}) {
        if (!page)
            continue;
        const std::vector<QWidget*> controls = page->tabOrder();
        order.insert(order.end(), controls.begin(), controls.end());
    }
    return order;
}

void CSearchOptions::removeAllPages() {
    // The pages go without storing: whoever replaces them has stored them already.
    shownPage_ = nullptr;
    const QSignalBlocker quiet(this);
    while (count() > 0) {
        QWidget* page = widget(0);
        removeTab(0);
        delete page;
    }
    mainPage_ = nullptr;
    optionsPage_ = nullptr;
}

void CSearchOptions::create() {
    created_ = true;
    // Every page window exists once the sheet does.
    for (int i = 0; i < count(); ++i)
        initialisePage(i);
}

void CSearchOptions::pageChanged(int index) {
    if (switching_)
        return;
    auto* left = qobject_cast<CSearchPropertyPage*>(shownPage_.data());
    auto* chosen = qobject_cast<CSearchPropertyPage*>(widget(index));
    if (left && left != chosen && indexOf(left) >= 0 && left->initialised()) {
        // The page the user leaves is stored; one that refuses its data stays in front
        // with its message.
        switching_ = true;
        const bool stored = left->saveData();
        if (!stored)
            setCurrentWidget(left);
        switching_ = false;
        if (!stored)
            return;
    }
    shownPage_ = chosen;
    // A page's window comes to exist when it is first activated, as in a property sheet;
    // one that exists already shows what the other page stored.
    const bool existed = chosen && chosen->initialised();
    initialisePage(index);
    if (existed)
        chosen->loadData();
}

void CSearchOptions::initialisePage(int index) {
    if (!created_ || index < 0)
        return;
    if (auto* page = qobject_cast<CSearchPropertyPage*>(widget(index)))
        page->initialise();
}

bool CSearchOptions::saveData() {
    if (!mainPage_ || !optionsPage_)
        return false;
    if (!mainPage_->initialised() || !mainPage_->saveData())
        return false;
    if (optionsPage_->initialised() && !optionsPage_->saveData())
        return false;
    return true;
}

void CSearchOptions::sendToForm(int commandId) {
    if (form_)
        form_->handleCommand(commandId);
}

void CSearchOptions::keyPressEvent(QKeyEvent* event) {
    // Only keys that no control of a page used arrive here.
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                sendToForm(kStartButtonId);
                return;
            case Qt::Key_Escape:
                sendToForm(kStopButtonId);
                return;
            default:
                break;
        }
    }
    QTabWidget::keyPressEvent(event);
}

void CSearchOptions::customEvent(QEvent* event) {
    if (SearchEvent::from(event, WM_START_SEARCH))
        sendToForm(kStartButtonId);
}

}  // namespace scoutwell
