#include "FindText.h"
#include "Passes.h"

namespace engine {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::u16string TidyWhitespace(std::u16string_view text, const EliminationOptions& options,
                              std::u16string_view lineBreak) {
    if (options.KeepSurplusBlanks) {
        return std::u16string(text);
    }
    if (lineBreak.empty()) {
        lineBreak = kCrLf;
    }
    std::u16string output;
    output.reserve(text.size() + lineBreak.size());
    // Lines that need no change are not copied one by one: they pile up in [copyFrom, pos) and
    // go out in one append when a line that must change, or the end, is reached.
    std::size_t copyFrom = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t found = FindText(text, lineBreak, pos);
        const std::size_t lineEnd = found == npos ? text.size() : found;
        const std::size_t next = found == npos ? text.size() : found + lineBreak.size();
        std::u16string_view line = text.substr(pos, lineEnd - pos);

        const bool unchanged = found != npos && !line.empty() && !IsBlank(line.back()) &&
                               (options.KeepLeadingSpaces || !IsBlank(line.front()));
        if (!unchanged) {
            output.append(text.substr(copyFrom, pos - copyFrom));
            const std::size_t last = line.find_last_not_of(u" \t");
            line = line.substr(0, last == npos ? 0 : last + 1);
            if (!options.KeepLeadingSpaces) {
                line.remove_prefix(std::min(line.find_first_not_of(u" \t"), line.size()));
            }
            if (!line.empty()) {
                output.append(line);
                output.append(lineBreak);
            }
            copyFrom = next;
        }
        pos = next;
    }
    output.append(text.substr(copyFrom, pos - copyFrom));
    return output;
}

}  // namespace engine
