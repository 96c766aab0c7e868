#include <algorithm>
#include <functional>

#include "LineBreaks.h"
#include "LiteralSearch.h"
#include "MarkerFinder.h"
#include "Passes.h"
#include "VectorState.h"

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
    // through `backslashesBeforePos_`. With `removed`, no output is made, but its last character
    // is followed all the same, so that the comments heard of are those a pass removes.
    CommentScanner(std::u16string_view text, const EliminationOptions& options,
                   std::u16string_view mainLineBreak, const std::function<void(TextSpan)>* removed,
                   std::u16string* inPlace)
        : text_(text),
          removed_(removed),
          inPlace_(inPlace),
          opt_(options),
          rules_(options.Rules),
          mainLineBreak_(mainLineBreak),
          quote_(&rules_.CharacterQuote, rules_.CharacterQuote != 0 ? 1 : 0),
          stringsOn_(options.IgnoreMarkersInStrings && !options.StringLeader.empty() &&
                     !options.StringTerminator.empty()),
          quotesOn_(options.IgnoreMarkersInStrings && !quote_.empty()),
          blocksOn_(!options.BlockCommentLeader.empty() && !options.BlockCommentTerminator.empty()),
          lineBreaks_({text}),
          lineEnds_({text}),
          stringLeaders_({text, options.StringLeader}),
          stringTerminators_({text, options.StringTerminator}),
          stringStops_({text, options.StringTerminator, rules_.BackslashEscapes,
                        rules_.LineSplicing, &pos_, &backslashesBeforePos_}),
          quoteStops_({text, quote_, rules_.BackslashEscapes, rules_.LineSplicing, &pos_,
                       &backslashesBeforePos_}),
          runStops_(
              quote_.empty()
                  ? AnyMarkerSearch(text, {options.StringLeader, options.LineCommentLeader,
                                           options.BlockCommentLeader})
                  : AnyMarkerSearch(text, {options.StringLeader, quote_, options.LineCommentLeader,
                                           options.BlockCommentLeader})),
          blockTerminators_({text, options.BlockCommentTerminator}) {}

    void Run(ProgressSink* progress) {
        const std::size_t maximum = text_.size() + 1;
        if (progress) {
            progress->Start(maximum);
        }
        ClearUpperVectorState();
        while (pos_ < text_.size()) {
            if (!TakeString() && !TakeCharacterLiteral() && !TakeLineComment() &&
                !TakeBlockComment()) {
                TakeOrdinaryRun();
            }
            if (progress) {
                progress->SetValue(maximum - (text_.size() - pos_));
                ClearUpperVectorState();  // the listener may have run AVX code
            }
        }
        if (progress) {
            progress->Finish();
        }
        if (inPlace_ != nullptr) {
            inPlace_->resize(out_);
            *inPlace_ += overflow_;  // the main line break that may end it, which had no room
        }
    }

