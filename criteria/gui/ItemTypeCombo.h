// The type list of one row of the Expression Wizard (how the text begins, an item of the
// "Followed by" list, how it ends). The chosen type drives the row's other controls: the
// text box, the "that occurs" label and the occurrence list.
//
//   begins->setup(ItemPosition::begins, textBox, occursLabel, occurrenceList);
//   begins->load(item);                       // item -> controls
//   ExpressionItem read;
//   if (begins->read(read)) model.append(read);
//
// Exercised by tests/gui/CriteriaPagesTest.cpp, tests/gui/ExprWizardTest.cpp.
#pragma once

#include <QComboBox>
#include <cstdint>

class QLabel;

namespace scoutwell {

class SingleCharEdit;
struct ExpressionItem;

class ItemTypeCombo : public QComboBox {
    Q_OBJECT

  public:
    explicit ItemTypeCombo(QWidget* parent = nullptr);

    // Links the row's controls (each may be null) and its position; the first call fills
    // the type and occurrence lists and resets the row.
    void setup(std::int32_t position, SingleCharEdit* textBox, QLabel* label,
               QComboBox* occurrenceList);
    // "Don't know", no text, no occurrence.
    void reset();
    // Enables the controls the type uses, presets its occurrence and empties the text.
    void applyType(int type);
    void load(const ExpressionItem& item);
    // False when no type is chosen. Fields whose control is disabled keep their values.
    bool read(ExpressionItem& item) const;

    std::int32_t position() const { return position_; }
    SingleCharEdit* textBox() const { return textBox_; }
    QLabel* occursLabel() const { return label_; }
    QComboBox* occurrenceList() const { return occurrenceList_; }

  private:
    std::int32_t position_ = 0;
    SingleCharEdit* textBox_ = nullptr;
    QLabel* label_ = nullptr;
    QComboBox* occurrenceList_ = nullptr;
    bool listsFilled_ = false;
};

}  // namespace scoutwell
