#include <algorithm>
#include <functional>
#include <unordered_set>
#include <vector>

#include "KeptComments.h"
#include "LineBreaks.h"
#include "LiteralSearch.h"
#include "MarkerFinder.h"
#include "Passes.h"
#include "VectorState.h"

// The small steps of the scan, which every top-level step takes, are kept inline: the compiler's
// own budget would spend them on the rarer constructs first.
#define QY_HOT [[gnu::always_inline]] inline

namespace engine {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

bool IsWordCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'$' || c >= 0x80;
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v';
}

// Whether `left` and `right`, brought together, could read as one C token where they were two:
// two word characters or two punctuation characters, and the few mixed pairs that continue a
// number (1./**/5, 1e/**/+5), prefix a literal (L/**/"x") or spell a character name (\u).
bool WouldJoin(char16_t left, char16_t right) {
    if (IsSpace(left) || IsSpace(right)) {
        return false;
    }
    const bool wordLeft = IsWordCharacter(left);
    if (wordLeft == IsWordCharacter(right)) {
        return true;
    }
    const char16_t mark = wordLeft ? right : left;
    if (mark == u'.' || mark == u'\\') {
        return true;
    }
    return wordLeft && (mark == u'"' || mark == u'\'' ||
                        ((mark == u'+' || mark == u'-') &&
                         (left == u'e' || left == u'E' || left == u'p' || left == u'P')));
}

// One run of the comment pass: a position moving forward through the input and the output built
// so far. Each marker, and the line breaks, have their own finder, so no search reads the same
// stretch of text twice. A line break is CR LF, a lone CR or a lone LF, wherever it stands.
class CommentScanner {
public:
    // The output is written over `inPlace`, the text itself: every piece of output goes at or
    // before the place it was read from, and a search never reads behind the scan's position but
    // through `backslashesBeforePos_`; what a rule must know of what came before, it reads in the
    // output. `notes`, when given, hear of each comment removed and each literal that spans lines.
    CommentScanner(std::u16string& inPlace, const EliminationOptions& options,
                   std::u16string_view mainLineBreak, CommentPassNotes* notes)
        : text_(inPlace),
          notes_(notes),
          inPlace_(&inPlace),
          opt_(options),
          rules_(options.Rules),
          mainLineBreak_(mainLineBreak),
          quote_(&rules_.CharacterQuote, rules_.CharacterQuote != 0 ? 1 : 0),
          stringsOn_(options.IgnoreMarkersInStrings && !options.StringLeader.empty() &&
                     !options.StringTerminator.empty()),
          quotesOn_(options.IgnoreMarkersInStrings && !quote_.empty()),
          blocksOn_(!options.BlockCommentLeader.empty() && !options.BlockCommentTerminator.empty()),
          rawStringsOn_(stringsOn_ && rules_.RawStrings && options.StringLeader == u"\"" &&
                        options.StringTerminator == u"\""),
          countsBackslashes_(rules_.BackslashEscapes ||
                             std::any_of(rules_.MoreLiterals.begin(), rules_.MoreLiterals.end(),
                                         [](const LiteralKind& kind) {
                                             return kind.escapes == QuoteEscapes::Backslash;
                                         })),
          lineBreaks_({text_}),
          lineEnds_({text_}),
          stringLeaders_({text_, options.StringLeader}),
          stringTerminators_({text_, options.StringTerminator}),
          stringStops_({text_, options.StringTerminator, rules_.BackslashEscapes,
                        rules_.LineSplicing, &pos_, &backslashesBeforePos_}),
          quoteStops_({text_, quote_, rules_.BackslashEscapes, rules_.LineSplicing, &pos_,
                       &backslashesBeforePos_}),
          moreLeaderCount_(GivenLeaders(rules_, moreLeaders_)),
          literals_(MoreLiteralsOf(text_, rules_, &pos_, &backslashesBeforePos_)),
          stopUnits_(StopUnitsOf(rules_)),
          runStops_(AnyMarkerSearch(
              text_, {options.StringLeader, CommentStop(options.LineCommentLeader),
                      CommentStop(options.BlockCommentLeader), quote_, StopUnit(0), StopUnit(1),
                      StopUnit(2), StopUnit(3), StopUnit(4), StopUnit(5), StopUnit(6),
                      CommentStop(rules_.MoreLineLeaders[0].text),
                      CommentStop(rules_.MoreLineLeaders[1].text),
                      CommentStop(rules_.MoreLineLeaders[2].text)})),
          blockTerminators_({text_, options.BlockCommentTerminator, rules_.LineSplicing}) {}

