#include "GbkSourceFile.h"

#include <fstream>

#include "SourceGenerator.h"
#include "text/TextCodec.h"

namespace bench {

std::size_t WriteGbkAssemblerFile(const std::string& path, std::size_t units, unsigned seed) {
    const std::string bytes = codec::Encode(AssemblerSource(units, seed), codec::TextEncoding::Gbk);
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return file ? bytes.size() : 0;
}

}  // namespace bench
