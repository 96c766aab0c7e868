#include <gtest/gtest.h>

#include "TestText.h"

using engine::EliminationOptions;
using engine::TidyWhitespace;

namespace {

std::u16string Tidy(std::u16string_view text, const EliminationOptions& o = {}) {
    return TidyWhitespace(text, o);
}

TEST(TidyWhitespace, DropsEveryBlankLine) {
    EXPECT_EQ(Tidy(u"a\r\n\r\n\r\nb"), u"a\r\nb\r\n");
    EXPECT_EQ(Tidy(u"\r\n \t\r\na\r\n  \r\n"), u"a\r\n");
    EXPECT_EQ(Tidy(u""), u"");
    EXPECT_EQ(Tidy(u" \t \r\n\r\n"), u"");
}

TEST(TidyWhitespace, TrailingBlanksAlwaysGoLeadingOnesOnRequest) {
    EXPECT_EQ(Tidy(u"mov a,b \t \r\n"), u"mov a,b\r\n");
    EXPECT_EQ(Tidy(u"\t  \tmov  a \r\n"), u"\t  \tmov  a\r\n");
    EliminationOptions noLeading;
    noLeading.KeepLeadingSpaces = false;
    EXPECT_EQ(Tidy(u"\t  \tmov  a \r\n  ; kept\r\n", noLeading), u"mov  a\r\n; kept\r\n");
}

TEST(TidyWhitespace, KeepSurplusBlanksLeavesTheTextAlone) {
    EliminationOptions o;
    o.KeepSurplusBlanks = true;
    o.KeepLeadingSpaces = false;
    EXPECT_EQ(Tidy(u"  a \r\n\r\n b", o), u"  a \r\n\r\n b");
}

TEST(TidyWhitespace, EachLineKeepsItsOwnBreakAndTheLastGetsTheMainOne) {
    EXPECT_EQ(Tidy(u" a \n b \r c "), u" a\n b\r c\r\n");
    EXPECT_EQ(TidyWhitespace(u" a \n\r\n b \r\n\r", {}, u"\n"), u" a\n b\r\n");
    EXPECT_EQ(TidyWhitespace(u"a\rb", {}, u"\r"), u"a\rb\r");
}

TEST(BothPasses, RemovedCommentsLeaveNoBlankLinesOrTrailingSpaces) {
    EXPECT_EQ(testing_text::Clean(u"; head\r\n\r\nstart:\r\n  ; whole line\r\n"
                                  u"\tmov a,b ; load\r\n/* gone */\r\n\tnop\r\n"),
              u"; head\r\nstart:\r\n\tmov a,b\r\n\tnop\r\n");
}

}  // namespace