    void Run(ProgressSink* progress) {
        const std::size_t maximum = text_.size() + 1;
        if (progress) {
            progress->Start(maximum);
        }
        ClearUpperVectorState();
        while (pos_ < text_.size()) {
            Step();
            if (progress) {
                progress->SetValue(maximum - (text_.size() - pos_));
                ClearUpperVectorState();  // the listener may have run AVX code
            }
        }
        if (progress) {
            progress->Finish();
        }
        inPlace_->resize(out_);
        *inPlace_ += overflow_;  // the main line break that may end it, which had no room
    }

private:
    // One top-level step: the first construct that starts at pos_, or else an ordinary run. The
    // constructs few languages have are asked for only where the rules have them.
    QY_HOT void Step() {
        if ((nextHeaderName_ < headerNames_.size() && TakeHeaderName()) ||
            (rules_.ControlLinePrefix != 0 && TakeControlLine()) ||
            (rawStringsOn_ && TakeRawString()) || TakeString() || TakeCharacterLiteral() ||
            (!literals_.empty() && TakeMoreLiteral()) || TakeLineComment() || TakeBlockComment() ||
            (!rules_.CommentDirective.empty() && TakeCommentDirective())) {
            return;
        }
        TakeOrdinaryRun();
    }

    std::u16string_view CommentStop(std::u16string_view marker) const {
        // A marker cut in two by a line join is found by its first character.
        return rules_.LineSplicing ? marker.substr(0, 1) : marker;
    }

    QY_HOT bool StartsAt(std::size_t at, std::u16string_view marker) const {
        return !marker.empty() && MarkerAt(text_, at, marker);
    }

    // Where a comment marker starting at `at` ends, or npos when none starts there.
    QY_HOT std::size_t MarkerEnd(std::size_t at, std::u16string_view marker) const {
        if (rules_.LineSplicing) {
            return SplicedMarkerEnd(text_, at, marker);
        }
        return StartsAt(at, marker) ? at + marker.size() : npos;
    }

    QY_HOT void Emit(std::size_t from, std::size_t to) {
        char16_t* data = inPlace_->data();
        std::copy(data + from, data + to, data + out_);  // never ahead of where it reads
        out_ += to - from;
    }

    // Output that is no piece of the text: a space, or the main line break at the very end.
    void EmitText(std::u16string_view piece) {
        if (out_ + piece.size() <= pos_) {
            std::copy(piece.begin(), piece.end(), inPlace_->data() + out_);
            out_ += piece.size();
        } else {
            overflow_.append(piece);  // only at the end, where the text has no room left
        }
    }

    bool OutputEmpty() const { return out_ == 0 && overflow_.empty(); }
    char16_t LastOutput() const {
        return overflow_.empty() ? (*inPlace_)[out_ - 1] : overflow_.back();
    }
    // The output's character `back` places before its end (1: the last), or 0 before its start.
    char16_t OutputBack(std::size_t back) const {
        return back <= out_ ? (*inPlace_)[out_ - back] : char16_t{0};
    }

    // Moves the scan to `end`, first noting how many backslashes end the text before it (while
    // they are still there to read: output in place may overwrite them).
    QY_HOT void MoveTo(std::size_t end) {
        if (countsBackslashes_) {
            std::size_t run = 0;
            while (pos_ + run < end && text_[end - 1 - run] == u'\\') {
                ++run;
            }
            backslashesBeforePos_ = pos_ + run == end ? backslashesBeforePos_ + run : run;
        }
        pos_ = end;
    }

    // A header name noted on its directive's line is copied whole when the scan reaches it.
    bool TakeHeaderName() {
        while (nextHeaderName_ < headerNames_.size() &&
               headerNames_[nextHeaderName_].position < pos_) {
            ++nextHeaderName_;  // it lay inside a comment or a literal
        }
        if (nextHeaderName_ == headerNames_.size() ||
            headerNames_[nextHeaderName_].position != pos_) {
            return false;
        }
        const TextSpan name = headerNames_[nextHeaderName_++];
        inHead_ = false;
        Pass(name.position + name.length, true);
        return true;
    }

