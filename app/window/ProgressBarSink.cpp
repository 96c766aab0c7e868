#include "ProgressBarSink.h"

#include <QProgressBar>

#include <climits>

namespace window {

void ProgressBarSink::Start(std::size_t maximum) {
    scale_ = maximum / INT_MAX + 1;
    stride_ = maximum / 100 + 1;
    nextPaint_ = stride_;
    bar_->setMaximum(static_cast<int>(maximum / scale_));
    bar_->setValue(0);
    bar_->show();
    bar_->repaint();
    sincePaint_.start();
}

void ProgressBarSink::SetValue(std::size_t value) {
    // The clock is read once in 1024 steps: a step can be a few nanoseconds of work.
    if (value >= nextPaint_ || ((++steps_ & 1023) == 0 && sincePaint_.elapsed() >= 50)) {
        Paint(value);
    }
}

void ProgressBarSink::Finish() {
    bar_->hide();
}

void ProgressBarSink::Paint(std::size_t value) {
    bar_->setValue(static_cast<int>(value / scale_));
    bar_->repaint();
    nextPaint_ = value + stride_;
    sincePaint_.restart();
}

}  // namespace window
