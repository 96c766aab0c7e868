#include "LiteralReference.h"

#include <sstream>

#include "engine/Passes.h"

namespace literal {

std::size_t NextBreak(std::u16string_view text, std::size_t from) {
    std::size_t at = text.find_first_of(u"\r\n", from);
    if (at != text.npos && at > 0 && text[at] == u'\n' && text[at - 1] == u'\r') {
        at = text.find_first_of(u"\r\n", at + 1);
    }
    return at;
}

namespace {

constexpr std::size_t npos = std::u16string::npos;

bool StartsAt(const std::u16string& text, std::size_t at, const std::u16string& marker) {
    return !marker.empty() && text.compare(at, marker.size(), marker) == 0;
}

std::size_t BreakLength(const std::u16string& text, std::size_t at) {
    return text.compare(at, 2, u"\r\n") == 0 ? 2 : 1;
}

// Where the nearest of the markers occurs at or after `from` (an empty one occurs everywhere).
std::size_t Nearest(const std::u16string& text, std::size_t from,
                    std::initializer_list<const std::u16string*> markers) {
    std::size_t nearest = text.size();
    for (const std::u16string* marker : markers) {
        nearest = std::min(nearest, text.find(*marker, from));
    }
    return nearest;
}

// Where a literal whose leader ends at `from` ends under the language's rules, or npos: at the
// first terminator that no odd run of backslashes escapes, unless a line break that no backslash
// splices comes first.
std::size_t EndOfLiteral(const std::u16string& text, std::size_t from, const std::u16string& close,
                         const engine::LexicalRules& r) {
    for (std::size_t at = from; at < text.size(); ++at) {
        const bool spliced = at > 0 && text[at - 1] == u'\\';
        if (at == NextBreak(text, at) && !(r.LineSplicing && spliced)) {
            return npos;
        }
        std::size_t backslashes = 0;
        while (backslashes < at && text[at - 1 - backslashes] == u'\\') {
            ++backslashes;
        }
        if (StartsAt(text, at, close) && !(r.BackslashEscapes && backslashes % 2 == 1)) {
            return at + close.size();
        }
    }
    return npos;
}

// Whether C would read the two characters as parts of one token once nothing stands between them.
bool WouldJoin(char16_t left, char16_t right) {
    const auto kind = [](char16_t c) {
        if (c >= 0x80 || c == u'_' || c == u'$' || (c >= u'0' && c <= u'9') ||
            ((c | 0x20) >= u'a' && (c | 0x20) <= u'z')) {
            return 'w';
        }
        return std::u16string_view(u" \t\r\n\f\v").find(c) != npos ? 's' : 'p';
    };
    const std::u16string_view exponents = u"eEpP", signs = u"+-", quotes = u"\"'";
    return kind(left) != 's' && kind(right) != 's' &&
           (kind(left) == kind(right) || left == u'.' || right == u'.' || left == u'\\' ||
            right == u'\\' || (kind(left) == 'w' && quotes.find(right) != npos) ||
            (exponents.find(left) != npos && signs.find(right) != npos));
}

}  // namespace

std::u16string EliminateComments(const std::u16string& text, const engine::EliminationOptions& o,
                                 const std::u16string& mainBreak, std::vector<std::size_t>* steps,
                                 std::vector<engine::TextSpan>* removed) {
    const std::u16string &sl = o.StringLeader, &st = o.StringTerminator;
    const std::u16string &ll = o.LineCommentLeader, &bl = o.BlockCommentLeader,
                         &bt = o.BlockCommentTerminator;
    const bool strings = o.IgnoreMarkersInStrings && !sl.empty() && !st.empty();
    const engine::LexicalRules& r = o.Rules;
    const bool escapes = r.BackslashEscapes || r.LineSplicing;
    const std::u16string quote = r.CharacterQuote ? std::u16string(1, r.CharacterQuote) : u"";
    std::u16string output;
    bool headLine = true, headBlock = true, taken = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t lineEnd = NextBreak(text, at);
        std::size_t next = at;
        if (strings && escapes && StartsAt(text, at, sl)) {
            const std::size_t end = EndOfLiteral(text, at + sl.size(), st, r);
            if (end != npos) {
                next = end;
                output += text.substr(at, next - at);
            }
        } else if (strings && StartsAt(text, at, sl)) {
            // A string counts only when it closes before the first line break after its leader,
            // and never when the line breaks inside the leader itself.
            const std::size_t close = text.find(st, at + sl.size());
            const std::size_t breakAfter = NextBreak(text, at + sl.size());
            if (close < breakAfter && (breakAfter != npos || lineEnd == npos)) {
                next = close + st.size();
                output += text.substr(at, next - at);
            }
        }
        if (next == at && o.IgnoreMarkersInStrings && StartsAt(text, at, quote)) {
            const std::size_t end = EndOfLiteral(text, at + 1, quote, r);
            if (end != npos) {
                next = end;
                output += text.substr(at, next - at);
            }
        }
        if (next == at && StartsAt(text, at, ll)) {
            while (r.LineSplicing && lineEnd != npos && lineEnd > 0 && text[lineEnd - 1] == u'\\') {
                lineEnd = NextBreak(text, lineEnd + 1);
            }
            next = lineEnd == npos ? text.size() : lineEnd + BreakLength(text, lineEnd);
            const bool lineStart =
                output.empty() || output.back() == u'\r' || output.back() == u'\n';
            if (o.KeepAllLineComments || (o.KeepWholeLineComments && lineStart) ||
                (o.KeepHeaderLineComments && headLine)) {
                output += text.substr(at, next - at);
            } else {
                removed->push_back({at, next - at});
                output += lineEnd == npos ? mainBreak : text.substr(lineEnd, next - lineEnd);
            }
        }
        if (next == at && !bt.empty() && StartsAt(text, at, bl) && text.find(bt, at) != npos) {
            next = at + bl.size();
            while (next < text.size() && !StartsAt(text, next, bt)) {
                const std::size_t close = text.find(st, next);
                if (strings && StartsAt(text, next, sl) && close < NextBreak(text, next)) {
                    next = close + st.size();
                } else {
                    next = Nearest(text, next + 1, {&sl, &bt});
                }
            }
            next = std::min(text.size(), next + bt.size());
            if (o.KeepAllBlockComments || (o.KeepHeaderBlockComment && headBlock)) {
                output += text.substr(at, next - at);
            } else {
                removed->push_back({at, next - at});
                if (r.SeparateTokens && !output.empty() && next < text.size() &&
                    WouldJoin(output.back(), text[next])) {
                    output += u' ';
                }
            }
        }
        if (next == at) {
            next = Nearest(text, at + 1, {&sl, &ll, &bl});
            if (!quote.empty()) {
                next = std::min(next, Nearest(text, at + 1, {&quote}));
            }
            const std::u16string run = text.substr(at, next - at);
            if (taken || run.find_first_not_of(u" \t\r\n") != npos) {
                headLine = headBlock = false;
            }
            output += run;
        } else {
            taken = true;
        }
        at = next;
        steps->push_back(at + 1);
    }
    return output;
}

