#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Passes.h"

namespace {

// Records the notifications as one readable line, e.g. "start 6, 3, 6, finish".
struct Transcript final : engine::ProgressSink {
    std::string text;
    void Start(std::size_t maximum) override { text += "start " + std::to_string(maximum); }
    void SetValue(std::size_t value) override { text += ", " + std::to_string(value); }
    void Finish() override { text += ", finish"; }
};

std::string ProgressOf(std::u16string_view input) {
    Transcript t;
    engine::EliminateComments(input, {}, engine::kCrLf, &t);
    return t.text;
}

TEST(Progress, EmptyInputStartsAtMaximumOneAndFinishes) {
    EXPECT_EQ(ProgressOf(u""), "start 1, finish");
}

TEST(Progress, OneValuePerTopLevelStep) {
    // "ab " is one ordinary run, "; c\r\n" one line comment, "x" one run.
    EXPECT_EQ(ProgressOf(u"ab ; c\r\nx"), "start 10, 4, 9, 10, finish");
    // A string, then an ordinary run stopped by the block leader, then the whole block at once.
    EXPECT_EQ(ProgressOf(u"\"s\" /* a\r\nb */"), "start 15, 4, 5, 15, finish");
}

TEST(Progress, AnEmptyStopMarkerMakesOneStepPerCharacter) {
    engine::EliminationOptions o;
    o.StringLeader.clear();
    Transcript t;
    engine::EliminateComments(u"abc", o, engine::kCrLf, &t);
    EXPECT_EQ(t.text, "start 4, 2, 3, 4, finish");
}

}  // namespace
