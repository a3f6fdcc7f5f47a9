// The picture on the left of a Search Wizard page, drawn by the program: a sheet of paper
// with its name tag, a sheet of text with one line marked, or a folder on a hard disk,
// each under a magnifying glass on a calm blue panel. It scales with its width.
#pragma once

#include <QWidget>

namespace scoutwell {

class WizardArtwork : public QWidget {
    Q_OBJECT

  public:
    enum Picture { fileNamePicture, contentsPicture, locationPicture };

    explicit WizardArtwork(Picture picture, QWidget* parent = nullptr);

    Picture picture() const { return picture_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Picture picture_;
};

}  // namespace scoutwell
