#include <gtest/gtest.h>

#include "workflow/TargetText.h"

using engine::EliminationOptions;
using workflow::MakeTargetText;

namespace {

TEST(MakeTargetText, AddsHeaderAndFooterAfterBothPasses) {
    EliminationOptions o;
    o.AddHeader = true;
    o.AddFooter = true;
    o.HeaderText = u"; head \r\n";
    o.FooterText = u"; foot\r\n";
    EXPECT_EQ(MakeTargetText(u"x\r\nnop ; c\r\n\r\n", o, u"\r\n"),
              u"; head \r\nx\r\nnop\r\n; foot\r\n");
}

TEST(MakeTargetText, BlocksTakeTheLineBreakOfALineFeedText) {
    EliminationOptions o;
    o.AddHeader = true;
    o.HeaderText = u";a\r\n;b\r\n";
    EXPECT_EQ(MakeTargetText(u"x ; c\ny\n", o, u"\n"), u";a\n;b\nx\ny\n");
}

TEST(TargetPathFor, AppendsTheExtensionUnchanged) {
    EXPECT_EQ(workflow::TargetPathFor("/src/A.ASM", true, ".TX_"), "/src/A.ASM.TX_");
    EXPECT_EQ(workflow::TargetPathFor("/src/A.ASM", true, "BAK"), "/src/A.ASMBAK");
    EXPECT_EQ(workflow::TargetPathFor("/src/A.ASM", true, ""), "/src/A.ASM");
    EXPECT_EQ(workflow::TargetPathFor("/src/A.ASM", false, ".TX_"), "/src/A.ASM");
}

}  // namespace
