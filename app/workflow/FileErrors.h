#pragma once

#include <QString>

namespace workflow {

/// Why a file could not be read, cleaned or saved.
enum class FailureKind {
    None,
    System,  ///< the system refused; its error number says why
    OutOfMemory,
    BinaryFile,  ///< the source holds a NUL byte: no source file at all
    SourceIsFolder,
    SourceNotRegular,
    NoTargetPath,
    TargetFolderMissing,
    TargetIsFolder,
    TargetNotRegular,
    TargetIsSource,  ///< the target is the source by another path or a link, and was not named
    TargetReadOnly,
    FolderTakesNoNewFile,  ///< the folder takes no new file; a write in place is never whole
    FolderUnread,          ///< a folder of a walk could not be opened or listed; the error says why
    LinkNotCopied,         ///< a copy of a tree names links but does not copy them
    HiddenNotCopied,       ///< nor hidden files and folders, as -r passes them over
    BrokenLink,            ///< a link a walk met leads nowhere
    SpecialNotCopied,      ///< nor FIFOs, devices and sockets
    OutputNotEmpty,        ///< -o names a folder that already holds files
    OutputInsideSource,    ///< -o names the source folder itself, or a folder inside it
    OutputFolderNotMade,   ///< a folder of -o's copy, or one above it, could not be made; why
    SameBaseName,          ///< two files named on the command line would go to one name in -o
    SourceChanged,         ///< the source grew shorter while it was read
    NotOnDisk,             ///< saved, but the flush of its file system failed; the error says why
};

/// A failure: its kind, and for a refusal of the system the error number it gave.
struct Failure {
    FailureKind kind = FailureKind::None;
    int error = 0;

    explicit operator bool() const { return kind != FailureKind::None; }
    bool operator==(const Failure&) const = default;
};

inline Failure SystemFailure(int errorNumber) {
    return {FailureKind::System, errorNumber};
}

/// Why, in Chinese: the one table of reasons that the tip line, the batch report and the command
/// line all show.
QString ReasonOf(const Failure& failure);

/// The reason for a refusal of the system, from its error number.
QString ReasonOfError(int errorNumber);

/// The caution for `count` characters that the source's encoding cannot hold, written as "?".
QString UnrepresentableCaution(std::size_t count);

}  // namespace workflow
