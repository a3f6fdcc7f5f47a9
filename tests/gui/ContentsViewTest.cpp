// The contents view in a document: what a selection shows, the stored font and colour,
// and printing to a PDF file.
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "GuiTestSupport.h"
#include "app/core/Settings.h"
#include "support/DocumentFiles.h"
#include "support/StoredGzip.h"
#include "support/TempTree.h"
#include "views/CFileContentsView.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::RecordingView;
using testing::TempTree;

class ContentsViewTest : public GuiTest {
  protected:
    std::unique_ptr<CDediDurarerDoc> makeDoc() { return std::make_unique<CDediDurarerDoc>(app); }

    // A document that searched `folder` for `text`, with its contents view on screen.
    struct Searched {
        std::unique_ptr<CDediDurarerDoc> doc;
        std::unique_ptr<RecordingView> recorder;
        std::unique_ptr<CFileContentsView> view;
    };
    Searched search(const std::string& folder, const std::function<void(SearchCriteria&)>& set) {
        Searched out{makeDoc(), nullptr, nullptr};
        out.doc->editedCriteria.lookIn = {folder};
        out.doc->editedCriteria.searchContents = true;
        set(out.doc->editedCriteria);
        out.recorder = std::make_unique<RecordingView>(out.doc.get());
        out.view = std::make_unique<CFileContentsView>(out.doc.get(), nullptr);
        out.view->resize(600, 400);
        out.view->show();
        EXPECT_TRUE(out.doc->startSearch());
        EXPECT_TRUE(out.recorder->waitFor(WM_SEARCH_CLEANEDUP));
        return out;
    }

    // Shows `lines` hit lines of one file in the document without a search.
    void showLines(CDediDurarerDoc& doc, int lines) {
        auto file = std::make_unique<FoundFile>(makeSharedText("/data/"), "big.txt", 100, 0);
        for (int n = 1; n <= lines; ++n)
            file->hits.emplace_back("line with a needle " + std::to_string(n), 12, 6, n);
        doc.shownItems = {file.get()};
        doc.resultsCriteria.searchContents = true;
        items_.push_back(std::move(file));
    }

    static int pdfPageCount(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QString pdf = QString::fromLatin1(file.readAll());
        return static_cast<int>(pdf.count(QRegularExpression("/Type\\s*/Page[^s]")));
    }

    std::vector<std::unique_ptr<FoundItem>> items_;
};

TEST_F(ContentsViewTest, SelectingResultsShowsTheirHitLines) {
    TempTree tree;
    tree.file("a.txt", "one needle\nnothing\nneedle again\n");
    Searched searched = search(tree.path(), [](SearchCriteria& c) {
        c.fileName = "*.txt";
        c.containingText = "needle";
        c.treatContentsAsRegExp = false;
    });
    CDediDurarerDoc* doc = searched.doc.get();
    CFileContentsView& view = *searched.view;

    view.grab();
    const int introHeight = view.screenExtent().bottom;
    EXPECT_GT(introHeight, 0);
    EXPECT_EQ(view.screenExtent().right, 0);

    doc->showContentsFor({tree.path("a.txt")});
    view.grab();
    ASSERT_TRUE(view.screenFonts().regular && view.screenFonts().bold);
    const QFontMetrics regular(*view.screenFonts().regular, view.viewport());
    const QFontMetrics bold(*view.screenFonts().bold, view.viewport());
    const int gap = view.viewport()->logicalDpiX() / 20;
    // The bold summary line, then the two hit lines.
    EXPECT_EQ(view.screenExtent().bottom, bold.height() + gap + 2 * (regular.height() + gap));
    EXPECT_GT(view.screenExtent().right, regular.horizontalAdvance("888888."));
}

// What a user sees of a line with three matches: three separate runs of highlighted text.
TEST_F(ContentsViewTest, EveryMatchOnALineIsDrawnInTheHighlightColour) {
    TempTree tree;
    tree.file("a.txt", "needle and then needle and then needle\n");
    Searched searched = search(tree.path(), [](SearchCriteria& c) {
        c.fileName = "*.txt";
        c.containingText = "needle";
        c.treatContentsAsRegExp = false;
    });
    CFileContentsView& view = *searched.view;
    view.applyChosenColour(0x0000FF);  // pure red
    searched.doc->showContentsFor({tree.path("a.txt")});
    const QImage image = view.viewport()->grab().toImage();

    // The columns holding red pixels, grouped into runs.
    std::vector<bool> red(static_cast<std::size_t>(image.width()), false);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 160 && c.green() < 90 && c.blue() < 90)
                red[static_cast<std::size_t>(x)] = true;
        }
    int runs = 0;
    int gap = 1000;
    for (const bool column : red) {
        if (column && gap > 3)
            ++runs;
        gap = column ? 0 : gap + 1;
    }
    EXPECT_EQ(runs, 3);
}

