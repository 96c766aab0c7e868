#include "FileAccess.h"

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>

namespace workflow {
namespace {

// An ACL that is freed when it goes out of scope.
class Acl {
public:
    explicit Acl(acl_t acl) : acl_(acl) {}
    Acl(const Acl&) = delete;
    Acl& operator=(const Acl&) = delete;
    ~Acl() {
        if (acl_ != nullptr) {
            acl_free(acl_);
        }
    }
    acl_t get() const { return acl_; }

private:
    acl_t acl_;
};

bool Reads(acl_entry_t entry) {
    acl_permset_t permissions = nullptr;
    return acl_get_permset(entry, &permissions) == 0 && acl_get_perm(permissions, ACL_READ) == 1;
}

// 1 when the open file has an access ACL, which the system keeps only when it says more than the
// mode bits; 0 when it has none, or its file system keeps none; -1 with errno set on failure.
int HasAccessAcl(int fd) {
    if (::fgetxattr(fd, "system.posix_acl_access", nullptr, 0) >= 0) {
        return 1;
    }
    return errno == ENODATA || errno == ENOTSUP || errno == EOPNOTSUPP || errno == ENOSYS ? 0 : -1;
}

}  // namespace

bool ReadersOf(int fd, FileReaders& readers, const struct stat* known) {
    struct stat info {};
    if (known != nullptr) {
        info = *known;
    } else if (::fstat(fd, &info) != 0) {
        return false;
    }
    readers = {};
    readers.owner = info.st_uid;
    readers.group = info.st_gid;
    readers.mode = info.st_mode & 07777;
    readers.groupReads = (info.st_mode & S_IRGRP) != 0;
    if (const int hasAcl = HasAccessAcl(fd); hasAcl != 1) {
        return hasAcl == 0;
    }
    const Acl acl(acl_get_fd(fd));
    if (acl.get() == nullptr) {
        return false;
    }
    bool maskReads = true;
    bool groupEntryReads = false;
    std::vector<uid_t> users;
    std::vector<gid_t> groups;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl.get(), which, &entry) == 1;
         which = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        acl_get_tag_type(entry, &tag);
        const bool reads = Reads(entry);
        if (tag == ACL_MASK) {
            maskReads = reads;
        } else if (tag == ACL_GROUP_OBJ) {
            groupEntryReads = reads;
        } else if ((tag == ACL_USER || tag == ACL_GROUP) && reads) {
            void* qualifier = acl_get_qualifier(entry);
            if (qualifier != nullptr) {
                if (tag == ACL_USER) {
                    users.push_back(*static_cast<uid_t*>(qualifier));
                } else {
                    groups.push_back(*static_cast<gid_t*>(qualifier));
                }
                acl_free(qualifier);
            }
        }
    }
    readers.groupReads = groupEntryReads && maskReads;
    if (maskReads) {
        readers.namedUsers = std::move(users);
        readers.namedGroups = std::move(groups);
    }
    return true;
}

bool NoWiderThan(const FileReaders& target, const FileReaders& source, uid_t knownReader) {
    const bool everyone = (source.mode & S_IROTH) != 0;
    const auto userReads = [&](uid_t user) {
        return everyone || user == 0 || user == knownReader || user == source.owner ||
               std::find(source.namedUsers.begin(), source.namedUsers.end(), user) !=
                   source.namedUsers.end();
    };
    const auto groupReads = [&](gid_t group) {
        return everyone || (group == source.group && source.groupReads) ||
               std::find(source.namedGroups.begin(), source.namedGroups.end(), group) !=
                   source.namedGroups.end();
    };
    // The owner of a file may always read it: it can change its mode.
    return userReads(target.owner) && (!target.groupReads || groupReads(target.group)) &&
           std::all_of(target.namedUsers.begin(), target.namedUsers.end(), userReads) &&
           std::all_of(target.namedGroups.begin(), target.namedGroups.end(), groupReads) &&
           ((target.mode & S_IROTH) == 0 || everyone);
}

bool RestrictToOwner(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return false;
    }
    const mode_t mode = info.st_mode & 0700;
    if (HasAccessAcl(fd) == 1) {
        const Acl minimal(acl_from_mode(mode));
        if (minimal.get() == nullptr || acl_set_fd(fd, minimal.get()) != 0) {
            return false;
        }
    }
    return ::fchmod(fd, mode) == 0;
}

bool CopyAcl(int from, int to) {
    if (const int hasAcl = HasAccessAcl(from); hasAcl != 1) {
        return hasAcl == 0;
    }
    const Acl acl(acl_get_fd(from));
    return acl.get() != nullptr && acl_set_fd(to, acl.get()) == 0;
}

}  // namespace workflow