std::u16string TidyWhitespace(const std::u16string& text, const engine::EliminationOptions& o,
                              const std::u16string& mainBreak) {
    if (o.KeepSurplusBlanks) {
        return text;
    }
    std::u16string output;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(NextBreak(text, at), text.size());
        const std::u16string lineBreak =
            end == text.size() ? mainBreak : text.substr(end, BreakLength(text, end));
        std::u16string line = text.substr(at, end - at);
        line.erase(line.find_last_not_of(u" \t") + 1);
        if (!o.KeepLeadingSpaces) {
            line.erase(0, line.find_first_not_of(u" \t"));
        }
        if (!line.empty()) {
            output += line + lineBreak;
        }
        at = end + (end == text.size() ? 0 : lineBreak.size());
    }
    return output;
}

namespace {

struct RecordingSink final : engine::ProgressSink {
    std::size_t maximum = 0;
    std::vector<std::size_t> steps;
    int finishes = 0;
    void Start(std::size_t max) override { maximum = max; }
    void SetValue(std::size_t value) override { steps.push_back(value); }
    void Finish() override { ++finishes; }
};

// Printable ASCII as it is, anything else as its number.
std::string Show(std::u16string_view text) {
    std::string out = "\"";
    for (char16_t c : text) {
        out += c >= 0x20 && c < 0x7f ? std::string(1, char(c)) : "\\" + std::to_string(c);
    }
    return out + '"';
}

}  // namespace

std::string Disagreement(const std::u16string& text, const engine::EliminationOptions& o) {
    std::size_t crLf = 0, lf = 0, cr = 0;
    for (std::size_t at = NextBreak(text, 0); at != npos; at = NextBreak(text, at + 1)) {
        ++(BreakLength(text, at) == 2 ? crLf : text[at] == u'\n' ? lf : cr);
    }
    const std::u16string mainBreak = crLf >= std::max(lf, cr) ? u"\r\n" : lf >= cr ? u"\n" : u"\r";
    RecordingSink sink;
    const std::u16string stripped = engine::EliminateComments(text, o, mainBreak, &sink);
    std::vector<std::size_t> steps;
    std::vector<engine::TextSpan> removed, heardOf;
    const std::u16string expected = EliminateComments(text, o, mainBreak, &steps, &removed);
    engine::ForEachRemovedComment(text, o, [&](engine::TextSpan span) { heardOf.push_back(span); });
    const std::u16string tidied = engine::TidyWhitespace(stripped, o, mainBreak);
    const std::u16string expectedTidied = TidyWhitespace(expected, o, mainBreak);
    std::u16string strippedInPlace = text;
    engine::EliminateCommentsInPlace(strippedInPlace, o, mainBreak);
    std::u16string inPlace = stripped;
    engine::TidyWhitespaceInPlace(inPlace, o, mainBreak);
    if (engine::MainLineBreak(text) == mainBreak && stripped == expected &&
        strippedInPlace == expected && tidied == expectedTidied && inPlace == tidied &&
        engine::TidyWhitespace(tidied, o, mainBreak) == tidied &&
        engine::TidyWouldChange(stripped, o) == (expectedTidied != expected) &&
        sink.maximum == text.size() + 1 && sink.steps == steps && sink.finishes == 1 &&
        heardOf == removed) {
        return {};
    }
    std::ostringstream out;  // the case, and what each side made of it
    out << "text=" << Show(text) << " markers=" << Show(o.LineCommentLeader)
        << Show(o.BlockCommentLeader) << Show(o.BlockCommentTerminator) << Show(o.StringLeader)
        << Show(o.StringTerminator) << "\n engine:    " << Show(stripped) << " -> " << Show(tidied)
        << "\n reference: " << Show(expected) << " -> " << Show(expectedTidied);
    return out.str();
}

}  // namespace literal
