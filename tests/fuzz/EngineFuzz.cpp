// The engine under option sets and texts chosen by the fuzzer's bytes, under every language's
// rules: it agrees with the literal reading (tidying twice changes nothing and the in-place tidy
// equals the copying one, too), and the marker and line-break searches equal the standard
// library's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../engine/LiteralReference.h"
#include "../engine/RandomCases.h"
#include "engine/LineBreaks.h"

namespace {

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 0;
    RandomCases cases([&](std::size_t n) { return at < size ? data[at++] % n : 0; });
    // The first byte chooses the option panel's reading, C's, C++'s or a dialect's rules.
    const int rules = size > 0 ? data[at++] % 4 : 0;
    const engine::EliminationOptions o = rules == 1   ? cases.COptions()
                                         : rules == 2 ? cases.CppOptions()
                                         : rules == 3 ? cases.DialectOptions()
                                                      : cases.Options();
    const std::u16string text = cases.Text(o);
    Check(literal::Disagreement(text, o).empty());

    const std::u16string_view view(text);
    for (const std::u16string& marker : {o.LineCommentLeader, o.BlockCommentTerminator}) {
        for (std::size_t from = 0; !marker.empty() && from <= text.size(); ++from) {
            Check(engine::FindText(view, marker, from) == view.find(marker, from));
        }
    }
    for (std::size_t from = 0; from < text.size(); ++from) {
        Check(engine::FindLineBreak(view, from) == literal::NextBreak(view, from));
    }
    return 0;
}
