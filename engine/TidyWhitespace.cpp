#include <algorithm>

#include "LineBreaks.h"
#include "Passes.h"
#include "VectorState.h"

namespace engine {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// `line` without the spaces and tabs at its end, and at its start too unless `keepLeading`.
std::u16string_view TrimBlanks(std::u16string_view line, bool keepLeading) {
    std::size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) {
        --end;
    }
    std::size_t start = 0;
    while (!keepLeading && start < end && IsBlank(line[start])) {
        ++start;
    }
    return line.substr(start, end - start);
}

// The line breaks that end lines: those outside every span of `verbatim`, found in order.
class LineEnds {
public:
    LineEnds(std::u16string_view text, std::span<const TextSpan> verbatim)
        : text_(text), verbatim_(verbatim) {}

    /// The first line break at or after `from` that ends a line, or npos.
    std::size_t Find(std::size_t from) {
        if (verbatim_.empty()) {
            return FindLineBreak(text_, from);  // most texts: every line break ends a line
        }
        for (;;) {
            const std::size_t found = FindLineBreak(text_, from);
            while (next_ < verbatim_.size() &&
                   verbatim_[next_].position + verbatim_[next_].length <= found) {
                ++next_;  // wholly before it; found is npos at the end, past every span
            }
            if (found == npos || next_ == verbatim_.size() || verbatim_[next_].position > found) {
                return found;
            }
            from = verbatim_[next_].position + verbatim_[next_].length;  // inside a literal
        }
    }

private:
    std::u16string_view text_;
    std::span<const TextSpan> verbatim_;
    std::size_t next_ = 0;  // the first span that does not end before the last search
};

}  // namespace

void TidyWhitespaceInPlace(std::u16string& text, const EliminationOptions& options,
                           std::u16string_view mainLineBreak, std::span<const TextSpan> verbatim) {
    if (options.KeepSurplusBlanks) {
        return;
    }
    mainLineBreak = LineBreakOrCrLf(mainLineBreak);
    ClearUpperVectorState();
    // The result is built at the front of the text itself: `kept` is its length so far. It never
    // passes the line being read, so nothing is overwritten before it has been read. Lines that
    // need no change pile up in [copyFrom, pos) and move in one piece. Each kept line keeps its own
    // line break.
    char16_t* const data = text.data();
    const std::u16string_view view(text);
    std::size_t kept = 0;
    std::size_t copyFrom = 0;
    std::size_t pos = 0;
    const auto keep = [&](std::size_t from, std::size_t length) {
        if (from != kept) {
            std::copy(data + from, data + from + length, data + kept);
        }
        kept += length;
    };
    LineEnds lineEnds(view, verbatim);
    while (pos < view.size()) {
        const std::size_t found = lineEnds.Find(pos);
        if (found == npos) {
            break;  // the last line has no line break; it is dealt with below
        }
        const std::size_t next = found + LineBreakLength(view, found);
        std::u16string_view line = view.substr(pos, found - pos);
        // Where line numbers are kept, a blank line stays as an empty one.
        const bool unchanged = line.empty() ? options.KeepLineNumbers
                                            : !IsBlank(line.back()) && (options.KeepLeadingSpaces ||
                                                                        !IsBlank(line.front()));
        if (!unchanged) {
            keep(copyFrom, pos - copyFrom);
            line = TrimBlanks(line, options.KeepLeadingSpaces);
            if (!line.empty()) {
                keep(static_cast<std::size_t>(line.data() - data), line.size());
            }
            if (!line.empty() || options.KeepLineNumbers) {
                keep(found, next - found);
            }
            copyFrom = next;
        }
        pos = next;
    }
    keep(copyFrom, pos - copyFrom);

    const std::u16string_view last = TrimBlanks(view.substr(pos), options.KeepLeadingSpaces);
    keep(static_cast<std::size_t>(last.data() - data), last.size());
    text.resize(kept);
    if (!last.empty()) {
        text += mainLineBreak;  // every kept line ends with a line break, the last one too
    }
}

bool TidyWouldChange(std::u16string_view text, const EliminationOptions& options,
                     std::span<const TextSpan> verbatim) {
    if (options.KeepSurplusBlanks) {
        return false;
    }
    ClearUpperVectorState();
    LineEnds lineEnds(text, verbatim);
    std::size_t pos = 0;
    for (std::size_t found = lineEnds.Find(pos); found != npos; found = lineEnds.Find(pos)) {
        const std::u16string_view line = text.substr(pos, found - pos);
        if (line.empty()
                ? !options.KeepLineNumbers
                : IsBlank(line.back()) || (!options.KeepLeadingSpaces && IsBlank(line.front()))) {
            return true;
        }
        pos = found + LineBreakLength(text, found);
    }
    // A last line without a line break either gets one or, blank, goes.
    return pos < text.size();
}

std::u16string TidyWhitespace(std::u16string_view text, const EliminationOptions& options,
                              std::u16string_view mainLineBreak,
                              std::span<const TextSpan> verbatim) {
    std::u16string tidied(text);
    TidyWhitespaceInPlace(tidied, options, mainLineBreak, verbatim);
    return tidied;
}

}  // namespace engine
