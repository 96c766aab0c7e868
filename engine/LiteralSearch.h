#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "FindText.h"
#include "LineBreaks.h"
#include "MarkerFinder.h"

namespace engine {

/// Whether the line break at `at` is spliced: a backslash stands right before it.
inline bool SplicedAt(std::u16string_view text, std::size_t at) {
    return at > 0 && text[at - 1] == u'\\';
}

/// Line breaks that end a line under line splicing: those with no backslash right before them.
struct UnsplicedLineBreakSearch {
    std::u16string_view text;
    std::size_t operator()(std::size_t from, std::size_t limit) const {
        for (std::size_t at = FindLineBreak(text, from, limit); at != std::u16string_view::npos;
             at = FindLineBreak(text, at + 1, limit)) {
            if (!SplicedAt(text, at)) {
                return at;
            }
        }
        return std::u16string_view::npos;
    }
};

/// Where a literal read with backslash escapes or line splicing stops: at a terminator that no
/// odd run of backslashes escapes, or at a line break that no backslash splices, whichever comes
/// first. Whether a character is escaped depends on it alone (the backslashes right before it),
/// not on where the literal began, so the answer for one position serves every literal that
/// reaches it: a memo over this search keeps a line of failed literals linear.
class LiteralStopSearch {
public:
    // The text before `*floor` (the scan's position) is never read: an output in place may have
    // overwritten it; `*backslashesBeforeFloor` tells how many backslashes ended it.
    LiteralStopSearch(std::u16string_view text, std::u16string_view terminator, bool escapes,
                      bool splicing, const std::size_t* floor,
                      const std::size_t* backslashesBeforeFloor)
        : text(text),
          terminator(terminator),
          escapes(escapes),
          splicing(splicing),
          floor(floor),
          backslashesBeforeFloor(backslashesBeforeFloor) {}

    std::size_t operator()(std::size_t from, std::size_t limit) const {
        constexpr std::size_t npos = std::u16string_view::npos;
        const MarkerSearch terminators{text, terminator};
        for (std::size_t at = from;;) {
            // Line breaks are looked for only up to the next terminator, so that a text of short
            // literals is read once, not once for each of them.
            const std::size_t close = terminators(at, limit);
            const std::size_t breaksEnd = close == npos ? limit : close + 1;
            for (std::size_t lineBreak = FindLineBreak(text, at, breaksEnd); lineBreak != npos;
                 lineBreak = FindLineBreak(text, lineBreak + 1, breaksEnd)) {
                if (!(splicing && SplicedAt(text, lineBreak))) {
                    return lineBreak;
                }
            }
            if (close == npos || !(escapes && BackslashesBefore(close) % 2 == 1)) {
                return close;
            }
            at = close + 1;
        }
    }

private:
    // The number of backslashes right before `at`. The last run met is remembered, so that the
    // positions of one long run of backslashes cost one walk over it.
    std::size_t BackslashesBefore(std::size_t at) const {
        if (at == *floor) {
            return *backslashesBeforeFloor;
        }
        if (text[at - 1] != u'\\') {
            return 0;
        }
        if (at - 1 < run_.first || at - 1 >= run_.second) {
            std::size_t start = at - 1;
            while (start > *floor && text[start - 1] == u'\\') {
                --start;
            }
            if (start == *floor) {
                start -= *backslashesBeforeFloor;
            }
            std::size_t end = at;
            while (end < text.size() && text[end] == u'\\') {
                ++end;
            }
            run_ = {start, end};
        }
        return at - run_.first;
    }

    std::u16string_view text;
    std::u16string_view terminator;
    bool escapes;
    bool splicing;
    const std::size_t* floor;
    const std::size_t* backslashesBeforeFloor;
    mutable std::pair<std::size_t, std::size_t> run_{0, 0};  // [start, end) of a backslash run
};

using UnsplicedLineBreakFinder = MemoFinder<UnsplicedLineBreakSearch>;
using LiteralStopFinder = MemoFinder<LiteralStopSearch>;

}  // namespace engine
