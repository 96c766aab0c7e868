#pragma once

#include <cstddef>
#include <string>

namespace bench {

/// A microcontroller assembler source of about `units` characters with CR LF lines: labels,
/// instructions with end-of-line comments (some in Chinese), whole-line comments, blank lines,
/// quoted tables and an occasional block comment. The same seed always gives the same text.
std::u16string AssemblerSource(std::size_t units, unsigned seed = 1);

/// A C source of about `units` characters with CR LF lines, commented with "//" and "/* */".
std::u16string CSource(std::size_t units, unsigned seed = 1);

/// Bytes the text takes in a GBK file: one for ASCII, two for every other character.
std::size_t GbkBytes(std::u16string_view text);

}  // namespace bench
