#include <gtest/gtest.h>

#include "TestText.h"

using engine::EliminationOptions;
using testing_text::Strip;

namespace {

TEST(HeadComments, LeadingCommentLinesAreKeptUntilTheFirstOrdinaryCharacter) {
    EXPECT_EQ(Strip(u"; title\r\n; date\r\n\r\n; later\r\nnop\r\n"),
              u"; title\r\n; date\r\n\r\n\r\nnop\r\n");
    EXPECT_EQ(Strip(u"; title\r\nnop ; x\r\n; y\r\n"), u"; title\r\nnop \r\n\r\n");
}

TEST(HeadComments, BlankLinesBeforeTheFirstCommentKeepTheHead) {
    EXPECT_EQ(Strip(u"\r\n\n ; title\r\n; date\r\nnop ; x\r\n"),
              u"\r\n\n ; title\r\n; date\r\nnop \r\n");
    // A blank line after a comment, or code before it, still ends the head.
    EXPECT_EQ(Strip(u"; a\r\n\r\n; b\r\n"), u"; a\r\n\r\n\r\n");
    EXPECT_EQ(Strip(u"\r\nx ; b\r\n"), u"\r\nx \r\n");
}

TEST(HeadComments, BlockCommentsInTheHead) {
    EXPECT_EQ(Strip(u"/* a */\r\n/* b */x"), u"/* a */\r\nx");
    EXPECT_EQ(Strip(u"/* a */; b\r\nc ; d"), u"/* a */; b\r\nc \r\n");
}

TEST(HeadComments, AStringAtTheStartDoesNotEndTheHead) {
    EXPECT_EQ(Strip(u"\"s\"; kept\r\nx ; gone"), u"\"s\"; kept\r\nx \r\n");
}

TEST(HeadComments, SwitchedOffHeadCommentsAreRemoved) {
    EliminationOptions o;
    o.KeepHeaderLineComments = false;
    o.KeepHeaderBlockComment = false;
    EXPECT_EQ(Strip(u"; a\r\n/* b */c", o), u"\r\nc");
}

TEST(LineComments, ACommentLeavesTheCodeBeforeItAndItsLineBreak) {
    EXPECT_EQ(Strip(u"x\r\nmov a,b ; load\r\nnop"), u"x\r\nmov a,b \r\nnop");
}

TEST(LineComments, ACommentOnTheLastLineEndsInALineBreak) {
    EXPECT_EQ(Strip(u"x\r\nnop ; end"), u"x\r\nnop \r\n");
    EXPECT_EQ(Strip(u"x;"), u"x\r\n");
}

TEST(LineComments, KeepWholeLineKeepsOnlyCommentsAtTheFirstColumn) {
    EliminationOptions o;
    o.KeepWholeLineComments = true;
    EXPECT_EQ(Strip(u"x\r\n; whole\r\n  ; indented\r\nnop ; x\r\n", o),
              u"x\r\n; whole\r\n  \r\nnop \r\n");
}

TEST(LineComments, KeepAllKeepsEveryComment) {
    EliminationOptions o;
    o.KeepAllLineComments = true;
    EXPECT_EQ(Strip(u"x ; a\r\n; b\r\n", o), u"x ; a\r\n; b\r\n");
}

TEST(LineComments, MarkersAreCaseSensitive) {
    EliminationOptions o;
    o.LineCommentLeader = u"REM";
    EXPECT_EQ(Strip(u"x rem a\r\ny REM b\r\n", o), u"x rem a\r\ny \r\n");
}

TEST(LineComments, ALineLeaderThatPrefixesTheBlockLeaderWins) {
    EliminationOptions o;
    o.LineCommentLeader = u"/";
    EXPECT_EQ(Strip(u"x /* a */ y\r\nz", o), u"x \r\nz");
}

TEST(BlockComments, ARemovedBlockJoinsTheTextAroundIt) {
    EXPECT_EQ(Strip(u"x\r\na /* x */ b"), u"x\r\na  b");
    EXPECT_EQ(Strip(u"x\r\na /* one\r\ntwo\r\nthree */ b\r\n"), u"x\r\na  b\r\n");
}

TEST(BlockComments, ALeaderWithoutTerminatorIsText) {
    EXPECT_EQ(Strip(u"x /*"), u"x /*");
    EXPECT_EQ(Strip(u"x /* open ; note"), u"x /* open \r\n");
}

TEST(BlockComments, ALineLeaderInsideIsCommentText) {
    EXPECT_EQ(Strip(u"x /* a ; b */\r\nc */ d"), u"x \r\nc */ d");
    EliminationOptions c;
    c.LineCommentLeader = u"//";
    EXPECT_EQ(Strip(u"x;\r\n/** //Length of data */\r\nSI_SEGMENT_VARIABLE(len);\r\n", c),
              u"x;\r\n\r\nSI_SEGMENT_VARIABLE(len);\r\n");
    EXPECT_EQ(Strip(u"x /* see http://a.b */ y", c), u"x  y");
}

TEST(BlockComments, ATerminatorOverlappingTheLeaderCounts) {
    EXPECT_EQ(Strip(u"x/*/ and more"), u"x");
}

TEST(BlockComments, QuotesInsideACommentWithEqualStringMarkers) {
    // The quote is its own terminator, so the quoted "*/" still closes the comment.
    EXPECT_EQ(Strip(u"x /* a \"*/\" b"), u"x \" b");
}

TEST(BlockComments, AStringInsideACommentHidesATerminatorWhenItsMarkersDiffer) {
    EliminationOptions o;
    o.StringLeader = u"<";
    o.StringTerminator = u">";
    EXPECT_EQ(Strip(u"x /* <*/> */ y", o), u"x  y");
}

TEST(BlockComments, KeepAllKeepsWhatTheCommentSwallowed) {
    EliminationOptions o;
    o.KeepAllBlockComments = true;
    EXPECT_EQ(Strip(u"x /* a ; b */\r\nc */ d", o), u"x /* a ; b */\r\nc */ d");
}

TEST(Strings, MarkersInsideAStringAreText) {
    EXPECT_EQ(Strip(u"x \";/*\" ; c\r\n"), u"x \";/*\" \r\n");
}

TEST(Strings, WithStringsIgnoredOffTheLeaderStartsNothing) {
    EliminationOptions o;
    o.IgnoreMarkersInStrings = false;
    EXPECT_EQ(Strip(u"x \";\" y\r\nz", o), u"x \"\r\nz");
}

TEST(Strings, AStringMustCloseOnItsLine) {
    EXPECT_EQ(Strip(u"x \"open ; c\r\n\"y"), u"x \"open \r\n\"y");
    // With no further line break in the text, a closing quote anywhere will do.
    EXPECT_EQ(Strip(u"x\r\n\"a;b\""), u"x\r\n\"a;b\"");
}

TEST(EmptyMarkers, AnEmptyMarkerDisablesItsConstruct) {
    const std::u16string text = u"x ; a\r\n/* b */ \";\"\r\n";
    EliminationOptions noLine;
    noLine.LineCommentLeader.clear();
    EXPECT_EQ(Strip(text, noLine), u"x ; a\r\n \";\"\r\n");
    EliminationOptions noBlock;
    noBlock.BlockCommentTerminator.clear();
    EXPECT_EQ(Strip(text, noBlock), u"x \r\n/* b */ \";\"\r\n");
    EliminationOptions noString;
    noString.StringLeader.clear();
    EXPECT_EQ(Strip(text, noString), u"x \r\n \"\r\n");
}

TEST(LineBreaks, EveryKindEndsACommentAndStays) {
    EliminationOptions c;
    c.LineCommentLeader = u"//";
    EXPECT_EQ(Strip(u"x\nmov a // c\nnop\ncall f\r\nret\n", c), u"x\nmov a \nnop\ncall f\r\nret\n");
    EXPECT_EQ(Strip(u"x\rmov ; c\rnop ; d\r\ny"), u"x\rmov \rnop \r\ny");
    // A comment that runs to the end of the text leaves the main line break.
    EXPECT_EQ(engine::EliminateComments(u"x\nnop ; d", {}, u"\n"), u"x\nnop \n");
    EliminationOptions whole;
    whole.KeepWholeLineComments = true;
    EXPECT_EQ(Strip(u"x\r; w\nnop ; y\r", whole), u"x\r; w\nnop \r");
    // A string must close before the first break of any kind.
    EXPECT_EQ(Strip(u"x \"a\r;b\" c\r\n"), u"x \"a\r\r\n");
}

TEST(LineBreaks, TheMainBreakIsTheCommonestKind) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"", u"\r\n"},          {u"one line", u"\r\n"},  {u"a\nb\n", u"\n"},
        {u"a\rb\r", u"\r"},      {u"a\r\nb\nc", u"\r\n"}, {u"a\nb\r\nc\nd\r\n", u"\r\n"},
        {u"a\nb\nc\r\n", u"\n"}, {u"a\nb\rc", u"\n"},     {u"a\rb\r\rc\n", u"\r"},
    };
    for (const auto& [text, mainBreak] : cases) {
        // Long texts too, so that whole vectors are swept, and the same as a file's bytes.
        for (const std::u16string& padded :
             {std::u16string(text), std::u16string(21, u'x') + std::u16string(text) + u"yz"}) {
            const std::string bytes(padded.begin(), padded.end());
            EXPECT_EQ(engine::MainLineBreak(padded), mainBreak);
            EXPECT_EQ(engine::MainLineBreakOfBytes(bytes), mainBreak);
        }
    }
}

TEST(LinearTime, PathologicalMegabyteTextsFinish) {
    // A quadratic scan would take minutes on each of these; the test's timeout catches it.
    const std::size_t n = 1 << 20;
    const std::u16string quotes(n, u'"');
    const std::u16string semicolons(n, u';');
    std::u16string leaders, terminators, openString = u"\"";
    for (std::size_t i = 0; i < n / 2; ++i) {
        leaders += u"/*";
        terminators += u"*/";
        openString += u"a";
    }
    const std::u16string* texts[] = {&quotes, &semicolons, &leaders, &terminators, &openString};
    for (const std::u16string* text : texts) {
        for (std::u16string_view lineBreak : {u"\r\n", u"\n"}) {
            const std::u16string out = testing_text::Clean(*text, EliminationOptions{}, lineBreak);
            EXPECT_LE(out.size(), text->size() + 2);
        }
    }
    EXPECT_EQ(Strip(quotes), quotes);
    EXPECT_EQ(Strip(openString), openString);
}

}  // namespace