// A compressed log found with the option on shows its decompressed lines; the lines past
// the first chunk, which the walk did not read, are read again through the same decoding
// when the file is shown.
TEST_F(ContentsViewTest, CompressedFileShowsItsDecompressedLines) {
    TempTree tree;
    std::string log = "started\nfirst timeout\n";
    while (log.size() < 60000)
        log += "routine line of the log\n";
    log += "last timeout\n";
    tree.file("app.log.gz", testing::storedGzip(log));
    Searched searched = search(tree.path(), [](SearchCriteria& c) {
        c.containingText = "timeout";
        c.searchCompressed = true;
    });
    CDediDurarerDoc* doc = searched.doc.get();
    CFileContentsView& view = *searched.view;
    ASSERT_EQ(doc->results.count(), 1u);

    doc->showContentsFor({tree.path("app.log.gz")});
    ASSERT_EQ(doc->shownItems.size(), 1u);
    const FoundItem& shown = *doc->shownItems.front();
    ASSERT_EQ(shown.hits.size(), 2u);
    EXPECT_EQ(shown.hits[0].text, "first timeout");
    EXPECT_EQ(shown.hits[0].lineNumber, 2);
    EXPECT_EQ(shown.hits[1].text, "last timeout");
    EXPECT_TRUE(shown.hitsComplete);
    view.grab();
    const QFontMetrics regular(*view.screenFonts().regular, view.viewport());
    const QFontMetrics bold(*view.screenFonts().bold, view.viewport());
    const int gap = view.viewport()->logicalDpiX() / 20;
    EXPECT_EQ(view.screenExtent().bottom, bold.height() + gap + 2 * (regular.height() + gap));
}

// A .docx and a PDF found with the option on show the hit lines of their text, the match
// drawn in the highlight colour.
TEST_F(ContentsViewTest, DocumentsShowTheirTextLinesWithTheMatchHighlighted) {
    TempTree tree;
    tree.file("report.docx",
              testing::docxOf(testing::wordParagraph("Quarterly report") +
                              testing::wordParagraph("the server timeout is fixed")));
    tree.file("notes.pdf", testing::pdfOf({{"first page"}, {"second page", "a timeout again"}}));
    Searched searched = search(tree.path(), [](SearchCriteria& c) {
        c.containingText = "timeout";
        c.searchCompressed = true;
    });
    CDediDurarerDoc* doc = searched.doc.get();
    CFileContentsView& view = *searched.view;
    ASSERT_EQ(doc->results.count(), 2u);
    const QColor highlight = CFileContentsView::colourFromValue(doc->highlightColour);
    struct Case {
        const char* name;
        const char* line;
        int lineNumber;
    };
    for (const Case& c : {Case{"report.docx", "the server timeout is fixed", 2},
                          Case{"notes.pdf", "a timeout again", 3}}) {
        SCOPED_TRACE(c.name);
        doc->showContentsFor({tree.path(c.name)});
        ASSERT_EQ(doc->shownItems.size(), 1u);
        const FoundItem& shown = *doc->shownItems.front();
        ASSERT_EQ(shown.hits.size(), 1u);
        EXPECT_EQ(shown.hits[0].text, c.line);
        EXPECT_EQ(shown.hits[0].lineNumber, c.lineNumber);
        const QImage image = view.grab().toImage();
        int highlighted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                highlighted += std::abs(pixel.red() - highlight.red()) < 40 &&
                               std::abs(pixel.green() - highlight.green()) < 40 &&
                               std::abs(pixel.blue() - highlight.blue()) < 40;
            }
        }
        EXPECT_GT(highlighted, 20) << "no match drawn in the highlight colour";
    }
}