    // Notes the header names of the directive whose # is at pos_: the one of an #include,
    // #include_next or #import, or those inside __has_include(…) of an #if or #elif.
    void NoteHeaderNames() {
        headerNames_.clear();
        nextHeaderName_ = 0;
        const std::size_t lineEnd = std::min(lineBreaks_.FindFrom(pos_), text_.size());
        const std::size_t wordStart = SkipBlanks(pos_ + 1, lineEnd);
        std::size_t wordEnd = wordStart;
        while (wordEnd < lineEnd && IsWordCharacter(text_[wordEnd])) {
            ++wordEnd;
        }
        const std::u16string_view word = text_.substr(wordStart, wordEnd - wordStart);
        if (word == u"include" || word == u"include_next" || word == u"import") {
            NoteHeaderNameAt(SkipBlanks(wordEnd, lineEnd), lineEnd);
            return;
        }
        if (word != u"if" && word != u"elif") {
            return;
        }
        constexpr std::u16string_view kHasInclude = u"__has_include";
        for (std::size_t at = FindText(text_.substr(0, lineEnd), kHasInclude, wordEnd); at != npos;
             at = FindText(text_.substr(0, lineEnd), kHasInclude, at + 1)) {
            std::size_t after = at + kHasInclude.size();
            if (text_.substr(after, 5) == u"_next") {
                after += 5;
            }
            if (IsWordCharacter(text_[at - 1]) ||
                (after < lineEnd && IsWordCharacter(text_[after]))) {
                continue;  // part of a longer name
            }
            after = SkipBlanks(after, lineEnd);
            if (after < lineEnd && text_[after] == u'(') {
                NoteHeaderNameAt(SkipBlanks(after + 1, lineEnd), lineEnd);
            }
        }
    }

    void NoteHeaderNameAt(std::size_t at, std::size_t lineEnd) {
        if (at >= lineEnd || text_[at] != u'<') {
            return;
        }
        const std::size_t close = FindUnit(text_.data(), at + 1, lineEnd, u'>');
        if (close != npos) {
            headerNames_.push_back({at, close + 1 - at});
        }
    }

    std::size_t SkipBlanks(std::size_t at, std::size_t end) const {
        while (at < end && (text_[at] == u' ' || text_[at] == u'\t')) {
            ++at;
        }
        return at;
    }

    // Whether nothing but blanks stands in the output since its last line break.
    bool OutputAtLineStart() const {
        for (std::size_t back = 1; back <= out_; ++back) {
            const char16_t c = OutputBack(back);
            if (c == u'\r' || c == u'\n') {
                return true;
            }
            if (c != u' ' && c != u'\t') {
                return false;
            }
        }
        return true;
    }

    // A raw string literal: its prefix ends the output (R, u8R, uR, UR or LR, no longer name),
    // its delimiter of at most 16 characters stands between the quote and "(". It ends at the
    // first )delimiter", or runs to the end of the text when there is none.
    bool TakeRawString() {
        if (!rawStringsOn_ || text_[pos_] != u'"' || !OutputEndsInRawPrefix()) {
            return false;
        }
        std::size_t open = pos_ + 1;
        while (open < text_.size() && open - pos_ <= 17 && IsDelimiterCharacter(text_[open])) {
            ++open;
        }
        if (open == text_.size() || text_[open] != u'(' || open - pos_ > 17) {
            return false;
        }
        std::u16string closing = u")";
        closing.append(text_.substr(pos_ + 1, open - pos_ - 1)).push_back(u'"');
        const std::size_t close = FindText(text_, closing, open + 1);
        return TakeLiteral(close == npos ? text_.size() : close + closing.size());
    }

    bool OutputEndsInRawPrefix() const {
        if (OutputBack(1) != u'R') {
            return false;
        }
        std::size_t prefix = 1;  // how many characters of the output the prefix takes
        if (OutputBack(2) == u'8' && OutputBack(3) == u'u') {
            prefix = 3;
        } else if (OutputBack(2) == u'u' || OutputBack(2) == u'U' || OutputBack(2) == u'L') {
            prefix = 2;
        }
        return prefix == out_ || !IsWordCharacter(OutputBack(prefix + 1));
    }

    static bool IsDelimiterCharacter(char16_t c) {
        return c > u' ' && c < 0x7F && c != u'(' && c != u')' && c != u'\\';
    }

