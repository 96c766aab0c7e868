#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/EliminationOptions.h"
#include "engine/Passes.h"
#include "engine/Progress.h"

/// Texts around the engine that need no library beyond the standard one: the blocks a target may
/// carry, the target text itself, and line breaks.
namespace text {

/// The header block that can be put in front of a target text: eight ";" comment lines, CR LF
/// ended.
extern const std::u16string_view kHeaderTemplate;
/// The footer block that can be put after a target text: seven ";" comment lines, CR LF ended.
extern const std::u16string_view kFooterTemplate;

/// The blocks put around a target text, typed with CR LF; empty for none.
struct Blocks {
    std::u16string_view header;
    std::u16string_view footer;
};

/// The target text of a source text: both passes with the text's line break, then the blocks,
/// their line breaks made the text's own. The passes work in the source's own memory: give it
/// with std::move when it is not needed after. `removed`, when given, hears of each comment
/// removed, by its place in the source.
std::u16string MakeTargetText(std::u16string source, const engine::EliminationOptions& options,
                              const Blocks& blocks, std::u16string_view lineBreak,
                              engine::ProgressSink* progress = nullptr,
                              const std::function<void(engine::TextSpan)>& removed = {});

/// `text` with every line break (CR LF, CR or LF) written as `lineBreak`.
std::u16string WithLineBreaks(std::u16string_view text, std::u16string_view lineBreak);

/// How many line breaks of any kind start in [from, to) of `text`: a CR LF counts once.
std::size_t LineBreaksIn(std::u16string_view text, std::size_t from, std::size_t to);

}  // namespace text
