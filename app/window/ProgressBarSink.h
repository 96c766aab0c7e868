#pragma once

#include <QElapsedTimer>

#include "engine/Progress.h"

class QProgressBar;

namespace window {

/// Shows an elimination's progress on a bar while the command holds the thread: the bar is
/// repainted at once (no events are handled meanwhile), but only when it has moved by a percent
/// or 50 ms have passed, so that a run of millions of steps costs little.
class ProgressBarSink final : public engine::ProgressSink {
public:
    explicit ProgressBarSink(QProgressBar* bar) : bar_(bar) {}
    void Start(std::size_t maximum) override;
    void SetValue(std::size_t value) override;
    void Finish() override;

private:
    void Paint(std::size_t value);

    QProgressBar* bar_;
    std::size_t scale_ = 1;      // a bar counts in int; larger texts are counted in steps of this
    std::size_t nextPaint_ = 0;  // the value at which the next repaint is due
    std::size_t stride_ = 1;
    std::size_t steps_ = 0;
    QElapsedTimer sincePaint_;
};

}  // namespace window
