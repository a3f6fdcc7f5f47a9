// A small looping animation that says "busy": a ring of dots whose bright spot runs round,
// drawn by the program itself.
//
//   animation->show(); animation->start();   // repeats until stopped
//   animation->stop(); animation->hide();
//
// Exercised by tests/gui/SearchFormTest.cpp.
#pragma once

#include <QTimer>
#include <QWidget>

namespace scoutwell {

class BusyAnimation : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFrameCount = 12;
    static constexpr int kFrameIntervalMs = 80;

    explicit BusyAnimation(QWidget* parent = nullptr);

    // Plays from the first frame to the last, again and again.
    void start();
    // Stops and goes back to the first frame.
    void stop();
    bool running() const { return timer_.isActive(); }
    int frame() const { return frame_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QTimer timer_;
    int frame_ = 0;
};

}  // namespace scoutwell
