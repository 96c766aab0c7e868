#include "KeptComments.h"

#include <algorithm>
#include <functional>

#include "FindText.h"

namespace engine {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// The first place of `word` (written in lower case) in `text`, letters in any case.
std::size_t FindIgnoringCase(std::u16string_view text, std::u16string_view word,
                             std::size_t from = 0) {
    for (std::size_t at = from; at + word.size() <= text.size(); ++at) {
        if (std::equal(word.begin(), word.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                       [](char16_t w, char16_t t) { return w == Lower(t); })) {
            return at;
        }
    }
    return npos;
}

bool HoldsIgnoringCase(std::u16string_view text, std::u16string_view word) {
    return FindIgnoringCase(text, word) != npos;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A year (19xx or 20xx) within a few characters of `at`, on either side.
bool YearNear(std::u16string_view text, std::size_t from, std::size_t to) {
    constexpr std::size_t kNear = 12;
    const std::size_t start = from > kNear ? from - kNear : 0;
    const std::size_t end = std::min(text.size(), to + kNear);
    for (std::size_t at = start; at + 4 <= end; ++at) {
        const std::u16string_view four = text.substr(at, 4);
        if (std::all_of(four.begin(), four.end(), IsDigit) &&
            (four.starts_with(u"19") || four.starts_with(u"20")) &&
            (at == 0 || !IsDigit(text[at - 1])) &&
            (at + 4 == text.size() || !IsDigit(text[at + 4]))) {
            return true;
        }
    }
    return false;
}

// SPDX-License-Identifier, Copyright, ©, (c) or (C) beside a year, 版权, 许可证.
bool HoldsLicence(std::u16string_view body) {
    for (const std::u16string_view word : {u"spdx-license-identifier", u"copyright"}) {
        if (HoldsIgnoringCase(body, word)) {
            return true;
        }
    }
    for (const std::u16string_view word : {u"©", u"版权", u"许可证"}) {
        if (FindText(body, word) != npos) {
            return true;
        }
    }
    for (std::size_t at = FindIgnoringCase(body, u"(c)"); at != npos;
         at = FindIgnoringCase(body, u"(c)", at + 1)) {
        if (YearNear(body, at, at + 3)) {
            return true;
        }
    }
    return false;
}

std::u16string_view TrimmedOf(std::u16string_view text, std::u16string_view trimmed) {
    const std::size_t start = text.find_first_not_of(trimmed);
    if (start == npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(trimmed) - start + 1);
}

// Whether `text` starts with `word` (in lower case), letters in any case; if so, it drops it.
bool TakePrefix(std::u16string_view& text, std::u16string_view word) {
    if (text.size() < word.size() || FindIgnoringCase(text.substr(0, word.size()), word) != 0) {
        return false;
    }
    text.remove_prefix(word.size());
    return true;
}

// A fall-through marker as GCC's -Wimplicit-fallthrough reads one: the whole comment is
// [ \t.!]*(else,? |intentional(ly)? )?fall(s | |-)?thr(ough|u)[ \t.!]*(-…)?, in any case, or
// -fallthrough, @fallthrough@, lint -fallthrough.
bool IsFallThrough(std::u16string_view body) {
    std::u16string_view text = TrimmedOf(body, u" \t.!\r\n");
    for (const std::u16string_view whole : {u"-fallthrough", u"@fallthrough@"}) {
        if (text == whole) {
            return true;
        }
    }
    if (TakePrefix(text, u"lint -fallthrough")) {
        return TrimmedOf(text, u" \t").empty();
    }
    if (!TakePrefix(text, u"else, ") && !TakePrefix(text, u"else ")) {
        if (!TakePrefix(text, u"intentionally ")) {
            TakePrefix(text, u"intentional ");
        }
    }
    if (!TakePrefix(text, u"fall")) {
        return false;
    }
    if (!TakePrefix(text, u"s ")) {
        if (!TakePrefix(text, u" ")) {
            TakePrefix(text, u"-");
        }
    }
    if (!TakePrefix(text, u"thr") || (!TakePrefix(text, u"ough") && !TakePrefix(text, u"u"))) {
        return false;
    }
    const std::size_t rest = text.find_first_not_of(u" \t.!");
    return rest == npos || text[rest] == u'-';
}

// Lint and formatter controls, and code generators' user-code fences.
bool IsToolControl(std::u16string_view body) {
    const std::u16string_view text = TrimmedOf(body, u"\r\n");
    if (text.starts_with(u"lint")) {
        return true;  // /*lint -e123 */ and //lint, which take no space after the leader
    }
    for (const std::u16string_view word :
         {u"NOLINT", u"LINTED", u"coverity[", u"clang-format off", u"clang-format on",
          u"USER CODE BEGIN", u"USER CODE END"}) {
        if (FindText(body, word) != npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool KeptForItsText(std::u16string_view body, const EliminationOptions& options) {
    for (const std::u16string& text : options.KeepCommentsHolding) {
        // Boyer-Moore finds a first occurrence in time linear in the body whatever the text asked
        // for; a body shorter than the text is passed by at once, so setting the searcher up costs
        // no more than the bodies it reads.
        if (!text.empty() && text.size() <= body.size() &&
            std::search(body.begin(), body.end(),
                        std::boyer_moore_searcher(text.begin(), text.end())) != body.end()) {
            return true;
        }
    }
    if (options.KeepLicenceComments && HoldsLicence(body)) {
        return true;
    }
    return options.KeepToolComments && options.Rules.ToolComments &&
           (IsToolControl(body) || IsFallThrough(body));
}

}  // namespace engine
