#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace engine {

/// The first position in [from, end) holding `unit`, or npos. This is the engine's hot loop: with
/// SSE2 (every x86-64 processor) it compares eight units at a time, inline, which suits both the
/// short hops from one marker to the next within a line and the long runs of a large file.
inline std::size_t FindUnit(const char16_t* data, std::size_t from, std::size_t end,
                            char16_t unit) {
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
    for (; at + 8 <= end; at += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted));
        if (hits != 0) {
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits))) / 2;
        }
    }
#endif
    const char16_t* hit = std::find(data + at, data + end, unit);
    return hit == data + end ? std::u16string_view::npos : static_cast<std::size_t>(hit - data);
}

/// The first position in [from, end) holding `a` or `b`, or npos: FindUnit for two units at once,
/// which finds the next line break of any kind in one sweep.
inline std::size_t FindEitherUnit(const char16_t* data, std::size_t from, std::size_t end,
                                  char16_t a, char16_t b) {
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i wantedA = _mm_set1_epi16(static_cast<short>(a));
    const __m128i wantedB = _mm_set1_epi16(static_cast<short>(b));
    for (; at + 8 <= end; at += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const int hits = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi16(units, wantedA), _mm_cmpeq_epi16(units, wantedB)));
        if (hits != 0) {
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits))) / 2;
        }
    }
#endif
    for (; at < end; ++at) {
        if (data[at] == a || data[at] == b) {
            return at;
        }
    }
    return std::u16string_view::npos;
}

/// The first position in [from, end) holding any of the `units` (four or eight; repeat one to
/// look for fewer), or npos: one sweep for the first characters of several markers.
template <std::size_t N>
inline std::size_t FindAnyUnit(const char16_t* data, std::size_t from, std::size_t end,
                               const std::array<char16_t, N>& units) {
    static_assert(N == 4 || N == 8);
    std::size_t at = from;
#if defined(__SSE2__)
    __m128i wanted[N];
    for (std::size_t i = 0; i < N; ++i) {
        wanted[i] = _mm_set1_epi16(static_cast<short>(units[i]));
    }
    for (; at + 8 <= end; at += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        __m128i hit = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi16(v, wanted[0]), _mm_cmpeq_epi16(v, wanted[1])),
            _mm_or_si128(_mm_cmpeq_epi16(v, wanted[2]), _mm_cmpeq_epi16(v, wanted[3])));
        if constexpr (N == 8) {
            hit = _mm_or_si128(
                hit,
                _mm_or_si128(
                    _mm_or_si128(_mm_cmpeq_epi16(v, wanted[4]), _mm_cmpeq_epi16(v, wanted[5])),
                    _mm_or_si128(_mm_cmpeq_epi16(v, wanted[6]), _mm_cmpeq_epi16(v, wanted[7]))));
        }
        const int hits = _mm_movemask_epi8(hit);
        if (hits != 0) {
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits))) / 2;
        }
    }
#endif
    for (; at < end; ++at) {
        if (std::find(units.begin(), units.end(), data[at]) != units.end()) {
            return at;
        }
    }
    return std::u16string_view::npos;
}

/// Whether `marker` stands in `text` at `at` (which may be its end): std::u16string_view's
/// starts_with, written out so that the scan's hottest test is always inline.
inline bool MarkerAt(std::u16string_view text, std::size_t at, std::u16string_view marker) {
    if (marker.size() > text.size() - at) {
        return false;
    }
    for (std::size_t i = 0; i < marker.size(); ++i) {
        if (text[at + i] != marker[i]) {
            return false;
        }
    }
    return true;
}

/// The first position >= `from` at which `marker` starts in `text`, or npos, as
/// std::u16string_view::find gives it, only faster.
inline std::size_t FindText(std::u16string_view text, std::u16string_view marker,
                            std::size_t from = 0) {
    constexpr std::size_t npos = std::u16string_view::npos;
    if (marker.empty()) {
        return from <= text.size() ? from : npos;
    }
    if (from >= text.size() || text.size() - from < marker.size()) {
        return npos;
    }
    const std::size_t candidates = text.size() - marker.size() + 1;
    while (from < candidates) {
        const std::size_t at = FindUnit(text.data(), from, candidates, marker.front());
        if (at == npos || text.substr(at, marker.size()) == marker) {
            return at;
        }
        from = at + 1;
    }
    return npos;
}

}  // namespace engine
