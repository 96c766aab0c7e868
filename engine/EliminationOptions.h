#pragma once

#include <string>
#include <string_view>

namespace engine {

/// The header block that can be put in front of a target text: eight ";" comment lines, CR LF
/// ended.
extern const std::u16string_view kHeaderTemplate;
/// The footer block that can be put after a target text: seven ";" comment lines, CR LF ended.
extern const std::u16string_view kFooterTemplate;

/// Every user-adjustable value that decides how a source text becomes a target text and where the
/// target goes. Texts hold UTF-16 units, one unit per character as the editors count them; they are
/// used exactly as typed (no trimming, no case folding, and an empty text is a valid value).
struct EliminationOptions {
    bool AddHeader = false;
    std::u16string HeaderText{kHeaderTemplate};
    bool AddFooter = false;
    std::u16string FooterText{kFooterTemplate};
    bool KeepHeaderLineComments = true;
    bool KeepHeaderBlockComment = true;
    bool KeepWholeLineComments = false;
    bool KeepAllLineComments = false;
    bool KeepAllBlockComments = false;
    bool AddTargetExtension = true;
    std::u16string TargetExtension = u".TX_";
    bool KeepLeadingSpaces = true;
    bool KeepSurplusBlanks = false;
    bool IgnoreMarkersInStrings = true;
    std::u16string LineCommentLeader = u";";
    std::u16string BlockCommentLeader = u"/*";
    std::u16string BlockCommentTerminator = u"*/";
    std::u16string StringLeader = u"\"";
    std::u16string StringTerminator = u"\"";
    std::u16string SourcePattern = u"*.TXT;*.ASM;*.DT;*.C;*.INC;*.H";

    bool operator==(const EliminationOptions&) const = default;
};

}  // namespace engine