private:
    bool StartsAt(std::size_t at, std::u16string_view marker) const {
        return !marker.empty() && text_.substr(at).starts_with(marker);
    }

    void Emit(std::size_t from, std::size_t to) {
        if (from < to) {
            lastOutput_ = text_[to - 1];
            anyOutput_ = true;
        }
        if (inPlace_ == nullptr) {
            return;  // only the comments are wanted, and what the last output character was
        }
        char16_t* data = inPlace_->data();
        std::copy(data + from, data + to, data + out_);  // never ahead of where it reads
        out_ += to - from;
    }

    // Output that is no piece of the text: a space, or the main line break at the very end.
    void EmitText(std::u16string_view piece) {
        lastOutput_ = piece.back();
        anyOutput_ = true;
        if (inPlace_ == nullptr) {
            return;
        }
        if (out_ + piece.size() <= pos_) {
            std::copy(piece.begin(), piece.end(), inPlace_->data() + out_);
            out_ += piece.size();
        } else {
            overflow_.append(piece);  // only at the end, where the text has no room left
        }
    }

    bool OutputEmpty() const { return !anyOutput_; }
    char16_t LastOutput() const { return lastOutput_; }

    // Moves the scan to `end`, first noting how many backslashes end the text before it (while
    // they are still there to read: output in place may overwrite them).
    void MoveTo(std::size_t end) {
        if (rules_.BackslashEscapes) {
            std::size_t run = 0;
            while (pos_ + run < end && text_[end - 1 - run] == u'\\') {
                ++run;
            }
            backslashesBeforePos_ = pos_ + run == end ? backslashesBeforePos_ + run : run;
        }
        pos_ = end;
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

    // A character literal is read as a string is, under the language's rules.
    bool TakeCharacterLiteral() {
        if (!quotesOn_ || !StartsAt(pos_, quote_)) {
            return false;
        }
        const std::size_t end = EndOfLiteral(pos_ + 1, quoteStops_, quote_);
        return end != npos && TakeLiteral(end);
    }

    bool TakeLiteral(std::size_t end) {
        Pass(end, true);
        taken_ = true;
        return true;
    }

    // Takes [pos_, end): emitted as it stands, or not at all.
    void Pass(std::size_t end, bool emit) {
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
    bool TakeLineComment() {
        if (!StartsAt(pos_, opt_.LineCommentLeader)) {
            return false;
        }
        const std::size_t lineBreak =
            rules_.LineSplicing ? lineEnds_.FindFrom(pos_) : lineBreaks_.FindFrom(pos_);
        const std::size_t end =
            lineBreak == npos ? text_.size() : lineBreak + LineBreakLength(text_, lineBreak);
        const bool atLineStart = OutputEmpty() || LastOutput() == u'\r' || LastOutput() == u'\n';
        const bool keep = opt_.KeepAllLineComments || (opt_.KeepWholeLineComments && atLineStart) ||
                          (opt_.KeepHeaderLineComments && inHead_);
        if (removed_ != nullptr && !keep) {
            (*removed_)({pos_, end - pos_});
        }
        const std::size_t from = pos_;
        MoveTo(end);
        if (keep) {
            Emit(from, end);
        } else if (lineBreak == npos) {
            EmitText(mainLineBreak_);  // removed, it leaves the main line break at the end
        } else {
            Emit(lineBreak, end);  // removed, it leaves its line break
        }
        taken_ = true;
        return true;
    }

    bool TakeBlockComment() {
        if (!blocksOn_ || !StartsAt(pos_, opt_.BlockCommentLeader) ||
            blockTerminators_.FindFrom(pos_) == npos) {
            return false;
        }
        const std::size_t end = EndOfBlockComment(pos_ + opt_.BlockCommentLeader.size());
        const bool keep = opt_.KeepAllBlockComments || (opt_.KeepHeaderBlockComment && inHead_);
        if (removed_ != nullptr && !keep) {
            (*removed_)({pos_, end - pos_});
        }
        const bool space = !keep && rules_.SeparateTokens && !OutputEmpty() && end < text_.size() &&
                           WouldJoin(LastOutput(), text_[end]);
        Pass(end, keep);
        if (space) {
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
            if (StartsAt(at, terminator)) {
                return at + terminator.size();
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
        const std::size_t end = std::min(runStops_.FindFrom(pos_ + 1), text_.size());
        if (inHead_ && (taken_ || !IsBlankRun(text_.substr(pos_, end - pos_)))) {
            inHead_ = false;
        }
        Pass(end, true);
    }

    static bool IsBlankRun(std::u16string_view run) {
        return run.find_first_not_of(u" \t\r\n") == npos;
    }

    std::u16string_view text_;
    const std::function<void(TextSpan)>* removed_;  // when given, hears of each removed comment
    std::u16string* inPlace_;  // the text the output is written over; null with `removed_`
    const EliminationOptions& opt_;
    const LexicalRules& rules_;
    std::u16string_view mainLineBreak_;
    const std::u16string_view quote_;  // the character literal's quote, or empty
    const bool stringsOn_;
    const bool quotesOn_;
    const bool blocksOn_;
    LineBreakFinder lineBreaks_;
    UnsplicedLineBreakFinder lineEnds_;
    MarkerFinder stringLeaders_;
    MarkerFinder stringTerminators_;
    LiteralStopFinder stringStops_;
    LiteralStopFinder quoteStops_;
    AnyMarkerFinder runStops_;  // where an ordinary run stops
    MarkerFinder blockTerminators_;
    std::u16string overflow_;  // output that did not fit in the text, at its end
    std::size_t out_ = 0;      // the output's length so far
    char16_t lastOutput_ = 0;  // the output's last character,
    bool anyOutput_ = false;   // once there is one
    std::size_t pos_ = 0;
    std::size_t backslashesBeforePos_ = 0;  // the backslashes that end the text before pos_
    bool inHead_ = true;  // still in the leading run of comments, strings and blank lines
    bool taken_ = false;  // a comment or a string has been taken
};

}  // namespace

std::u16string EliminateComments(std::u16string_view text, const EliminationOptions& options,
                                 std::u16string_view mainLineBreak, ProgressSink* progress) {
    std::u16string output(text);
    EliminateCommentsInPlace(output, options, mainLineBreak, progress);
    return output;
}

void EliminateCommentsInPlace(std::u16string& text, const EliminationOptions& options,
                              std::u16string_view mainLineBreak, ProgressSink* progress) {
    CommentScanner(text, options, mainLineBreak.empty() ? kCrLf : mainLineBreak, nullptr, &text)
        .Run(progress);
}

void ForEachRemovedComment(std::u16string_view text, const EliminationOptions& options,
                           const std::function<void(TextSpan)>& removed) {
    CommentScanner(text, options, kCrLf, &removed, nullptr).Run(nullptr);
}

}  // namespace engine
