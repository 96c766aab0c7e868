#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EliminationOptions.h"
#include "engine/Passes.h"

/// A deliberately literal, slow rendering of the two passes: every search a plain search over the
/// rest of the text. It exists only to check the engine against.
namespace literal {

/// The first line break starting at or after `from` (an LF that ends a CR LF starts none), or
/// npos.
std::size_t NextBreak(std::u16string_view text, std::size_t from);

/// The comment pass; `steps` receives the progress value after each top-level step, `removed`
/// each comment removed, `verbatim` each literal of the output that the whitespace pass leaves as
/// it is.
std::u16string EliminateComments(const std::u16string& text, const engine::EliminationOptions& o,
                                 const std::u16string& mainBreak, std::vector<std::size_t>* steps,
                                 std::vector<engine::TextSpan>* removed,
                                 std::vector<engine::TextSpan>* verbatim);

/// The whitespace pass, no line break inside a `verbatim` literal ending a line.
std::u16string TidyWhitespace(const std::u16string& text, const engine::EliminationOptions& o,
                              const std::u16string& mainBreak,
                              const std::vector<engine::TextSpan>& verbatim);

/// Runs the engine and this reading on `text`: the main line break, both passes (each also in
/// place), the comments heard of as removed, tidying twice and the whole progress sequence. Empty
/// when they agree, otherwise the case and both results, to print.
std::string Disagreement(const std::u16string& text, const engine::EliminationOptions& o);

}  // namespace literal
