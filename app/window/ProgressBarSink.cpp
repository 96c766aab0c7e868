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
    sincePaint_.start();
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
    if (sincePaint_.elapsed() >= kRepaintInterval) {
        bar_->setValue(static_cast<int>(value / scale_));  // repaints the visible bar at once
        sincePaint_.restart();
    }
}

}  // namespace window
