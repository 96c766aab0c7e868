#pragma once

namespace tools {

/// Runs qingyan-strip on its command line, as a process does once: it sets the process up (the
/// standard descriptors, the file limit, a QCoreApplication), cleans what the arguments name,
/// and returns the exit status.
int StripMain(int argc, char* argv[]);

}  // namespace tools
