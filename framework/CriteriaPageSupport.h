// What the Basic and Advanced pages and the Multiple Folders dialog share: the folder
// browser behind their Browse buttons (replaceable, so that tests can answer it), the
// small helpers that make their controls, the labels that name fields for the keyboard and
// for screen readers, and the tab order.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "framework/CGeometryDynCreateWnd.h"

namespace scoutwell {

using FolderBrowserFunction = bool (*)(QWidget* owner, const std::string& start,
                                       std::string& picked);

// browseForFolder unless replaced.
FolderBrowserFunction criteriaFolderBrowser();
// nullptr restores browseForFolder.
void setCriteriaFolderBrowser(FolderBrowserFunction browser);

template <class Control>
Control* makeCriteriaControl(const char* text, int controlId, QWidget* parent) {
    auto* control = new Control(QString::fromLatin1(text), parent);
    setControlId(control, controlId);
    return control;
}

// A field's label. Its mnemonic only moves the focus to the field: a check box behind a
// label ("Si&ze (kb):" before "More than:") is never ticked by it, unlike a plain QLabel's.
// A field without an accessible name of its own is named by the label, so that screen
// readers read "Look in" and not the folder the box holds.
class CriteriaLabel : public QLabel {
    Q_OBJECT

  public:
    CriteriaLabel(const QString& text, QWidget* buddy, QWidget* parent);

  protected:
    bool event(QEvent* event) override;
};

inline QLabel* makeCriteriaLabel(const char* text, QWidget* buddy, QWidget* parent) {
    return new CriteriaLabel(QString::fromLatin1(text), buddy, parent);
}

// A label's text as a name: without its mnemonic marker and a closing colon
// ("&Look in:" -> "Look in").
QString nameFromLabel(const QString& text);

// Makes screen readers read drop-downs by their names (done as the application starts).
// It reaches drop-downs of a class of their own: Qt's interface comes first for a plain
// QComboBox, so a drop-down that has a label is made as a NamedComboBox.
void installComboBoxNames();

class NamedComboBox : public QComboBox {
    Q_OBJECT

  public:
    using QComboBox::QComboBox;
};

// Gives `control` its accessible name; an editable drop-down's edit field takes it too.
void setFieldName(QWidget* control, const QString& name);

// Tab visits `controls` in this order; null entries are left out.
void setTabChain(const std::vector<QWidget*>& controls);

}  // namespace scoutwell
