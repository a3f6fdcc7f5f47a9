#include "app/gui/CSearchForView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/core/Settings.h"
#include "app/gui/CDediDurarerDoc.h"
#include "app/gui/COptionsTab.h"
#include "app/gui/CSearchOptions.h"
#include "app/gui/CriteriaPages.h"
#include "engine/Messages.h"
#include "engine/Text.h"
#include "framework/BusyAnimation.h"
#include "framework/CommandIds.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr const char* kRightEdgeSpec = "X";
constexpr const char* kStretchSpec = "CX";
// The right-hand column is at least this many widths of the Start button's text wide, so
// that a status text of a few words fits.
constexpr double kColumnWidthFactor = 1.6;

template <class Control>
Control* withId(Control* control, int controlId) {
    setControlId(control, controlId);
    return control;
}

// A control hidden until a search needs it keeps its place in the design.
void keepPlaceWhenHidden(QWidget* control) {
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
    control->hide();
}

GeometrySpec specOf(const char* text) {
    GeometrySpec spec;
    parseGeometrySpec(text, spec);
    return spec;
}

}  // namespace

CSearchForView::CSearchForView(CDediDurarerDoc* doc, MainPageFactory createPage, QWidget* parent)
    : CSearchForViewHost(parent), doc_(doc), createPage_(std::move(createPage)) {
    buildControls();
    const bool expert =
        doc_ ? readSetting(doc_->settings(), kExpertUser) != 0 : kExpertUser.defaultValue != 0;
    setActiveCriteriaTab(expert ? kAdvancedPageName : kBasicPageName);
    expertUser_->setChecked(expert);
    createSheet();
    progress_->setRange(0, kProgressRange);
    registerGeometry();
    if (doc_)
        doc_->addView(this);
}

CSearchForView::~CSearchForView() = default;

void CSearchForView::buildControls() {
    // The sheet is a child of the form but not of its layout: the hidden placeholder holds
    // its place, and the sheet is put over it once the form has its design.
    sheet_ = new CriteriaSheet(doc_, this, this);
    setControlId(sheet_, kCriteriaSheetId);
    placeholder_ = withId(new QFrame(this), kSheetPlaceholderId);
    expertUser_ = withId(new QCheckBox(QString::fromLatin1(kExpertUserText), this), kExpertUserId);
    start_ = withId(new QPushButton(QString::fromLatin1(kStartButtonText), this), kStartButtonId);
    stop_ = withId(new QPushButton(QString::fromLatin1(kStopButtonText), this), kStopButtonId);
    animation_ = withId(new BusyAnimation(this), kAnimationId);
    progress_ = withId(new QProgressBar(this), kProgressBarId);
    status_ = withId(new QLabel(this), kStatusTextId);

    start_->setDefault(true);
    stop_->setEnabled(false);
    progress_->setTextVisible(false);
    progress_->setAccessibleName(QString::fromLatin1(kProgressName));
    animation_->setAccessibleName(QString::fromLatin1(kAnimationName));
    keepPlaceWhenHidden(placeholder_);
    keepPlaceWhenHidden(progress_);
    keepPlaceWhenHidden(animation_);
    status_->setMinimumWidth(static_cast<int>(
        start_->fontMetrics().horizontalAdvance(QString::fromLatin1(kStartButtonText)) *
        kColumnWidthFactor));

    auto* column = new QVBoxLayout;
    column->addWidget(start_);
    column->addWidget(stop_);
    column->addWidget(expertUser_);
    column->addWidget(animation_, 0, Qt::AlignHCenter);
    column->addWidget(progress_);
    column->addWidget(status_);
    column->addStretch(1);
    column->setContentsMargins(0, style()->pixelMetric(QStyle::PM_LayoutTopMargin), 0, 0);

    auto* layout = new QHBoxLayout(this);
    // The sheet sits in the form's top left corner.
    layout->setContentsMargins(0, 0, style()->pixelMetric(QStyle::PM_LayoutRightMargin),
                               style()->pixelMetric(QStyle::PM_LayoutBottomMargin));
    layout->addWidget(placeholder_, 1);
    layout->addLayout(column);

    connect(start_, &QPushButton::clicked, this, &CSearchForView::startClicked);
    connect(stop_, &QPushButton::clicked, this, &CSearchForView::stopSearch);
    connect(expertUser_, &QCheckBox::clicked, this, &CSearchForView::expertUserClicked);
}

bool CSearchForView::setActiveCriteriaTab(const std::string& name) {
    sheet_->saveData();
    sheet_->removeAllPages();
    CSearchPropertyPage* mainPage = nullptr;
    if (name == kBasicPageName || name == kAdvancedPageName)
        mainPage = createPage_(name, sheet_, nullptr);
    else
        showMessage(text::format(kInvalidTabFormat, name.c_str()));
    auto* optionsPage = new COptionsTab(sheet_, nullptr);
    if (!mainPage || !optionsPage) {
        showMessage(kOutOfMemoryForPage);
        delete mainPage;
        delete optionsPage;
        return false;
    }
    sheet_->setPages(mainPage, optionsPage);
    // After the sheet, the column beside it from top to bottom.
    std::vector<QWidget*> order = sheet_->tabOrder();
    order.insert(order.end(), {start_, stop_, expertUser_});
    setTabChain(order);
    return true;
}

