#pragma once

#include <QByteArray>

namespace workflow {

/// A fresh name for a new file while it is written, where it cannot stay unnamed: hidden, and made
/// of the process's number and a count, so that the file of a run that died can be told from one
/// of a run still writing.
QByteArray TemporaryName();

/// A temporary name that stands in an open folder for a while: if a signal ends the program
/// meanwhile (see RemoveTemporariesOnSignals), the file of that name goes with it.
class HeldTemporary {
public:
    HeldTemporary() = default;
    HeldTemporary(const HeldTemporary&) = delete;
    HeldTemporary& operator=(const HeldTemporary&) = delete;
    ~HeldTemporary() { Release(); }

    /// Holds `name` in `folder` from now on; call it before the file is made.
    void Hold(int folder, const QByteArray& name);
    /// The name no longer stands: the file took the target's name, or was removed.
    void Release();

private:
    int slot_ = -1;
};

/// Makes SIGINT, SIGTERM and SIGHUP remove every temporary held, then end the program as they
/// would have. Called once at the start of each program that saves.
void RemoveTemporariesOnSignals();

/// Removes from `folder` the temporaries that runs which ended before their save did left there
/// (a kill -9, a power cut): only files of the saver's, named by TemporaryName in a process that
/// no longer runs. Each folder is looked through once a process.
void SweepTemporaries(int folder);

}  // namespace workflow
