#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

/// A leader of line comments beside the option panel's: `;` and `//` both in one assembler, `#`
/// only at the start of a line in another.
struct LineLeader {
    std::u16string_view text;
    /// It leads a comment only where nothing but blanks stands before it on its line.
    bool lineStartOnly = false;

    bool operator==(const LineLeader&) const = default;
};

/// How a literal holds its own quote.
enum class QuoteEscapes : unsigned char {
    None,       ///< it cannot: the first quote after the opening one closes it
    Backslash,  ///< \ before a character takes it as it is (\' and \\)
    Doubled,    ///< two quotes in a row stand for one ('it''s')
};

/// A kind of literal beside the option panel's strings: opened and closed by `quote` on one line,
/// or, one-sided, a quote and the one character after it (GNU as: 'a, with an optional closing
/// quote; SDCC: #'a).
struct LiteralKind {
    char16_t quote = 0;  ///< 0: none
    QuoteEscapes escapes = QuoteEscapes::None;
    bool oneSided = false;

    bool operator==(const LiteralKind&) const = default;
};

/// Lexical rules of a language beyond its five markers, as C, C++ and the assembler dialects have
/// them. All off (the default), the markers alone decide, as the option panel has them.
struct LexicalRules {
    /// A second kind of literal, opened and closed by this character and read as strings are (C's
    /// character constants '…'); 0 for none.
    char16_t CharacterQuote = 0;
    /// In a literal, a terminator after an odd number of backslashes does not end it (\" and \\).
    bool BackslashEscapes = false;
    /// A line break right after a backslash joins its two lines: a line comment or a literal goes
    /// on onto the next one, and a comment marker may be cut in two by such a join (/\⏎*).
    bool LineSplicing = false;
    /// A removed block comment leaves one space where the characters on its two sides would
    /// otherwise read as one token (int a/**/b becomes int a b).
    bool SeparateTokens = false;
    /// A header name <…> of an #include, #include_next or #import line, or inside
    /// __has_include(…), runs to the first > on its line and holds no comment.
    bool HeaderNames = false;
    /// Raw string literals R"d(…)d", also after u8, u, U and L: nothing inside them is a comment,
    /// an escape or a splice.
    bool RawStrings = false;
    /// A character quote between two characters of a number is part of it (1'000, 0x10'0000).
    bool DigitSeparators = false;
    /// Further line-comment leaders; an empty one is none.
    std::array<LineLeader, 3> MoreLineLeaders{};
    /// Further kinds of literal; one with no quote is none.
    std::array<LiteralKind, 3> MoreLiterals{};
    /// A line of the preprocessor (# and a directive: #include, #define, #if …) is code, though
    /// a line-start leader # would take it for a comment.
    bool DirectiveLines = false;
    /// A line that starts with this character is a control line, kept whole as code (the $ lines
    /// of the 8051 assemblers); 0 for none.
    char16_t ControlLinePrefix = 0;
    /// The language's tools read some of its comments (C and C++: /* fall through */, NOLINT,
    /// clang-format off …); see EliminationOptions::KeepToolComments.
    bool ToolComments = false;
    /// A word, in any case, that opens a comment at the start of a line: the next non-blank
    /// character is its delimiter, and it runs to the end of the line where that character comes
    /// again (MASM's COMMENT); empty for none.
    std::u16string_view CommentDirective;

    bool operator==(const LexicalRules&) const = default;
};

/// C's lexical rules, C23's digit separators included.
inline constexpr LexicalRules kCRules = [] {
    LexicalRules c;
    c.CharacterQuote = u'\'';
    c.BackslashEscapes = c.LineSplicing = c.SeparateTokens = c.HeaderNames = true;
    c.DigitSeparators = c.ToolComments = true;
    return c;
}();
/// C++'s: C's, and raw string literals.
inline constexpr LexicalRules kCppRules = [] {
    LexicalRules cpp = kCRules;
    cpp.RawStrings = true;
    return cpp;
}();

/// The values that decide how the two passes turn a source text into a target text: markers,
/// which comments survive, and blanks. Texts hold UTF-16 units, one unit per character as the
/// editors count them; they are used exactly as typed (no trimming, no case folding, and an empty
/// text is a valid value).
struct EliminationOptions {
    bool KeepHeaderLineComments = true;
    bool KeepHeaderBlockComment = true;
    bool KeepWholeLineComments = false;
    bool KeepAllLineComments = false;
    bool KeepAllBlockComments = false;
    bool KeepLeadingSpaces = true;
    bool KeepSurplusBlanks = false;
    bool IgnoreMarkersInStrings = true;
    std::u16string LineCommentLeader = u";";
    std::u16string BlockCommentLeader = u"/*";
    std::u16string BlockCommentTerminator = u"*/";
    std::u16string StringLeader = u"\"";
    std::u16string StringTerminator = u"\"";
    /// The rules of the source's language; not a control of the window, but chosen by file type.
    LexicalRules Rules;
    /// Removed comments and tidied blanks leave their line breaks: line N of the target holds the
    /// code of line N of the source.
    bool KeepLineNumbers = false;
    /// Comments that hold a licence or copyright notice stay wherever they stand.
    bool KeepLicenceComments = false;
    /// Comments that tools read stay (fall-through markers, lint and formatter controls, code
    /// generators' user-code fences), where the language has such comments (ToolComments).
    bool KeepToolComments = true;
    /// Comments that hold any of these texts stay.
    std::vector<std::u16string> KeepCommentsHolding;

    bool operator==(const EliminationOptions&) const = default;
};

}  // namespace engine
