// Writes a generated assembler source of about N megabytes as a GBK file, for the end-to-end
// benchmark: make_source FILE [MEGABYTES]
#include <cstdio>
#include <cstdlib>

#include "GbkSourceFile.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_source FILE [MEGABYTES]\n");
        return 2;
    }
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 50;
    if (bench::WriteGbkAssemblerFile(argv[1], megabytes * 1000 * 1000) == 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
