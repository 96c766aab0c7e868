#include "ProgressBarSink.h"

#include <QProgressBar>

#include <chrono>
#include <climits>

namespace window {

void ProgressBarSink::Start(std::size_t maximum) {
    scale_ = maximum / INT_MAX + 1;
    stride_ = maximum / 100 + 1;
    nextPaint_ = stride_;
    bar_->setMaximum(static_cast<int>(maximum / scale_));
    bar_->setValue(0);
    bar_->show();
    lastPaint_ = clock_();
}

void ProgressBarSink::SetValue(std::size_t value) {
    if (value >= nextPaint_) {
        Paint(value);
    }
}

void ProgressBarSink::Finish() {
    bar_->hide();
}

void ProgressBarSink::Paint(std::size_t value) {
    nextPaint_ = value + stride_;
    if (const qint64 now = clock_(); now - lastPaint_ >= kRepaintInterval) {
        bar_->setValue(static_cast<int>(value / scale_));  // repaints the visible bar at once
        lastPaint_ = now;
    }
}

qint64 ProgressBarSink::SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace window
