#include <gtest/gtest.h>

#include <random>

#include "engine/FindText.h"
#include "engine/MarkerFinder.h"

namespace {

std::u16string RandomText(std::mt19937& rng, std::size_t maxLength) {
    static constexpr char16_t kUnits[] = {u'a', u';', u'/', u'*', u'\r', u'\n', u'中', 0x3B00};
    std::u16string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(rng), u'a');
    for (char16_t& c : text) {
        c = kUnits[std::uniform_int_distribution<int>(0, 7)(rng)];
    }
    return text;
}

TEST(MarkerFinder, AnswersQueriesInAnyOrderLikeTheLibrarySearch) {
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const std::u16string text = RandomText(rng, 200);
        const std::u16string marker = RandomText(rng, 2);
        if (marker.empty()) {
            continue;
        }
        engine::MarkerFinder finder({text, marker});
        engine::LineBreakFinder lineBreaks({text});
        for (int q = 0; q < 30; ++q) {
            const std::size_t from =
                std::uniform_int_distribution<std::size_t>(0, text.size())(rng);
            ASSERT_EQ(finder.FindFrom(from), std::u16string_view(text).find(marker, from))
                << "case " << i << " query " << q;
            std::size_t lineBreak = std::u16string_view(text).find_first_of(u"\r\n", from);
            if (lineBreak != std::u16string::npos && lineBreak > 0 && text[lineBreak] == u'\n' &&
                text[lineBreak - 1] == u'\r') {
                lineBreak = std::u16string_view(text).find_first_of(u"\r\n", lineBreak + 1);
            }
            ASSERT_EQ(lineBreaks.FindFrom(from), lineBreak) << "case " << i << " query " << q;
        }
    }
}

}  // namespace
