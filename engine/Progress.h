#pragma once

#include <cstddef>

namespace engine {

/// Receives the progress of a comment elimination run, which may take seconds on a large text.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    /// The run begins: the bar goes from 0 to `maximum` and now stands at 0.
    virtual void Start(std::size_t maximum) = 0;
    /// A top-level step has ended; `value` never decreases during one run.
    virtual void SetValue(std::size_t value) = 0;
    /// The run has ended.
    virtual void Finish() = 0;
};

}  // namespace engine
