#pragma once

#include <QString>

#include <string>

#include "StripSettings.h"
#include "workflow/Pipeline.h"

namespace tools {

/// What one file's run has to say: bytes for standard output and for standard error, written
/// in the order of the files whatever order the runs finished in.
struct JobResult {
    std::string out;
    std::string err;
    bool failed = false;   ///< the file could not be read or written
    bool changes = false;  ///< --check: cleaning would change the file
    bool counted = false;  ///< cleaned, and so a line of the report
    workflow::FileOutcome outcome;
};

/// Runs one path ("-" for standard input) as the settings ask: save, write to standard output,
/// check or diff. Safe to call from several threads at once.
JobResult RunJob(const QString& path, const Settings& settings);

/// Records whether standard input is open; call first thing, before anything opens a file.
void NoteStandardInput();

}  // namespace tools
