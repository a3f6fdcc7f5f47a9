// The About box: the program's name and its build line.
//
// Exercised by tests/gui/FirstSightTest.cpp.
#pragma once

#include <QDialog>

namespace scoutwell {

inline constexpr const char* kAboutTitle = "About Scoutwell";
inline constexpr const char* kAboutProgramFormat = "Scoutwell Version %1";
inline constexpr const char* kReleaseBuildFormat = "(Release Build %1)";
inline constexpr const char* kReleaseBuild = "325";

class CAboutDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDialog(QWidget* parent);

    // "Scoutwell Version 1.0", with the version the build states.
    static QString programLine();
    // "(Release Build 325)".
    static QString buildLine();
};

}  // namespace scoutwell
