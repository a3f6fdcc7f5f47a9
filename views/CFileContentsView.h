// The contents of the selected found files, lower right in a search window. With nothing
// selected it explains itself.
#pragma once

#include <QAbstractScrollArea>

namespace scoutwell {

class CDediDurarerDoc;

inline constexpr const char* kContentsViewIntro =
    "Contents view (printable area)\n\nThis pane displays any files selected in the left-hand "
    "pane (the File List view). If you are searching by Contents then this pane also displays "
    "lines found within the selected files.";

class CFileContentsView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    // Adds itself to the document's views.
    CFileContentsView(CDediDurarerDoc* doc, QWidget* parent);

    CDediDurarerDoc* document() const { return doc_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void customEvent(QEvent* event) override;

  private:
    CDediDurarerDoc* doc_;
};

}  // namespace scoutwell
