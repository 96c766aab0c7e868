#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

/// Bytes of a text file to characters and back, without loss. Files are GBK (code page 936), or
/// UTF-8 when their bytes say so. A byte that does not decode becomes one reserved character
/// (U+F780 + byte - 0x80) and is written back as that same byte, so any file survives a read and
/// a write unchanged.
namespace codec {

enum class TextEncoding { Gbk, Utf8, Utf8WithBom };

struct DecodedText {
    std::u16string text;
    TextEncoding encoding = TextEncoding::Gbk;
};

/// UTF-8 when the bytes start with a byte-order mark, or are valid UTF-8 holding a non-ASCII
/// byte; GBK otherwise.
TextEncoding DetectEncoding(std::string_view bytes);

/// Decodes in the detected encoding; the byte-order mark is not part of the text.
DecodedText Decode(std::string_view bytes);

/// Decodes, as Decode does, the `size` bytes that fill the second half of `buffer`'s memory
/// (`buffer.size()` is `size`) into `buffer` itself, so that the bytes and their text never take
/// memory twice; `buffer` ends as the text. `refill` puts the bytes back where they were, for
/// the rare file that turns out not to be UTF-8 only after its text has overwritten them; when it
/// fails, so does this (nullopt).
std::optional<TextEncoding> DecodeInPlace(std::u16string& buffer, std::size_t size,
                                          const std::function<bool()>& refill);

std::u16string DecodeGbk(std::string_view bytes);
std::u16string DecodeUtf8(std::string_view bytes);

/// Encodes `text`; a character the encoding cannot hold is written as "?" and counted in
/// `unrepresentable` when given.
std::string Encode(std::u16string_view text, TextEncoding encoding,
                   std::size_t* unrepresentable = nullptr);

/// The same, into `out`, whose room is reused and grown as needed, never shrunk: for a text
/// encoded a slice at a time. Returns how many bytes of `out` the encoding fills.
std::size_t EncodeInto(std::u16string_view text, TextEncoding encoding, std::string& out,
                       std::size_t* unrepresentable = nullptr);

/// Encodes `text` a slice of `sliceUnits` units at a time, handing each slice's bytes to `write`,
/// so that a large text never sits in memory twice: a byte-order mark comes once, first, and no
/// slice splits a surrogate pair. Stops with false at the first `write` that fails.
bool EncodeInSlices(std::u16string_view text, TextEncoding encoding,
                    const std::function<bool(std::string_view)>& write,
                    std::size_t& unrepresentable, std::size_t sliceUnits = 1 << 20);

/// The first and last reserved characters that stand for undecodable bytes 0x80 to 0xFF.
inline constexpr char16_t kFirstRawByte = 0xF780;
inline constexpr char16_t kLastRawByte = 0xF7FF;

}  // namespace codec
