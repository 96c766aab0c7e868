#pragma once

#include <string>
#include <string_view>

#include "EliminationOptions.h"
#include "Progress.h"

namespace engine {

/// The line break of the texts this system writes by default: carriage return, line feed.
inline constexpr std::u16string_view kCrLf = u"\r\n";

/// Removes line and block comments from `text`, keeping strings and all other text character for
/// character; which comments survive is decided by `options`. `lineBreak` is the text's line break
/// (any other CR or LF is an ordinary character; an empty one means CR LF). `progress`, when given,
/// hears Start(length + 1), then after each top-level step the length consumed plus 1, then Finish().
std::u16string EliminateComments(std::u16string_view text, const EliminationOptions& options,
                                 std::u16string_view lineBreak = kCrLf,
                                 ProgressSink* progress = nullptr);

/// Drops every blank line and the blanks (spaces, tabs) at the end of each line, and at the start
/// too unless KeepLeadingSpaces is on; every kept line ends with `lineBreak`. Returns the text
/// unchanged when KeepSurplusBlanks is on.
std::u16string TidyWhitespace(std::u16string_view text, const EliminationOptions& options,
                              std::u16string_view lineBreak = kCrLf);

/// The same as TidyWhitespace, done in the text's own memory: for large texts, where a second
/// buffer would cost as much as the work.
void TidyWhitespaceInPlace(std::u16string& text, const EliminationOptions& options,
                           std::u16string_view lineBreak = kCrLf);

}  // namespace engine
