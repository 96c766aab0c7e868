#pragma once

#include <string>
#include <string_view>

#include "engine/EliminationOptions.h"
#include "engine/Passes.h"

namespace testing_text {

/// The comment pass with the given options on a CR LF text.
inline std::u16string Strip(std::u16string_view text,
                            const engine::EliminationOptions& options = {}) {
    return engine::EliminateComments(text, options);
}

/// Both passes, as the eliminate command runs them.
inline std::u16string Clean(std::u16string_view text,
                            const engine::EliminationOptions& options = {},
                            std::u16string_view lineBreak = engine::kCrLf) {
    return engine::TidyWhitespace(engine::EliminateComments(text, options, lineBreak), options,
                                  lineBreak);
}

}  // namespace testing_text
