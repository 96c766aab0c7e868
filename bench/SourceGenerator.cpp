#include "SourceGenerator.h"

#include <array>
#include <random>
#include <string_view>

namespace bench {
namespace {

template <std::size_t N>
std::u16string_view Pick(std::mt19937& rng, const std::array<std::u16string_view, N>& items) {
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

}  // namespace

std::u16string AssemblerSource(std::size_t units, unsigned seed) {
    static constexpr std::array<std::u16string_view, 8> kOps = {
        u"MOVLW", u"MOVWF", u"ADDWF", u"DECFSZ", u"GOTO", u"CALL", u"BTFSS", u"NOP"};
    static constexpr std::array<std::u16string_view, 6> kArgs = {
        u"0x3F", u"COUNT,F", u"PORTB,3", u"LOOP", u"DELAY_1MS", u"STATUS,Z"};
    static constexpr std::array<std::u16string_view, 6> kComments = {
        u"; load the counter", u"; 装入计数器", u"; wait for the flag",
        u";设置端口方向",      u"; 延时1毫秒",  u"; next byte"};
    std::mt19937 rng(seed);
    std::u16string text;
    text.reserve(units + 128);
    text += u";==============================\r\n; 主程序 main program\r\n;========\r\n";
    unsigned line = 0;
    while (text.size() < units) {
        const unsigned kind = rng() % 20;
        if (kind == 0) {
            text += u"\r\n";
        } else if (kind == 1) {
            text += u"L";
            text += std::u16string(1, static_cast<char16_t>(u'A' + line % 26));
            text += u":\r\n";
        } else if (kind == 2) {
            text += u"; ---- 子程序 subroutine ----\r\n";
        } else if (kind == 3) {
            text += u"\tDT\t\"HELLO; WORLD\",0x0D   ; table\r\n";
        } else if (kind == 4 && line % 50 == 0) {
            text += u"/* 以下代码 disabled\r\n\tNOP\r\n*/\r\n";
        } else {
            text += u"\t";
            text += Pick(rng, kOps);
            text += u"\t";
            text += Pick(rng, kArgs);
            text += u"\t\t";
            if (kind % 3 != 0) {
                text += Pick(rng, kComments);
            }
            text += u"\r\n";
        }
        ++line;
    }
    return text;
}

std::u16string CSource(std::size_t units, unsigned seed) {
    static constexpr std::array<std::u16string_view, 6> kStatements = {
        u"    count = count + 1;",       u"    printf(\"%d; /* not a comment */\\n\", count);",
        u"    if (flag) { return -1; }", u"    buffer[i] = (char)(value >> 8);",
        u"    while (--n) { tick(); }",  u"    x = y * z / 2;"};
    static constexpr std::array<std::u16string_view, 4> kComments = {
        u" // 计数", u" // keep the flag", u" /* 注释 */", u""};
    std::mt19937 rng(seed);
    std::u16string text;
    text.reserve(units + 128);
    text += u"/*\r\n * 模块说明 module header\r\n */\r\n#include <stdio.h>\r\n";
    while (text.size() < units) {
        const unsigned kind = rng() % 12;
        if (kind == 0) {
            text += u"\r\nint function(int n)\r\n{\r\n";
        } else if (kind == 1) {
            text += u"}\r\n";
        } else if (kind == 2) {
            text += u"/* 函数说明:\r\n *   returns the sum\r\n */\r\n";
        } else {
            text += Pick(rng, kStatements);
            text += Pick(rng, kComments);
            text += u"\r\n";
        }
    }
    return text;
}

std::size_t GbkBytes(std::u16string_view text) {
    std::size_t bytes = 0;
    for (char16_t c : text) {
        bytes += c < 0x80 ? 1 : 2;
    }
    return bytes;
}

}  // namespace bench