    // The characters besides the markers at which a run must stop: the further literals'
    // quotes, the # of a directive line, the first character of a control line, and the first
    // letter of the comment directive in both cases. 0 for none.
    static std::array<char16_t, 7> StopUnitsOf(const LexicalRules& rules) {
        std::array<char16_t, 7> units{};
        for (std::size_t i = 0; i < rules.MoreLiterals.size(); ++i) {
            units[i] = rules.MoreLiterals[i].quote;
        }
        units[3] = rules.HeaderNames || rules.DirectiveLines ? u'#' : char16_t{0};
        units[4] = rules.ControlLinePrefix;
        if (!rules.CommentDirective.empty()) {
            const char16_t first = rules.CommentDirective.front();
            units[5] = first >= u'a' && first <= u'z' ? first - (u'a' - u'A') : first;
            units[6] = first >= u'A' && first <= u'Z' ? first + (u'a' - u'A') : first;
        }
        return units;
    }

    std::u16string_view StopUnit(std::size_t at) const {
        return stopUnits_[at] == 0 ? std::u16string_view()
                                   : std::u16string_view(&stopUnits_[at], 1);
    }

    // A further kind of literal, and where the quotes that may close it are.
    struct MoreLiteral {
        LiteralKind kind;
        std::u16string_view quote;  // of one character, in the rules
        MarkerFinder quotes;
        LiteralStopFinder stops;  // for backslash escapes
    };

    static std::vector<MoreLiteral> MoreLiteralsOf(std::u16string_view text,
                                                   const LexicalRules& rules,
                                                   const std::size_t* pos,
                                                   const std::size_t* backslashes) {
        std::vector<MoreLiteral> literals;
        for (const LiteralKind& kind : rules.MoreLiterals) {
            if (kind.quote != 0) {
                const std::u16string_view quote(&kind.quote, 1);
                literals.push_back(
                    {kind, quote, MarkerFinder({text, quote}),
                     LiteralStopFinder({text, quote, true, false, pos, backslashes})});
            }
        }
        return literals;
    }

    // Where the leader of a line comment that starts at pos_ ends, or npos: the option panel's
    // leader, or a further one, of which a line-start leader counts only at the start of a line.
    // A directive line of the preprocessor is no comment.
    QY_HOT std::size_t LineCommentLeaderEnd() {
        if (rules_.DirectiveLines && text_[pos_] == u'#' && OutputAtLineStart() &&
            DirectiveAt(pos_)) {
            return npos;
        }
        if (const std::size_t end = MarkerEnd(pos_, opt_.LineCommentLeader); end != npos) {
            return end;
        }
        for (std::size_t i = 0; i < moreLeaderCount_; ++i) {
            const LineLeader& leader = moreLeaders_[i];
            const std::size_t end = MarkerEnd(pos_, leader.text);
            if (end != npos && (!leader.lineStartOnly || OutputAtLineStart())) {
                return end;
            }
        }
        return npos;
    }

    // The further line-comment leaders that there are, first in `leaders`; returns how many.
    static std::size_t GivenLeaders(const LexicalRules& rules, std::array<LineLeader, 3>& leaders) {
        std::size_t count = 0;
        for (const LineLeader& leader : rules.MoreLineLeaders) {
            if (!leader.text.empty()) {
                leaders[count++] = leader;
            }
        }
        return count;
    }

    // Whether the # at `at` opens a directive of the preprocessor: a directive's name, a line
    // number (# 12 "file"), or nothing at all (the null directive) follows it on its line.
    bool DirectiveAt(std::size_t at) const {
        static constexpr std::u16string_view kDirectives[] = {
            u"define",  u"undef",  u"include", u"include_next", u"import", u"if",     u"ifdef",
            u"ifndef",  u"elif",   u"elifdef", u"elifndef",     u"else",   u"endif",  u"error",
            u"warning", u"pragma", u"line",    u"ident",        u"sccs",   u"assert", u"unassert"};
        const std::size_t start = SkipBlanks(at + 1, text_.size());
        if (start == text_.size() || text_[start] == u'\r' || text_[start] == u'\n' ||
            (text_[start] >= u'0' && text_[start] <= u'9')) {
            return true;
        }
        std::size_t end = start;
        while (end < text_.size() && IsWordCharacter(text_[end])) {
            ++end;
        }
        const std::u16string_view word = text_.substr(start, end - start);
        return std::find(std::begin(kDirectives), std::end(kDirectives), word) !=
               std::end(kDirectives);
    }