QSize CSearchForView::largestSheetSize() {
    // Expert User swaps the main page without the form changing its design, so the sheet
    // is made big enough for either main page beside the Options page.
    QSize largest = sheet_->minimumSizeHint();
    const CSearchPropertyPage* shown = sheet_->mainPage();
    for (const char* name : {kBasicPageName, kAdvancedPageName}) {
        CSearchOptions probe(nullptr, nullptr, this);
        probe.hide();
        CSearchPropertyPage* page = createPage_(name, &probe, nullptr);
        if (shown && page && shown->metaObject()->className() == page->metaObject()->className()) {
            delete page;
            continue;
        }
        probe.setPages(page, new COptionsTab(&probe, nullptr));
        largest = largest.expandedTo(probe.minimumSizeHint());
    }
    return largest;
}

void CSearchForView::createSheet() {
    // The form takes its design size first: the placeholder's rectangle there is the
    // sheet's.
    placeholder_->setMinimumSize(largestSheetSize());
    initGeometry();
    const GeometryRect& design = geometryLayout().designClientRect();
    designSize_ = QSize(design.right - design.left, design.bottom - design.top);
    // A sheet without pages cannot be shown.
    if (sheet_->count() == 0) {
        showMessage(kCouldNotCreateSheet);
        sheet_->hide();
        return;
    }
    sheet_->setGeometry(0, 0, placeholder_->width(), placeholder_->height());
    sheet_->create();
    sheet_->initGeometry();
    sheet_->show();
    sheetCreated_ = true;
}

void CSearchForView::registerGeometry() {
    for (int controlId : {kStartButtonId, kStopButtonId, kExpertUserId, kAnimationId,
                          kProgressBarId, kStatusTextId})
        addGeometry(controlId, specOf(kRightEdgeSpec), this);
    if (sheetCreated_)
        addGeometry(kCriteriaSheetId, specOf(kStretchSpec), this);
}

QSize CSearchForView::sizeHint() const {
    return designSize_.isValid() ? designSize_ : CSearchForViewHost::sizeHint();
}

QSize CSearchForView::minimumSizeHint() const {
    return designSize_.isValid() ? designSize_ : CSearchForViewHost::minimumSizeHint();
}

void CSearchForView::expertUserClicked(bool checked) {
    setActiveCriteriaTab(checked ? kAdvancedPageName : kBasicPageName);
    if (doc_)
        writeSetting(doc_->settings(), kExpertUser, checked ? 1 : 0);
}

void CSearchForView::startClicked() {
    if (!start_->isEnabled())
        return;
    progress_->setValue(0);
    if (!sheet_->saveData())
        return;
    if (doc_)
        doc_->startSearch();
}

void CSearchForView::focusFirstField() {
    QWidget* page = sheet_->currentWidget();
    if (!page) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(page) &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    page->setFocus(Qt::OtherFocusReason);
}

void CSearchForView::stopSearch() {
    if (doc_)
        doc_->stopSearch();
}

bool CSearchForView::handleCommand(int commandId) {
    switch (commandId) {
        case ID_OK:
        case kStartButtonId:
            startClicked();
            return true;
        case ID_CANCEL:
        case kStopButtonId:
            stopSearch();
            return true;
        case ID_DELETE:
            sendDeleteToFocus();
            return true;
        case ID_EDIT_COPY:
            sendCopyToFocus();
            return true;
        default:
            return false;
    }
}

bool CSearchForView::updateCommand(int commandId, CommandState& state) {
    switch (commandId) {
        case ID_OK:
        case ID_CANCEL:
        case ID_DELETE:
        case ID_EDIT_COPY:
            state.enabled = true;
            return true;
        default:
            return false;
    }
}

void CSearchForView::sendDeleteToFocus() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(focus, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(focus, &release);
}

void CSearchForView::sendCopyToFocus() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return;
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->lineEdit())
        focus = combo->lineEdit();
    // Every Qt text control has a copy() slot; other controls have nothing to copy.
    if (focus->metaObject()->indexOfSlot("copy()") >= 0)
        QMetaObject::invokeMethod(focus, "copy");
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
            stopSearch();
            break;
        case WM_SEARCH_STARTED:
            start_->setEnabled(false);
            stop_->setEnabled(true);
            progress_->setValue(0);
            status_->clear();
            animation_->show();
            animation_->start();
            break;
        case WM_SEARCH_PROGRESS:
            if (!progressShown_) {
                progress_->show();
                progressShown_ = true;
            }
            if (const SearchProgressNote* note = message->note()) {
                progress_->setValue(note->position);
                status_->setText(qStringFromBytes(note->text));
            }
            break;
        case WM_SEARCH_FOLDER:
            if (const SearchProgressNote* note = message->note())
                showInStatusBar(qStringFromBytes(note->text));
            break;
        case WM_SEARCH_CLEANEDUP: {
            start_->setEnabled(true);
            stop_->setEnabled(false);
            status_->clear();
            const int count = doc_ ? static_cast<int>(doc_->results.count()) : 0;
            std::string found = text::format(kFilesFoundFormat, count, kFilesFoundText);
            if (const int cutShort = doc_ ? static_cast<int>(doc_->results.cutShortCount()) : 0)
                found += text::format(kCutShortFormat, cutShort);
            showInStatusBar(qStringFromBytes(found));
            if (progressShown_) {
                progress_->hide();
                progress_->reset();
                progressShown_ = false;
            }
            animation_->stop();
            animation_->hide();
            break;
        }
        case WM_CRITERIA_BEFORE_STORE:
            sheet_->saveData();
            break;
        case WM_CRITERIA_AFTER_LOAD:
            // Pages showing the old criteria would write them back over the loaded ones.
            for (CSearchPropertyPage* page :
                 {sheet_->mainPage(), static_cast<CSearchPropertyPage*>(sheet_->optionsPage())})
                if (page && page->initialised())
                    page->loadData();
            break;
        default:
            break;
    }
}

}  // namespace scoutwell
