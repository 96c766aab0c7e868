#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "engine/EliminationOptions.h"

/// Option sets and texts built from the pieces that make comment markers meet: the markers
/// themselves, a line leader inside a block comment, mixes of the three kinds of line break,
/// often after leading blanks. Every choice comes from `below(n)`, a number under n, so that a
/// seeded generator and a fuzzer's bytes can both drive it.
class RandomCases {
public:
    explicit RandomCases(std::function<std::size_t(std::size_t)> below)
        : below_(std::move(below)) {}

    engine::EliminationOptions Options() {
        engine::EliminationOptions o;
        o.LineCommentLeader =
            Pick({u";", u";", u"", u"//", u"/", u"#", u";;", u"/*", u"REM ", u"\n", u";\r"});
        o.BlockCommentLeader = Pick({u"/*", u"/*", u"", u"/", u"(*", u"/**/", u";", u"\"", u"\r"});
        o.BlockCommentTerminator =
            Pick({u"*/", u"*/", u"", u"*", u"/", u"*)", u"/*", u"\r\n", u"\n", u"*/\r"});
        o.StringLeader = Pick({u"\"", u"\"", u"", u"'", u"<", u"\"\"", u"/", u"\n", u"\r"});
        o.StringTerminator = Pick({u"\"", u"\"", u"", u">", u"'", u"*/", u";", u"\r", u"\n"});
        o.IgnoreMarkersInStrings = Percent(80);
        o.KeepHeaderLineComments = Percent(60);
        o.KeepHeaderBlockComment = Percent(60);
        o.KeepWholeLineComments = Percent(30);
        o.KeepAllLineComments = Percent(15);
        o.KeepAllBlockComments = Percent(15);
        o.KeepLeadingSpaces = Percent(60);
        o.KeepSurplusBlanks = Percent(15);
        o.KeepLineNumbers = Percent(20);
        o.KeepLicenceComments = Percent(30);
        o.KeepToolComments = Percent(70);
        if (Percent(20)) {
            o.KeepCommentsHolding = {u"keep", u"中"};
        }
        return o;
    }

    /// An option set of Options() read with C's rules, each rule on most of the time, often with
    /// C's markers.
    engine::EliminationOptions COptions() {
        engine::EliminationOptions o = Options();
        if (Percent(60)) {
            o.LineCommentLeader = u"//";
            o.BlockCommentLeader = u"/*";
            o.BlockCommentTerminator = u"*/";
            o.StringLeader = o.StringTerminator = u"\"";
        }
        o.Rules.CharacterQuote = Percent(85) ? u'\'' : Percent(50) ? u'\\' : u'\0';
        o.Rules.BackslashEscapes = Percent(85);
        o.Rules.LineSplicing = Percent(85);
        o.Rules.SeparateTokens = Percent(85);
        o.Rules.HeaderNames = Percent(70);
        o.Rules.DigitSeparators = Percent(70);
        o.Rules.ToolComments = Percent(70);
        return o;
    }

    /// An option set of COptions() with C++'s raw string literals, most often with C++'s markers.
    engine::EliminationOptions CppOptions() {
        engine::EliminationOptions o = COptions();
        if (Percent(70)) {
            o.LineCommentLeader = u"//";
            o.BlockCommentLeader = u"/*";
            o.BlockCommentTerminator = u"*/";
            o.StringLeader = o.StringTerminator = u"\"";
        }
        o.Rules.RawStrings = Percent(90);
        return o;
    }

    /// An option set of Options() with the further leaders, literals and lines of the assembler
    /// dialects, each drawn at random.
    engine::EliminationOptions DialectOptions() {
        engine::EliminationOptions o = Percent(50) ? Options() : COptions();
        engine::LexicalRules& r = o.Rules;
        for (engine::LineLeader& leader : r.MoreLineLeaders) {
            // Views of literals: the rules hold views, which must outlive the case.
            leader = {Percent(60) ? Pick<std::u16string_view>({u"@", u"#", u"//", u";", u"!", u"|"})
                                  : u"",
                      Percent(40)};
        }
        for (engine::LiteralKind& kind : r.MoreLiterals) {
            const std::u16string quote = Pick({u"'", u"`", u"\"", u"\0"});
            kind = {quote[0],
                    Pick({engine::QuoteEscapes::None, engine::QuoteEscapes::Backslash,
                          engine::QuoteEscapes::Doubled}),
                    Percent(30)};
        }
        r.DirectiveLines = Percent(40);
        r.ControlLinePrefix = Percent(30) ? u'$' : u'\0';
        r.CommentDirective = Percent(30) ? u"COMMENT" : u"";
        return o;
    }

