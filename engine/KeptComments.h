#pragma once

#include <string_view>

#include "EliminationOptions.h"

namespace engine {

/// Whether a comment stays for what it holds, though the options would remove a comment of its
/// kind: a licence or copyright notice (KeepLicenceComments), a comment that tools read
/// (KeepToolComments, where the language has them), or a text the user asked to keep.
/// `body` is what stands between its markers. Reads the comment a bounded number of times.
bool KeptForItsText(std::u16string_view body, const EliminationOptions& options);

}  // namespace engine
