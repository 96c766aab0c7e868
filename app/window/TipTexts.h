#pragma once

#include <array>

namespace window {

inline constexpr int kTipCount = 57;

/// The captions of the tip tour, UTF-8, in tour order.
extern const std::array<const char*, kTipCount> kTips;
/// The caption after the last tip; the tour then starts again at the second tip.
extern const char* const kTourEnd;

}  // namespace window
