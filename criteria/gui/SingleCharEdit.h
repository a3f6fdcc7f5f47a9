// A text box of the Expression Wizard that can be limited to one character: in
// single-character mode it always shows only the last character typed.
//
// Exercised by tests/gui/CriteriaPagesTest.cpp, tests/gui/ExprWizardTest.cpp.
#pragma once

#include <QLineEdit>
#include <QString>

namespace scoutwell {

class SingleCharEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit SingleCharEdit(QWidget* parent = nullptr);

    // Sets the mode, forgets the last typed character and returns the previous mode.
    bool setSingleChar(bool singleChar);
    bool singleChar() const { return singleChar_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Runs once the edit has taken the keystroke in.
    void keepLastCharacter();

    bool singleChar_ = false;
    QString lastCharacter_;
};

}  // namespace scoutwell
