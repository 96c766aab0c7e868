#include <gtest/gtest.h>

#include <random>

#include "workflow/TextCodec.h"

using codec::TextEncoding;

namespace {

std::string RoundTrip(const std::string& bytes) {
    const codec::DecodedText decoded = codec::Decode(bytes);
    return codec::Encode(decoded.text, decoded.encoding);
}

TEST(Decoding, GbkTextGivesTheRightCharacters) {
    const std::string bytes = "\xD6\xD0\xCE\xC4; \xD7\xA2\xCA\xCD\r\n";  // 中文; 注释
    const codec::DecodedText decoded = codec::Decode(bytes);
    EXPECT_EQ(decoded.encoding, TextEncoding::Gbk);
    EXPECT_EQ(decoded.text, u"中文; 注释\r\n");
    EXPECT_EQ(codec::DecodeGbk("\x80"), u"€");
}

TEST(Decoding, Utf8IsRecognisedByItsBytesOrItsMark) {
    EXPECT_EQ(codec::DetectEncoding("mov a ; \xE6\xB3\xA8\xE9\x87\x8A"), TextEncoding::Utf8);
    EXPECT_EQ(codec::DetectEncoding("\xEF\xBB\xBFplain"), TextEncoding::Utf8WithBom);
    EXPECT_EQ(codec::DetectEncoding("plain ascii"), TextEncoding::Gbk);
    EXPECT_EQ(codec::DetectEncoding("\xD6\xD0\xCE\xC4"), TextEncoding::Gbk);
    EXPECT_EQ(codec::DetectEncoding("\xC0\x80"), TextEncoding::Gbk);  // overlong: not UTF-8
    const codec::DecodedText withMark = codec::Decode("\xEF\xBB\xBF\xE4\xB8\xAD");
    EXPECT_EQ(withMark.text, u"中");
}

TEST(Decoding, EachUndecodableByteIsOneReservedCharacter) {
    // 0xAA 0xA1 is in GBK's user-defined area, which the converter does not map.
    EXPECT_EQ(codec::DecodeGbk("a\xAA\xA1z"), u"a\uF7AA\uF7A1z");
    EXPECT_EQ(codec::DecodeGbk("\xFF"), u"\uF7FF");
    EXPECT_EQ(codec::DecodeUtf8("\xEF\xBB\xBF\xE4\xB8"), u"\uFEFF\uF7E4\uF7B8");
}

TEST(RoundTrip, RandomBytesSurviveReadAndWrite) {
    std::mt19937 rng(936);
    std::uniform_int_distribution<int> length(0, 64);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 3);
    for (int i = 0; i < 20000; ++i) {
        std::string bytes;
        for (int n = length(rng); n > 0; --n) {
            switch (kind(rng)) {
                case 0:
                    bytes += static_cast<char>(byte(rng));
                    break;
                case 1:
                    bytes += "\xD6\xD0";
                    break;  // GBK 中
                case 2:
                    bytes += "\xE4\xB8\xAD";
                    break;  // UTF-8 中
                default:    // runs of ASCII, long enough for the copies of many bytes at once
                    for (int run = byte(rng) % 40; run >= 0; --run) {
                        bytes += static_cast<char>(byte(rng) & 0x7F);
                    }
                    break;
            }
        }
        if (i % 7 == 0) {
            bytes.insert(0, "\xEF\xBB\xBF");
        }
        ASSERT_EQ(RoundTrip(bytes), bytes) << "case " << i;
    }
}

TEST(Encoding, CharactersGbkCannotHoldBecomeQuestionMarksAndAreCounted) {
    std::size_t missing = 0;
    EXPECT_EQ(codec::Encode(u"a\U0001F600b\u0151\u00E9", TextEncoding::Gbk, &missing),
              "a?b?\xA8\xA6");
    EXPECT_EQ(missing, 2u);
    EXPECT_EQ(codec::Encode(u"\U0001F600", TextEncoding::Utf8, &missing), "\xF0\x9F\x98\x80");
    EXPECT_EQ(missing, 0u);
}

}  // namespace
