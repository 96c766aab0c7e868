#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tools {

/// A unified diff that turns `before` into `after` byte for byte, as `patch -p1` and `git apply`
/// take it: lines end after each LF (a CR is part of its line), files are named a/`name` and
/// b/`name` followed by a tab (in C-style quotes when the name holds a control character, a
/// quote or a backslash), three lines of context. Written to `write` a piece at a time, never
/// held whole; false, and nothing written, when the two are equal.
bool UnifiedDiff(const std::string& name, std::string_view before, std::string_view after,
                 const std::function<void(std::string_view)>& write);

}  // namespace tools
