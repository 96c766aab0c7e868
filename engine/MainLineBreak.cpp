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

// The sum of the 16 byte counters in `counters`.
std::size_t Total(__m128i counters) {
    const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}
#endif

// One sweep over the units, a vector at a time where SSE2 is there, with no branch: each match
// adds one to a byte counter of its lane (a compare gives all ones, subtracting it adds one), and
// the counters are summed before they can overflow.
template <typename Unit>
BreakCounts CountBreaks(const Unit* data, std::size_t size) {
    BreakCounts counts;
    std::size_t at = 0;
#if defined(__SSE2__)
    constexpr std::size_t kPerVector = 16 / sizeof(Unit);
    const __m128i crUnit = sizeof(Unit) == 1 ? _mm_set1_epi8('\r') : _mm_set1_epi16(u'\r');
    const __m128i lfUnit = sizeof(Unit) == 1 ? _mm_set1_epi8('\n') : _mm_set1_epi16(u'\n');
    while (at + kPerVector + 1 <= size) {  // the unit after tells a CR LF
        __m128i cr = _mm_setzero_si128();
        __m128i lf = _mm_setzero_si128();
        __m128i crLf = _mm_setzero_si128();
        for (int round = 0; round < 255 && at + kPerVector + 1 <= size; ++round, at += kPerVector) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 1));
            const __m128i isCr = Equal<Unit>(units, crUnit);
            cr = _mm_sub_epi8(cr, isCr);
            lf = _mm_sub_epi8(lf, Equal<Unit>(units, lfUnit));
            crLf = _mm_sub_epi8(crLf, _mm_and_si128(isCr, Equal<Unit>(next, lfUnit)));
        }
        // A match of two-byte units counted once in each of its bytes.
        counts.cr += Total(cr) / sizeof(Unit);
        counts.lf += Total(lf) / sizeof(Unit);
        counts.crLf += Total(crLf) / sizeof(Unit);
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
