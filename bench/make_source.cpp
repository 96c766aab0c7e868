// Writes a generated assembler source of about N megabytes as a GBK file, for the end-to-end
// benchmark: make_source FILE [MEGABYTES]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SourceGenerator.h"
#include "TextCodec.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_source FILE [MEGABYTES]\n");
        return 2;
    }
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 50;
    const std::u16string text = bench::AssemblerSource(megabytes * 1000 * 1000);
    const std::string bytes = codec::Encode(text, codec::TextEncoding::Gbk);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
