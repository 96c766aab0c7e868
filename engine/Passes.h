#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "EliminationOptions.h"
#include "Progress.h"

namespace engine {

// A line break is CR LF, a CR not followed by LF, or an LF not preceded by CR, wherever it stands
// in the text. Each kept line keeps its own; the main line break stands in where a line gets a
// break it did not have.

/// CR LF, the line break of the texts this system writes by default.
inline constexpr std::u16string_view kCrLf = u"\r\n";

/// The line break the passes give a line that had none: the text's main one, CR LF if none is
/// given.
inline constexpr std::u16string_view LineBreakOrCrLf(std::u16string_view mainLineBreak) {
    return mainLineBreak.empty() ? kCrLf : mainLineBreak;
}

/// The kind of line break that occurs most often in `text` (ties: CR LF, then LF, then CR; CR LF
/// when there is none).
std::u16string_view MainLineBreak(std::u16string_view text);

/// The same for the bytes of a file in an encoding where CR and LF bytes stand only for
/// themselves (ASCII, GBK, UTF-8): half the memory to sweep, before the text is decoded.
std::u16string_view MainLineBreakOfBytes(std::string_view bytes);

/// A stretch of a text: where it starts and how many characters it holds. Always made whole, as
/// {position, length}; the build warns of one made with a field left out.
struct TextSpan {
    std::size_t position;
    std::size_t length;
    bool operator==(const TextSpan&) const = default;
};

/// What a comment pass tells of its work, beside the text it makes.
struct CommentPassNotes {
    /// When given, hears of each comment removed, in order, from its leader to its end (a line
    /// comment's line break included), at its place in the source.
    std::function<void(TextSpan)> removed;
    /// The literals of the output that hold a line break (raw strings, strings continued by line
    /// joins), in order: the whitespace pass must leave what they hold as it is.
    std::vector<TextSpan> verbatim;
};

/// Removes line and block comments from `text`, keeping strings and all other text character for
/// character; which comments survive is decided by `options`. A removed line comment leaves the
/// line break that ended it, or `mainLineBreak` (empty means CR LF) at the end of the text.
/// `progress`, when given, hears Start(length + 1), then after each top-level step the length
/// consumed plus 1, then Finish(). `notes`, when given, hears what else there is to know.
std::u16string EliminateComments(std::u16string_view text, const EliminationOptions& options,
                                 std::u16string_view mainLineBreak = kCrLf,
                                 ProgressSink* progress = nullptr,
                                 CommentPassNotes* notes = nullptr);

/// The same as EliminateComments, done in the text's own memory, which the result replaces: for
/// large texts, where a second buffer would cost as much as the text.
void EliminateCommentsInPlace(std::u16string& text, const EliminationOptions& options,
                              std::u16string_view mainLineBreak = kCrLf,
                              ProgressSink* progress = nullptr, CommentPassNotes* notes = nullptr);

/// Drops every blank line and the blanks (spaces, tabs) at the end of each line, and at the start
/// too unless KeepLeadingSpaces is on; every kept line keeps its line break, and a last line
/// without one gets `mainLineBreak` (empty means CR LF). A line break inside a span of `verbatim`
/// (in order, as a comment pass notes them) ends no line: what such a literal holds is never
/// touched. Returns the text unchanged when KeepSurplusBlanks is on.
std::u16string TidyWhitespace(std::u16string_view text, const EliminationOptions& options,
                              std::u16string_view mainLineBreak = kCrLf,
                              std::span<const TextSpan> verbatim = {});

/// Whether TidyWhitespace would change `text`, learnt without making its result.
bool TidyWouldChange(std::u16string_view text, const EliminationOptions& options,
                     std::span<const TextSpan> verbatim = {});

/// The same as TidyWhitespace, done in the text's own memory: for large texts, where a second
/// buffer would cost as much as the work.
void TidyWhitespaceInPlace(std::u16string& text, const EliminationOptions& options,
                           std::u16string_view mainLineBreak = kCrLf,
                           std::span<const TextSpan> verbatim = {});

}  // namespace engine