TEST_F(ContentsViewTest, FontsAreMadeFromTheChosenFontAndPointSize) {
    auto doc = makeDoc();
    CFileContentsView view(doc.get(), nullptr);
    EXPECT_EQ(view.fontDescription().family(), "Arial");
    EXPECT_EQ(view.pointSize(), 80);

    QFont chosen("DejaVu Sans Mono");
    chosen.setPointSizeF(12.5);
    chosen.setBold(true);
    chosen.setUnderline(true);
    chosen.setItalic(true);
    view.applyChosenFont(chosen);
    EXPECT_EQ(view.pointSize(), 125);
    EXPECT_EQ(view.fontDescription().weight(), QFont::Normal);
    EXPECT_FALSE(view.fontDescription().underline());
    EXPECT_TRUE(view.fontDescription().italic());

    view.grab();
    const ContentsFontSet& fonts = view.screenFonts();
    ASSERT_TRUE(fonts.regular && fonts.found && fonts.bold);
    const int pixels = (125 * view.viewport()->logicalDpiY() + 360) / 720;
    EXPECT_EQ(fonts.regular->pixelSize(), pixels);
    EXPECT_FALSE(fonts.regular->underline());
    EXPECT_TRUE(fonts.found->underline());
    EXPECT_EQ(fonts.found->weight(), QFont::Normal);
    EXPECT_EQ(fonts.bold->weight(), QFont::Bold);
    EXPECT_TRUE(fonts.bold->underline());

    // Stored, so the next view starts with it.
    CFileContentsView next(doc.get(), nullptr);
    EXPECT_EQ(next.pointSize(), 125);
    EXPECT_EQ(next.fontDescription().family(), view.fontDescription().family());
}

TEST_F(ContentsViewTest, AStyleNameFromTheFontDialogLeavesMatchedTextBold) {
    auto doc = makeDoc();
    CFileContentsView view(doc.get(), nullptr);
    // The font dialog names the style it shows; that name must not outweigh bold.
    QFont chosen("DejaVu Sans");
    chosen.setStyleName("Book");
    chosen.setPointSizeF(10);
    view.applyChosenFont(chosen);
    view.grab();
    const ContentsFontSet& fonts = view.screenFonts();
    ASSERT_TRUE(fonts.regular && fonts.bold);
    // A style name is matched instead of the weight, wherever the font has that style.
    EXPECT_TRUE(fonts.bold->styleName().isEmpty());
    EXPECT_TRUE(QFontInfo(*fonts.bold).bold());
    EXPECT_FALSE(QFontInfo(*fonts.regular).bold());

    // A font stored with its style name by an older build is made bold as well.
    QFont stored("DejaVu Sans");
    stored.setStyleName("Book");
    store.writeText(kWindowSettingsSection, kContentsFont, stored.toString().toStdString());
    CFileContentsView next(doc.get(), nullptr);
    next.grab();
    ASSERT_TRUE(next.screenFonts().bold);
    EXPECT_TRUE(next.screenFonts().bold->styleName().isEmpty());
}

TEST_F(ContentsViewTest, WithoutRememberWindowSizeOnlyTheColourIsStored) {
    writeSetting(store, kRememberWindowSize, 0);
    auto doc = makeDoc();
    CFileContentsView view(doc.get(), nullptr);
    QFont chosen("DejaVu Sans");
    chosen.setPointSize(14);
    view.applyChosenFont(chosen);
    view.applyChosenColour(0x0000FF);
    EXPECT_FALSE(store.contains(kWindowSettingsSection, kContentsFont));
    EXPECT_FALSE(store.contains(kWindowSettingsSection, kContentsFontPointSize));
    EXPECT_EQ(readSetting(store, kHighlightColor), 0x0000FF);
    EXPECT_EQ(doc->highlightColour, 0x0000FFu);
    EXPECT_EQ(CFileContentsView::colourFromValue(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(CFileContentsView::valueFromColour(QColor(1, 2, 3)), 0x030201u);
}

TEST_F(ContentsViewTest, DamagedStoredFontFallsBackToTheDefault) {
    store.writeText(kWindowSettingsSection, kContentsFont, "Courier,10,-1,5,400,0,0,0,0,0");
    store.writeInt(kWindowSettingsSection, kContentsFontPointSize, 0);
    auto doc = makeDoc();
    CFileContentsView view(doc.get(), nullptr);
    EXPECT_EQ(view.pointSize(), 80);
    EXPECT_EQ(view.fontDescription().family(), "Arial");
}

TEST_F(ContentsViewTest, PrintsEveryPageToPdfWithTheCountedPageTotal) {
    auto doc = makeDoc();
    CFileContentsView view(doc.get(), nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath("contents.pdf");
    const auto printLines = [&](int lines) {
        showLines(*doc, lines);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        EXPECT_TRUE(view.printTo(printer));
        return view.printedPageCount();
    };
    // Find the smallest number of lines that needs three pages.
    const int perPage = [&] {
        int lines = 1;
        while (printLines(lines) < 2)
            lines *= 2;
        int low = lines / 2;
        while (low + 1 < lines) {
            const int middle = (low + lines) / 2;
            (printLines(middle) < 2 ? low : lines) = middle;
        }
        return lines;
    }();
    int lines = 2 * perPage;
    while (printLines(lines) < 3)
        ++lines;
    EXPECT_EQ(view.printedPageCount(), 3);
    EXPECT_EQ(pdfPageCount(path), 3);
}

}  // namespace
}  // namespace scoutwell
