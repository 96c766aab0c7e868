#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "LiteralReference.h"
#include "engine/Passes.h"

using engine::EliminationOptions;

namespace {

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
    int mismatches = 0;
    for (int i = 0; i < 30000 && mismatches < 5; ++i) {
        const EliminationOptions o = cases.Options();
        const std::string disagreement = literal::Disagreement(cases.Text(o), o);
        if (!disagreement.empty()) {
            ++mismatches;
            ADD_FAILURE() << "case " << i << ": " << disagreement;
        }
    }
}

}  // namespace
