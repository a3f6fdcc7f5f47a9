// The contents of the selected found files, lower right in a search window: each item's
// summary line and its hit lines with their numbers, the match highlighted. With nothing
// selected it explains itself. The same layout prints and previews, with page footers.
//
// Exercised by tests/gui/ContentsViewTest.cpp, tests/gui/FirstSightTest.cpp,
//  tests/gui/ResultListShellTest.cpp, tests/gui/ResultListViewTest.cpp.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <cstdint>
#include <optional>

#include "framework/Document.h"
#include "views/ContentsLayout.h"
#include "views/LazyContentsLayout.h"

class QPrinter;
class QPainter;
class QPaintDevice;

namespace scoutwell {

class CDediDurarerDoc;

inline constexpr const char* kContentsViewIntro =
    "Contents view (printable area)\n\nThis pane displays any files selected in the left-hand "
    "pane (the File List view). If you are searching by Contents then this pane also displays "
    "lines found within the selected files.";
inline constexpr const char* kDefaultContentsFace = "Arial";
inline constexpr int kDefaultContentsPointSize = 80;  // tenths of a point
inline constexpr const char* kCouldNotCreateRegularFont = "Could not create regular font";
inline constexpr const char* kCouldNotCreateFoundFont = "Could not create found font";
inline constexpr const char* kCouldNotCreateBoldFont = "Could not create bold font";
inline constexpr const char* kCouldNotCreateRegularPrintingFont =
    "Could not create regular printing font";
inline constexpr const char* kCouldNotCreateFoundPrintingFont =
    "Could not create found printing font";
inline constexpr const char* kCouldNotCreateBoldPrintingFont =
    "Could not create bold printing font";
inline constexpr const char* kCouldNotStartPrintJob = "Could not start print job.";
inline constexpr const char* kPrintingTitle = "Printing";
inline constexpr const char* kPrintingPageFormat = "Page %u";

// Regular, found and bold fonts made for one device; a font that could not be made is
// missing and the painter's own font stands in.
struct ContentsFontSet {
    std::optional<QFont> regular;
    std::optional<QFont> found;
    std::optional<QFont> bold;
    int key = 0;  // tells the segment caches that the fonts changed
};

class CFileContentsView : public QAbstractScrollArea, public CommandTarget {
    Q_OBJECT

  public:
    // Adds itself to the document's views and reads the stored font.
    CFileContentsView(CDediDurarerDoc* doc, QWidget* parent);

    CDediDurarerDoc* document() const { return doc_; }

    // Arial, regular weight, fixed pitch, antialiased.
    static QFont defaultFont();
    const QFont& fontDescription() const { return fontDescription_; }
    int pointSize() const { return pointSize_; }
    const ContentsFontSet& screenFonts() const { return screenFonts_; }

    // The font and colour dialogs; each repaints however it closes.
    void chooseFont();
    void chooseHighlightColour();
    // What OK in those dialogs does with the choice.
    void applyChosenFont(const QFont& font);
    void applyChosenColour(std::uint32_t colour);

    // The print dialog, then the job. Print preview of the same pages.
    void print();
    void printPreview();
    // Prints every page (or the printer's page range) onto `printer`: makes the printing
    // fonts, counts the pages, then lays each one out. False when the job cannot start.
    bool printTo(QPrinter& printer, bool showProgress = false);
    // The page count of the last print job's counting pass.
    int printedPageCount() const { return printCount_.pages; }

    // The layout extent of the last screen paint.
    const ContentsRect& screenExtent() const { return screenExtent_; }

    bool handleCommand(int commandId) override;
    bool updateCommand(int commandId, CommandState& state) override;

    // Colours with red in the low byte, as they are stored.
    static QColor colourFromValue(std::uint32_t value);
    static std::uint32_t valueFromColour(const QColor& colour);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void customEvent(QEvent* event) override;

  private:
    void readStoredFont();
    bool makeFonts(ContentsFontSet& fonts, QPaintDevice& device, const char* const messages[3]);
    void prepareScreen();
    void startPrintJob(QPrinter& printer);
    void printPage(QPainter& painter, QPrinter& printer);
    ContentsLayoutRequest printerRequest(QPrinter& printer) const;
    // The stored highlight colour, copied into the document.
    ContentsOptions readOptions();
    bool boldSummary() const;
    void repaintNow();

    CDediDurarerDoc* doc_;
    ContentsFontSet screenFonts_;
    ContentsFontSet printingFonts_;
    QFont fontDescription_;
    int pointSize_ = kDefaultContentsPointSize;
    bool printingFontsMade_ = false;
    bool screenFontsMade_ = false;
    int printPageIndex_ = 0;
    ContentsLayoutRequest printCount_;
    ContentsRect screenExtent_;
    LazyContentsLayout layout_;
};

}  // namespace scoutwell
