#include "criteria/gui/CExprWizMain.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include "criteria/gui/ExprWizListCtrl.h"
#include "criteria/gui/ItemTypeCombo.h"
#include "criteria/gui/SingleCharEdit.h"
#include "framework/CGeometryDynCreateWnd.h"
#include "framework/CriteriaPageSupport.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

constexpr int kTextBoxColumns = 10;
constexpr int kListRows = 5;

template <class Control>
Control* make(int controlId, QWidget* parent) {
    auto* control = new Control(parent);
    setControlId(control, controlId);
    return control;
}

QLabel* makeLabel(const char* text, int controlId, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    if (controlId != 0)
        setControlId(label, controlId);
    return label;
}

QPushButton* makeButton(const char* text, int controlId, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    setControlId(button, controlId);
    button->setAutoDefault(false);
    return button;
}

// One row: type, text, "that occurs", occurrence, from `column` on.
void addRow(QGridLayout* grid, int row, int column, ItemTypeCombo* type, SingleCharEdit* text,
            QLabel* occurs, QComboBox* occurrence) {
    grid->addWidget(type, row, column);
    grid->addWidget(text, row, column + 1);
    grid->addWidget(occurs, row, column + 2);
    grid->addWidget(occurrence, row, column + 3);
}

// Names a row's controls for screen readers: "Line begins", "Line begins text", ...
void nameRow(const QString& row, QComboBox* type, QLineEdit* text, QComboBox* occurrence) {
    setFieldName(type, row);
    setFieldName(text, row + QString::fromLatin1(kRowTextName));
    setFieldName(occurrence, row + QString::fromLatin1(kRowOccursName));
}

// A note: a bold heading and a text that wraps beside it.
void addNote(QGridLayout* grid, int row, QLabel* heading, QLabel* text) {
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    text->setWordWrap(true);
    grid->addWidget(heading, row, 0, Qt::AlignTop);
    grid->addWidget(text, row, 1);
}

}  // namespace