    // A control line, kept whole as code up to its line break.
    bool TakeControlLine() {
        if (rules_.ControlLinePrefix == 0 || text_[pos_] != rules_.ControlLinePrefix ||
            !OutputAtLineStart()) {
            return false;
        }
        inHead_ = false;
        Pass(std::min(lineBreaks_.FindFrom(pos_), text_.size()), true);
        return true;
    }

    // A literal of a further kind: closed on its line, or one-sided.
    bool TakeMoreLiteral() {
        if (literals_.empty() || !opt_.IgnoreMarkersInStrings) {
            return false;
        }
        for (MoreLiteral& literal : literals_) {
            if (text_[pos_] != literal.kind.quote) {
                continue;
            }
            const std::size_t end = literal.kind.oneSided ? OneSidedLiteralEnd(literal.kind)
                                                          : ClosedLiteralEnd(literal);
            if (end != npos) {
                return TakeLiteral(end);
            }
        }
        return false;
    }

    // A quote, the character after it (or a backslash and the character after that), and the
    // closing quote when there is one; npos where a line break stands in the way.
    std::size_t OneSidedLiteralEnd(const LiteralKind& kind) const {
        const auto ordinary = [&](std::size_t at) {
            return at < text_.size() && text_[at] != u'\r' && text_[at] != u'\n';
        };
        std::size_t end = pos_ + 1;
        if (!ordinary(end)) {
            return npos;
        }
        const bool escaped =
            kind.escapes == QuoteEscapes::Backslash && text_[end] == u'\\' && ordinary(end + 1);
        end += escaped ? 2 : 1;
        return end < text_.size() && text_[end] == kind.quote ? end + 1 : end;
    }

    // The end of a literal that closes on its line, as its escapes have it; npos when it does not.
    std::size_t ClosedLiteralEnd(MoreLiteral& literal) {
        const std::size_t lineBreak = std::min(lineBreaks_.FindFrom(pos_ + 1), text_.size());
        if (literal.kind.escapes == QuoteEscapes::Backslash) {
            const std::size_t stop = literal.stops.FindFrom(pos_ + 1);
            return stop == npos || stop >= lineBreak ? npos : stop + 1;
        }
        for (std::size_t from = pos_ + 1;;) {
            const std::size_t close = literal.quotes.FindFrom(from);
            if (close == npos || close >= lineBreak) {
                return npos;
            }
            if (literal.kind.escapes != QuoteEscapes::Doubled || close + 1 >= text_.size() ||
                text_[close + 1] != literal.kind.quote) {
                return close + 1;
            }
            from = close + 2;  // two quotes in a row stand for one
        }
    }

    // A comment opened by the comment directive at the start of a line: the directive, blanks,
    // a delimiter, and everything up to the end of the line where the delimiter comes again. It
    // leaves that line's break. With no second delimiter, it is no comment.
    bool TakeCommentDirective() {
        const std::u16string_view word = rules_.CommentDirective;
        if (word.empty() || pos_ + word.size() >= text_.size() || !SameLetters(pos_, word) ||
            (text_[pos_ + word.size()] != u' ' && text_[pos_ + word.size()] != u'\t') ||
            !OutputAtLineStart()) {
            return false;
        }
        const std::size_t delimiter = SkipBlanks(pos_ + word.size(), text_.size());
        if (delimiter == text_.size() || text_[delimiter] == u'\r' || text_[delimiter] == u'\n' ||
            unclosedDelimiters_.count(text_[delimiter]) != 0) {
            return false;
        }
        const std::size_t close =
            FindUnit(text_.data(), delimiter + 1, text_.size(), text_[delimiter]);
        if (close == npos) {
            unclosedDelimiters_.insert(text_[delimiter]);  // nor will any later one close
            return false;
        }
        const std::size_t end = std::min(lineBreaks_.FindFrom(close), text_.size());
        const bool keep = opt_.KeepAllBlockComments || (opt_.KeepHeaderBlockComment && inHead_) ||
                          KeptForItsText(text_.substr(delimiter, end - delimiter), opt_);
        if (!keep) {
            HearRemoved(end);
        }
        const std::size_t from = pos_;
        Pass(end, keep);
        if (!keep) {
            EmitLineBreaks(from, end);
        }
        taken_ = true;
        return true;
    }

