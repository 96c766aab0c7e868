#include <gtest/gtest.h>

#include <QProgressBar>

#include <climits>

#include "window/ProgressBarSink.h"

namespace {

TEST(ProgressBarSink, ShowsTheRunMovesAtMostEveryIntervalAndScalesHugeRuns) {
    qint64 now = 1000;
    const auto waitForTheNextRepaint = [&] { now += window::ProgressBarSink::kRepaintInterval; };
    QProgressBar bar;
    bar.hide();
    window::ProgressBarSink sink(&bar, [&] { return now; });
    sink.Start(1001);
    EXPECT_FALSE(bar.isHidden());
    EXPECT_EQ(bar.maximum(), 1001);
    now += window::ProgressBarSink::kRepaintInterval - 1;
    sink.SetValue(40);  // too soon: a repaint waits for the display
    EXPECT_EQ(bar.value(), 0);
    waitForTheNextRepaint();
    sink.SetValue(43);  // less than a percent further: not worth a look at the clock
    EXPECT_EQ(bar.value(), 0);
    sink.SetValue(60);
    EXPECT_EQ(bar.value(), 60);
    sink.SetValue(80);  // the interval runs from that repaint
    EXPECT_EQ(bar.value(), 60);
    sink.Finish();
    EXPECT_TRUE(bar.isHidden());

    const std::size_t huge = std::size_t{1} << 32;  // beyond the range of a bar, and of an int
    sink.Start(huge);
    waitForTheNextRepaint();
    sink.SetValue(huge);
    EXPECT_GT(bar.maximum(), INT_MAX / 2);
    EXPECT_EQ(bar.value(), bar.maximum());
}

}  // namespace
