#include "Passes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace engine {
namespace {

struct BreakCounts {
    std::size_t crLf = 0;
    std::size_t cr = 0;  // every CR, those of CR LFs included
    std::size_t lf = 0;  // every LF, those of CR LFs included
};

#if defined(__SSE2__)
template <typename Unit>
__m128i Equal(__m128i a, __m128i b) {
    return sizeof(Unit) == 1 ? _mm_cmpeq_epi8(a, b) : _mm_cmpeq_epi16(a, b);
}

// The set bits of a 16-bit mask, counted inline: without a popcount instruction in the target,
// std::popcount is a library call, which showed up in profiles of whole files.
inline unsigned Bits16(unsigned x) {
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return (x + (x >> 8)) & 0x1Fu;
}

template <typename Unit>
std::size_t Hits(__m128i mask) {  // movemask gives one bit per byte, so sizeof(Unit) per unit
    return Bits16(static_cast<unsigned>(_mm_movemask_epi8(mask))) / sizeof(Unit);
}
#endif

// One sweep over the units, a vector at a time where SSE2 is there: most blocks of a source hold
// no CR or LF and cost one compare.
template <typename Unit>
BreakCounts CountBreaks(const Unit* data, std::size_t size) {
    BreakCounts counts;
    std::size_t at = 0;
#if defined(__SSE2__)
    constexpr std::size_t kPerVector = 16 / sizeof(Unit);
    const __m128i crUnit = sizeof(Unit) == 1 ? _mm_set1_epi8('\r') : _mm_set1_epi16(u'\r');
    const __m128i lfUnit = sizeof(Unit) == 1 ? _mm_set1_epi8('\n') : _mm_set1_epi16(u'\n');
    for (; at + kPerVector + 1 <= size; at += kPerVector) {  // the unit after tells a CR LF
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const __m128i cr = Equal<Unit>(units, crUnit);
        const __m128i lf = Equal<Unit>(units, lfUnit);
        if (_mm_movemask_epi8(_mm_or_si128(cr, lf)) == 0) {
            continue;
        }
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 1));
        counts.cr += Hits<Unit>(cr);
        counts.lf += Hits<Unit>(lf);
        counts.crLf += Hits<Unit>(_mm_and_si128(cr, Equal<Unit>(next, lfUnit)));
    }
#endif
    for (; at < size; ++at) {
        counts.cr += data[at] == '\r';
        counts.lf += data[at] == '\n';
        counts.crLf += data[at] == '\r' && at + 1 < size && data[at + 1] == '\n';
    }
    return counts;
}

std::u16string_view Commonest(const BreakCounts& counts) {
    const std::size_t cr = counts.cr - counts.crLf;
    const std::size_t lf = counts.lf - counts.crLf;
    if (counts.crLf >= lf && counts.crLf >= cr) {
        return kCrLf;
    }
    return lf >= cr ? u"\n" : u"\r";
}

}  // namespace

std::u16string_view MainLineBreak(std::u16string_view text) {
    return Commonest(CountBreaks(text.data(), text.size()));
}

std::u16string_view MainLineBreakOfBytes(std::string_view bytes) {
    return Commonest(
        CountBreaks(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

}  // namespace engine
