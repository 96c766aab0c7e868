#pragma once

#include <QElapsedTimer>

#include "engine/Progress.h"

class QProgressBar;

namespace window {

/// Shows an elimination's progress on a bar while the command holds the thread. A visible bar
/// repaints at once when its value changes (no events are handled meanwhile), so the value is
/// set at most every 50 ms: on a real display each repaint waits for the display server, and a
/// batch of thousands of short runs would spend its time there.
class ProgressBarSink final : public engine::ProgressSink {
public:
    explicit ProgressBarSink(QProgressBar* bar) : bar_(bar) {}
    void Start(std::size_t maximum) override;
    void SetValue(std::size_t value) override;
    void Finish() override;

    /// The least time between two repaints, in milliseconds.
    static constexpr qint64 kRepaintInterval = 50;

private:
    void Paint(std::size_t value);

    QProgressBar* bar_;
    std::size_t scale_ = 1;      // a bar counts in int; larger texts are counted in steps of this
    std::size_t nextPaint_ = 0;  // the value at which the next repaint is due
    std::size_t stride_ = 1;
    QElapsedTimer sincePaint_;
};

}  // namespace window
