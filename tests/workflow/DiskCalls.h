#pragma once

#include <string>
#include <vector>

/// While one is alive, the calls of this process that put a save on disk are noted in their
/// order: "fsync file", "fsync folder", "syncfs", and "name" for a link or a rename (an unnamed
/// file linked under a temporary name and renamed from it is named once). The test executable's own
/// definitions of those calls stand in for the system's and pass each on to it.
class DiskCalls {
public:
    DiskCalls();
    ~DiskCalls();
    DiskCalls(const DiskCalls&) = delete;
    DiskCalls& operator=(const DiskCalls&) = delete;

    /// What was noted so far; noting starts again from nothing.
    std::vector<std::string> Take();
    /// From now on while this one lives, each syncfs fails with `error`, as a failing disk would.
    void FailSyncfs(int error);
};
