#pragma once

#include <cstddef>
#include <string>

namespace bench {

/// Writes a generated assembler source of about `units` characters to `path` as GBK bytes and
/// returns how many bytes it wrote, or 0 when the file could not be written.
std::size_t WriteGbkAssemblerFile(const std::string& path, std::size_t units, unsigned seed = 1);

/// The same for a generated C source, which is C++ as well.
std::size_t WriteGbkCFile(const std::string& path, std::size_t units, unsigned seed = 1);

}  // namespace bench
