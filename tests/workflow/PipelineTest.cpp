#include <gtest/gtest.h>

#include <random>

#include "../engine/LiteralReference.h"
#include "../engine/RandomCases.h"
#include "workflow/Pipeline.h"

namespace {

// A source's road through the pipeline: its target is what the literal reading of both passes
// gives with the source's main line break, framed by the blocks the options ask for in that same
// break, and both lengths are counted.
TEST(Pipeline, CleansAsTheLiteralReadingDoes) {
    std::mt19937 rng(1207);
    RandomCases cases(
        [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); });
    for (int i = 0; i < 4000; ++i) {
        workflow::OptionSet o;
        static_cast<engine::EliminationOptions&>(o) = i % 3 == 0   ? cases.Options()
                                                      : i % 3 == 1 ? cases.COptions()
                                                                   : cases.CppOptions();
        o.AddHeader = i % 3 == 0;
        o.HeaderText = u"H\r\n;h\r\n";
        o.AddFooter = i % 5 == 0;
        o.FooterText = u"\r\nF";
        workflow::SourceFile source;
        source.text = cases.Text(o);
        const std::u16string text = source.text;
        const std::u16string lineBreak(engine::MainLineBreak(text));
        source.lineBreak = lineBreak;
        std::vector<std::size_t> steps;
        std::vector<engine::TextSpan> removed, verbatim;
        const std::u16string stripped =
            literal::EliminateComments(text, o, lineBreak, &steps, &removed, &verbatim);
        const std::u16string body = literal::TidyWhitespace(stripped, o, lineBreak, verbatim);
        const std::u16string expected = (o.AddHeader ? u"H" + lineBreak + u";h" + lineBreak : u"") +
                                        body + (o.AddFooter ? lineBreak + u"F" : u"");

        workflow::FileOutcome outcome;
        const workflow::CleanedText cleaned = workflow::Clean(std::move(source), o, outcome);
        ASSERT_EQ(cleaned.target, expected) << "case " << i;
        EXPECT_EQ(outcome.sourceLength, static_cast<qsizetype>(text.size()));
        EXPECT_EQ(outcome.targetLength, static_cast<qsizetype>(expected.size()));
    }
}

}  // namespace
