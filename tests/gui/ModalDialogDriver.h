// Acts on the next modal dialog of a given class once its event loop runs, as a user
// would at the keyboard, so that tests can go through commands that call exec().
//
//   whenModal<CClearHistoryDialog>([](CClearHistoryDialog* d) { d->closeButton()->click(); });
//   frame.routeCommand(ID_CLEAR_HISTORY);   // returns once the action closed it
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace scoutwell::testing {

// Polls for the dialog instead of relying on when show() happens inside exec().
template <typename Dialog>
void whenModal(std::function<void(Dialog*)> act, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    constexpr int kStepMs = 10;
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act, timeoutMs] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            *waited += kStepMs;
            if (*waited < timeoutMs)
                return;
            ADD_FAILURE() << "no modal " << Dialog::staticMetaObject.className();
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        } else {
            act(dialog);
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start(kStepMs);
}

// Clicks a button where a user would: a check box or radio button on its indicator (a
// layout may make the widget much wider than the part that takes clicks).
inline void clickButton(QAbstractButton* button) {
    QPoint at = button->rect().center();
    QStyleOptionButton option;
    option.initFrom(button);
    if (qobject_cast<QCheckBox*>(button))
        at =
            button->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, button).center();
    else if (qobject_cast<QRadioButton*>(button))
        at = button->style()
                 ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button)
                 .center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace scoutwell::testing
