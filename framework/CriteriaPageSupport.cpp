#include "framework/CriteriaPageSupport.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcutEvent>

#include "framework/FolderBrowser.h"

namespace scoutwell {

namespace {

FolderBrowserFunction folderBrowser = nullptr;

// Qt names a drop-down after the text it holds on Linux, whatever name it was given, so a
// screen reader says "/home/me/" for Look in. Here a drop-down is read by its own name, or
// its label's, with what it holds as its value; only one with neither keeps its text as
// its name. (Qt keeps an object's interface once made, so this answers for every one.)
class NamedComboBoxAccessible : public QAccessibleWidget {
  public:
    explicit NamedComboBoxAccessible(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        const auto* box = static_cast<const QComboBox*>(widget());
        switch (t) {
            case QAccessible::Name: {
                const QString name = QAccessibleWidget::text(t);
                return name.isEmpty() ? text(QAccessible::Value) : name;
            }
            case QAccessible::Value:
                return box->lineEdit() ? box->lineEdit()->text() : box->currentText();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override {
        if (actionName == showMenuAction())
            static_cast<QComboBox*>(widget())->showPopup();
        else
            QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface* namedComboBoxFactory(const QString& className, QObject* object) {
    auto* box = qobject_cast<QComboBox*>(object);
    // Asked once per class of the object, most derived first: answer only the first time.
    if (!box || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    return new NamedComboBoxAccessible(box);
}

}  // namespace

FolderBrowserFunction criteriaFolderBrowser() {
    return folderBrowser ? folderBrowser : &browseForFolder;
}

void setCriteriaFolderBrowser(FolderBrowserFunction browser) {
    folderBrowser = browser;
}

CriteriaLabel::CriteriaLabel(const QString& text, QWidget* buddy, QWidget* parent)
    : QLabel(text, parent) {
    setBuddy(buddy);
    if (buddy && buddy->accessibleName().isEmpty())
        setFieldName(buddy, nameFromLabel(text));
}

bool CriteriaLabel::event(QEvent* event) {
    // A label receives only its own mnemonic as a shortcut event.
    if (event->type() == QEvent::Shortcut && buddy()) {
        if (buddy()->isEnabled() && buddy()->focusPolicy() != Qt::NoFocus) {
            buddy()->setFocus(Qt::ShortcutFocusReason);
            window()->setAttribute(Qt::WA_KeyboardFocusChange);
        }
        return true;
    }
    return QLabel::event(event);
}

QString nameFromLabel(const QString& text) {
    QString name;
    name.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // "&&" is a literal ampersand; a lone "&" marks the mnemonic.
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        name += text[i];
    }
    name = name.trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.trimmed();
}

void installComboBoxNames() {
    QAccessible::installFactory(&namedComboBoxFactory);
}

void setFieldName(QWidget* control, const QString& name) {
    control->setAccessibleName(name);
    if (auto* box = qobject_cast<QComboBox*>(control); box && box->lineEdit())
        box->lineEdit()->setAccessibleName(name);
}

void setTabChain(const std::vector<QWidget*>& controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (!control)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

}  // namespace scoutwell

// Before any window exists, so that no drop-down gets Qt's interface first.
static void scoutwellInstallComboBoxNames() {
    scoutwell::installComboBoxNames();
}
Q_COREAPP_STARTUP_FUNCTION(scoutwellInstallComboBoxNames)
