// Writes a generated source of about N megabytes as a GBK file, for the end-to-end benchmarks:
// make_source FILE [MEGABYTES] [asm|c]   (a C source is C++ as well)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GbkSourceFile.h"

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_source FILE [MEGABYTES] [asm|c]\n");
        return 2;
    }
    const std::size_t units = (argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 50) * 1000 * 1000;
    const bool c = argc > 3 && std::strcmp(argv[3], "c") == 0;
    if ((c ? bench::WriteGbkCFile(argv[1], units) : bench::WriteGbkAssemblerFile(argv[1], units)) ==
        0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
