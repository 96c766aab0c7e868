#include <gtest/gtest.h>

#include "engine/EliminationOptions.h"

using engine::EliminationOptions;

namespace {

TEST(Templates, HaveTheirLengthsAndEndInALineBreak) {
    EXPECT_EQ(engine::kHeaderTemplate.size(), 196u);
    EXPECT_EQ(engine::kFooterTemplate.size(), 155u);
    EXPECT_TRUE(engine::kHeaderTemplate.ends_with(u"\r\n"));
    EXPECT_TRUE(engine::kFooterTemplate.ends_with(
        u";--------------------------------------------------------\r\n"));
    EXPECT_TRUE(engine::kHeaderTemplate.starts_with(
        u";--------------------------------------------------------\r\n;     项  目:\r\n"));
}

TEST(Defaults, AreTheStartValuesOfTheWindow) {
    const EliminationOptions o;
    EXPECT_FALSE(o.AddHeader);
    EXPECT_FALSE(o.AddFooter);
    EXPECT_EQ(o.HeaderText, engine::kHeaderTemplate);
    EXPECT_EQ(o.FooterText, engine::kFooterTemplate);
    EXPECT_TRUE(o.KeepHeaderLineComments && o.KeepHeaderBlockComment && o.AddTargetExtension &&
                o.KeepLeadingSpaces && o.IgnoreMarkersInStrings);
    EXPECT_FALSE(o.KeepWholeLineComments || o.KeepAllLineComments || o.KeepAllBlockComments ||
                 o.KeepSurplusBlanks);
    EXPECT_EQ(o.TargetExtension, u".TX_");
    EXPECT_EQ(o.LineCommentLeader, u";");
    EXPECT_EQ(o.BlockCommentLeader, u"/*");
    EXPECT_EQ(o.BlockCommentTerminator, u"*/");
    EXPECT_EQ(o.StringLeader, u"\"");
    EXPECT_EQ(o.StringTerminator, u"\"");
    EXPECT_EQ(o.SourcePattern, u"*.TXT;*.ASM;*.DT;*.C;*.INC;*.H");
}

}  // namespace
