// The engine under random option sets: it agrees with the literal reading on small inputs
// (tidying twice changes nothing and the in-place tidy equals the copying one, too), and the
// marker and line-break search equal the standard library's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../engine/LiteralReference.h"
#include "engine/FindText.h"
#include "engine/LineBreaks.h"

namespace {

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Reads the input front to back: option bits, markers, then the text.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // A small alphabet, so that markers and line breaks meet often.
    char16_t Unit() {
        static constexpr char16_t kUnits[] = {u';', u'/',  u'*', u'"', u'\r', u'\n',
                                              u' ', u'\t', u'a', u'<', u'>',  u'中'};
        return kUnits[Byte() % std::size(kUnits)];
    }
    std::u16string Marker() {
        std::u16string marker;
        for (int n = Byte() % 4; n > 0; --n) {
            marker += Unit();
        }
        return marker;
    }
    std::u16string Rest() {
        std::u16string text;
        while (at_ < size_) {
            text += Unit();
        }
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const unsigned bits = in.Byte() | in.Byte() << 8;
    engine::EliminationOptions o;
    o.IgnoreMarkersInStrings = bits & 1;
    o.KeepHeaderLineComments = bits & 2;
    o.KeepHeaderBlockComment = bits & 4;
    o.KeepWholeLineComments = bits & 8;
    o.KeepAllLineComments = bits & 16;
    o.KeepAllBlockComments = bits & 32;
    o.KeepLeadingSpaces = bits & 64;
    o.KeepSurplusBlanks = bits & 128;
    o.LineCommentLeader = in.Marker();
    o.BlockCommentLeader = in.Marker();
    o.BlockCommentTerminator = in.Marker();
    o.StringLeader = in.Marker();
    o.StringTerminator = in.Marker();
    const std::u16string text = in.Rest();

    if (text.size() <= 512) {
        Check(literal::Disagreement(text, o).empty());
    }
    const std::u16string_view view(text);
    for (const std::u16string& marker : {o.LineCommentLeader, o.BlockCommentTerminator}) {
        for (std::size_t from = 0; !marker.empty() && from <= text.size(); from += 1 + from / 8) {
            Check(engine::FindText(view, marker, from) == view.find(marker, from));
        }
    }
    for (std::size_t from = 0; from < text.size(); ++from) {
        std::size_t expected = view.find_first_of(u"\r\n", from);
        if (expected != view.npos && expected > 0 && text[expected] == u'\n' &&
            text[expected - 1] == u'\r') {
            expected = view.find_first_of(u"\r\n", expected + 1);
        }
        Check(engine::FindLineBreak(view, from) == expected);
    }
    return 0;
}
