#include "criteria/gui/ItemTypeCombo.h"

#include <QLabel>

#include "criteria/core/ExpressionModel.h"
#include "criteria/gui/SingleCharEdit.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

bool usesText(int type) {
    return type == ItemType::theCharacter || type == ItemType::anyOneOf ||
           type == ItemType::anyExcept || type == ItemType::phrase;
}

bool usesOccurrence(int type) {
    return type >= ItemType::anyCharacter && type < ItemType::count;
}

// The occurrence a type starts with; -1 for none.
int presetOccurrence(int type) {
    if (type == ItemType::phrase)
        return Occurrence::onceOnly;
    if (usesOccurrence(type))
        return Occurrence::zeroOrMany;
    return -1;
}

}  // namespace

ItemTypeCombo::ItemTypeCombo(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, &ItemTypeCombo::applyType);
}

void ItemTypeCombo::setup(std::int32_t position, SingleCharEdit* textBox, QLabel* label,
                          QComboBox* occurrenceList) {
    position_ = position;
    textBox_ = textBox;
    label_ = label;
    occurrenceList_ = occurrenceList;
    if (listsFilled_)
        return;
    for (const char* name : kItemTypeNames)
        addItem(QString::fromLatin1(name));
    if (occurrenceList_) {
        occurrenceList_->clear();
        for (const char* name : kOccurrenceNames)
            occurrenceList_->addItem(QString::fromLatin1(name));
    }
    listsFilled_ = true;
    reset();
}

void ItemTypeCombo::reset() {
    setCurrentIndex(ItemType::dontKnow);
    if (textBox_)
        textBox_->clear();
    if (occurrenceList_)
        occurrenceList_->setCurrentIndex(Occurrence::zeroOrMany);
    applyType(ItemType::dontKnow);
}

void ItemTypeCombo::applyType(int type) {
    if (textBox_) {
        textBox_->setEnabled(usesText(type));
        textBox_->clear();
        textBox_->setSingleChar(type == ItemType::theCharacter);
    }
    if (label_)
        label_->setEnabled(usesOccurrence(type));
    if (occurrenceList_) {
        occurrenceList_->setEnabled(usesOccurrence(type));
        occurrenceList_->setCurrentIndex(presetOccurrence(type));
    }
}

void ItemTypeCombo::load(const ExpressionItem& item) {
    setCurrentIndex(item.type);
    applyType(item.type);
    if (textBox_ && textBox_->isEnabled())
        textBox_->setText(qStringFromBytes(item.text));
    if (occurrenceList_ && occurrenceList_->isEnabled())
        occurrenceList_->setCurrentIndex(item.occurrence);
    position_ = item.position;
}

bool ItemTypeCombo::read(ExpressionItem& item) const {
    if (currentIndex() < 0)
        return false;
    item.position = position_;
    item.type = currentIndex();
    item.typeName = bytesFromQString(currentText());
    if (textBox_ && textBox_->isEnabled())
        item.text = bytesFromQString(textBox_->text());
    if (occurrenceList_ && occurrenceList_->isEnabled()) {
        item.occurrence = occurrenceList_->currentIndex();
        item.occurrenceName = bytesFromQString(occurrenceList_->currentText());
    }
    return true;
}

}  // namespace scoutwell
