#pragma once

#include <cstddef>
#include <string_view>

#include "FindText.h"

namespace engine {

/// Whether a line break starts at `at`: a CR, or an LF that is not the second half of a CR LF.
inline bool LineBreakStartsAt(std::u16string_view text, std::size_t at) {
    return text[at] == u'\r' || (text[at] == u'\n' && (at == 0 || text[at - 1] != u'\r'));
}

/// The length of the line break starting at `at`: 2 for CR LF, 1 for a lone CR or LF.
inline std::size_t LineBreakLength(std::u16string_view text, std::size_t at) {
    return text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
}

/// The first position in [from, limit) at which a line break starts, or npos. Breaks are those of
/// the whole text, so an LF right after a CR never starts one, even when `from` points at it.
inline std::size_t FindLineBreak(std::u16string_view text, std::size_t from,
                                 std::size_t limit = std::u16string_view::npos) {
    limit = std::min(limit, text.size());
    while (from < limit) {
        const std::size_t at = FindEitherUnit(text.data(), from, limit, u'\r', u'\n');
        if (at == std::u16string_view::npos || LineBreakStartsAt(text, at)) {
            return at;
        }
        from = at + 1;
    }
    return std::u16string_view::npos;
}

/// The rest of SplicedMarkerEnd, where a backslash stands at `at` in place of the marker's
/// character `next`: its joins are passed over, and the marker must go on after them.
[[gnu::noinline]] inline std::size_t MarkerEndAfterJoins(std::u16string_view text, std::size_t at,
                                                         std::u16string_view marker,
                                                         std::size_t next) {
    for (; next < marker.size(); ++next, ++at) {
        while (at + 1 < text.size() && text[at] == u'\\' &&
               (text[at + 1] == u'\r' || text[at + 1] == u'\n')) {
            at += 1 + LineBreakLength(text, at + 1);
        }
        if (at >= text.size() || text[at] != marker[next]) {
            return std::u16string_view::npos;
        }
    }
    return at;
}

/// Where `marker` ends when it starts at `at`, the line joins of a backslash right before a line
/// break allowed between its characters (/\⏎* reads as /*), or npos when it does not start there.
/// An empty marker starts nowhere.
inline std::size_t SplicedMarkerEnd(std::u16string_view text, std::size_t at,
                                    std::u16string_view marker) {
    std::size_t next = 0;  // how much of the marker matches at `at` as it stands
    while (next < marker.size() && at + next < text.size() && text[at + next] == marker[next]) {
        ++next;
    }
    if (next == marker.size() && next > 0) {
        return at + next;
    }
    if (next == 0 || at + next >= text.size() || text[at + next] != u'\\') {
        return std::u16string_view::npos;  // no join where it stops matching: the common case
    }
    return MarkerEndAfterJoins(text, at + next, marker, next);
}

}  // namespace engine