    std::u16string Text(const engine::EliminationOptions& o) {
        const std::u16string usual = Pick({u"\r\n", u"\n", u"\r"});
        const std::u16string lineInBlock =
            o.BlockCommentLeader + u" " + o.LineCommentLeader + u" x " + o.BlockCommentTerminator;
        // clang-format off
        // Chinese, and the last ASCII and first other character, where C's word characters begin.
        const std::u16string pieces[] = {
            o.LineCommentLeader, o.BlockCommentLeader, o.BlockCommentTerminator, o.StringLeader,
            o.StringTerminator, lineInBlock, usual, usual, usual, u"\r\n", u"\r", u"\n", u"\"", u";",
            u"/*", u"*/", u"/", u"*", u"<", u">", u"'", u" ", u" ", u"\t", u"a", u"b", u"mov",
            u"注释", u"中", u"\x7f", u"\x80", u" fall through ", u"NOLINT", u"lint", u"keep",
            u"Copyright", u"(c) 2024", u"\u00a9", u"-fallthrough"};
        // What C's rules read: escapes, splices, quotes, and the characters tokens are made of.
        const std::u16string cPieces[] = {
            u"\\", u"\\", u"\\\"", u"\\'", u"\\\\", u"\\\r\n", u"\\\n", u"\\\r", u"'", u"'",
            u"'x'", u"\"//\"", u"e", u".", u"+", u"-", u"1", u"_", u"L", u"$", u"(", u"\f",
            u"/\\\n*", u"*\\\r\n/", u"/\\\n/", u"\\\n", u"0x1'0", u"1'", u"'0", u"u8'a'",
            u"#include <", u"#include_next<", u" #import ", u"#if __has_include(<",
            u"__has_include (", u"__has_include_next(<", u"#elif ", u"#", u"<", u">"};
        // What C++ adds: raw strings, their prefixes, delimiters and closings.
        const std::u16string cppPieces[] = {
            u"R\"", u"R\"(", u"u8R\"(", u"LR\"x(", u"uR\"", u"UR\"ab(", u")\"", u")x\"",
            u")ab\"", u"xR\"(", u"R", u"R\"0123456789abcdefg(", u"R\" (", u")"};
        // What the assembler dialects add: leaders, quotes, directive and control lines.
        const std::u16string dialectPieces[] = {
            u"@", u"#", u"# c", u"#include", u"# define x", u"#if", u"# 12", u"!", u"|", u"`",
            u"\\`", u"''", u"'a", u"#'a", u"'\\'", u"$", u"$NOMOD51", u"COMMENT ^", u"comment *",
            u"^", u"*", u"\r\n$x ; y", u"\n#x", u"\n  COMMENT !"};
        // clang-format on
        const bool dialect = o.Rules.MoreLineLeaders != decltype(o.Rules.MoreLineLeaders){} ||
                             o.Rules.MoreLiterals != decltype(o.Rules.MoreLiterals){} ||
                             o.Rules.ControlLinePrefix != 0 || !o.Rules.CommentDirective.empty();
        const bool c = o.Rules != engine::LexicalRules{} && !dialect;
        const bool cpp = o.Rules.RawStrings;
        const auto piece = [&] {
            if (dialect && Percent(35)) {
                return dialectPieces[below_(std::size(dialectPieces))];
            }
            const std::size_t n = below_(std::size(pieces) + (c ? std::size(cPieces) : 0) +
                                         (cpp ? std::size(cppPieces) : 0));
            if (n < std::size(pieces)) {
                return pieces[n];
            }
            return n - std::size(pieces) < std::size(cPieces)
                       ? cPieces[n - std::size(pieces)]
                       : cppPieces[n - std::size(pieces) - std::size(cPieces)];
        };
        std::u16string text;
        if (Percent(30)) {
            text += Pick({u"\r\n", u"\n\n", u"\r\r", u" \t\r\n", u"\r\n\r\n", u" "});
        }
        for (std::size_t i = below_(41); i > 0; --i) {
            text += piece();
        }
        return text;
    }

private:
    bool Percent(std::size_t p) { return below_(100) < p; }
    std::u16string Pick(std::initializer_list<std::u16string_view> choices) {
        return std::u16string(choices.begin()[below_(choices.size())]);
    }
    template <typename T>
    T Pick(std::initializer_list<T> choices) {
        return choices.begin()[below_(choices.size())];
    }
    std::function<std::size_t(std::size_t)> below_;
};
