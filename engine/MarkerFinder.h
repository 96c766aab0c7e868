#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "FindText.h"

namespace engine {

/// Finds the first occurrence of one marker at or after a position of a text, remembering the
/// stretch it has already searched, so that a scan moving through the text reads each character
/// a bounded number of times however often it asks. This keeps the passes linear.
class MarkerFinder {
public:
    static constexpr std::size_t npos = std::u16string_view::npos;

    MarkerFinder(std::u16string_view text, std::u16string_view marker)
        : text_(text), marker_(marker) {}

    /// The first position >= `from` at which the marker starts, or npos. An empty marker is found
    /// at `from` itself, as long as some text remains there.
    std::size_t FindFrom(std::size_t from) {
        if (marker_.empty()) {
            return from < text_.size() ? from : npos;
        }
        if (searchedFrom_ != npos && from >= searchedFrom_ && from <= found_) {
            return found_;  // nothing lies between `from` and the occurrence already known
        }
        if (searchedFrom_ != npos && from < searchedFrom_) {
            // Only the stretch before the known one is new; read it and keep the rest.
            const std::size_t end = std::min(text_.size(), searchedFrom_ + marker_.size() - 1);
            const std::size_t hit = FindText(text_.substr(from, end - from), marker_);
            if (hit != npos) {
                found_ = from + hit;
            }
            searchedFrom_ = from;
            return found_;
        }
        found_ = FindText(text_, marker_, from);
        searchedFrom_ = from;
        return found_;
    }

private:
    std::u16string_view text_;
    std::u16string_view marker_;
    std::size_t searchedFrom_ = npos;  // no occurrence starts in [searchedFrom_, found_)
    std::size_t found_ = npos;
};

}  // namespace engine
