#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/EliminationOptions.h"

/// A deliberately literal, slow rendering of the two passes: a remaining text cut from the front,
/// every search over the whole rest. It exists only to check the engine against.
namespace literal {

struct ProgressLog {
    std::size_t maximum = 0;
    std::vector<std::size_t> values;
    int finishes = 0;
};

/// The kind of line break that occurs most often, counted break by break.
std::u16string MainLineBreak(const std::u16string& text);

std::u16string EliminateComments(const std::u16string& input, const engine::EliminationOptions& o,
                                 const std::u16string& mainBreak, ProgressLog* log);

std::u16string TidyWhitespace(const std::u16string& input, const engine::EliminationOptions& o,
                              const std::u16string& mainBreak);

/// Runs the engine and this reading on `text`: the main line break, both passes, the in-place
/// tidy, tidying twice and the whole progress sequence. Empty when they agree, otherwise the
/// case and both results, to print.
std::string Disagreement(const std::u16string& text, const engine::EliminationOptions& o);

}  // namespace literal
