#include "TextCodec.h"

#include "engine/VectorState.h"

#include <iconv.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdint>
#include <vector>

namespace codec {
namespace {

bool IsRawByteChar(char32_t c) {
    return c >= kFirstRawByte && c <= kLastRawByte;
}
char16_t RawByteChar(unsigned char byte) {
    return static_cast<char16_t>(kFirstRawByte + byte - 0x80);
}

// The GBK mapping in both directions, read once from glibc's converter so that it is exactly the
// system's code page 936.
class GbkTables {
public:
    static const GbkTables& Get() {
        static const GbkTables tables;
        return tables;
    }
    // The character of a lead byte (0x80..0xFF) alone, or 0.
    char16_t Single(unsigned char lead) const { return single_[lead - 0x80]; }
    // The character of a lead and trail byte pair, or 0.
    char16_t Pair(unsigned char lead, unsigned char trail) const {
        return pairs_[(lead - 0x80) * 256 + trail];
    }
    // The GBK code of a character (one byte when below 0x100), or 0 when GBK has none.
    std::uint16_t CodeOf(char16_t c) const { return codes_[c]; }

private:
    GbkTables() : single_(128, 0), pairs_(128 * 256, 0), codes_(65536, 0) {
        iconv_t cd = iconv_open("UTF-16LE", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return;  // no converter: every byte above 0x7F then travels as a raw byte
        }
        for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
            const char one[1] = {static_cast<char>(lead)};
            // A character that a second code also decodes to would be written back with the
            // first code; the second code is left undecodable so that its bytes travel raw.
            if (const char16_t c = Convert(cd, one, 1); c != 0 && codes_[c] == 0) {
                single_[lead - 0x80] = c;
                codes_[c] = static_cast<std::uint16_t>(lead);
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFF; ++trail) {
                const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                if (const char16_t c = Convert(cd, two, 2); c != 0 && codes_[c] == 0) {
                    pairs_[(lead - 0x80) * 256 + trail] = c;
                    codes_[c] = static_cast<std::uint16_t>(lead << 8 | trail);
                }
            }
        }
        iconv_close(cd);
    }

    // The one BMP character that exactly these bytes decode to, or 0. Characters that would be
    // confused with the reserved raw-byte characters are refused, so those bytes stay raw.
    static char16_t Convert(iconv_t cd, const char* bytes, std::size_t size) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes);
        std::size_t inLeft = size;
        unsigned char out[8];
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t outLeft = sizeof out;
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0 || sizeof out - outLeft != 2) {
            return 0;
        }
        const char16_t c = static_cast<char16_t>(out[0] | out[1] << 8);
        return c < 0x80 || IsRawByteChar(c) ? 0 : c;
    }

    std::vector<char16_t> single_;
    std::vector<char16_t> pairs_;
    std::vector<std::uint16_t> codes_;
};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The length of the valid UTF-8 sequence at `at` and its code point, or 0 when it is not one.
std::size_t Utf8Sequence(std::string_view bytes, std::size_t at, char32_t& cp) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = b(0);
    std::size_t length;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80) {
            return 0;
        }
        cp = cp << 6 | (b(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Sources are mostly ASCII. These copy the leading run of ASCII 16 (or 8) units at a time with
// SSE2 where the processor has it, and return how many units they copied; the caller goes on
// one unit at a time from there.
std::size_t WidenAsciiRun(const unsigned char* src, std::size_t size, char16_t* dst) {
    std::size_t done = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; done + 16 <= size; done += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done));
        if (_mm_movemask_epi8(bytes) != 0) {
            break;  // a byte with its top bit set
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + done), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + done + 8),
                         _mm_unpackhi_epi8(bytes, zero));
    }
#endif
    for (; done < size && src[done] < 0x80; ++done) {
        dst[done] = src[done];
    }
    return done;
}

std::size_t NarrowAsciiRun(const char16_t* src, std::size_t size, char* dst) {
    std::size_t done = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    for (; done + 8 <= size; done += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), _mm_setzero_si128())) !=
            0xFFFF) {
            break;  // a unit of 0x80 or more
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + done), _mm_packus_epi16(units, units));
    }
#endif
    for (; done < size && src[done] < 0x80; ++done) {
        dst[done] = static_cast<char>(src[done]);
    }
    return done;
}

// Non-ASCII units of a text: a bound for how much longer than the text its encoding can be.
std::size_t NonAsciiUnits(std::u16string_view text) {
    std::size_t count = 0;
    for (char16_t c : text) {
        count += c >= 0x80;
    }
    return count;
}

