#include "framework/BusyAnimation.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace scoutwell {

namespace {

// The ring is this many text lines high, so it scales with the user's font.
constexpr double kLinesHigh = 2.0;
// Dots behind the bright one fade over this many frames.
constexpr int kTrailLength = 6;
constexpr int kDimmestAlpha = 40;

}  // namespace

BusyAnimation::BusyAnimation(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(kFrameIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrameCount;
        update();
    });
}

void BusyAnimation::start() {
    frame_ = 0;
    timer_.start();
    update();
}

void BusyAnimation::stop() {
    timer_.stop();
    frame_ = 0;
    update();
}

QSize BusyAnimation::sizeHint() const {
    const int side = static_cast<int>(std::lround(fontMetrics().height() * kLinesHigh));
    return {side, side};
}

void BusyAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double side = std::min(width(), height());
    const double dotRadius = side / 10.0;
    const double ringRadius = side / 2.0 - dotRadius - 1.0;
    const QPointF centre(width() / 2.0, height() / 2.0);
    QColor colour = palette().color(QPalette::Highlight);
    for (int i = 0; i < kFrameCount; ++i) {
        // How many frames ago the bright spot passed this dot.
        const int age = (frame_ - i + kFrameCount) % kFrameCount;
        const int alpha = age < kTrailLength && running()
                              ? 255 - age * (255 - kDimmestAlpha) / kTrailLength
                              : kDimmestAlpha;
        colour.setAlpha(alpha);
        painter.setBrush(colour);
        const double angle = 2.0 * std::numbers::pi * i / kFrameCount - std::numbers::pi / 2.0;
        const QPointF at(centre.x() + ringRadius * std::cos(angle),
                         centre.y() + ringRadius * std::sin(angle));
        painter.drawEllipse(at, dotRadius, dotRadius);
    }
}

}  // namespace scoutwell