CExprWizMain::CExprWizMain(CExprWizSheet* sheet, ExprWizData* data)
    : CExprWizPage(sheet, data),
      beginsLabel_(makeLabel(kBeginsTemplate, kBeginsLabelId, this)),
      beginsType_(make<ItemTypeCombo>(kBeginsTypeId, this)),
      beginsText_(make<SingleCharEdit>(kBeginsTextId, this)),
      beginsOccurs_(makeLabel(kThatOccursText, kBeginsOccursLabelId, this)),
      beginsOccurrence_(make<NamedComboBox>(kBeginsOccurrenceId, this)),
      followedByType_(make<ItemTypeCombo>(kFollowedByTypeId, this)),
      followedByText_(make<SingleCharEdit>(kFollowedByTextId, this)),
      followedByOccurs_(makeLabel(kThatOccursText, kFollowedByOccursLabelId, this)),
      followedByOccurrence_(make<NamedComboBox>(kFollowedByOccurrenceId, this)),
      add_(makeButton(kAddItemText, kAddItemId, this)),
      modify_(makeButton(kModifyItemText, kModifyItemId, this)),
      delete_(makeButton(kDeleteItemText, kDeleteItemId, this)),
      list_(make<ExprWizListCtrl>(kFollowedByListId, this)),
      endsLabel_(makeLabel(kEndsTemplate, kEndsLabelId, this)),
      endsType_(make<ItemTypeCombo>(kEndsTypeId, this)),
      endsText_(make<SingleCharEdit>(kEndsTextId, this)),
      endsOccurs_(makeLabel(kThatOccursText, kEndsOccursLabelId, this)),
      endsOccurrence_(make<NamedComboBox>(kEndsOccurrenceId, this)),
      result_(make<QLineEdit>(kResultingExpressionId, this)),
      advancedNote_(makeLabel(kExprWizAdvancedNote, kAdvancedNoteId, this)) {
    setTitle(QString::fromLatin1(kExprWizMainTitle));
    modify_->setEnabled(false);
    delete_->setEnabled(false);
    // Read-only, not disabled: the expression is shown as plain text that can be selected,
    // copied and read out.
    result_->setReadOnly(true);
    // A text box has room for a short phrase, the list for a few rows.
    for (SingleCharEdit* text : {beginsText_, followedByText_, endsText_})
        text->setMinimumWidth(text->fontMetrics().averageCharWidth() * kTextBoxColumns);
    list_->setMinimumHeight(list_->header()->sizeHint().height() +
                            list_->fontMetrics().height() * kListRows + 2 * list_->frameWidth());

    nameRow(QString::fromLatin1(kFollowedByGroup), followedByType_, followedByText_,
            followedByOccurrence_);
    setFieldName(list_, QString::fromLatin1(kFollowedByListName));
    setFieldName(result_, QString::fromLatin1(kResultingExpressionGroup));
    beginsType_->setup(ItemPosition::begins, beginsText_, beginsOccurs_, beginsOccurrence_);
    followedByType_->setup(ItemPosition::followedBy, followedByText_, followedByOccurs_,
                           followedByOccurrence_);
    endsType_->setup(ItemPosition::ends, endsText_, endsOccurs_, endsOccurrence_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(beginsLabel_, 0, 0);
    addRow(layout, 0, 1, beginsType_, beginsText_, beginsOccurs_, beginsOccurrence_);

    auto* followedBy = new QGroupBox(QString::fromLatin1(kFollowedByGroup), this);
    // The list and its buttons are children of the page, as the ids say, laid out in the
    // group's frame.
    auto* followedByLayout = new QGridLayout(followedBy);
    addRow(followedByLayout, 0, 0, followedByType_, followedByText_, followedByOccurs_,
           followedByOccurrence_);
    followedByLayout->addWidget(add_, 0, 4);
    followedByLayout->addWidget(list_, 1, 0, 2, 4);
    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(modify_);
    listButtons->addWidget(delete_);
    listButtons->addStretch(1);
    followedByLayout->addLayout(listButtons, 1, 4);
    auto* dragNote = new QHBoxLayout;
    dragNote->addWidget(makeLabel(kNoteLabel, 0, this));
    dragNote->addWidget(makeLabel(kDragToRearrange, 0, this), 1);
    followedByLayout->addLayout(dragNote, 3, 0, 1, 5);
    followedByLayout->setColumnStretch(1, 1);
    followedByLayout->setRowStretch(2, 1);
    layout->addWidget(followedBy, 1, 0, 1, 5);

    layout->addWidget(endsLabel_, 2, 0);
    addRow(layout, 2, 1, endsType_, endsText_, endsOccurs_, endsOccurrence_);

    auto* resulting = new QGroupBox(QString::fromLatin1(kResultingExpressionGroup), this);
    auto* resultingLayout = new QVBoxLayout(resulting);
    resultingLayout->addWidget(result_);
    layout->addWidget(resulting, 3, 0, 1, 5);

    auto* notes = new QGridLayout;
    addNote(notes, 0, makeLabel(kNoteLabel, 0, this), makeLabel(kUnknownEndsNote, 0, this));
    addNote(notes, 1, makeLabel(kAdvancedLabel, 0, this), advancedNote_);
    notes->setColumnStretch(1, 1);
    layout->addLayout(notes, 4, 0, 1, 5);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(1, 1);

    // The begins and ends rows recompute after every change; the followed-by row only
    // when it is added or modified.
    for (ItemTypeCombo* type : {beginsType_, endsType_}) {
        connect(type, &QComboBox::activated, this, &CExprWizMain::postRecompute);
        connect(type->textBox(), &QLineEdit::textChanged, this, &CExprWizMain::postRecompute);
        connect(type->occurrenceList(), &QComboBox::currentIndexChanged, this,
                &CExprWizMain::postRecompute);
    }
    connect(add_, &QPushButton::clicked, this, &CExprWizMain::addClicked);
    connect(modify_, &QPushButton::clicked, this, &CExprWizMain::modifyClicked);
    connect(delete_, &QPushButton::clicked, this, &CExprWizMain::deleteClicked);
    connect(list_, &ExprWizListCtrl::rowSelectionChanged, this, &CExprWizMain::rowSelectionChanged);
    connect(list_, &ExprWizListCtrl::rowMoved, this, &CExprWizMain::postRecompute);
}

void CExprWizMain::initializePage() {
    beginsLabel_->setText(qStringFromBytes(data()->fieldName + kBeginsSuffix));
    endsLabel_->setText(qStringFromBytes(data()->fieldName + kEndsSuffix));
    nameRow(nameFromLabel(beginsLabel_->text()), beginsType_, beginsText_, beginsOccurrence_);
    nameRow(nameFromLabel(endsLabel_->text()), endsType_, endsText_, endsOccurrence_);
    list_->removeAll();
    for (const ExpressionItem& item : data()->model.items()) {
        if (item.position == ItemPosition::begins)
            beginsType_->load(item);
        else if (item.position == ItemPosition::followedBy)
            list_->insertItem(list_->count(), item);
        else if (item.position == ItemPosition::ends)
            endsType_->load(item);
    }
}

void CExprWizMain::activate() {
    sheet()->postWizardButtons(buttons_);
    recompute();
}

void CExprWizMain::store() {
    data()->model = modelOfControls();
}

ExpressionModel CExprWizMain::modelOfControls() const {
    ExpressionModel model;
    ExpressionItem begins;
    if (beginsType_->read(begins))
        model.append(begins);
    list_->appendItemsTo(model);
    ExpressionItem ends;
    if (endsType_->read(ends))
        model.append(ends);
    return model;
}

void CExprWizMain::recompute() {
    ExpressionModel model = modelOfControls();
    buttons_ = model.hasSpecialChars() ? kWizardButtonsBackNext : kWizardButtonsBackFinish;
    sheet()->postWizardButtons(buttons_);
    std::string expression;
    model.generate(expression, !data()->leaveSpecialChars);
    result_->setText(qStringFromBytes(expression));
}

void CExprWizMain::postRecompute() {
    QMetaObject::invokeMethod(this, &CExprWizMain::recompute, Qt::QueuedConnection);
}

void CExprWizMain::addClicked() {
    ExpressionItem item;
    if (!followedByType_->read(item))
        return;
    list_->insertItem(list_->count(), item);
    followedByType_->reset();
    recompute();
}

void CExprWizMain::modifyClicked() {
    ExpressionItem item;
    if (followedByType_->read(item))
        list_->modifySelected(item);
    recompute();
}

void CExprWizMain::deleteClicked() {
    list_->deleteSelected();
    // The row that takes the deleted one's place is focused, not selected.
    modify_->setEnabled(list_->hasSelection());
    delete_->setEnabled(list_->hasSelection());
    list_->setFocus(Qt::OtherFocusReason);
    recompute();
}

void CExprWizMain::rowSelectionChanged(int row, bool selected) {
    if (selected) {
        followedByType_->load(list_->items()[static_cast<std::size_t>(row)]);
        modify_->setEnabled(true);
        delete_->setEnabled(true);
    } else {
        const bool anySelected = list_->hasSelection();
        modify_->setEnabled(anySelected);
        delete_->setEnabled(anySelected);
    }
}

}  // namespace scoutwell
