#include "GbkSourceFile.h"

#include <fstream>

#include "SourceGenerator.h"
#include "text/TextCodec.h"

namespace bench {

namespace {

std::size_t WriteGbk(const std::string& path, const std::u16string& text) {
    const std::string bytes = codec::Encode(text, codec::TextEncoding::Gbk);
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return file ? bytes.size() : 0;
}

}  // namespace

std::size_t WriteGbkAssemblerFile(const std::string& path, std::size_t units, unsigned seed) {
    return WriteGbk(path, AssemblerSource(units, seed));
}

std::size_t WriteGbkCFile(const std::string& path, std::size_t units, unsigned seed) {
    return WriteGbk(path, CSource(units, seed));
}

}  // namespace bench
