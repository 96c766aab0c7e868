#include "LiteralReference.h"

#include <algorithm>
#include <sstream>

#include "engine/Passes.h"

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

std::size_t RunLength(const std::u16string& rest,
                      std::initializer_list<const std::u16string*> markers) {
    std::size_t run = rest.size();
    for (const std::u16string* marker : markers) {
        const std::size_t at = InStr(rest, *marker);
        if (at > 0) {
            run = std::min(run, at - 1);
        }
    }
    return run;
}

// The line breaks of a whole text: at each index, the length of the break that starts there
// (2 for CR LF, 1 for a lone CR or LF), or 0.
std::vector<std::size_t> BreaksOf(const std::u16string& text) {
    std::vector<std::size_t> breaks(text.size(), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            breaks[i] = (i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        } else if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) {
            breaks[i] = 1;
        }
    }
    return breaks;
}

// A suffix of a whole text, cut from the front, that still knows where the text's breaks are.
struct Rest {
    std::u16string text;
    const std::vector<std::size_t>& breaks;
    std::size_t Offset() const { return breaks.size() - text.size(); }
    // 1-based position of the first break starting at or after `skip` characters in, 0 if none.
    std::size_t FirstBreak(std::size_t skip = 0) const {
        for (std::size_t i = skip; i < text.size(); ++i) {
            if (breaks[Offset() + i] > 0) {
                return i + 1;
            }
        }
        return 0;
    }
    std::size_t BreakLengthAt(std::size_t position) const {
        return breaks[Offset() + position - 1];
    }
    // Characters up to and including the first break, or all of them.
    std::size_t UpToLineBreak() const {
        const std::size_t at = FirstBreak();
        return at == 0 ? text.size() : at - 1 + BreakLengthAt(at);
    }
};

bool IsBlankRun(const std::u16string& run) {
    return std::all_of(run.begin(), run.end(), [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
    });
}

}  // namespace

std::u16string MainLineBreak(const std::u16string& text) {
    const std::vector<std::size_t> breaks = BreaksOf(text);
    std::size_t crLf = 0, lf = 0, cr = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (breaks[i] == 2)
            ++crLf;
        else if (breaks[i] == 1 && text[i] == u'\n')
            ++lf;
        else if (breaks[i] == 1)
            ++cr;
    }
    if (crLf >= lf && crLf >= cr)
        return u"\r\n";
    return lf >= cr ? u"\n" : u"\r";
}

std::u16string EliminateComments(const std::u16string& input, const engine::EliminationOptions& o,
                                 const std::u16string& mainBreak, ProgressLog* log) {
    const std::vector<std::size_t> breaks = BreaksOf(input);
    std::u16string output;
    Rest rest{input, breaks};
    const std::size_t maximum = input.size() + 1;
    log->maximum = maximum;
    bool headLine = true;
    bool headBlock = true;
    bool taken = false;
    const std::u16string& sl = o.StringLeader;
    const std::u16string& st = o.StringTerminator;
    const std::u16string& ll = o.LineCommentLeader;
    const std::u16string& bl = o.BlockCommentLeader;
    const std::u16string& bt = o.BlockCommentTerminator;
    const bool strings = o.IgnoreMarkersInStrings && !sl.empty() && !st.empty();

    while (!rest.text.empty()) {
        bool done = false;
        if (strings && BeginsWith(rest.text, sl)) {
            const std::size_t term = InStr(rest.text.substr(sl.size()), st);
            const std::size_t brk = rest.FirstBreak(sl.size());  // in the tail, as the rest counts
            if (term > 0 && ((brk > 0 && term + sl.size() < brk) || rest.FirstBreak() == 0)) {
                Move(rest.text, output, sl.size());
                Move(rest.text, output, InStr(rest.text, st) - 1 + st.size());
                done = true;
            }
        }
        if (!done && BeginsWith(rest.text, ll)) {
            const std::size_t brk = rest.FirstBreak();
            const std::size_t brkLength = brk == 0 ? 0 : rest.BreakLengthAt(brk);
            std::u16string piece;
            Move(rest.text, piece, rest.UpToLineBreak());
            const bool atLineStart =
                output.empty() || output.back() == u'\r' || output.back() == u'\n';
            if (o.KeepAllLineComments || (o.KeepWholeLineComments && atLineStart) ||
                (o.KeepHeaderLineComments && headLine)) {
                output += piece;
            } else if (brk == 0) {
                output += mainBreak;
            } else {
                output += piece.substr(piece.size() - brkLength);
            }
            done = true;
        }
        if (!done && !bl.empty() && !bt.empty() && BeginsWith(rest.text, bl) &&
            InStr(rest.text, bt) > 0) {
            std::u16string piece;
            Move(rest.text, piece, bl.size());
            for (;;) {
                if (rest.text.empty() || BeginsWith(rest.text, bt)) {
                    if (!rest.text.empty()) {
                        Move(rest.text, piece, bt.size());
                    }
                    break;
                }
                const std::size_t term = InStr(rest.text, st);
                const std::size_t brk = rest.FirstBreak();
                if (strings && BeginsWith(rest.text, sl) && term > 0 && (term < brk || brk == 0)) {
                    Move(rest.text, piece, term - 1 + st.size());
                    continue;
                }
                Move(rest.text, piece, 1);
                Move(rest.text, piece, RunLength(rest.text, {&sl, &bt}));
            }
            if (o.KeepAllBlockComments || (o.KeepHeaderBlockComment && headBlock)) {
                output += piece;
            }
            done = true;
        }
        if (done) {
            taken = true;
        } else {
            std::u16string run;
            Move(rest.text, run, 1);
            Move(rest.text, run, RunLength(rest.text, {&sl, &ll, &bl}));
            if (taken || !IsBlankRun(run)) {
                headLine = false;
                headBlock = false;
            }
            output += run;
        }
        log->values.push_back(maximum - rest.text.size());
    }
    ++log->finishes;
    return output;
}

