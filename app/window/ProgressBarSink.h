#pragma once

#include <QtGlobal>

#include <functional>

#include "engine/Progress.h"

class QProgressBar;

namespace window {

/// Shows an elimination's progress on a bar while the command holds the thread. A visible bar
/// repaints at once when its value changes (no events are handled meanwhile), so the value is
/// set at most every 50 ms: on a real display each repaint waits for the display server, and a
/// batch of thousands of short runs would spend its time there.
class ProgressBarSink final : public engine::ProgressSink {
public:
    /// Milliseconds from a fixed point: the steady clock, unless the caller gives another.
    using Clock = std::function<qint64()>;

    explicit ProgressBarSink(QProgressBar* bar, Clock clock = SteadyMilliseconds)
        : bar_(bar), clock_(std::move(clock)) {}
    void Start(std::size_t maximum) override;
    void SetValue(std::size_t value) override;
    void Finish() override;

    /// The least time between two repaints, in milliseconds.
    static constexpr qint64 kRepaintInterval = 50;

private:
    static qint64 SteadyMilliseconds();
    void Paint(std::size_t value);

    QProgressBar* bar_;
    Clock clock_;
    std::size_t scale_ = 1;      // a bar counts in int; larger texts are counted in steps of this
    std::size_t nextPaint_ = 0;  // the value at which the next repaint is due
    std::size_t stride_ = 1;
    qint64 lastPaint_ = 0;  // when the bar was last set
};

}  // namespace window
