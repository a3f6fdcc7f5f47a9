#include "views/CFileContentsView.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSignalBlocker>
#include <array>
#include <cmath>
#include <limits>

#include "app/core/Settings.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/Messages.h"
#include "engine/Text.h"
#include "framework/CommandIds.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr const char* kScreenFontMessages[3] = {kCouldNotCreateRegularFont,
                                                kCouldNotCreateFoundFont, kCouldNotCreateBoldFont};
constexpr const char* kPrintingFontMessages[3] = {kCouldNotCreateRegularPrintingFont,
                                                  kCouldNotCreateFoundPrintingFont,
                                                  kCouldNotCreateBoldPrintingFont};

// Every font set gets a key of its own, so no cached wrap outlives its fonts.
int nextFontKey() {
    static int key = 0;
    return ++key;
}

// MulDiv rounded to nearest, for positive operands.
int mulDiv(int number, int numerator, int denominator) {
    return static_cast<int>(
        std::lround(static_cast<double>(number) * numerator / static_cast<double>(denominator)));
}

// The layout's device over a QPainter (or none, for measuring only) and one font set.
class QtContentsDevice : public ContentsDevice {
  public:
    QtContentsDevice(QPaintDevice& device, QPainter* painter, const ContentsFontSet& fonts,
                     bool printing)
        : painter_(painter),
          printing_(printing),
          dpiX_(device.logicalDpiX()),
          key_(fonts.key),
          fonts_{fontOr(fonts.regular, painter, device), fontOr(fonts.found, painter, device),
                 fontOr(fonts.bold, painter, device)},
          metrics_{QFontMetrics(fonts_[0], &device), QFontMetrics(fonts_[1], &device),
                   QFontMetrics(fonts_[2], &device)} {}

    bool printing() const override { return printing_; }
    int pixelsPerInchX() const override { return dpiX_; }
    int fontKey() const override { return key_; }

    int textWidth(ContentsFontRole font, std::string_view text) const override {
        return metrics(font).horizontalAdvance(toQString(text));
    }

    int fitCount(ContentsFontRole font, std::string_view text, int maxWidth) const override {
        // Widths grow with the prefix, so the longest prefix that fits is found by halving.
        int low = 0;
        int high = static_cast<int>(text.size());
        while (low < high) {
            const int middle = low + (high - low + 1) / 2;
            if (textWidth(font, text.substr(0, static_cast<std::size_t>(middle))) <= maxWidth)
                low = middle;
            else
                high = middle - 1;
        }
        return low;
    }

    int fontHeight(ContentsFontRole font) const override { return metrics(font).height(); }

    void drawText(int x, int y, ContentsFontRole font, std::uint32_t colour,
                  std::string_view text) override {
        if (!painter_)
            return;
        painter_->setFont(fonts_[index(font)]);
        painter_->setPen(CFileContentsView::colourFromValue(colour));
        painter_->drawText(x, y + metrics(font).ascent(), toQString(text));
    }

  private:
    static QFont fontOr(const std::optional<QFont>& font, QPainter* painter, QPaintDevice& device) {
        if (font)
            return QFont(*font, &device);
        return painter ? painter->font() : QFont(QFont(), &device);
    }
    static QString toQString(std::string_view text) { return qStringFromBytes(text); }
    static std::size_t index(ContentsFontRole font) { return static_cast<std::size_t>(font); }
    const QFontMetrics& metrics(ContentsFontRole font) const { return metrics_[index(font)]; }

    QPainter* painter_;
    bool printing_;
    int dpiX_;
    int key_;
    std::array<QFont, 3> fonts_;
    std::array<QFontMetrics, 3> metrics_;
};

}  // namespace

CFileContentsView::CFileContentsView(CDediDurarerDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), fontDescription_(defaultFont()) {
    if (doc_)
        doc_->addView(this);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    readStoredFont();
}

