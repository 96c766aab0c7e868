#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <vector>

#include "LiteralReference.h"
#include "engine/Passes.h"

using engine::EliminationOptions;

namespace {

struct RecordingSink final : engine::ProgressSink {
    literal::ProgressLog log;
    void Start(std::size_t maximum) override { log.maximum = maximum; }
    void SetValue(std::size_t value) override { log.values.push_back(value); }
    void Finish() override { ++log.finishes; }
};

std::string Show(std::u16string_view text) {
    std::ostringstream out;
    for (char16_t c : text) {
        if (c == u'\r')
            out << "\\r";
        else if (c == u'\n')
            out << "\\n";
        else if (c == u'\t')
            out << "\\t";
        else if (c == u'\\')
            out << "\\\\";
        else if (c >= 0x20 && c < 0x7f)
            out << static_cast<char>(c);
        else
            out << "\\u" << std::hex << static_cast<int>(c) << std::dec;
    }
    return out.str();
}

std::string Describe(const EliminationOptions& o, std::u16string_view lineBreak,
                     std::u16string_view text) {
    std::ostringstream out;
    out << "text=\"" << Show(text) << "\" lineBreak=\"" << Show(lineBreak) << "\" line=\""
        << Show(o.LineCommentLeader) << "\" block=\"" << Show(o.BlockCommentLeader) << "\"..\""
        << Show(o.BlockCommentTerminator) << "\" string=\"" << Show(o.StringLeader) << "\"..\""
        << Show(o.StringTerminator) << "\" ignoreInStrings=" << o.IgnoreMarkersInStrings
        << " keepHeadLine=" << o.KeepHeaderLineComments
        << " keepHeadBlock=" << o.KeepHeaderBlockComment << " keepWhole=" << o.KeepWholeLineComments
        << " keepAllLine=" << o.KeepAllLineComments << " keepAllBlock=" << o.KeepAllBlockComments
        << " keepLeading=" << o.KeepLeadingSpaces << " keepSurplus=" << o.KeepSurplusBlanks;
    return out.str();
}

class RandomCases {
public:
    explicit RandomCases(unsigned seed) : rng_(seed) {}

    EliminationOptions Options() {
        EliminationOptions o;
        o.LineCommentLeader =
            Pick({u";", u";", u"", u"//", u"/", u"#", u";;", u"/*", u"REM ", u"\n", u";\r"});
        o.BlockCommentLeader = Pick({u"/*", u"/*", u"", u"/", u"(*", u"/**/", u";", u"\"", u"\r"});
        o.BlockCommentTerminator =
            Pick({u"*/", u"*/", u"", u"*", u"/", u"*)", u"/*", u"\r\n", u"\n", u"*/\r"});
        o.StringLeader = Pick({u"\"", u"\"", u"", u"'", u"<", u"\"\"", u"/", u"\n", u"\r"});
        o.StringTerminator = Pick({u"\"", u"\"", u"", u">", u"'", u"*/", u";", u"\r", u"\n"});
        o.IgnoreMarkersInStrings = Coin(0.8);
        o.KeepHeaderLineComments = Coin(0.6);
        o.KeepHeaderBlockComment = Coin(0.6);
        o.KeepWholeLineComments = Coin(0.3);
        o.KeepAllLineComments = Coin(0.15);
        o.KeepAllBlockComments = Coin(0.15);
        o.KeepLeadingSpaces = Coin(0.6);
        o.KeepSurplusBlanks = Coin(0.15);
        return o;
    }

    // Random mixes of the three kinds of line break, often after leading blanks, with line
    // leaders inside block comments.
    std::u16string Text(const EliminationOptions& o) {
        const std::u16string lineInBlock =
            o.BlockCommentLeader + u" " + o.LineCommentLeader + u" x " + o.BlockCommentTerminator;
        const std::u16string_view breaks[] = {u"\r\n", u"\n", u"\r"};
        const std::u16string_view usual = breaks[std::uniform_int_distribution<int>(0, 2)(rng_)];
        const std::vector<std::u16string_view> pieces = {
            o.LineCommentLeader,
            o.BlockCommentLeader,
            o.BlockCommentTerminator,
            o.StringLeader,
            o.StringTerminator,
            lineInBlock,
            u"\"",
            u";",
            u"/*",
            u"*/",
            u"/",
            u"*",
            u"<",
            u">",
            u"'",
            usual,
            usual,
            usual,
            u"\r\n",
            u"\r",
            u"\n",
            u" ",
            u" ",
            u"\t",
            u"a",
            u"b",
            u"mov",
            u"注释",
            u"中",
        };
        std::uniform_int_distribution<std::size_t> length(0, 40);
        std::uniform_int_distribution<std::size_t> which(0, pieces.size() - 1);
        std::u16string text;
        if (Coin(0.3)) {
            text += Pick({u"\r\n", u"\n\n", u"\r\r", u" \t\r\n", u"\r\n\r\n", u" "});
        }
        for (std::size_t i = length(rng_); i > 0; --i) {
            text += pieces[which(rng_)];
        }
        return text;
    }

private:
    bool Coin(double p) { return std::bernoulli_distribution(p)(rng_); }
    std::u16string Pick(std::initializer_list<std::u16string_view> choices) {
        std::uniform_int_distribution<std::size_t> which(0, choices.size() - 1);
        return std::u16string(choices.begin()[which(rng_)]);
    }
    std::mt19937 rng_;
};

TEST(Differential, EngineMatchesTheLiteralReadingOnRandomTexts) {
    RandomCases cases(20041201);
    constexpr int kCases = 30000;
    int mismatches = 0;
    for (int i = 0; i < kCases && mismatches < 5; ++i) {
        const EliminationOptions o = cases.Options();
        const std::u16string text = cases.Text(o);
        const std::u16string lineBreak = literal::MainLineBreak(text);

        RecordingSink sink;
        const std::u16string stripped = engine::EliminateComments(text, o, lineBreak, &sink);
        literal::ProgressLog expectedLog;
        const std::u16string expected =
            literal::EliminateComments(text, o, lineBreak, &expectedLog);
        const std::u16string tidied = engine::TidyWhitespace(stripped, o, lineBreak);
        const std::u16string expectedTidied = literal::TidyWhitespace(expected, o, lineBreak);

        const bool same = engine::MainLineBreak(text) == lineBreak && stripped == expected &&
                          tidied == expectedTidied && sink.log.maximum == expectedLog.maximum &&
                          sink.log.values == expectedLog.values && sink.log.finishes == 1;
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << "case " << i << ": " << Describe(o, lineBreak, text)
                          << "\n engine:    \"" << Show(stripped) << "\" -> \"" << Show(tidied)
                          << "\"\n reference: \"" << Show(expected) << "\" -> \""
                          << Show(expectedTidied) << "\"\n progress steps "
                          << sink.log.values.size() << " vs " << expectedLog.values.size();
        }
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
