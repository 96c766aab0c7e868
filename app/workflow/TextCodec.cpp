#include "TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace codec {
namespace {

bool IsRawByteChar(char32_t c) { return c >= kFirstRawByte && c <= kLastRawByte; }
char16_t RawByteChar(unsigned char byte) { return static_cast<char16_t>(kFirstRawByte + byte - 0x80); }

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

// Copies the run of ASCII bytes at `at` and returns where it ends: the common case, kept tight.
std::size_t WidenAscii(std::string_view bytes, std::size_t at, std::u16string& out) {
    std::size_t end = at;
    while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) {
        ++end;
    }
    const std::size_t start = out.size();
    out.resize(start + (end - at));
    for (std::size_t i = at; i < end; ++i) {
        out[start + (i - at)] = static_cast<unsigned char>(bytes[i]);
    }
    return end;
}

std::size_t NarrowAscii(std::u16string_view text, std::size_t at, std::string& out) {
    std::size_t end = at;
    while (end < text.size() && text[end] < 0x80) {
        ++end;
    }
    const std::size_t start = out.size();
    out.resize(start + (end - at));
    for (std::size_t i = at; i < end; ++i) {
        out[start + (i - at)] = static_cast<char>(text[i]);
    }
    return end;
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
        return TextEncoding::Utf8WithBom;
    }
    bool nonAscii = false;
    for (std::size_t at = 0; at < bytes.size();) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        char32_t cp;
        const std::size_t length = Utf8Sequence(bytes, at, cp);
        if (length == 0) {
            return TextEncoding::Gbk;
        }
        nonAscii = true;
        at += length;
    }
    return nonAscii ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

std::u16string DecodeGbk(std::string_view bytes) {
    const GbkTables& gbk = GbkTables::Get();
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        at = WidenAscii(bytes, at, out);
        if (at == bytes.size()) {
            break;
        }
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (const char16_t c = gbk.Single(lead); c != 0) {
            out += c;
            at += 1;
        } else if (at + 1 < bytes.size() &&
                   gbk.Pair(lead, static_cast<unsigned char>(bytes[at + 1])) != 0) {
            out += gbk.Pair(lead, static_cast<unsigned char>(bytes[at + 1]));
            at += 2;
        } else {
            out += RawByteChar(lead);
            at += 1;
        }
    }
    return out;
}

std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        at = WidenAscii(bytes, at, out);
        if (at == bytes.size()) {
            break;
        }
        char32_t cp;
        const std::size_t length = Utf8Sequence(bytes, at, cp);
        if (length == 0 || IsRawByteChar(cp)) {
            // Undecodable, or a character that would read back as raw bytes: keep each byte.
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
                out += RawByteChar(static_cast<unsigned char>(bytes[at + i]));
            }
            at += std::max<std::size_t>(length, 1);
        } else if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            at += length;
        } else {
            out += static_cast<char16_t>(cp);
            at += length;
        }
    }
    return out;
}

DecodedText Decode(std::string_view bytes) {
    const TextEncoding encoding = DetectEncoding(bytes);
    switch (encoding) {
        case TextEncoding::Utf8WithBom:
            return {DecodeUtf8(bytes.substr(kUtf8Bom.size())), encoding};
        case TextEncoding::Utf8:
            return {DecodeUtf8(bytes), encoding};
        case TextEncoding::Gbk:
            break;
    }
    return {DecodeGbk(bytes), encoding};
}

std::string Encode(std::u16string_view text, TextEncoding encoding,
                   std::size_t* unrepresentable) {
    const GbkTables* gbk = encoding == TextEncoding::Gbk ? &GbkTables::Get() : nullptr;
    std::size_t missing = 0;
    std::string out;
    out.reserve(text.size() + (encoding == TextEncoding::Utf8WithBom ? kUtf8Bom.size() : 0));
    if (encoding == TextEncoding::Utf8WithBom) {
        out += kUtf8Bom;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        at = NarrowAscii(text, at, out);
        if (at == text.size()) {
            break;
        }
        const char16_t c = text[at++];
        if (IsRawByteChar(c)) {
            out += static_cast<char>(c - kFirstRawByte + 0x80);
        } else if (gbk != nullptr) {
            const std::uint16_t code = gbk->CodeOf(c);
            if (code == 0) {
                out += '?';
                ++missing;
                if (c >= 0xD800 && c <= 0xDBFF && at < text.size() && text[at] >= 0xDC00 &&
                    text[at] <= 0xDFFF) {
                    ++at;  // one character outside the BMP is one "?"
                }
            } else if (code > 0xFF) {
                out += static_cast<char>(code >> 8);
                out += static_cast<char>(code & 0xFF);
            } else {
                out += static_cast<char>(code);
            }
        } else if (c >= 0xD800 && c <= 0xDBFF && at < text.size() && text[at] >= 0xDC00 &&
                   text[at] <= 0xDFFF) {
            AppendUtf8(0x10000 + ((c - 0xD800) << 10) + (text[at++] - 0xDC00), out);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?';  // a lone surrogate has no UTF-8 form
            ++missing;
        } else {
            AppendUtf8(c, out);
        }
    }
    if (unrepresentable != nullptr) {
        *unrepresentable = missing;
    }
    return out;
}

std::u16string_view LineBreakOf(std::u16string_view text) {
    if (text.find(u"\r\n") != std::u16string_view::npos || text.find(u'\n') == std::u16string_view::npos) {
        return u"\r\n";
    }
    return u"\n";
}

}  // namespace codec
