#include "EliminationOptions.h"

namespace engine {

// A ";" followed by 56 hyphens: the rule line that opens and closes both blocks.
#define QY_RULE u";--------------------------------------------------------\r\n"

const std::u16string_view kHeaderTemplate =
    QY_RULE
    u";     项  目:\r\n"
    u";     模  块:\r\n"
    u";     版  本:\r\n"
    u";     日  期:\r\n"
    u";     客  户:\r\n"
    u";     作  者:\r\n"
    QY_RULE;

const std::u16string_view kFooterTemplate =
    QY_RULE
    u"; \r\n"
    u";\tTHE\tEND\r\n"
    u"; \r\n"
    u"; 2004-12-01\r\n"
    u"; \r\n"
    QY_RULE;

#undef QY_RULE

}  // namespace engine
