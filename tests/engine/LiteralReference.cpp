#include "LiteralReference.h"

#include <algorithm>

namespace literal {
namespace {

// 1-based position of the first occurrence, 0 when absent; an empty needle is found at 1 in a
// non-empty text.
std::size_t InStr(const std::u16string& hay, const std::u16string& needle) {
    if (hay.empty()) {
        return 0;
    }
    if (needle.empty()) {
        return 1;
    }
    const std::size_t at = hay.find(needle);
    return at == std::u16string::npos ? 0 : at + 1;
}

bool BeginsWith(const std::u16string& text, const std::u16string& marker) {
    return InStr(text, marker) == 1 && !marker.empty();
}

void Move(std::u16string& from, std::u16string& to, std::size_t count) {
    to += from.substr(0, count);
    from.erase(0, count);
}

std::size_t RunLength(const std::u16string& rest, const std::u16string& a, const std::u16string& b,
                      const std::u16string& c) {
    std::size_t run = rest.size();
    for (const std::u16string* marker : {&a, &b, &c}) {
        const std::size_t at = InStr(rest, *marker);
        if (at > 0) {
            run = std::min(run, at - 1);
        }
    }
    return run;
}

std::size_t UpToLineBreak(const std::u16string& rest, const std::u16string& lineBreak) {
    const std::size_t at = InStr(rest, lineBreak);
    return at == 0 ? rest.size() : at - 1 + lineBreak.size();
}

}  // namespace

std::u16string EliminateComments(const std::u16string& input, const engine::EliminationOptions& o,
                                 const std::u16string& lineBreak, ProgressLog* log) {
    std::u16string output;
    std::u16string rest = input;
    const std::size_t maximum = input.size() + 1;
    log->maximum = maximum;
    bool headLine = true;
    bool headBlock = true;
    const std::u16string& sl = o.StringLeader;
    const std::u16string& st = o.StringTerminator;
    const std::u16string& ll = o.LineCommentLeader;
    const std::u16string& bl = o.BlockCommentLeader;
    const std::u16string& bt = o.BlockCommentTerminator;

    while (!rest.empty()) {
        bool done = false;
        if (o.IgnoreMarkersInStrings && !sl.empty() && !st.empty() && BeginsWith(rest, sl)) {
            const std::u16string tail = rest.substr(sl.size());
            const std::size_t term = InStr(tail, st);
            const std::size_t brk = InStr(tail, lineBreak);
            if (term > 0 && ((brk > 0 && term < brk) || InStr(rest, lineBreak) == 0)) {
                Move(rest, output, sl.size());
                Move(rest, output, InStr(rest, st) - 1 + st.size());
                done = true;
            }
        }
        if (!done && BeginsWith(rest, ll)) {
            std::u16string piece;
            Move(rest, piece, UpToLineBreak(rest, lineBreak));
            const bool atLineStart =
                output.empty() || (output.size() >= lineBreak.size() &&
                                   output.substr(output.size() - lineBreak.size()) == lineBreak);
            if (o.KeepAllLineComments || (o.KeepWholeLineComments && atLineStart) ||
                (o.KeepHeaderLineComments && headLine)) {
                output += piece;
            } else {
                output += lineBreak;
            }
            done = true;
        }
        if (!done && !bl.empty() && !bt.empty() && BeginsWith(rest, bl) && InStr(rest, bt) > 0) {
            std::u16string piece;
            Move(rest, piece, bl.size());
            for (;;) {
                if (rest.empty() || BeginsWith(rest, bt)) {
                    if (!rest.empty()) {
                        Move(rest, piece, bt.size());
                    }
                    break;
                }
                if (o.IgnoreMarkersInStrings && !sl.empty() && !st.empty() &&
                    BeginsWith(rest, sl) && InStr(rest, st) > 0 &&
                    (InStr(rest, st) < InStr(rest, lineBreak) || InStr(rest, lineBreak) == 0)) {
                    Move(rest, piece, InStr(rest, st) - 1 + st.size());
                    continue;
                }
                if (BeginsWith(rest, ll)) {
                    Move(rest, piece, UpToLineBreak(rest, lineBreak));
                    continue;
                }
                Move(rest, piece, 1);
                Move(rest, piece, RunLength(rest, sl, ll, bt));
            }
            if (o.KeepAllBlockComments || (o.KeepHeaderBlockComment && headBlock)) {
                output += piece;
            }
            done = true;
        }
        if (!done) {
            headLine = false;
            headBlock = false;
            Move(rest, output, 1);
            Move(rest, output, RunLength(rest, sl, ll, bl));
        }
        log->values.push_back(maximum - rest.size());
    }
    ++log->finishes;
    return output;
}

std::u16string TidyWhitespace(const std::u16string& input, const engine::EliminationOptions& o,
                              const std::u16string& lineBreak) {
    if (o.KeepSurplusBlanks) {
        return input;
    }
    std::u16string output;
    std::u16string rest = input;
    while (!rest.empty()) {
        std::u16string line;
        const std::size_t at = InStr(rest, lineBreak);
        if (at > 0) {
            line = rest.substr(0, at - 1);
            rest.erase(0, at - 1 + lineBreak.size());
        } else {
            line = rest;
            rest.clear();
        }
        if (!o.KeepLeadingSpaces) {
            while (!line.empty() && line.front() == u' ') line.erase(0, 1);
            while (!line.empty() && line.front() == u'\t') {
                line.erase(0, 1);
                while (!line.empty() && line.front() == u' ') line.erase(0, 1);
            }
        }
        while (!line.empty() && line.back() == u' ') line.pop_back();
        while (!line.empty() && line.back() == u'\t') {
            line.pop_back();
            while (!line.empty() && line.back() == u' ') line.pop_back();
        }
        if (!line.empty()) {
            output += line + lineBreak;
        }
    }
    return output;
}

}  // namespace literal
