#include "TargetText.h"

#include "engine/LineBreaks.h"
#include "engine/Passes.h"

namespace text {

// A ";" followed by 56 hyphens: the rule line that opens and closes both blocks.
#define QY_RULE u";--------------------------------------------------------\r\n"

const std::u16string_view kHeaderTemplate =
    QY_RULE
    u";     项  目:\r\n"
    u";     模  块:\r\n"
    u";     版  本:\r\n"
    u";     日  期:\r\n"
    u";     客  户:\r\n"
    u";     作  者:\r\n"
    QY_RULE;

const std::u16string_view kFooterTemplate =
    QY_RULE
    u"; \r\n"
    u";\tTHE\tEND\r\n"
    u"; \r\n"
    u"; 2004-12-01\r\n"
    u"; \r\n"
    QY_RULE;

#undef QY_RULE

namespace {

// The blocks are typed with CR LF; they take the text's main line break instead.
std::u16string WithCrLfAs(std::u16string_view block, std::u16string_view lineBreak) {
    std::u16string out;
    out.reserve(block.size());
    for (std::size_t at = 0; at < block.size();) {
        if (block.substr(at).starts_with(engine::kCrLf)) {
            out += lineBreak;
            at += engine::kCrLf.size();
        } else {
            out += block[at++];
        }
    }
    return out;
}

}  // namespace

std::u16string MakeTargetText(std::u16string text, const engine::EliminationOptions& options,
                              const Blocks& blocks, std::u16string_view lineBreak,
                              engine::ProgressSink* progress,
                              const std::function<void(engine::TextSpan)>& removed) {
    engine::CommentPassNotes notes;
    notes.removed = removed;
    engine::EliminateCommentsInPlace(text, options, lineBreak, progress, &notes);
    engine::TidyWhitespaceInPlace(text, options, lineBreak, notes.verbatim);
    if (!blocks.header.empty()) {
        text.insert(0, WithCrLfAs(blocks.header, lineBreak));
    }
    text += WithCrLfAs(blocks.footer, lineBreak);
    return text;
}

std::u16string WithLineBreaks(std::u16string_view text, std::u16string_view lineBreak) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t at = 0;
    for (std::size_t found = engine::FindLineBreak(text, at); found != std::u16string_view::npos;
         found = engine::FindLineBreak(text, at)) {
        out.append(text.substr(at, found - at)).append(lineBreak);
        at = found + engine::LineBreakLength(text, found);
    }
    return out.append(text.substr(at));
}

std::size_t LineBreaksIn(std::u16string_view text, std::size_t from, std::size_t to) {
    std::size_t count = 0;
    for (std::size_t at = from; at < to; ++at) {
        count += engine::LineBreakStartsAt(text, at);
    }
    return count;
}

}  // namespace text
