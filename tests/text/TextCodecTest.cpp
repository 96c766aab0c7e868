#include <gtest/gtest.h>

#include <random>

#include "text/TextCodec.h"

using codec::TextEncoding;

namespace {

TEST(Decoding, FindsTheEncodingAndGivesEachUndecodableByteOneReservedCharacter) {
    const codec::DecodedText gbk = codec::Decode("\xD6\xD0\xCE\xC4; \xD7\xA2\xCA\xCD\r\n");
    EXPECT_EQ(gbk.encoding, TextEncoding::Gbk);
    EXPECT_EQ(gbk.text, u"中文; 注释\r\n");
    EXPECT_EQ(codec::DecodeGbk("\x80"), u"€");
    EXPECT_EQ(codec::DetectEncoding("mov a ; \xE6\xB3\xA8\xE9\x87\x8A"), TextEncoding::Utf8);
    EXPECT_EQ(codec::DetectEncoding("\xEF\xBB\xBFplain"), TextEncoding::Utf8WithBom);
    EXPECT_EQ(codec::DetectEncoding("plain ascii"), TextEncoding::Gbk);
    EXPECT_EQ(codec::DetectEncoding("\xC0\x80"), TextEncoding::Gbk);  // overlong: not UTF-8
    EXPECT_EQ(codec::Decode("\xEF\xBB\xBF\xE4\xB8\xAD").text, u"中");
    EXPECT_EQ(codec::Decode("; \xF0\x9F\x98\x80").text, u"; \U0001F600");  // four bytes
    // 0xAA 0xA1 is in GBK's user-defined area, which the converter does not map.
    EXPECT_EQ(codec::DecodeGbk("a\xAA\xA1z"), u"a\uF7AA\uF7A1z");
    EXPECT_EQ(codec::DecodeGbk("\xFF"), u"\uF7FF");
    EXPECT_EQ(codec::DecodeUtf8("\xEF\xBB\xBF\xE4\xB8"), u"\uFEFF\uF7E4\uF7B8");
    // Past U+10FFFF, a surrogate's code and an overlong form are no UTF-8: each byte is kept.
    EXPECT_EQ(codec::DecodeUtf8("\xF4\x90\x80\x80"), u"\uF7F4\uF790\uF780\uF780");
    EXPECT_EQ(codec::DecodeUtf8("\xED\xA0\x80"), u"\uF7ED\uF7A0\uF780");
    EXPECT_EQ(codec::DecodeUtf8("\xE0\x9F\xBF"), u"\uF7E0\uF79F\uF7BF");
    EXPECT_EQ(codec::DecodeUtf8("\xF4\x8F\xBF\xBF\xED\x9F\xBF"), u"\U0010FFFF\uD7FF");
    EXPECT_EQ(codec::DetectEncoding("; \xF4\x90\x80\x80"), TextEncoding::Gbk);
}

TEST(RoundTrip, RandomBytesSurviveReadAndWrite) {
    std::mt19937 rng(936);
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int i = 0; i < 20000; ++i) {
        std::string bytes = i % 7 == 0 ? "\xEF\xBB\xBF" : "";
        for (int n = below(65); n > 0; --n) {
            // Any byte, GBK and UTF-8 中, and runs of ASCII long enough for the copies of many
            // bytes at once.
            const std::string pieces[] = {std::string(1, char(below(256))), "\xD6\xD0",
                                          "\xE4\xB8\xAD", std::string(below(41), char(below(128)))};
            bytes += pieces[below(4)];
        }
        const codec::DecodedText decoded = codec::Decode(bytes);
        ASSERT_EQ(codec::Encode(decoded.text, decoded.encoding), bytes) << "case " << i;
    }
}

TEST(Encoding, CharactersGbkCannotHoldBecomeQuestionMarksAndAreCounted) {
    std::size_t missing = 0;
    EXPECT_EQ(codec::Encode(u"a\U0001F600b\u0151\u00E9", TextEncoding::Gbk, &missing),
              "a?b?\xA8\xA6");
    EXPECT_EQ(missing, 2u);
    EXPECT_EQ(codec::Encode(u"\U0001F600", TextEncoding::Utf8, &missing), "\xF0\x9F\x98\x80");
    EXPECT_EQ(missing, 0u);
    // The first and last pairs of surrogates, and the edges of each half.
    EXPECT_EQ(codec::Encode(u"\U00010000\U0010FFFF\U000103FF\U0010FC00", TextEncoding::Utf8),
              "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xF0\x90\x8F\xBF\xF4\x8F\xB0\x80");
    EXPECT_EQ(codec::Encode(u"\uD7FF\uE000", TextEncoding::Utf8), "\xED\x9F\xBF\xEE\x80\x80");
    // A half of a pair alone has no UTF-8 form either: one "?" each, counted.
    const std::u16string lone =
        u"\xD800"
        u"A"
        u"B"
        u"\xDC00"
        u"\xDBFF";
    EXPECT_EQ(codec::Encode(lone, TextEncoding::Utf8, &missing), "?AB??");
    EXPECT_EQ(missing, 3u);
}

// A text written a slice at a time gives the bytes of the whole text at once, whatever the slice:
// the mark once, no pair of surrogates cut in two, each character GBK cannot hold counted once.
TEST(Encoding, SlicesWriteWhatTheWholeTextGives) {
    const std::u16string text =
        u"a\U0001F600\U0001F600b"
        u"\xD800"
        u"c\U00020000中";
    for (const TextEncoding encoding :
         {TextEncoding::Utf8, TextEncoding::Utf8WithBom, TextEncoding::Gbk}) {
        std::size_t wholeMissing = 0;
        const std::string whole = codec::Encode(text, encoding, &wholeMissing);
        for (std::size_t slice = 0; slice <= text.size(); ++slice) {
            std::string written;
            std::size_t missing = 0;
            ASSERT_TRUE(codec::EncodeInSlices(
                text, encoding, [&](std::string_view bytes) { return written += bytes, true; },
                missing, slice));
            EXPECT_EQ(written, whole) << static_cast<int>(encoding) << " slice " << slice;
            EXPECT_EQ(missing, wholeMissing) << static_cast<int>(encoding) << " slice " << slice;
        }
    }
}

}  // namespace
