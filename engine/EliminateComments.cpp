#include <algorithm>

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
    CommentScanner(std::u16string_view text, const EliminationOptions& options,
                   std::u16string_view mainLineBreak, std::vector<TextSpan>* removed = nullptr)
        : text_(text),
          removed_(removed),
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
          stringStops_(
              {text, options.StringTerminator, rules_.BackslashEscapes, rules_.LineSplicing}),
          quoteStops_({text, quote_, rules_.BackslashEscapes, rules_.LineSplicing}),
          runStops_(
              quote_.empty()
                  ? AnyMarkerSearch(text, {options.StringLeader, options.LineCommentLeader,
                                           options.BlockCommentLeader})
                  : AnyMarkerSearch(text, {options.StringLeader, quote_, options.LineCommentLeader,
                                           options.BlockCommentLeader})),
          blockTerminators_({text, options.BlockCommentTerminator}) {
        output_.reserve(text.size());
    }

    std::u16string Run(ProgressSink* progress) {
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
        return std::move(output_);
    }

private:
    bool StartsAt(std::size_t at, std::u16string_view marker) const {
        return !marker.empty() && text_.substr(at).starts_with(marker);
    }

    void Emit(std::size_t from, std::size_t to) { output_.append(text_.substr(from, to - from)); }

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
        Emit(pos_, end);
        taken_ = true;
        pos_ = end;
        return true;
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
        const bool atLineStart =
            output_.empty() || output_.back() == u'\r' || output_.back() == u'\n';
        const bool keep = opt_.KeepAllLineComments || (opt_.KeepWholeLineComments && atLineStart) ||
                          (opt_.KeepHeaderLineComments && inHead_);
        if (keep) {
            Emit(pos_, end);
        } else if (removed_ != nullptr) {
            removed_->push_back({pos_, end - pos_});
        } else if (lineBreak == npos) {
            output_.append(mainLineBreak_);
        } else {
            Emit(lineBreak, end);
        }
        taken_ = true;
        pos_ = end;
        return true;
    }

    bool TakeBlockComment() {
        if (!blocksOn_ || !StartsAt(pos_, opt_.BlockCommentLeader) ||
            blockTerminators_.FindFrom(pos_) == npos) {
            return false;
        }
        const std::size_t end = EndOfBlockComment(pos_ + opt_.BlockCommentLeader.size());
        if (opt_.KeepAllBlockComments || (opt_.KeepHeaderBlockComment && inHead_)) {
            Emit(pos_, end);
        } else if (removed_ != nullptr) {
            removed_->push_back({pos_, end - pos_});
        } else if (rules_.SeparateTokens && !output_.empty() && end < text_.size() &&
                   WouldJoin(output_.back(), text_[end])) {
            output_ += u' ';  // as C itself reads a comment: as one space
        }
        taken_ = true;
        pos_ = end;
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
        Emit(pos_, end);
        pos_ = end;
    }

    static bool IsBlankRun(std::u16string_view run) {
        return run.find_first_not_of(u" \t\r\n") == npos;
    }

    std::u16string_view text_;
    std::vector<TextSpan>* removed_;  // when given, removed comments are listed here
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
    std::u16string output_;
    std::size_t pos_ = 0;
    bool inHead_ = true;  // still in the leading run of comments, strings and blank lines
    bool taken_ = false;  // a comment or a string has been taken
};

}  // namespace

std::u16string EliminateComments(std::u16string_view text, const EliminationOptions& options,
                                 std::u16string_view mainLineBreak, ProgressSink* progress) {
    return CommentScanner(text, options, mainLineBreak.empty() ? kCrLf : mainLineBreak)
        .Run(progress);
}

std::vector<TextSpan> RemovedComments(std::u16string_view text, const EliminationOptions& options) {
    std::vector<TextSpan> removed;
    CommentScanner(text, options, kCrLf, &removed).Run(nullptr);
    return removed;
}

}  // namespace engine
