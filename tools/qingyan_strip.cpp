// qingyan-strip: what the window's 自动 does, for scripts, build pipelines and whole source trees.
// Each FILE is cleaned with the options and saved beside itself as FILE plus the extension; "-"
// is standard input to standard output. Files are cleaned on every core at once, and everything
// is reported in the order of the files.
#include "tools/StripMain.h"

int main(int argc, char* argv[]) {
    return tools::StripMain(argc, argv);
}