char* PutUtf8(char32_t cp, char* out) {
    if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | cp >> 6);
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | cp >> 12);
        *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | cp >> 18);
        *out++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    return out;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The decoders write through a pointer into `out`, which the caller has sized for the worst case
// (one character per byte), and cut it to size at the end: no capacity check per character, and
// a buffer that a failed strict attempt leaves behind serves the next decoder as it is.
std::u16string BufferFor(std::string_view bytes) {
    return std::u16string(bytes.size(), u'\0');
}

// UTF-8 to characters. An undecodable byte becomes a raw-byte character; when `strict`, it ends
// the decoding instead and false is returned. A character in
// the reserved range is valid UTF-8 but is kept as its raw bytes, so that it reads back the same.
// `nonAscii` learns whether any byte above 0x7F was met.
bool DecodeUtf8Into(std::string_view bytes, bool strict, std::u16string& out, bool& nonAscii,
                    std::size_t* written = nullptr) {
    engine::ClearUpperVectorState();
    char16_t* dst = out.data();
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    nonAscii = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t ascii = WidenAsciiRun(src + at, bytes.size() - at, dst);
        at += ascii;
        dst += ascii;
        if (at == bytes.size()) {
            break;
        }
        nonAscii = true;
        char32_t cp;
        const std::size_t length = Utf8Sequence(bytes, at, cp);
        if (length == 0 && strict) {
            if (written != nullptr) {
                *written = static_cast<std::size_t>(dst - out.data());
            }
            return false;
        }
        if (length == 0 || IsRawByteChar(cp)) {
            const std::size_t raw = std::max<std::size_t>(length, 1);
            for (std::size_t i = 0; i < raw; ++i) {
                *dst++ = RawByteChar(src[at + i]);
            }
            at += raw;
        } else if (cp >= 0x10000) {
            *dst++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            *dst++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            at += length;
        } else {
            *dst++ = static_cast<char16_t>(cp);
            at += length;
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
    return true;
}

void DecodeGbkInto(std::string_view bytes, std::u16string& out) {
    engine::ClearUpperVectorState();
    const GbkTables& gbk = GbkTables::Get();
    char16_t* dst = out.data();
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = src + bytes.size();
    while (src < end) {
        const std::size_t ascii = WidenAsciiRun(src, static_cast<std::size_t>(end - src), dst);
        src += ascii;
        dst += ascii;
        if (src == end) {
            break;
        }
        const unsigned char lead = *src;
        if (const char16_t single = gbk.Single(lead); single != 0) {
            *dst++ = single;
            src += 1;
        } else if (const char16_t pair = src + 1 < end ? gbk.Pair(lead, src[1]) : 0; pair != 0) {
            *dst++ = pair;
            src += 2;
        } else {
            *dst++ = RawByteChar(lead);
            src += 1;
        }
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes) {
    return Decode(bytes).encoding;
}

std::u16string DecodeGbk(std::string_view bytes) {
    std::u16string out = BufferFor(bytes);
    DecodeGbkInto(bytes, out);
    return out;
}

std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string out = BufferFor(bytes);
    bool nonAscii;
    DecodeUtf8Into(bytes, false, out, nonAscii);
    return out;
}

DecodedText Decode(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
        return {DecodeUtf8(bytes.substr(kUtf8Bom.size())), TextEncoding::Utf8WithBom};
    }
    // One strict UTF-8 pass decides and decodes at once; it gives up at the first byte that is not
    // UTF-8, which in a GBK file comes with its first Chinese character. An all-ASCII text reads
    // the same in both and counts as GBK.
    std::u16string text = BufferFor(bytes);
    bool nonAscii;
    if (DecodeUtf8Into(bytes, true, text, nonAscii)) {
        return {std::move(text), nonAscii ? TextEncoding::Utf8 : TextEncoding::Gbk};
    }
    DecodeGbkInto(bytes, text);
    return {std::move(text), TextEncoding::Gbk};
}

