#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <vector>

namespace workflow {

/// Who may read a file, as its owner, group, mode bits and access ACL say.
struct FileReaders {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;          ///< the permission bits (with an ACL, the group bits are its mask)
    bool groupReads = false;  ///< the owning group's own entry lets it read
    std::vector<uid_t> namedUsers;   ///< users whom an ACL entry lets read, the mask applied
    std::vector<gid_t> namedGroups;  ///< groups whom an ACL entry lets read, the mask applied
};

/// The readers of the open file `fd`, whose status `known` gives when the caller has it; false
/// with errno set when they cannot be learnt.
bool ReadersOf(int fd, FileReaders& readers, const struct stat* known = nullptr);

/// Whether everyone who may read a file with the readers `target` may read the file with the
/// readers `source`, counting `knownReader` (the user who read the source) among the latter.
/// Cautious: false where the entries alone cannot tell, as for a user who might read the source
/// only through a group of theirs.
bool NoWiderThan(const FileReaders& target, const FileReaders& source, uid_t knownReader);

/// Makes the open file `fd` readable by its owner alone: group and other bits cleared, the ACL
/// dropped; false with errno set on failure.
bool RestrictToOwner(int fd);

/// Gives the open file `to` the access ACL of the open file `from`, when it has an extended one;
/// false with errno set on failure.
bool CopyAcl(int from, int to);

}  // namespace workflow