QFont CFileContentsView::defaultFont() {
    QFont font(QString::fromLatin1(kDefaultContentsFace));
    font.setWeight(QFont::Normal);
    font.setFixedPitch(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setPointSizeF(kDefaultContentsPointSize / 10.0);
    return font;
}

void CFileContentsView::readStoredFont() {
    fontDescription_ = defaultFont();
    pointSize_ = kDefaultContentsPointSize;
    if (!doc_)
        return;
    const SettingsStore& store = doc_->settings();
    if (!rememberWindowSize(store))
        return;
    const auto description = store.findText(kWindowSettingsSection, kContentsFont);
    const auto size = store.findInt(kWindowSettingsSection, kContentsFontPointSize);
    QFont font;
    // A size that is not positive could never make a font, so it counts as unreadable.
    if (!description || !size || *size <= 0 || !font.fromString(qStringFromBytes(*description)))
        return;
    fontDescription_ = font;
    pointSize_ = *size;
}

bool CFileContentsView::makeFonts(ContentsFontSet& fonts, QPaintDevice& device,
                                  const char* const messages[3]) {
    fonts = ContentsFontSet();
    fonts.key = nextFontKey();
    const int pixels = mulDiv(pointSize_, device.logicalDpiY(), 720);
    const auto make = [&](QFont::Weight weight, bool underline) -> std::optional<QFont> {
        if (pixels <= 0)
            return std::nullopt;
        QFont font(fontDescription_, &device);
        font.setPixelSize(pixels);
        // A style name ("Regular") would be matched instead of the weight.
        font.setStyleName(QString());
        font.setWeight(weight);
        font.setUnderline(underline);
        return font;
    };
    fonts.regular = make(QFont::Normal, false);
    if (!fonts.regular) {
        showMessage(messages[0]);
        return false;
    }
    fonts.found = make(QFont::Normal, true);
    if (!fonts.found) {
        showMessage(messages[1]);
        return false;
    }
    fonts.bold = make(QFont::Bold, true);
    if (!fonts.bold) {
        showMessage(messages[2]);
        return false;
    }
    return true;
}

QColor CFileContentsView::colourFromValue(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

std::uint32_t CFileContentsView::valueFromColour(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

ContentsOptions CFileContentsView::readOptions() {
    ContentsOptions options;
    if (!doc_)
        return options;
    doc_->highlightColour = static_cast<std::uint32_t>(
        doc_->settings().readInt(kHighlightColor.section, kHighlightColor.name,
                                 static_cast<std::int32_t>(doc_->highlightColour)));
    options.highlightColour = doc_->highlightColour;
    options.wordWrap = doc_->wordWrap;
    options.highlight = &doc_->highlightExpression;
    return options;
}

bool CFileContentsView::boldSummary() const {
    return doc_ && doc_->resultsCriteria.searchContents;
}

void CFileContentsView::prepareScreen() {
    if (screenFontsMade_)
        return;
    if (makeFonts(screenFonts_, *viewport(), kScreenFontMessages))
        screenFontsMade_ = true;
}

void CFileContentsView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    prepareScreen();
    const int scrollX = horizontalScrollBar()->value();
    const int scrollY = verticalScrollBar()->value();
    // The layout paints from the scroll position down, so the painter only moves sideways.
    painter.translate(-scrollX, 0);

    // Only the shown items that meet the viewport are laid out and drawn; the others keep
    // the heights they had, estimated until they are first shown.
    const ContentsOptions options = readOptions();
    static const std::vector<FoundItem*> noItems;
    const std::vector<FoundItem*>& items = doc_ ? doc_->shownItems : noItems;
    const int width = options.wordWrap ? viewport()->width() : 0;
    QtContentsDevice device(*viewport(), &painter, screenFonts_, false);
    const std::int64_t top =
        layout_.paint(items, device, options, boldSummary(), width, scrollY, viewport()->height());
    constexpr std::int64_t kLargestScroll = std::numeric_limits<int>::max();
    ContentsLayoutRequest request;
    request.extent = ContentsRect{
        0, 0, layout_.widest(), static_cast<int>(std::min(layout_.totalHeight(), kLargestScroll))};
    const QFont screenFont = screenFonts_.regular ? *screenFonts_.regular : painter.font();
    if (!doc_ || doc_->shownItems.empty()) {
        const QString intro = QString::fromLatin1(kContentsViewIntro);
        const QRect client(0, 0, viewport()->width(), viewport()->height());
        const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
        painter.setFont(screenFont);
        painter.translate(0, -scrollY);
        const QRect measured = painter.boundingRect(client, flags, intro);
        painter.drawText(QRect(0, 0, client.width(), measured.height()), flags, intro);
        request.extent = ContentsRect{0, 0, 0, measured.height()};
    }
    screenExtent_ = request.extent;

    const QFontMetrics metrics(screenFont, viewport());
    horizontalScrollBar()->setRange(0, std::max(0, request.extent.right - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, request.extent.bottom - viewport()->height()));
    if (top != scrollY) {
        // Rows laid out above the viewport moved what was on show; follow it without a
        // second paint.
        const QSignalBlocker quiet(verticalScrollBar());
        verticalScrollBar()->setValue(static_cast<int>(std::min(top, kLargestScroll)));
    }
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setSingleStep(std::max(1, metrics.averageCharWidth()));
    verticalScrollBar()->setSingleStep(std::max(1, metrics.height()));
}

void CFileContentsView::repaintNow() {
    viewport()->update();
    viewport()->repaint();
}

void CFileContentsView::customEvent(QEvent* event) {
    SearchEvent* message = SearchEvent::from(event);
    if (!message)
        return;
    switch (message->message()) {
        case WM_SEARCH_STARTED:
        case WM_SHOW_CONTENTS:
            layout_.reset();
            repaintNow();
            break;
        case WM_TOGGLE_WORDWRAP:
            repaintNow();
            break;
        case WM_SET_CONTENTS_FONT:
            chooseFont();
            break;
        case WM_SET_HIGHLIGHT_COLOUR:
            chooseHighlightColour();
            break;
        case WM_PRINT_CONTENTS:
            print();
            break;
        case WM_PREVIEW_CONTENTS:
            printPreview();
            break;
        default:
            break;
    }
}

void CFileContentsView::chooseFont() {
    QFont initial = fontDescription_;
    initial.setPointSizeF(pointSize_ / 10.0);
    // The dialog offers the family the view really draws with, not a missing one.
    initial.setFamily(QFontInfo(initial).family());
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, this);
    if (ok)
        applyChosenFont(chosen);
    repaintNow();
}

void CFileContentsView::applyChosenFont(const QFont& font) {
    if (font.pointSizeF() > 0)
        pointSize_ = static_cast<int>(std::lround(font.pointSizeF() * 10));
    else if (font.pixelSize() > 0)
        pointSize_ = mulDiv(font.pixelSize(), 720, std::max(1, logicalDpiY()));
    QFont description = font;
    description.setStyleName(QString());
    description.setWeight(QFont::Normal);
    description.setUnderline(false);
    fontDescription_ = description;
    screenFonts_ = ContentsFontSet();
    screenFontsMade_ = false;
    if (!doc_)
        return;
    SettingsStore& store = doc_->settings();
    if (rememberWindowSize(store)) {
        store.writeText(kWindowSettingsSection, kContentsFont,
                        bytesFromQString(fontDescription_.toString()));
        store.writeInt(kWindowSettingsSection, kContentsFontPointSize, pointSize_);
    }
}

void CFileContentsView::chooseHighlightColour() {
    const ContentsOptions options = readOptions();
    const QColor chosen = QColorDialog::getColor(colourFromValue(options.highlightColour), this);
    if (chosen.isValid())
        applyChosenColour(valueFromColour(chosen));
    repaintNow();
}

void CFileContentsView::applyChosenColour(std::uint32_t colour) {
    if (!doc_)
        return;
    doc_->highlightColour = colour;
    // Stored whatever "RememberWindowSize" says: the colour is not a window size.
    writeSetting(doc_->settings(), kHighlightColor, static_cast<std::int32_t>(colour));
}

ContentsLayoutRequest CFileContentsView::printerRequest(QPrinter& printer) const {
    ContentsLayoutRequest request;
    const int margin = printer.logicalDpiX() / 2;
    request.leftMargin = request.rightMargin = request.topMargin = request.bottomMargin = margin;
    request.width = printer.width() - 2 * margin;
    request.height = printer.height() - 2 * margin;
    request.items = doc_ ? &doc_->shownItems : nullptr;
    request.render = true;
    request.boldSummary = boldSummary();
    return request;
}

void CFileContentsView::startPrintJob(QPrinter& printer) {
    printingFontsMade_ = makeFonts(printingFonts_, printer, kPrintingFontMessages);
    printCount_ = printerRequest(printer);
    printCount_.render = false;
    QtContentsDevice device(printer, nullptr, printingFonts_, true);
    drawContents(printCount_, device, readOptions());
}

void CFileContentsView::printPage(QPainter& painter, QPrinter& printer) {
    ContentsLayoutRequest request = printerRequest(printer);
    request.startPage = printPageIndex_;
    request.pageLimit = request.startPage + 1;
    request.totalPages = printCount_.pages;
    QtContentsDevice device(printer, &painter, printingFonts_, true);
    drawContents(request, device, readOptions());
}

bool CFileContentsView::printTo(QPrinter& printer, bool showProgress) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        showMessage(kCouldNotStartPrintJob);
        return false;
    }
    startPrintJob(printer);
    const int pages = printCount_.pages;
    const int first = printer.fromPage() > 0 ? printer.fromPage() : 1;
    const int last = printer.toPage() > 0 ? std::min(printer.toPage(), pages) : pages;

    std::unique_ptr<QProgressDialog> progress;
    if (showProgress) {
        progress = std::make_unique<QProgressDialog>(this);
        progress->setWindowTitle(QString::fromLatin1(kPrintingTitle));
        progress->setRange(first, last + 1);
        progress->setMinimumDuration(0);
        progress->setWindowModality(Qt::WindowModal);
    }
    for (int page = first; page <= last; ++page) {
        if (progress) {
            progress->setLabelText(
                (doc_ ? doc_->title() : QString()) + "\n" + printer.printerName() + "\n" +
                printer.outputFileName() + "\n" +
                qStringFromBytes(text::format(kPrintingPageFormat, static_cast<unsigned>(page))));
            progress->setValue(page);
            if (progress->wasCanceled()) {
                printer.abort();
                break;
            }
        }
        if (page > first)
            printer.newPage();
        printPageIndex_ = page - 1;
        printPage(painter, printer);
    }
    painter.end();
    return true;
}

void CFileContentsView::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, 0xFFFF);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printTo(printer, true);
}

void CFileContentsView::printPreview() {
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { printTo(*printer); });
    preview.exec();
}

bool CFileContentsView::handleCommand(int commandId) {
    switch (commandId) {
        case ID_FILE_PRINT:
            print();
            return true;
        case ID_FILE_PRINT_PREVIEW:
            printPreview();
            return true;
        default:
            return false;
    }
}

bool CFileContentsView::updateCommand(int commandId, CommandState& state) {
    if (commandId != ID_FILE_PRINT && commandId != ID_FILE_PRINT_PREVIEW)
        return false;
    state.enabled = true;
    return true;
}

}  // namespace scoutwell
