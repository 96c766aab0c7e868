#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "FindText.h"
#include "LineBreaks.h"

namespace engine {

/// Answers "where is the first match at or after this position" for one kind of match in one
/// text, remembering the stretch it has already searched, so that a scan moving through the text
/// reads each character a bounded number of times however often it asks. This keeps the passes
/// linear. `Search(from, limit)` gives the first match starting in [from, limit), or npos.
template <typename Search>
class MemoFinder {
public:
    static constexpr std::size_t npos = std::u16string_view::npos;

    explicit MemoFinder(Search search) : search_(search) {}

    /// The first position >= `from` at which a match starts, or npos.
    std::size_t FindFrom(std::size_t from) {
        if (searchedFrom_ != npos && from >= searchedFrom_ && from <= found_) {
            return found_;  // nothing lies between `from` and the match already known
        }
        if (searchedFrom_ != npos && from < searchedFrom_) {
            // Only the stretch before the known one is new; read it and keep the rest.
            const std::size_t hit = search_(from, searchedFrom_);
            if (hit != npos) {
                found_ = hit;
            }
        } else {
            found_ = search_(from, npos);
        }
        searchedFrom_ = from;
        return found_;
    }

private:
    Search search_;
    std::size_t searchedFrom_ = npos;  // no match starts in [searchedFrom_, found_)
    std::size_t found_ = npos;
};

/// Occurrences of a marker. An empty marker is found at `from` itself, as long as text remains.
struct MarkerSearch {
    std::u16string_view text;
    std::u16string_view marker;
    std::size_t operator()(std::size_t from, std::size_t limit) const {
        const std::size_t starts = std::min(limit, text.size());
        if (marker.empty()) {
            return from < starts ? from : std::u16string_view::npos;
        }
        // An occurrence starting before `limit` may run past it.
        const std::size_t end = std::min(text.size(), starts + marker.size() - 1);
        return FindText(text.substr(0, end), marker, from);
    }
};

/// Line breaks of every kind, as the whole text has them.
struct LineBreakSearch {
    std::u16string_view text;
    std::size_t operator()(std::size_t from, std::size_t limit) const {
        return FindLineBreak(text, from, limit);
    }
};

using MarkerFinder = MemoFinder<MarkerSearch>;
using LineBreakFinder = MemoFinder<LineBreakSearch>;

}  // namespace engine