    // Whether `word` stands at `at`, letters in any case.
    bool SameLetters(std::size_t at, std::u16string_view word) const {
        const auto lower = [](char16_t c) {
            return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
        };
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (lower(text_[at + i]) != lower(word[i])) {
                return false;
            }
        }
        return true;
    }

    // A string must close on the line on which it opens, or the text must hold no further line
    // break; it is then copied whole, markers inside it included.
    bool TakeString() {
        if (!stringsOn_ || !StartsAt(pos_, opt_.StringLeader)) {
            return false;
        }
        const std::size_t tail = pos_ + opt_.StringLeader.size();
        const std::size_t end = ReadsEscapes()
                                    ? EndOfLiteral(tail, stringStops_, opt_.StringTerminator)
                                    : EndOfString(tail);
        return end != npos && TakeLiteral(end);
    }

    // A character literal is read as a string is, under the language's rules; a quote between
    // two characters of a number is none.
    bool TakeCharacterLiteral() {
        if (!quotesOn_ || !StartsAt(pos_, quote_) || IsDigitSeparator()) {
            return false;
        }
        const std::size_t end = EndOfLiteral(pos_ + 1, quoteStops_, quote_);
        return end != npos && TakeLiteral(end);
    }

    bool IsDigitSeparator() {
        return rules_.DigitSeparators && pos_ + 1 < text_.size() &&
               IsNumberCharacter(text_[pos_ + 1]) && OutputEndsInNumber();
    }

    static bool IsNumberCharacter(char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
               c == u'_';
    }

    // Whether the output ends in a preprocessing number: a digit, or a dot and a digit, followed
    // by digits, letters, underscores, dots, digit separators and the signs of exponents. What
    // was read of the output's last token is remembered, so that no character is read twice.
    bool OutputEndsInNumber() {
        const char16_t* output = inPlace_->data();
        std::size_t start = out_;
        while (start > number_.end &&
               (IsNumberCharacter(output[start - 1]) || output[start - 1] == u'.' ||
                output[start - 1] == u'\'' ||
                ((output[start - 1] == u'+' || output[start - 1] == u'-') && start >= 2 &&
                 std::u16string_view(u"eEpP").find(output[start - 2]) != npos))) {
            --start;
        }
        if (start == number_.end && start > 0) {
            start = number_.start;  // the token read last time goes on
        }
        number_ = {start, out_};
        const char16_t first = start < out_ ? output[start] : u' ';
        const char16_t second = start + 1 < out_ ? output[start + 1] : u' ';
        return (first >= u'0' && first <= u'9') ||
               (first == u'.' && second >= u'0' && second <= u'9');
    }

    bool TakeLiteral(std::size_t end) {
        const bool spansLines = notes_ != nullptr && (rules_.LineSplicing || rawStringsOn_) &&
                                FindLineBreak(text_, pos_, end) != npos;
        if (spansLines) {
            notes_->verbatim.push_back({out_, end - pos_});
        }
        Pass(end, true);
        taken_ = true;
        return true;
    }

    // The comment [pos_, end) is removed.
    void HearRemoved(std::size_t end) const {
        if (notes_ != nullptr && notes_->removed) {
            notes_->removed({pos_, end - pos_});
        }
    }

    // Takes [pos_, end): emitted as it stands, or not at all.
    QY_HOT void Pass(std::size_t end, bool emit) {
        const std::size_t from = pos_;
        MoveTo(end);
        if (emit) {
            Emit(from, end);
        }
    }

    bool ReadsEscapes() const { return rules_.BackslashEscapes || rules_.LineSplicing; }

    // The marker rule: the first terminator after the leader, before the tail's first line break.
    std::size_t EndOfString(std::size_t tail) {
        const std::size_t terminator = stringTerminators_.FindFrom(tail);
        if (terminator == npos) {
            return npos;
        }
        const std::size_t lineBreak = lineBreaks_.FindFrom(pos_);
        if (lineBreak != npos) {
            // A line break that overlaps the leader is not in the tail; the tail's own first one
            // decides, and a tail with none does not count as closing before it.
            const std::size_t tailLineBreak =
                lineBreak >= tail ? lineBreak : lineBreaks_.FindFrom(tail);
            if (tailLineBreak == npos || terminator >= tailLineBreak) {
                return npos;
            }
        }
        return terminator + opt_.StringTerminator.size();
    }

    // The language's rule: the literal ends at its first terminator that no backslash escapes,
    // unless a line break that no backslash splices comes first (or at the same place). Without
    // escapes and splices, that is the first terminator before the first line break.
    std::size_t EndOfLiteral(std::size_t tail, LiteralStopFinder& stops,
                             std::u16string_view terminator) {
        const std::size_t stop = stops.FindFrom(tail);
        if (stop == npos ||
            (LineBreakStartsAt(text_, stop) && !(rules_.LineSplicing && SplicedAt(text_, stop)))) {
            return npos;
        }
        return stop + terminator.size();
    }

    // A line comment runs up to and including the first line break. Removed, it leaves that
    // break, or the main one when it runs to the end of the text.
    QY_HOT bool TakeLineComment() {
        const std::size_t leaderEnd = LineCommentLeaderEnd();
        if (leaderEnd == npos) {
            return false;
        }
        const std::size_t lineBreak =
            rules_.LineSplicing ? lineEnds_.FindFrom(pos_) : lineBreaks_.FindFrom(pos_);
        const std::size_t end =
            lineBreak == npos ? text_.size() : lineBreak + LineBreakLength(text_, lineBreak);
        const bool atLineStart = OutputEmpty() || LastOutput() == u'\r' || LastOutput() == u'\n';
        const std::size_t bodyEnd = lineBreak == npos ? text_.size() : lineBreak;
        const bool keep = opt_.KeepAllLineComments || (opt_.KeepWholeLineComments && atLineStart) ||
                          (opt_.KeepHeaderLineComments && inHead_) ||
                          (leaderEnd <= bodyEnd &&
                           KeptForItsText(text_.substr(leaderEnd, bodyEnd - leaderEnd), opt_));
        if (!keep) {
            HearRemoved(end);
        }
        const std::size_t from = pos_;
        MoveTo(end);
        if (keep) {
            Emit(from, end);
            taken_ = true;
            return true;
        }
        EmitLineBreaks(from, bodyEnd);  // of lines it joined, where line numbers are kept
        if (lineBreak == npos) {
            EmitText(mainLineBreak_);  // removed, it leaves the main line break at the end
        } else {
            Emit(lineBreak, end);  // removed, it leaves its line break
        }
        taken_ = true;
        return true;
    }

    // Where line numbers are kept, the line breaks in [from, to) of a removed comment stay.
    // Returns whether there were any.
    bool EmitLineBreaks(std::size_t from, std::size_t to) {
        bool any = false;
        if (!opt_.KeepLineNumbers) {
            return any;
        }
        // Each break is found before the one ahead of it is written: telling an LF from the end
        // of a CR LF reads the character before it, which the output may have overwritten since.
        for (std::size_t at = FindLineBreak(text_, from, to); at != npos;) {
            const std::size_t length = LineBreakLength(text_, at);
            const std::size_t next = FindLineBreak(text_, at + length, to);
            Emit(at, at + length);
            any = true;
            at = next;
        }
        return any;
    }

    QY_HOT bool TakeBlockComment() {
        const std::size_t inside = blocksOn_ ? MarkerEnd(pos_, opt_.BlockCommentLeader) : npos;
        if (inside == npos || blockTerminators_.FindFrom(pos_) == npos) {
            return false;
        }
        const std::size_t end = EndOfBlockComment(inside);
        const std::u16string_view terminator = opt_.BlockCommentTerminator;
        const std::size_t bodyEnd = end - inside >= terminator.size() &&
                                            MarkerAt(text_, end - terminator.size(), terminator)
                                        ? end - terminator.size()
                                        : end;
        const bool keep = opt_.KeepAllBlockComments || (opt_.KeepHeaderBlockComment && inHead_) ||
                          KeptForItsText(text_.substr(inside, bodyEnd - inside), opt_);
        if (!keep) {
            HearRemoved(end);
        }
        const bool space = !keep && rules_.SeparateTokens && !OutputEmpty() && end < text_.size() &&
                           WouldJoin(LastOutput(), text_[end]);
        const std::size_t from = pos_;
        Pass(end, keep);
        // A comment that leaves line breaks keeps the tokens apart without a space.
        if (!keep && !EmitLineBreaks(from, end) && space) {
            EmitText(u" ");  // as C itself reads a comment: as one space
        }
        taken_ = true;
        return true;
    }

    // Walks the inside of a block comment from `at`, just past its leader, to just past its
    // terminator (or to the end of the text). A line-comment leader inside is comment text; strings
    // that close on their line hide what they hold.
    std::size_t EndOfBlockComment(std::size_t at) {
        const std::u16string_view terminator = opt_.BlockCommentTerminator;
        while (at < text_.size()) {
            if (const std::size_t end = MarkerEnd(at, terminator); end != npos) {
                return end;
            }
            if (stringsOn_ && StartsAt(at, opt_.StringLeader)) {
                const std::size_t stringEnd = stringTerminators_.FindFrom(at);
                if (stringEnd != npos && stringEnd < lineBreaks_.FindFrom(at)) {
                    at = stringEnd + opt_.StringTerminator.size();
                    continue;
                }
            }
            ++at;
            at = std::min(
                {stringLeaders_.FindFrom(at), blockTerminators_.FindFrom(at), text_.size()});
        }
        return at;
    }

    // A run ends at the earliest stop marker, or at the end of the text. The string leader and
    // the character quote stop it even when literals are not recognised. Blank lines before the
    // first comment or string do not end the head, so that a banner after them is still the file's
    // head.
    void TakeOrdinaryRun() {
        if (rules_.HeaderNames && text_[pos_] == u'#' && OutputAtLineStart()) {
            NoteHeaderNames();
        }
        std::size_t end = std::min(runStops_.FindFrom(pos_ + 1), text_.size());
        if (nextHeaderName_ < headerNames_.size()) {
            end = std::min(end, std::max(headerNames_[nextHeaderName_].position, pos_ + 1));
        }
        if (inHead_ && (taken_ || !IsBlankRun(text_.substr(pos_, end - pos_)))) {
            inHead_ = false;
        }
        Pass(end, true);
    }

    static bool IsBlankRun(std::u16string_view run) {
        return run.find_first_not_of(u" \t\r\n") == npos;
    }

    std::u16string_view text_;
    CommentPassNotes* notes_;  // when given, hear of the removed comments and spanning literals
    std::u16string* inPlace_;  // the text, which the output overwrites
    const EliminationOptions& opt_;
    const LexicalRules& rules_;
    std::u16string_view mainLineBreak_;
    const std::u16string_view quote_;  // the character literal's quote, or empty
    const bool stringsOn_;
    const bool quotesOn_;
    const bool blocksOn_;
    const bool rawStringsOn_;
    const bool countsBackslashes_;  // some literal reads backslash escapes
    LineBreakFinder lineBreaks_;
    UnsplicedLineBreakFinder lineEnds_;
    MarkerFinder stringLeaders_;
    MarkerFinder stringTerminators_;
    LiteralStopFinder stringStops_;
    LiteralStopFinder quoteStops_;
    std::array<LineLeader, 3> moreLeaders_{};  // the further leaders given, first
    const std::size_t moreLeaderCount_;
    std::vector<MoreLiteral> literals_;
    const std::array<char16_t, 7> stopUnits_;  // see StopUnitsOf
    AnyMarkerFinder runStops_;                 // where an ordinary run stops
    MarkerFinder blockTerminators_;
    std::u16string overflow_;  // output that did not fit in the text, at its end
    std::size_t out_ = 0;      // the output's length so far
    std::size_t pos_ = 0;
    std::size_t backslashesBeforePos_ = 0;  // the backslashes that end the text before pos_
    std::vector<TextSpan> headerNames_;     // on the directive line being read, in order
    std::size_t nextHeaderName_ = 0;        // the first of them not yet reached
    std::unordered_set<char16_t> unclosedDelimiters_;  // of comment directives: none after here
    struct {
        std::size_t start = 0, end = 0;  // the output's last token as read last: [start, end)
    } number_;
    bool inHead_ = true;  // still in the leading run of comments, strings and blank lines
    bool taken_ = false;  // a comment or a string has been taken
};

}  // namespace

std::u16string EliminateComments(std::u16string_view text, const EliminationOptions& options,
                                 std::u16string_view mainLineBreak, ProgressSink* progress,
                                 CommentPassNotes* notes) {
    std::u16string output(text);
    EliminateCommentsInPlace(output, options, mainLineBreak, progress, notes);
    return output;
}

void EliminateCommentsInPlace(std::u16string& text, const EliminationOptions& options,
                              std::u16string_view mainLineBreak, ProgressSink* progress,
                              CommentPassNotes* notes) {
    CommentScanner(text, options, LineBreakOrCrLf(mainLineBreak), notes).Run(progress);
}

}  // namespace engine

#undef QY_HOT