std::u16string TidyWhitespace(const std::u16string& input, const engine::EliminationOptions& o,
                              const std::u16string& mainBreak) {
    if (o.KeepSurplusBlanks) {
        return input;
    }
    const std::vector<std::size_t> breaks = BreaksOf(input);
    std::u16string output;
    Rest rest{input, breaks};
    while (!rest.text.empty()) {
        std::u16string line;
        std::u16string lineBreak = mainBreak;
        const std::size_t at = rest.FirstBreak();
        if (at > 0) {
            line = rest.text.substr(0, at - 1);
            lineBreak = rest.text.substr(at - 1, rest.BreakLengthAt(at));
            rest.text.erase(0, at - 1 + lineBreak.size());
        } else {
            line = rest.text;
            rest.text.clear();
        }
        if (!o.KeepLeadingSpaces) {
            while (!line.empty() && line.front() == u' ')
                line.erase(0, 1);
            while (!line.empty() && line.front() == u'\t') {
                line.erase(0, 1);
                while (!line.empty() && line.front() == u' ')
                    line.erase(0, 1);
            }
        }
        while (!line.empty() && line.back() == u' ')
            line.pop_back();
        while (!line.empty() && line.back() == u'\t') {
            line.pop_back();
            while (!line.empty() && line.back() == u' ')
                line.pop_back();
        }
        if (!line.empty()) {
            output += line + lineBreak;
        }
    }
    return output;
}

namespace {

struct RecordingSink final : engine::ProgressSink {
    ProgressLog log;
    void Start(std::size_t maximum) override { log.maximum = maximum; }
    void SetValue(std::size_t value) override { log.values.push_back(value); }
    void Finish() override { ++log.finishes; }
};

std::string Show(std::u16string_view text) {
    std::ostringstream out;
    for (char16_t c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\t' || c == u'"') {
            out << (c == u'\r' ? "\\r" : c == u'\n' ? "\\n" : c == u'\t' ? "\\t" : "\\\"");
        } else if (c >= 0x20 && c < 0x7f) {
            out << static_cast<char>(c);
        } else {
            out << "\\u" << std::hex << static_cast<int>(c) << std::dec;
        }
    }
    return '"' + out.str() + '"';
}

}  // namespace

std::string Disagreement(const std::u16string& text, const engine::EliminationOptions& o) {
    const std::u16string mainBreak = MainLineBreak(text);
    RecordingSink sink;
    const std::u16string stripped = engine::EliminateComments(text, o, mainBreak, &sink);
    ProgressLog log;
    const std::u16string expected = EliminateComments(text, o, mainBreak, &log);
    const std::u16string tidied = engine::TidyWhitespace(stripped, o, mainBreak);
    const std::u16string expectedTidied = TidyWhitespace(expected, o, mainBreak);
    std::u16string inPlace = stripped;
    engine::TidyWhitespaceInPlace(inPlace, o, mainBreak);
    if (engine::MainLineBreak(text) == mainBreak && stripped == expected &&
        tidied == expectedTidied && inPlace == tidied &&
        engine::TidyWhitespace(tidied, o, mainBreak) == tidied && sink.log.maximum == log.maximum &&
        sink.log.values == log.values && sink.log.finishes == 1) {
        return {};
    }
    std::ostringstream out;
    out << "text=" << Show(text) << " line=" << Show(o.LineCommentLeader)
        << " block=" << Show(o.BlockCommentLeader) << ".." << Show(o.BlockCommentTerminator)
        << " string=" << Show(o.StringLeader) << ".." << Show(o.StringTerminator)
        << " options=" << o.IgnoreMarkersInStrings << o.KeepHeaderLineComments
        << o.KeepHeaderBlockComment << o.KeepWholeLineComments << o.KeepAllLineComments
        << o.KeepAllBlockComments << o.KeepLeadingSpaces << o.KeepSurplusBlanks
        << "\n engine:    " << Show(stripped) << " -> " << Show(tidied)
        << "\n reference: " << Show(expected) << " -> " << Show(expectedTidied)
        << "\n progress steps " << sink.log.values.size() << " vs " << log.values.size();
    return out.str();
}

}  // namespace literal
