#include "LiteralReference.h"

#include <sstream>

#include "engine/KeptComments.h"
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

// Where the nearest of the markers occurs at or after `from` (an empty one occurs nowhere).
std::size_t Nearest(const std::u16string& text, std::size_t from,
                    std::initializer_list<const std::u16string*> markers) {
    std::size_t nearest = text.size();
    for (const std::u16string* marker : markers) {
        if (!marker->empty()) {
            nearest = std::min(nearest, text.find(*marker, from));
        }
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

// Where `marker` ends when it starts at `at`, a backslash and a line break allowed between its
// characters where lines are joined; npos when it does not start there.
std::size_t MarkerEnd(const std::u16string& text, std::size_t at, const std::u16string& marker,
                      bool spliced) {
    if (!spliced) {
        return StartsAt(text, at, marker) ? at + marker.size() : npos;
    }
    for (std::size_t i = 0; i < marker.size(); ++i, ++at) {
        while (i > 0 && text.compare(at, 1, u"\\") == 0 && at + 1 < text.size() &&
               (text[at + 1] == u'\r' || text[at + 1] == u'\n')) {
            at += 1 + BreakLength(text, at + 1);
        }
        if (marker.empty() || at >= text.size() || text[at] != marker[i]) {
            return npos;
        }
    }
    return marker.empty() ? npos : at;
}

// The first place at or after `from` where `marker` starts, spliced or not.
std::size_t FindMarker(const std::u16string& text, std::size_t from, const std::u16string& marker,
                       bool spliced) {
    for (std::size_t at = from; at < text.size(); ++at) {
        if (MarkerEnd(text, at, marker, spliced) != npos) {
            return at;
        }
    }
    return npos;
}

bool IsWord(char16_t c) {
    return c >= 0x80 || c == u'_' || c == u'$' || (c >= u'0' && c <= u'9') ||
           ((c | 0x20) >= u'a' && (c | 0x20) <= u'z');
}

// The header names of a directive line starting at the # at `at`: after #include, #include_next
// or #import, and after __has_include( or __has_include_next( on #if and #elif lines.
std::vector<engine::TextSpan> HeaderNames(const std::u16string& text, std::size_t at) {
    const std::size_t end = std::min(NextBreak(text, at), text.size());
    const std::u16string line = text.substr(at + 1, end - at - 1);
    const auto name = [&](std::size_t from) -> std::vector<engine::TextSpan> {
        from = line.find_first_not_of(u" \t", from);
        const std::size_t close = from == npos ? npos : line.find(u'>', from);
        if (from == npos || line[from] != u'<' || close == npos) {
            return {};
        }
        return {{at + 1 + from, close - from + 1}};
    };
    const std::size_t wordStart = std::min(line.find_first_not_of(u" \t"), line.size());
    std::size_t wordEnd = wordStart;
    while (wordEnd < line.size() && IsWord(line[wordEnd])) {
        ++wordEnd;
    }
    const std::u16string word = line.substr(wordStart, wordEnd - wordStart);
    if (word == u"include" || word == u"include_next" || word == u"import") {
        return name(wordEnd);
    }
    std::vector<engine::TextSpan> names;
    if (word != u"if" && word != u"elif") {
        return names;
    }
    for (std::size_t found = line.find(u"__has_include", wordEnd); found != npos;
         found = line.find(u"__has_include", found + 1)) {
        std::size_t after = found + 13;
        if (line.compare(after, 5, u"_next") == 0) {
            after += 5;
        }
        if (IsWord(line[found - 1]) || (after < line.size() && IsWord(line[after]))) {
            continue;
        }
        after = line.find_first_not_of(u" \t", after);
        if (after != npos && line[after] == u'(') {
            for (const engine::TextSpan span : name(after + 1)) {
                names.push_back(span);
            }
        }
    }
    return names;
}

// Where a raw string literal starting with the quote at `at` ends, given the output before it;
// npos when none starts there.
std::size_t RawStringEnd(const std::u16string& text, std::size_t at, const std::u16string& output) {
    std::size_t token = output.size();
    while (token > 0 && IsWord(output[token - 1])) {
        --token;
    }
    const std::u16string prefix = output.substr(token);
    if (text[at] != u'"' || (prefix != u"R" && prefix != u"u8R" && prefix != u"uR" &&
                             prefix != u"UR" && prefix != u"LR")) {
        return npos;
    }
    const std::size_t open = text.find(u'(', at);
    if (open == npos || open - at - 1 > 16) {
        return npos;
    }
    const std::u16string delimiter = text.substr(at + 1, open - at - 1);
    for (const char16_t c : delimiter) {
        if (c <= u' ' || c >= 0x7F || c == u')' || c == u'\\') {
            return npos;
        }
    }
    const std::size_t close = text.find(u")" + delimiter + u"\"", open + 1);
    return close == npos ? text.size() : close + delimiter.size() + 2;
}

// Whether the output ends in a preprocessing number.
bool EndsInNumber(const std::u16string& output) {
    std::size_t start = output.size();
    const auto part = [&](std::size_t at) {
        const char16_t c = output[at];
        return (c < 0x80 && IsWord(c) && c != u'$') || c == u'.' || c == u'\'' ||
               ((c == u'+' || c == u'-') && at > 0 &&
                std::u16string_view(u"eEpP").find(output[at - 1]) != npos);
    };
    while (start > 0 && part(start - 1)) {
        --start;
    }
    return start < output.size() && ((output[start] >= u'0' && output[start] <= u'9') ||
                                     (output[start] == u'.' && start + 1 < output.size() &&
                                      output[start + 1] >= u'0' && output[start + 1] <= u'9'));
}

// Whether nothing but blanks stands in `output` since its last line break.
bool AtLineStart(const std::u16string& output) {
    const std::size_t lineStart = output.find_last_of(u"\r\n");
    return output.find_first_not_of(u" \t", lineStart == npos ? 0 : lineStart + 1) == npos;
}

// Whether the # at `at` opens a directive of the preprocessor.
bool IsDirective(const std::u16string& text, std::size_t at) {
    std::size_t start = at + 1;
    while (start < text.size() && (text[start] == u' ' || text[start] == u'\t')) {
        ++start;
    }
    if (start == text.size() || text[start] == u'\r' || text[start] == u'\n' ||
        (text[start] >= u'0' && text[start] <= u'9')) {
        return true;
    }
    std::size_t end = start;
    while (end < text.size() && IsWord(text[end])) {
        ++end;
    }
    const std::u16string word = text.substr(start, end - start);
    for (const char16_t* directive :
         {u"define",  u"undef",  u"include", u"include_next", u"import", u"if",     u"ifdef",
          u"ifndef",  u"elif",   u"elifdef", u"elifndef",     u"else",   u"endif",  u"error",
          u"warning", u"pragma", u"line",    u"ident",        u"sccs",   u"assert", u"unassert"}) {
        if (word == directive) {
            return true;
        }
    }
    return false;
}

// Where a literal of `kind` starting at `at` ends, or npos.
std::size_t MoreLiteralEnd(const std::u16string& text, std::size_t at, engine::LiteralKind kind) {
    const std::size_t lineEnd = std::min(NextBreak(text, at + 1), text.size());
    const bool backslash = kind.escapes == engine::QuoteEscapes::Backslash;
    if (kind.oneSided) {
        std::size_t end = at + 1;
        if (end >= lineEnd) {
            return npos;
        }
        end += backslash && text[end] == u'\\' && end + 1 < lineEnd ? 2 : 1;
        return end < text.size() && text[end] == kind.quote ? end + 1 : end;
    }
    for (std::size_t j = at + 1; j < lineEnd; ++j) {
        if (backslash && text[j] == u'\\') {
            ++j;  // the next character is taken as it is
        } else if (text[j] == kind.quote) {
            if (kind.escapes == engine::QuoteEscapes::Doubled && j + 1 < text.size() &&
                text[j + 1] == kind.quote) {
                ++j;
            } else {
                return j + 1;
            }
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
                                 std::vector<engine::TextSpan>* removed,
                                 std::vector<engine::TextSpan>* verbatim) {
    const std::u16string &sl = o.StringLeader, &st = o.StringTerminator;
    const std::u16string &ll = o.LineCommentLeader, &bl = o.BlockCommentLeader,
                         &bt = o.BlockCommentTerminator;
    const bool strings = o.IgnoreMarkersInStrings && !sl.empty() && !st.empty();
    const engine::LexicalRules& r = o.Rules;
    const bool escapes = r.BackslashEscapes || r.LineSplicing;
    const std::u16string quote = r.CharacterQuote ? std::u16string(1, r.CharacterQuote) : u"";
    const bool spliced = r.LineSplicing;
    std::u16string output;
    const bool rawStrings = r.RawStrings && strings && sl == u"\"" && st == u"\"";
    // A literal up to `end` goes to the output; one that holds a line break, where lines may be
    // joined or raw strings be, is noted as verbatim.
    const auto literal = [&](std::size_t from, std::size_t end) {
        if ((r.LineSplicing || rawStrings) && NextBreak(text, from) < end) {
            verbatim->push_back({output.size(), end - from});
        }
        output += text.substr(from, end - from);
    };
    // The line breaks of [from, to), which a removed comment leaves where line numbers are kept.
    const auto breaksIn = [&](std::size_t from, std::size_t to) {
        std::u16string breaks;
        for (std::size_t b = NextBreak(text, from); o.KeepLineNumbers && b < to;
             b = NextBreak(text, b + BreakLength(text, b))) {
            breaks += text.substr(b, BreakLength(text, b));
        }
        return breaks;
    };
    // Whether a comment whose text between its markers is [from, to) stays for what it holds.
    const auto keptForText = [&](std::size_t from, std::size_t to) {
        return from <= to &&
               engine::KeptForItsText(std::u16string_view(text).substr(from, to - from), o);
    };
    bool headLine = true, headBlock = true, taken = false;
    std::vector<engine::TextSpan> headerNames;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t lineEnd = NextBreak(text, at);
        std::size_t next = at;
        for (const engine::TextSpan span : headerNames) {
            if (span.position == at) {
                next = at + span.length;
                output += text.substr(at, span.length);
                headLine = headBlock = false;
            }
        }
        if (next == at && r.ControlLinePrefix != 0 && text[at] == r.ControlLinePrefix &&
            AtLineStart(output)) {
            next = std::min(NextBreak(text, at), text.size());
            output += text.substr(at, next - at);
            headLine = headBlock = false;
        }
        if (next == at && rawStrings && RawStringEnd(text, at, output) != npos) {
            next = RawStringEnd(text, at, output);
            literal(at, next);
        } else if (next == at && strings && escapes && StartsAt(text, at, sl)) {
            const std::size_t end = EndOfLiteral(text, at + sl.size(), st, r);
            if (end != npos) {
                next = end;
                literal(at, next);
            }
        } else if (next == at && strings && StartsAt(text, at, sl)) {
            // A string counts only when it closes before the first line break after its leader,
            // and never when the line breaks inside the leader itself.
            const std::size_t close = text.find(st, at + sl.size());
            const std::size_t breakAfter = NextBreak(text, at + sl.size());
            if (close < breakAfter && (breakAfter != npos || lineEnd == npos)) {
                next = close + st.size();
                literal(at, next);
            }
        }
        const bool separator = r.DigitSeparators && at + 1 < text.size() && text[at + 1] < 0x80 &&
                               IsWord(text[at + 1]) && text[at + 1] != u'$' && EndsInNumber(output);
        if (next == at && o.IgnoreMarkersInStrings && StartsAt(text, at, quote) && !separator) {
            const std::size_t end = EndOfLiteral(text, at + 1, quote, r);
            if (end != npos) {
                next = end;
                literal(at, next);
            }
        }
        for (const engine::LiteralKind kind : r.MoreLiterals) {
            if (next == at && o.IgnoreMarkersInStrings && kind.quote != 0 &&
                text[at] == kind.quote && MoreLiteralEnd(text, at, kind) != npos) {
                next = MoreLiteralEnd(text, at, kind);
                literal(at, next);
            }
        }
        std::size_t leaderEnd = MarkerEnd(text, at, ll, spliced);
        for (const engine::LineLeader leader : r.MoreLineLeaders) {
            const std::size_t end = MarkerEnd(text, at, std::u16string(leader.text), spliced);
            if (leaderEnd == npos && end != npos &&
                (!leader.lineStartOnly || AtLineStart(output))) {
                leaderEnd = end;
            }
        }
        if (r.DirectiveLines && text[at] == u'#' && AtLineStart(output) && IsDirective(text, at)) {
            leaderEnd = npos;
        }
        if (next == at && leaderEnd != npos) {
            while (r.LineSplicing && lineEnd != npos && lineEnd > 0 && text[lineEnd - 1] == u'\\') {
                lineEnd = NextBreak(text, lineEnd + 1);
            }
            next = lineEnd == npos ? text.size() : lineEnd + BreakLength(text, lineEnd);
            const bool lineStart =
                output.empty() || output.back() == u'\r' || output.back() == u'\n';
            const std::size_t bodyEnd = std::min(lineEnd, text.size());
            if (o.KeepAllLineComments || (o.KeepWholeLineComments && lineStart) ||
                (o.KeepHeaderLineComments && headLine) || keptForText(leaderEnd, bodyEnd)) {
                output += text.substr(at, next - at);
            } else {
                removed->push_back({at, next - at});
                output += breaksIn(at, bodyEnd);
                output += lineEnd == npos ? mainBreak : text.substr(lineEnd, next - lineEnd);
            }
        }
        if (next == at && !bt.empty() && MarkerEnd(text, at, bl, spliced) != npos &&
            FindMarker(text, at, bt, spliced) != npos) {
            next = MarkerEnd(text, at, bl, spliced);
            while (next < text.size() && MarkerEnd(text, next, bt, spliced) == npos) {
                const std::size_t close = text.find(st, next);
                if (strings && StartsAt(text, next, sl) && close < NextBreak(text, next)) {
                    next = close + st.size();
                } else {
                    next =
                        std::min(text.find(sl, next + 1), FindMarker(text, next + 1, bt, spliced));
                    next = std::min(next, text.size());
                }
            }
            next = next < text.size() ? MarkerEnd(text, next, bt, spliced) : text.size();
            const std::size_t inside = MarkerEnd(text, at, bl, spliced);
            const std::size_t bodyEnd =
                next - inside >= bt.size() && text.compare(next - bt.size(), bt.size(), bt) == 0
                    ? next - bt.size()
                    : next;
            if (o.KeepAllBlockComments || (o.KeepHeaderBlockComment && headBlock) ||
                keptForText(inside, bodyEnd)) {
                output += text.substr(at, next - at);
            } else {
                removed->push_back({at, next - at});
                const std::u16string breaks = breaksIn(at, next);
                if (!breaks.empty()) {
                    output += breaks;
                } else if (r.SeparateTokens && !output.empty() && next < text.size() &&
                           WouldJoin(output.back(), text[next])) {
                    output += u' ';
                }
            }
        }
        const std::u16string directive(r.CommentDirective);
        if (next == at && !directive.empty() && at + directive.size() < text.size() &&
            (text[at + directive.size()] == u' ' || text[at + directive.size()] == u'\t') &&
            AtLineStart(output)) {
            std::u16string word = text.substr(at, directive.size()), wanted = directive;
            for (std::u16string* w : {&word, &wanted}) {
                for (char16_t& c : *w) {
                    c = c >= u'A' && c <= u'Z' ? c + 32 : c;
                }
            }
            const std::size_t delimiter = text.find_first_not_of(u" \t", at + directive.size());
            const std::size_t close =
                delimiter == npos || text[delimiter] == u'\r' || text[delimiter] == u'\n'
                    ? npos
                    : text.find(text[delimiter], delimiter + 1);
            if (word == wanted && close != npos) {
                next = std::min(NextBreak(text, close), text.size());
                if (o.KeepAllBlockComments || (o.KeepHeaderBlockComment && headBlock) ||
                    keptForText(delimiter, next)) {
                    output += text.substr(at, next - at);
                } else {
                    removed->push_back({at, next - at});
                    output += breaksIn(at, next);
                }
            }
        }
        if (next == at) {
            if (r.HeaderNames && text[at] == u'#') {
                const std::size_t lineStart = output.find_last_of(u"\r\n");
                const std::size_t blank =
                    output.find_first_not_of(u" \t", lineStart == npos ? 0 : lineStart + 1);
                if (blank == npos) {
                    headerNames = HeaderNames(text, at);
                }
            }
            // Comment markers that a line join may cut stop a run at their first character.
            const std::u16string lineStop = spliced ? ll.substr(0, 1) : ll;
            const std::u16string blockStop = spliced ? bl.substr(0, 1) : bl;
            next = Nearest(text, at + 1, {&sl, &lineStop, &blockStop});
            if (!quote.empty()) {
                next = std::min(next, Nearest(text, at + 1, {&quote}));
            }
            std::u16string stops;  // single characters that stop a run too
            for (const engine::LiteralKind kind : r.MoreLiterals) {
                stops += kind.quote;
            }
            stops += r.HeaderNames || r.DirectiveLines ? u"#" : u"";
            stops += r.ControlLinePrefix;
            if (!directive.empty()) {
                stops += directive.substr(0, 1);
                stops += static_cast<char16_t>(directive[0] ^ 0x20);  // the other case of a letter
            }
            for (const char16_t c : stops) {
                if (c != 0) {
                    next = std::min(next, std::min(text.find(c, at + 1), text.size()));
                }
            }
            for (const engine::LineLeader leader : r.MoreLineLeaders) {
                const std::u16string stop(spliced ? leader.text.substr(0, 1) : leader.text);
                if (!stop.empty()) {
                    next = std::min(next, std::min(text.find(stop, at + 1), text.size()));
                }
            }
            for (const engine::TextSpan span : headerNames) {
                if (span.position > at) {
                    next = std::min(next, span.position);
                }
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
                              const std::u16string& mainBreak,
                              const std::vector<engine::TextSpan>& verbatim) {
    if (o.KeepSurplusBlanks) {
        return text;
    }
    // The first line break at or after `from` that lies in no verbatim literal.
    const auto lineEnd = [&](std::size_t from) {
        for (std::size_t at = NextBreak(text, from); at != npos; at = NextBreak(text, at + 1)) {
            const auto inside = [&](engine::TextSpan span) {
                return span.position <= at && at < span.position + span.length;
            };
            if (std::none_of(verbatim.begin(), verbatim.end(), inside)) {
                return at;
            }
        }
        return text.size();
    };
    std::u16string output;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = lineEnd(at);
        const std::u16string lineBreak =
            end == text.size() ? mainBreak : text.substr(end, BreakLength(text, end));
        std::u16string line = text.substr(at, end - at);
        line.erase(line.find_last_not_of(u" \t") + 1);
        if (!o.KeepLeadingSpaces) {
            line.erase(0, line.find_first_not_of(u" \t"));
        }
        if (!line.empty() || (o.KeepLineNumbers && end != text.size())) {
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
    std::vector<engine::TextSpan> heardOf;
    engine::CommentPassNotes notes;
    notes.removed = [&](engine::TextSpan span) { heardOf.push_back(span); };
    const std::u16string stripped = engine::EliminateComments(text, o, mainBreak, &sink, &notes);
    std::vector<std::size_t> steps;
    std::vector<engine::TextSpan> removed, verbatim;
    const std::u16string expected =
        EliminateComments(text, o, mainBreak, &steps, &removed, &verbatim);
    const std::u16string tidied = engine::TidyWhitespace(stripped, o, mainBreak, notes.verbatim);
    const std::u16string expectedTidied = TidyWhitespace(expected, o, mainBreak, verbatim);
    std::u16string strippedInPlace = text;
    engine::EliminateCommentsInPlace(strippedInPlace, o, mainBreak);
    std::u16string inPlace = stripped;
    engine::TidyWhitespaceInPlace(inPlace, o, mainBreak, notes.verbatim);
    if (engine::MainLineBreak(text) == mainBreak && stripped == expected &&
        strippedInPlace == expected && tidied == expectedTidied && inPlace == tidied &&
        notes.verbatim == verbatim &&
        engine::TidyWouldChange(stripped, o, notes.verbatim) == (expectedTidied != expected) &&
        sink.maximum == text.size() + 1 && sink.steps == steps && sink.finishes == 1 &&
        heardOf == removed) {
        return {};
    }
    std::ostringstream out;  // the case, and what each side made of it
    out << "text=" << Show(text) << " markers=" << Show(o.LineCommentLeader)
        << Show(o.BlockCommentLeader) << Show(o.BlockCommentTerminator) << Show(o.StringLeader)
        << Show(o.StringTerminator);
    const engine::LexicalRules& r = o.Rules;
    out << " rules=" << int(r.CharacterQuote) << r.BackslashEscapes << r.LineSplicing
        << r.SeparateTokens << r.HeaderNames << r.RawStrings << r.DigitSeparators
        << r.DirectiveLines << " control=" << int(r.ControlLinePrefix)
        << " directive=" << Show(r.CommentDirective) << " leaders=";
    for (const engine::LineLeader& leader : r.MoreLineLeaders) {
        out << Show(leader.text) << (leader.lineStartOnly ? "^" : "") << ' ';
    }
    out << "literals=";
    for (const engine::LiteralKind& kind : r.MoreLiterals) {
        out << int(kind.quote) << '/' << int(kind.escapes) << (kind.oneSided ? "/1" : "") << ' ';
    }
    out << "\n engine:    " << Show(stripped) << " -> " << Show(tidied)
        << "\n reference: " << Show(expected) << " -> " << Show(expectedTidied);
    return out.str();
}

}  // namespace literal
