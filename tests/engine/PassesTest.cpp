#include <gtest/gtest.h>

#include <string>

#include "engine/Passes.h"

using engine::EliminationOptions;

namespace {

using O = EliminationOptions;

// The default options with the given flags the other way round.
template <class... Flags>
O Flipped(Flags... flags) {
    O o;
    ((o.*flags = !(o.*flags)), ...);
    return o;
}

// The default options with the given markers replaced.
O Markers(std::initializer_list<std::pair<std::u16string O::*, std::u16string_view>> changes) {
    O o;
    for (const auto& [marker, value] : changes) {
        o.*marker = value;
    }
    return o;
}

// A text, what a pass makes of it, and the options it runs with.
struct Case {
    std::u16string_view text, expected;
    O options{};
};

// The comment pass on its own: what stays of each text, CR LF its main line break.
TEST(EliminateComments, KeepsCodeAndStringsAndRemovesCommentsAsTheOptionsSay) {
    const Case cases[] = {
        // The head: leading comments, strings and blank lines; code or a blank after a comment
        // ends it.
        {u"; title\r\n; date\r\n\r\n; later\r\nnop\r\n", u"; title\r\n; date\r\n\r\n\r\nnop\r\n"},
        {u"\r\n\n ; title\r\nnop ; x\r\n", u"\r\n\n ; title\r\nnop \r\n"},
        {u"\"s\"; kept\r\nx ; gone", u"\"s\"; kept\r\nx \r\n"},
        {u"; a\r\n/* b */c", u"\r\nc",
         Flipped(&O::KeepHeaderLineComments, &O::KeepHeaderBlockComment)},
        // Line comments leave the code before them and their line break.
        {u"x\r\nmov a,b ; load\r\nnop", u"x\r\nmov a,b \r\nnop"},
        {u"x\r\n; whole\r\n  ; indented\r\nnop ; x\r\n", u"x\r\n; whole\r\n  \r\nnop \r\n",
         Flipped(&O::KeepWholeLineComments)},
        // Block comments end at their first terminator and take their line breaks with them.
        {u"x\r\na /* one\r\ntwo */ b\r\n", u"x\r\na  b\r\n"},
        {u"x /* open ; note", u"x /* open \r\n"},
        {u"x;\r\n/** //Len */\r\nSEG(len);\r\n", u"x;\r\n\r\nSEG(len);\r\n",
         Markers({{&O::LineCommentLeader, u"//"}})},
        {u"x /* a \"*/\" b", u"x \" b"},
        {u"x /* <*/> */ y", u"x  y",
         Markers({{&O::StringLeader, u"<"}, {&O::StringTerminator, u">"}})},
        // Strings hide markers, and must close before the line ends.
        {u"x \";/*\" ; c\r\n", u"x \";/*\" \r\n"},
        {u"x \";\" y\r\nz", u"x \"\r\nz", Flipped(&O::IgnoreMarkersInStrings)},
        {u"x \"a\r;b\" c\r\n", u"x \"a\r\r\n"},
        // Empty markers switch their construct off.
        {u"x ; a\r\n/* b */\r\n", u"x ; a\r\n\r\n", Markers({{&O::LineCommentLeader, u""}})},
        {u"x ; a\r\n/* b */\r\n", u"x \r\n/* b */\r\n",
         Markers({{&O::BlockCommentTerminator, u""}})},
        // Every kind of line break ends a comment and stays as it was.
        {u"x\nmov a // c\nnop\ncall f\r\nret\n", u"x\nmov a \nnop\ncall f\r\nret\n",
         Markers({{&O::LineCommentLeader, u"//"}})},
        {u"x\r; w\nnop ; y\r", u"x\r; w\nnop \r", Flipped(&O::KeepWholeLineComments)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::EliminateComments(c.text, c.options), c.expected)
            << testing::PrintToString(std::u16string(c.text));
    }
    // A comment that runs to the end of the text leaves the main line break.
    EXPECT_EQ(engine::EliminateComments(u"x\nnop ; d", {}, u"\n"), u"x\nnop \n");
    EXPECT_EQ(engine::EliminateComments(u"x\nnop ; d", {}, u""), u"x\nnop \r\n");
}

// C's markers and rules.
O C() {
    O o = Markers({{&O::LineCommentLeader, u"//"}});
    o.Rules = engine::kCRules;
    return o;
}

// C's rules keep every literal whole and every token apart, as a C compiler reads them.
TEST(EliminateComments, ReadsCSourcesAsACompilerDoes) {
    const Case cases[] = {
        // An escaped quote stays inside its literal (more in the sample ESCAPES.C).
        {u"q = '\\'' /* c */; p = \"\\\\\" // \"x\"\n", u"q = '\\'' ; p = \"\\\\\" \n"},
        // A removed block comment keeps apart what C would read as two tokens.
        {u"int a/**/b; x-/**/-y; b/* c */; a /* */ b", u"int a b; x- -y; b; a  b"},
        {u"1/**/.5 L/**/\"x\" 1e/**/+5 2P/**/-1 x/**/+1 (/**/a",
         u"1 .5 L \"x\" 1e +5 2P -1 x+1 (a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::EliminateComments(c.text, C()), c.expected)
            << testing::PrintToString(std::u16string(c.text));
    }
    // A header name holds no comment; a backslash and a line break join the halves of a marker.
    const Case cPreprocessed[] = {
        {u"#include <a//b.h> // c\n", u"#include <a//b.h> \n"},
        {u"  #  include_next <dir/*.h>\nint x; /* c */\n",
         u"  #  include_next <dir/*.h>\nint x; \n"},
        {u"#import<x//y>\n#if __has_include(<a//b>) && __has_include_next ( <c/*d> ) // e\n",
         u"#import<x//y>\n#if __has_include(<a//b>) && __has_include_next ( <c/*d> ) \n"},
        // Elsewhere a < is no header name: a comparison, or a directive of another kind.
        {u"x = a <b//c>\n#define L <a//b>\n", u"x = a <b\n#define L <a\n"},
        {u"a = 1;/\\\n* c *\\\n/ b = 2; /\\\r\n/ d\ne\n", u"a = 1; b = 2; \ne\n"},
        // Digit separators are no quotes; a prefixed character constant still is one.
        {u"n = 1'000'000; // c\nm = 0x10'0000; /* d */ c = u8'/'; e = 1'0.5e1'0; //f\n",
         u"n = 1'000'000; \nm = 0x10'0000;  c = u8'/'; e = 1'0.5e1'0; \n"},
        // A separator may stand before any digit, letter or _ of a number.
        {u"a = 1'a; // '\nb = 1'z; // '\nc = 1'A; // '\nd = 1'Z; // '\n",
         u"a = 1'a; \nb = 1'z; \nc = 1'A; \nd = 1'Z; \n"},
        {u"e = 1'_; // '\nf = 1'0; // '\ng = 1'9; // '\n", u"e = 1'_; \nf = 1'0; \ng = 1'9; \n"},
    };
    for (const auto& c : cPreprocessed) {
        EXPECT_EQ(engine::EliminateComments(c.text, C()), c.expected)
            << testing::PrintToString(std::u16string(c.text));
    }
    // Without the rules, the markers alone decide, as for assembler.
    EXPECT_EQ(engine::EliminateComments(u"s = \"\\\"//\"; t = '//';",
                                        Markers({{&O::LineCommentLeader, u"//"}})),
              u"s = \"\\\"\r\n");
}

// C++'s raw strings hold no comment, escape or splice, with or without a prefix and a delimiter;
// a name that merely ends in R is no prefix.
TEST(EliminateComments, ReadsCppRawStringsAndDigitSeparators) {
    O cpp = C();
    cpp.Rules = engine::kCppRules;
    const Case cases[] = {
        {u"s = R\"x(// not a comment)x\"; // c\n", u"s = R\"x(// not a comment)x\"; \n"},
        {u"a = u8R\"(/* x */)\"; b = LR\"--(\\\n)\"//)--\"; /**/\n",
         u"a = u8R\"(/* x */)\"; b = LR\"--(\\\n)\"//)--\"; \n"},
        {u"t = uR\"(\")\" // c\n", u"t = uR\"(\")\" \n"},
        {u"xR\"(//\" // c\n", u"xR\"(//\" \n"},
        {u"v = 0b1010'1010; // c\n", u"v = 0b1010'1010; \n"},
        // A raw string that never closes runs to the end: nothing after it is cut.
        {u"w = R\"q(open // kept\n", u"w = R\"q(open // kept\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::EliminateComments(c.text, cpp), c.expected)
            << testing::PrintToString(std::u16string(c.text));
    }
    // C has no raw strings.
    EXPECT_EQ(engine::EliminateComments(u"R\"(a)\"//b\n", C()), u"R\"(a)\"\n");
}

// Comments that a receiver's licence, tools or request need stay wherever they stand: licences
// when asked, texts asked for, and in C and C++ the controls that compilers, linters, formatters
// and generators read unless told otherwise.
TEST(EliminateComments, KeepsTheCommentsThatAreAskedForOrThatToolsRead) {
    O keep = C();
    keep.KeepLicenceComments = true;
    keep.KeepCommentsHolding = {u"KEEP", u""};
    const std::u16string_view kept[] = {
        u"x;\n/* SPDX-License-Identifier: MIT */\n// spdx-license-identifier: BSD\n",
        u"x; /* COPYRIGHT Acme */ // (C) 2021 Acme\n// 2019 (c)\n",
        u"x; // © Acme\n// 版权所有\n/* 许可证: MIT */\n",
        u"x; // please KEEP this\n",
    };
    // C and C++'s tool comments, kept at the defaults.
    const std::u16string_view tools[] = {
        u"x;\ncase 1: f(); /* fall through */\ncase 2: // FALLTHRU\n",
        u"x; // Intentionally falls through.\n/* else fall-through */ //-fallthrough\n",
        u"x; /* lint -fallthrough */ // @fallthrough@\n/* FALLS THRU - to the next */\n",
        u"x; /*lint -e123 */ //lint !e1\ny; // NOLINT(bugprone)\n/* LINTED */ // coverity[x]\n",
        u"x;\n// clang-format off\n/* USER CODE BEGIN 1 */\n/* USER CODE END 1 */\n",
    };
    for (const std::u16string_view text : kept) {
        EXPECT_EQ(engine::EliminateComments(text, keep), text) << testing::PrintToString(text);
    }
    for (const std::u16string_view text : tools) {
        EXPECT_EQ(engine::EliminateComments(text, C()), text) << testing::PrintToString(text);
    }
    O strip = C();
    strip.KeepToolComments = false;
    const Case gone[] = {
        // Nothing of the sort, or not asked for: the comments go.
        {u"x; // (c) Acme, no year\n/* 1999 */ // c 2000\n", u"x; \n \n", keep},
        {u"x; // keep, lower case\n", u"x; \n", keep},
        {u"x; // (c) 12019 Acme\n// (c) 20190\n", u"x; \n\n", keep},  // numbers, no years
        {u"x; // Copyright 2020\n/* SPDX-License-Identifier: MIT */\n", u"x; \n\n", C()},
        // A fall-through marker is the whole comment; "lint" leads the comment.
        {u"x; // falls through to the end of the loop\n/* see lint */\n", u"x; \n\n", C()},
        {u"x; // fall thr\n/* falls thro */ // fallthrow\n", u"x; \n \n", C()},
        {u"x; /* fall through */ // NOLINT\n/* USER CODE BEGIN 1 */\n", u"x;  \n\n", strip},
        // Assembler has no such tools.
        {u"x\r\nnop ; fall through\r\n", u"x\r\nnop \r\n"},
    };
    for (const auto& c : gone) {
        EXPECT_EQ(engine::EliminateComments(c.text, c.options), c.expected)
            << testing::PrintToString(std::u16string(c.text));
    }
}

// The commonest line break of a text is counted in the text alone: a CR at its very end is a CR,
// whatever follows it outside the text, in its characters and in its bytes alike.
TEST(MainLineBreak, ACrAtTheEndOfATextIsACr) {
    EXPECT_EQ(engine::MainLineBreak(std::u16string_view(u"a\r\n", 2)), u"\r");
    EXPECT_EQ(engine::MainLineBreakOfBytes(std::string_view("a\r\n", 2)), u"\r");
    EXPECT_EQ(engine::MainLineBreakOfBytes("a\r\n"), engine::kCrLf);
}

// With the line numbers kept, line N of the target holds the code of line N of the source,
// whatever the comments and blank lines were.
TEST(EliminateComments, KeepingLineNumbersLeavesEveryLineBreak) {
    O lines = C();
    lines.KeepLineNumbers = true;
    const std::u16string source =
        u"a; /* one\ntwo\nthree */ b;\n\n\n// c\n   \n  d; /*\r\n*/ e;\n/* x\ny */\n";
    std::u16string stripped = engine::EliminateComments(source, lines, u"\n");
    EXPECT_EQ(stripped, u"a; \n\n b;\n\n\n\n   \n  d; \r\n e;\n\n\n");
    engine::TidyWhitespaceInPlace(stripped, lines, u"\n");
    EXPECT_EQ(stripped, u"a;\n\n b;\n\n\n\n\n  d;\r\n e;\n\n\n");  // leading blanks kept
    O moved = C();
    std::u16string tidied = engine::EliminateComments(source, moved, u"\n");
    engine::TidyWhitespaceInPlace(tidied, moved, u"\n");
    EXPECT_EQ(tidied, u"a;  b;\n  d;  e;\n");
}

// Trailing blanks, blank lines and indentation inside a raw string or a string continued by a
// line join are what the literal holds: the whitespace pass leaves them, and tidies around them.
TEST(TidyWhitespace, LeavesWhatALiteralSpanningLinesHolds) {
    O cpp = Flipped(&O::KeepLeadingSpaces);
    cpp.LineCommentLeader = u"//";
    cpp.Rules = engine::kCppRules;
    const std::u16string text =
        u"  s = R\"(a  \n\n   b )\";  // c\n\n  t = \"x \\\n  y\"; \n  u = 1;  \n";
    engine::CommentPassNotes notes;
    const std::u16string stripped = engine::EliminateComments(text, cpp, u"\n", nullptr, &notes);
    ASSERT_EQ(notes.verbatim.size(), 2u);
    EXPECT_EQ(stripped.substr(notes.verbatim[0].position, notes.verbatim[0].length),
              u"\"(a  \n\n   b )\"");
    EXPECT_EQ(engine::TidyWhitespace(stripped, cpp, u"\n", notes.verbatim),
              u"s = R\"(a  \n\n   b )\";\nt = \"x \\\n  y\";\nu = 1;\n");
    EXPECT_TRUE(engine::TidyWouldChange(stripped, cpp, notes.verbatim));
    const std::u16string tidy = u"s = R\"(\n\n)\";\n";
    const engine::TextSpan raw[] = {{4, 7}};
    EXPECT_FALSE(engine::TidyWouldChange(tidy, cpp, raw));
    EXPECT_TRUE(engine::TidyWouldChange(tidy, cpp));
}

// Each kept line keeps its own break; a last line without one gets the main one, CR LF if none is
// given.
TEST(TidyWhitespace, EndsALastLineWithoutABreakWithTheMainOne) {
    EXPECT_EQ(engine::TidyWhitespace(u"a\r  \n  b  ", {}, u"\n"), u"a\r  b\n");
    EXPECT_EQ(engine::TidyWhitespace(u"a\r  \n  b  ", {}, u"\r"), u"a\r  b\r");
    EXPECT_EQ(engine::TidyWhitespace(u"a\r  \n  b  ", {}, u""), u"a\r  b\r\n");
}

// Runs under a CTest time limit that a quadratic scan of these texts exceeds many times over.
TEST(LinearTime, PathologicalMegabyteTextsFinish) {
    const std::size_t n = 1 << 20;
    std::u16string leaders, terminators, openString = u"\"", escapedQuotes, quotes, splices;
    for (std::size_t i = 0; i < n / 2; ++i) {
        leaders += u"/*";
        terminators += u"*/";
        openString += u"a";
        escapedQuotes += u"\"\\";
        quotes += u"'\\";
        splices += u"\\\n";
    }
    const std::u16string texts[] = {
        std::u16string(n, u'"'), std::u16string(n, u';'), leaders, terminators, openString,
        std::u16string(n, u'\r')};
    std::u16string openRaws, separators, directives;
    for (std::size_t i = 0; i < n / 8; ++i) {
        openRaws += u"R\"ab(x";
        separators += u"1'";
        directives += u"#if __has_include(<a\n";
    }
    const std::u16string cTexts[] = {escapedQuotes, quotes, u"//" + splices,
                                     std::u16string(n, u'\\'), std::u16string(n, u'\'')};
    // What C++ and the preprocessor add: open raw strings, digit separators, header names to look
    // for, markers cut by line joins.
    const std::u16string cppTexts[] = {openRaws, separators + u"x", directives,
                                       u"#if " + directives, u"/" + splices + u"\n" + splices};
    O withBackslashQuote = C();
    withBackslashQuote.Rules.CharacterQuote = u'\\';
    const auto run = [](const std::u16string& text, const O& o) {
        for (std::u16string_view lineBreak : {u"\r\n", u"\n"}) {
            std::u16string out = engine::EliminateComments(text, o, lineBreak);
            engine::TidyWhitespaceInPlace(out, o, lineBreak);
            EXPECT_LE(out.size(), text.size() + 2);
        }
    };
    for (const std::u16string& text : texts) {
        run(text, {});
    }
    O cpp = C();
    cpp.Rules = engine::kCppRules;
    for (const std::u16string& text : cTexts) {
        run(text, C());
        run(text, withBackslashQuote);
    }
    for (const std::u16string& text : cppTexts) {
        run(text, cpp);
    }
    // Comments looked through for the texts to keep: a long text asked for that almost matches
    // everywhere, and licence words that almost stand everywhere.
    O keeping = cpp;
    keeping.KeepLineNumbers = keeping.KeepLicenceComments = true;
    keeping.KeepCommentsHolding = {std::u16string(4096, u'a') + u'b'};
    std::u16string nearLicences;
    for (std::size_t i = 0; i < n / 64; ++i) {
        nearLicences += u"(c)(c) copyrigh";
    }
    for (const std::u16string& body : {std::u16string(n / 4, u'a'), nearLicences}) {
        run(u"x /*" + body + u"*/", keeping);
        run(u"x //" + body, keeping);
    }
}

}  // namespace
