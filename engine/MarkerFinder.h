#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
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

/// Occurrences of a marker, also cut in two by line joins where `spliced` (see SplicedMarkerEnd).
/// An empty marker is found at `from` itself, as long as text remains.
struct MarkerSearch {
    std::u16string_view text;
    std::u16string_view marker;
    bool spliced = false;
    std::size_t operator()(std::size_t from, std::size_t limit) const {
        constexpr std::size_t npos = std::u16string_view::npos;
        const std::size_t starts = std::min(limit, text.size());
        if (marker.empty()) {
            return from < starts ? from : npos;
        }
        if (spliced && marker.size() > 1) {
            return FindSpliced(from, starts);
        }
        // An occurrence starting before `limit` may run past it.
        const std::size_t end = std::min(text.size(), starts + marker.size() - 1);
        return FindText(text.substr(0, end), marker, from);
    }

    // Kept apart from the plain search, the common one, so that it stays small and inline.
    [[gnu::noinline]] std::size_t FindSpliced(std::size_t from, std::size_t starts) const {
        for (std::size_t at = from; at < starts; ++at) {
            at = FindUnit(text.data(), at, starts, marker.front());
            if (at == std::u16string_view::npos ||
                SplicedMarkerEnd(text, at, marker) != std::u16string_view::npos) {
                return at;
            }
        }
        return std::u16string_view::npos;
    }
};

/// Occurrences of any of up to sixteen markers, with one sweep for their first characters (at most
/// eight different ones) instead of one per marker: where an ordinary run stops. An empty marker
/// is none: it can start no construct, so it need not stop a run.
class AnyMarkerSearch {
public:
    AnyMarkerSearch(std::u16string_view text, std::initializer_list<std::u16string_view> markers)
        : text_(text) {
        for (std::u16string_view marker : markers) {
            Add(marker);
        }
        for (std::size_t i = units_; i < firstUnits_.size(); ++i) {
            firstUnits_[i] = units_ == 0 ? char16_t{0} : firstUnits_[0];
        }
        std::copy_n(firstUnits_.begin(), fewUnits_.size(), fewUnits_.begin());
    }

    std::size_t operator()(std::size_t from, std::size_t limit) const {
        const std::size_t end = std::min(limit, text_.size());
        if (count_ == 0) {
            return std::u16string_view::npos;
        }
        for (std::size_t at = from; at < end; ++at) {
            if (unitsSwept_) {
                // Four at a time where four are enough: half the comparisons.
                at = units_ <= fewUnits_.size() ? FindAnyUnit(text_.data(), at, end, fewUnits_)
                                                : FindAnyUnit(text_.data(), at, end, firstUnits_);
                if (at == std::u16string_view::npos) {
                    break;
                }
            }
            for (std::size_t i = 0; i < count_; ++i) {
                if (MarkerAt(text_, at, markers_[i])) {
                    return at;
                }
            }
        }
        return std::u16string_view::npos;
    }

private:
    void Add(std::u16string_view marker) {
        if (marker.empty() || count_ == markers_.size()) {
            return;
        }
        markers_[count_++] = marker;
        const auto known = firstUnits_.begin() + static_cast<std::ptrdiff_t>(units_);
        if (std::find(firstUnits_.begin(), known, marker.front()) != known) {
            return;
        }
        if (units_ == firstUnits_.size()) {
            unitsSwept_ = false;  // more first characters than one sweep looks for
        } else {
            firstUnits_[units_++] = marker.front();
        }
    }

    std::u16string_view text_;
    std::array<std::u16string_view, 16> markers_{};
    std::array<char16_t, 8> firstUnits_{};
    std::array<char16_t, 4> fewUnits_{};  // the first four of them
    std::size_t count_ = 0;
    std::size_t units_ = 0;   // different first characters in firstUnits_
    bool unitsSwept_ = true;  // false: every position is tried, slower but complete
};

/// Line breaks of every kind, as the whole text has them.
struct LineBreakSearch {
    std::u16string_view text;
    std::size_t operator()(std::size_t from, std::size_t limit) const {
        return FindLineBreak(text, from, limit);
    }
};

using MarkerFinder = MemoFinder<MarkerSearch>;
using AnyMarkerFinder = MemoFinder<AnyMarkerSearch>;
using LineBreakFinder = MemoFinder<LineBreakSearch>;

}  // namespace engine
