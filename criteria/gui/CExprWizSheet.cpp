#include "criteria/gui/CExprWizSheet.h"

#include <QAbstractButton>
#include <QLayout>
#include <QMetaObject>
#include <algorithm>

#include "app/core/Settings.h"
#include "criteria/gui/CExprWizIntro.h"
#include "criteria/gui/CExprWizMain.h"
#include "criteria/gui/CExprWizSpecial.h"

namespace scoutwell {
namespace {

constexpr int kMinimumPageColumns = 60;

}  // namespace

CExprWizPage::CExprWizPage(CExprWizSheet* sheet, ExprWizData* data) : sheet_(sheet), data_(data) {}

QSize CExprWizPage::minimumSizeHint() const {
    // Room for a useful line of the texts that wrap, and the height they take when the
    // page is at its narrowest.
    QSize hint = QWizardPage::minimumSizeHint().expandedTo(
        QSize(fontMetrics().averageCharWidth() * kMinimumPageColumns, 0));
    if (const QLayout* pageLayout = layout(); pageLayout && pageLayout->hasHeightForWidth())
        hint.setHeight(
            std::max(hint.height(), pageLayout->totalMinimumHeightForWidth(hint.width())));
    return hint;
}

CExprWizSheet::CExprWizSheet(SettingsStore& settings, QWidget* owner)
    : QWizard(owner),
      settings_(settings),
      data_(settings),
      intro_(new CExprWizIntro(this, &data_)),
      main_(new CExprWizMain(this, &data_)),
      special_(new CExprWizSpecial(this, &data_)) {
    setWindowTitle(QString::fromLatin1(kExprWizCaption));
    setWizardStyle(QWizard::ClassicStyle);
    // Pages are set up once and keep what they show when the user goes back and forth.
    setOptions(QWizard::IndependentPages | QWizard::NoBackButtonOnStartPage);
    setPage(kIntroPage, intro_);
    setPage(kMainPage, main_);
    setPage(kSpecialPage, special_);
    connect(this, &QWizard::currentIdChanged, this, &CExprWizSheet::pageChanged);
}

void CExprWizSheet::postWizardButtons(int buttons) {
    QMetaObject::invokeMethod(
        this, [this, buttons] { applyWizardButtons(buttons); }, Qt::QueuedConnection);
}

void CExprWizSheet::applyWizardButtons(int buttons) {
    buttons_ = buttons;
    // Marking the page makes the wizard ask nextId() again and show its buttons anew.
    if (QWizardPage* page = currentPage())
        page->setFinalPage((buttons & kWizardFinish) != 0);
}

int CExprWizSheet::nextId() const {
    const int id = currentId();
    if (id < 0 || (buttons_ & kWizardFinish) || !(buttons_ & kWizardNext))
        return -1;
    return id + 1 <= kSpecialPage ? id + 1 : -1;
}

void CExprWizSheet::setVisible(bool visible) {
    if (visible && currentId() == -1) {
        restart();
        // The introduction stays one Back away.
        if (readSetting(settings_, kExprWizDontShowIntro) != 0)
            next();
    }
    QWizard::setVisible(visible);
}

CExprWizPage* CExprWizSheet::wizardPage(int id) const {
    return qobject_cast<CExprWizPage*>(page(id));
}

void CExprWizSheet::pageChanged(int id) {
    if (CExprWizPage* left = wizardPage(shownPage_); left && shownPage_ != id)
        left->store();
    shownPage_ = id;
    if (CExprWizPage* shown = wizardPage(id))
        shown->activate();
}

void CExprWizSheet::done(int result) {
    if (result == QDialog::Accepted)
        if (CExprWizPage* shown = wizardPage(currentId()))
            shown->store();
    QWizard::done(result);
}

}  // namespace scoutwell
