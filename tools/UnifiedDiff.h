#pragma once

#include <string>
#include <string_view>

namespace tools {

/// A unified diff that turns `before` into `after` byte for byte, as `patch -p1` and `git apply`
/// take it: lines end after each LF (a CR is part of its line), files are named a/`name` and
/// b/`name`, three lines of context. Empty when the two are equal.
std::string UnifiedDiff(const std::string& name, std::string_view before, std::string_view after);

}  // namespace tools
