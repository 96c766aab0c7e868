#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "StripJob.h"
#include "StripSettings.h"
#include "workflow/Folder.h"

namespace tools {

/// A file of the run, and the name the reports give it: its path under the folder that -r walked,
/// or empty for a file given by itself.
struct PlannedFile {
    JobInput input;
    QString shown;
};

/// A folder that -o made for the copy of a tree, and the permission bits it takes once the run
/// has written into it.
struct MadeFolder {
    std::shared_ptr<const workflow::Folder> folder;
    mode_t mode = 0700;
};

/// What a run will do: its files in the order of the reports, and for -o the folders it made.
struct RunPlan {
    std::vector<PlannedFile> files;
    std::vector<MadeFolder> madeFolders;  ///< parents before the folders they hold
};

/// Plans the run the settings ask for: each argument, or with -r every source under an argument
/// that is a folder, a folder that could not be read named among them; with -o, every file under
/// the walked folder, copied or cleaned into the copy of its tree, whose folders it makes. False
/// with what is wrong in `error` when -o cannot be honoured, before anything is written.
bool PlanRun(const Settings& settings, RunPlan& plan, QString& error);

/// Gives the folders that -o made the permission bits of the folders they copy, innermost first:
/// once written into, a folder may become one that takes no new file.
void SealMadeFolders(const RunPlan& plan);

}  // namespace tools
