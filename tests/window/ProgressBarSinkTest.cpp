#include <gtest/gtest.h>

#include <QProgressBar>

#include <climits>

#include "window/ProgressBarSink.h"

namespace {

TEST(ProgressBarSink, ShowsTheRunAndMovesAtLeastEveryPercent) {
    QProgressBar bar;
    bar.hide();
    window::ProgressBarSink sink(&bar);
    sink.Start(1001);
    EXPECT_FALSE(bar.isHidden());
    EXPECT_EQ(bar.maximum(), 1001);
    EXPECT_EQ(bar.value(), 0);
    sink.SetValue(3);  // less than a percent: not worth a repaint yet
    EXPECT_EQ(bar.value(), 0);
    sink.SetValue(40);
    EXPECT_EQ(bar.value(), 40);
    sink.SetValue(1001);
    EXPECT_EQ(bar.value(), 1001);
    sink.Finish();
    EXPECT_TRUE(bar.isHidden());
}

TEST(ProgressBarSink, CountsInLargerStepsBeyondTheRangeOfABar) {
    QProgressBar bar;
    window::ProgressBarSink sink(&bar);
    const std::size_t huge = std::size_t{INT_MAX} * 3;
    sink.Start(huge);
    sink.SetValue(huge);
    EXPECT_GT(bar.maximum(), INT_MAX / 2);
    EXPECT_EQ(bar.value(), bar.maximum());
}

}  // namespace
