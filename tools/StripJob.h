#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "StripSettings.h"
#include "workflow/Pipeline.h"

namespace tools {

/// What one file's run has to say: bytes for standard output and for standard error, written
/// in the order of the files whatever order the runs finished in.
struct JobResult {
    std::string out;
    std::string err;
    bool failed = false;       ///< the file could not be read or written
    bool changes = false;      ///< --check: cleaning would change the file
    bool counted = false;      ///< taken by the run, and so a line of the report
    bool outOfMemory = false;  ///< failed for want of memory: trouble, not a bad file
    workflow::FileOutcome outcome;
    QString savedAs;  ///< for a save noted in JobInput::saved, the name it is noted by
};

/// A file to clean: its path as given or as the walk of -r found it ("-" for standard input),
/// and for a file the walk found, the file in its open folder.
struct JobInput {
    /// What the job does with its file: cleans it; copies it as it is (into a copy of its tree);
    /// or only tells why it is not taken (`passed`), a failure where `failure` is one.
    enum class Task { Clean, Copy, Pass };
    Task task = Task::Clean;
    QString path;
    std::optional<workflow::FileRef> file;
    /// Where the result goes instead of beside the source: -o's copy of the tree.
    std::optional<workflow::FileRef> target;
    /// For Task::Pass: why it is not taken, and whether that fails the run (a folder that could
    /// not be read) or only names it (a link that a copy leaves out).
    workflow::Failure passed;
    bool passFails = false;
    workflow::SaveOptions save;
    /// Where a save that does not flush notes its file system, for one flush at the end.
    workflow::SavedFileSystems* saved = nullptr;
    /// Where output goes as it is made, when it need not wait for other files; otherwise it is
    /// kept in the result.
    std::function<void(std::string_view)> write;
};

/// Runs one file as the settings ask: save, write to standard output, check or diff. Safe to call
/// from several threads at once.
JobResult RunJob(const JobInput& input, const Settings& settings);

/// Records whether standard input is open; call first thing, before anything opens a file.
void NoteStandardInput();

}  // namespace tools
