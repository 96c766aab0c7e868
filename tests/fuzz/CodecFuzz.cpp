// Every byte string survives a read and a write unchanged, on every road a file takes: detected
// encoding (behind a byte-order mark too), decoded in its own memory as a file is, forced GBK,
// forced UTF-8, and encoded in slices as a save does it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/TextCodec.h"

namespace {

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Encodes in slices that end where `cuts` say, never inside a surrogate pair, into one buffer
// reused for every slice as a save does.
std::string EncodeInSlices(std::u16string_view text, codec::TextEncoding encoding,
                           std::string_view cuts) {
    std::string out;
    std::string buffer;
    std::size_t at = 0;
    for (std::size_t i = 0; at < text.size(); ++i) {
        std::size_t end = std::min(text.size(), at + 1 + (i < cuts.size() ? cuts[i] & 0x1F : 31));
        if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
            ++end;
        }
        out.append(buffer, 0, codec::EncodeInto(text.substr(at, end - at), encoding, buffer));
        at = end;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const codec::DecodedText decoded = codec::Decode(bytes);
    Check(codec::Encode(decoded.text, decoded.encoding) == bytes);
    // In place: the bytes in the second half of the text's memory, put back when asked.
    std::u16string buffer(size, u'\0');
    const auto putBytes = [&] {
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(buffer.data()) + size);
        return true;
    };
    putBytes();
    Check(codec::DecodeInPlace(buffer, size, putBytes) == decoded.encoding);
    Check(buffer == decoded.text);
    Check(codec::Decode("\xEF\xBB\xBF" + bytes).encoding == codec::TextEncoding::Utf8WithBom);
    Check(codec::Encode(codec::Decode("\xEF\xBB\xBF" + bytes).text,
                        codec::TextEncoding::Utf8WithBom) == "\xEF\xBB\xBF" + bytes);
    const std::u16string gbk = codec::DecodeGbk(bytes);
    Check(codec::Encode(gbk, codec::TextEncoding::Gbk) == bytes);
    const std::u16string utf8 = codec::DecodeUtf8(bytes);
    Check(codec::Encode(utf8, codec::TextEncoding::Utf8) == bytes);
    Check(EncodeInSlices(gbk, codec::TextEncoding::Gbk, bytes) == bytes);
    Check(EncodeInSlices(utf8, codec::TextEncoding::Utf8, bytes) == bytes);
    return 0;
}