std::optional<TextEncoding> DecodeInPlace(std::u16string& buffer, std::size_t size,
                                          const std::function<bool()>& refill) {
    const std::string_view bytes(reinterpret_cast<const char*>(buffer.data()) + size, size);
    bool nonAscii;
    if (bytes.starts_with(kUtf8Bom)) {
        DecodeUtf8Into(bytes.substr(kUtf8Bom.size()), false, buffer, nonAscii);
        return TextEncoding::Utf8WithBom;
    }
    // Each character takes no more room than its bytes did, so the text, written from the
    // start, never overtakes the bytes still to read. Only a strict UTF-8 pass that fails late
    // has written over bytes that GBK then needs again.
    std::size_t written = 0;
    if (DecodeUtf8Into(bytes, true, buffer, nonAscii, &written)) {
        return nonAscii ? TextEncoding::Utf8 : TextEncoding::Gbk;
    }
    if (written * sizeof(char16_t) > size && !refill()) {
        return std::nullopt;
    }
    DecodeGbkInto(bytes, buffer);
    return TextEncoding::Gbk;
}

namespace {

// The room that encoding `text` may take: GBK at most two bytes a unit, UTF-8 at most three,
// ASCII always one.
std::size_t RoomFor(std::u16string_view text) {
    return kUtf8Bom.size() + text.size() + NonAsciiUnits(text) * 2;
}

}  // namespace

std::string Encode(std::u16string_view text, TextEncoding encoding, std::size_t* unrepresentable) {
    std::string out(RoomFor(text), '\0');
    out.resize(EncodeInto(text, encoding, out, unrepresentable));
    return out;
}

std::size_t EncodeInto(std::u16string_view text, TextEncoding encoding, std::string& out,
                       std::size_t* unrepresentable) {
    engine::ClearUpperVectorState();
    const GbkTables* gbk = encoding == TextEncoding::Gbk ? &GbkTables::Get() : nullptr;
    const std::string_view mark = encoding == TextEncoding::Utf8WithBom ? kUtf8Bom : "";
    // Room for the worst case is there without counting; only short of it is the text counted.
    if (out.size() < kUtf8Bom.size() + 3 * text.size() && out.size() < RoomFor(text)) {
        out.resize(RoomFor(text));  // never shrunk: the next call finds the room made
    }
    char* dst = std::copy(mark.begin(), mark.end(), out.data());
    std::size_t missing = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t ascii = NarrowAsciiRun(text.data() + at, text.size() - at, dst);
        at += ascii;
        dst += ascii;
        if (at == text.size()) {
            break;
        }
        const char16_t c = text[at++];
        if (c < 0x80) {
            *dst++ = static_cast<char>(c);
        } else if (IsRawByteChar(c)) {
            *dst++ = static_cast<char>(c - kFirstRawByte + 0x80);
        } else if (gbk != nullptr) {
            if (const std::uint16_t code = gbk->CodeOf(c); code > 0xFF) {
                *dst++ = static_cast<char>(code >> 8);
                *dst++ = static_cast<char>(code & 0xFF);
            } else if (code != 0) {
                *dst++ = static_cast<char>(code);
            } else {
                *dst++ = '?';
                ++missing;
                if (IsHighSurrogate(c) && at < text.size() && IsLowSurrogate(text[at])) {
                    ++at;  // one character outside the BMP is one "?"
                }
            }
        } else if (IsHighSurrogate(c) && at < text.size() && IsLowSurrogate(text[at])) {
            dst = PutUtf8(0x10000 + ((c - 0xD800) << 10) + (text[at++] - 0xDC00), dst);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            *dst++ = '?';  // a lone surrogate has no UTF-8 form
            ++missing;
        } else {
            dst = PutUtf8(c, dst);
        }
    }
    if (unrepresentable != nullptr) {
        *unrepresentable = missing;
    }
    return static_cast<std::size_t>(dst - out.data());
}

bool EncodeInSlices(std::u16string_view text, TextEncoding encoding,
                    const std::function<bool(std::string_view)>& write,
                    std::size_t& unrepresentable, std::size_t sliceUnits) {
    std::string bytes;  // one buffer for every slice
    std::size_t at = 0;
    do {
        std::size_t end = std::min(text.size(), at + std::max<std::size_t>(sliceUnits, 1));
        end += end < text.size() && IsHighSurrogate(text[end - 1]);
        std::size_t missing = 0;
        const std::size_t size = EncodeInto(text.substr(at, end - at), encoding, bytes, &missing);
        unrepresentable += missing;
        if (!write(std::string_view(bytes).substr(0, size))) {
            return false;
        }
        encoding = encoding == TextEncoding::Utf8WithBom ? TextEncoding::Utf8 : encoding;
        at = end;
    } while (at < text.size());
    return true;
}

}  // namespace codec
