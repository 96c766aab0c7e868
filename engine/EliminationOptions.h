#pragma once

#include <string>
#include <string_view>

namespace engine {

/// Lexical rules of a language beyond its five markers, as C and C++ have them. All off (the
/// default), the markers alone decide, as for assembler.
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

    bool operator==(const LexicalRules&) const = default;
};

/// C's lexical rules, C23's digit separators included.
inline constexpr LexicalRules kCRules{u'\'', true, true, true, true, false, true};
/// C++'s: C's, and raw string literals.
inline constexpr LexicalRules kCppRules{u'\'', true, true, true, true, true, true};

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

    bool operator==(const EliminationOptions&) const = default;
};

}  // namespace engine
