// What the Basic and Advanced pages and the Multiple Folders dialog share: the folder
// browser behind their Browse buttons (replaceable, so that tests can answer it) and the
// small helpers that make their controls.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <string>

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

inline QLabel* makeCriteriaLabel(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace scoutwell
