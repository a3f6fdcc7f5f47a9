// The About box: the program's name and its build line.
#pragma once

#include <QDialog>

namespace scoutwell {

inline constexpr const char* kAboutTitle = "About Scoutwell";
inline constexpr const char* kAboutProgramLine = "Scoutwell Version 1.0";
inline constexpr const char* kReleaseBuildFormat = "(Release Build %1)";
inline constexpr const char* kReleaseBuild = "325";

class CAboutDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDialog(QWidget* parent);

    // "(Release Build 325)".
    static QString buildLine();
};

}  // namespace scoutwell
