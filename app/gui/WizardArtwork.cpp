#include "app/gui/WizardArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace scoutwell {

namespace {

// The scene is drawn in a box of these logical units, scaled to the widget's width and
// centred in its height.
constexpr double kSceneWidth = 100.0;
constexpr double kSceneHeight = 120.0;
// The panel is this many text lines wide, so that it keeps its share of the page in any
// font.
constexpr int kWidthInLines = 7;

const QColor kPanelTop(0x2f, 0x5f, 0x98);
const QColor kPanelBottom(0x9c, 0xc1, 0xe6);
const QColor kOutline(0x3c, 0x4a, 0x5c);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPaperFold(0xd5, 0xdf, 0xea);
const QColor kTextLine(0xa7, 0xb3, 0xc1);
const QColor kMarker(0xff, 0xd6, 0x4a);
const QColor kFolderBack(0xd9, 0xa4, 0x35);
const QColor kFolderFront(0xf4, 0xc9, 0x5d);
const QColor kDiskTop(0xe4, 0xe8, 0xec);
const QColor kDiskBottom(0x9d, 0xa6, 0xb0);
const QColor kDiskLight(0x4c, 0xc2, 0x5a);
const QColor kLensTint(0xdf, 0xef, 0xff, 0x70);

void drawPaper(QPainter& p, const QRectF& r) {
    constexpr double fold = 12.0;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(kPaperFold);
    p.drawPath(corner);
}

void drawTextLine(QPainter& p, double x1, double x2, double y, const QColor& colour, double width) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
}

void drawMagnifier(QPainter& p, const QPointF& centre, double radius) {
    // The handle leaves the lens towards the lower right.
    const QPointF edge = centre + QPointF(radius * 0.72, radius * 0.72);
    const QPointF end = centre + QPointF(radius * 1.75, radius * 1.75);
    p.setPen(QPen(kOutline, 6.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(edge, end);
    p.setPen(QPen(kOutline, 3.0));
    p.setBrush(kLensTint);
    p.drawEllipse(centre, radius, radius);
    // A glint on the glass.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(
        QRectF(centre.x() - radius * 0.6, centre.y() - radius * 0.6, radius * 1.2, radius * 1.2),
        100 * 16, 60 * 16);
}

void drawFileName(QPainter& p) {
    drawPaper(p, QRectF(24, 12, 48, 62));
    for (double y : {30.0, 38.0, 46.0})
        drawTextLine(p, 32, 62, y, kTextLine, 2.5);
    // The name tag below the sheet.
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(kMarker);
    p.drawRoundedRect(QRectF(14, 80, 60, 16), 4, 4);
    drawTextLine(p, 22, 60, 88, kOutline, 2.5);
    drawMagnifier(p, QPointF(66, 84), 12);
}

void drawContents(QPainter& p) {
    drawPaper(p, QRectF(18, 10, 58, 80));
    for (double y = 26; y <= 80; y += 7) {
        const bool marked = y == 47;
        if (marked) {
            p.setPen(Qt::NoPen);
            p.setBrush(kMarker);
            p.drawRect(QRectF(24, y - 3.5, 46, 7));
        }
        drawTextLine(p, 27, y == 33 || y == 68 ? 54 : 66, y, marked ? kOutline : kTextLine, 2.2);
    }
    drawMagnifier(p, QPointF(60, 50), 15);
}

void drawLocation(QPainter& p) {
    // The hard disk.
    const QRectF disk(12, 70, 76, 24);
    QLinearGradient metal(disk.topLeft(), disk.bottomLeft());
    metal.setColorAt(0, kDiskTop);
    metal.setColorAt(1, kDiskBottom);
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(metal);
    p.drawRoundedRect(disk, 5, 5);
    drawTextLine(p, 20, 56, 82, kOutline, 2.0);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kDiskLight);
    p.drawEllipse(QPointF(78, 82), 3, 3);
    // The folder standing on it.
    QPainterPath back;
    back.moveTo(20, 64);
    back.lineTo(20, 24);
    back.lineTo(40, 24);
    back.lineTo(45, 30);
    back.lineTo(78, 30);
    back.lineTo(78, 64);
    back.closeSubpath();
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kFolderBack);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(20, 64);
    front.lineTo(24, 38);
    front.lineTo(82, 38);
    front.lineTo(78, 64);
    front.closeSubpath();
    p.setBrush(kFolderFront);
    p.drawPath(front);
    drawMagnifier(p, QPointF(64, 44), 12);
}

}  // namespace

WizardArtwork::WizardArtwork(Picture picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

QSize WizardArtwork::sizeHint() const {
    const int width = fontMetrics().height() * kWidthInLines;
    return QSize(width, static_cast<int>(width * kSceneHeight / kSceneWidth));
}

QSize WizardArtwork::minimumSizeHint() const {
    return sizeHint();
}

void WizardArtwork::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient panel(0, 0, 0, height());
    panel.setColorAt(0, kPanelTop);
    panel.setColorAt(1, kPanelBottom);
    p.fillRect(rect(), panel);

    const double scale = std::min(width() / kSceneWidth, height() / kSceneHeight);
    // The scene sits in the upper part of a tall panel, where the page's question is.
    const double top = std::min((height() - kSceneHeight * scale) / 2, height() / 8.0);
    p.translate((width() - kSceneWidth * scale) / 2, top);
    p.scale(scale, scale);
    switch (picture_) {
        case fileNamePicture:
            drawFileName(p);
            break;
        case contentsPicture:
            drawContents(p);
            break;
        case locationPicture:
            drawLocation(p);
            break;
    }
}

}  // namespace scoutwell
