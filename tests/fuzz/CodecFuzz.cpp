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

// Encoded by the save's own slicing, with slices as short as `units` so that short inputs cross
// many slice ends; every slice goes to one string.
std::string EncodedInSlices(std::u16string_view text, codec::TextEncoding encoding,
                            std::size_t units) {
    std::string out;
    std::size_t unrepresentable = 0;
    codec::EncodeInSlices(
        text, encoding,
        [&](std::string_view bytes) {
            out += bytes;
            return true;
        },
        unrepresentable, units);
    Check(unrepresentable == 0);
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
    const std::size_t units = size == 0 ? 1 : 1 + data[0] % 8;
    Check(EncodedInSlices(gbk, codec::TextEncoding::Gbk, units) == bytes);
    Check(EncodedInSlices(utf8, codec::TextEncoding::Utf8, units) == bytes);
    Check(EncodedInSlices(utf8, codec::TextEncoding::Utf8WithBom, units) == "\xEF\xBB\xBF" + bytes);
    return 0;
}
