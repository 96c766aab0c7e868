#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

namespace workflow {

/// A folder opened once: the files in it are read and saved by their names relative to it, so
/// that a folder swapped for a symbolic link after it was opened is never entered. A subfolder
/// not in use may be closed, so that a walk of any size holds a bounded number of descriptors;
/// it is opened again by its name in its parent, and only if it is still the same folder.
class Folder : public std::enable_shared_from_this<Folder> {
public:
    /// The folder's descriptor, open for as long as the lease lives.
    class Lease {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept : folder_(std::move(other.folder_)) {}
        Lease& operator=(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease();
        int fd() const { return folder_->fd_; }
        explicit operator bool() const { return folder_ != nullptr; }

    private:
        friend class Folder;
        explicit Lease(std::shared_ptr<const Folder> folder) : folder_(std::move(folder)) {}
        std::shared_ptr<const Folder> folder_;
    };

    /// Opens the folder at `path` (bytes), following links as the path gives them; nullptr with
    /// errno set. Such a folder stays open as long as it lives.
    static std::shared_ptr<const Folder> Open(const QByteArray& path);
    /// Opens the subfolder `name` of this one, refusing a symbolic link; nullptr with errno set.
    std::shared_ptr<const Folder> Subfolder(const QByteArray& name) const;
    /// The descriptor, opened again where it was closed; an empty lease with errno set when the
    /// folder can no longer be reached (ESTALE: another stands at its name).
    Lease Use() const;

    /// Takes over `fd`, the folder `info` describes, opened by `name` in `parent` (or by the path
    /// `name` when it has none).
    Folder(int fd, const struct stat& info, std::shared_ptr<const Folder> parent, QByteArray name);
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    /// The file system that holds it.
    dev_t device() const { return device_; }
    /// The folder it was opened in as a Subfolder, or nullptr.
    const std::shared_ptr<const Folder>& parent() const { return parent_; }
    /// The path it was opened by, for messages: made when asked, so that a deep tree's folders
    /// keep one name each, not a path each.
    QByteArray path() const;

private:
    // Takes over `fd`, a folder just opened; nullptr with errno set when it cannot be looked at.
    static std::shared_ptr<const Folder> Adopt(int fd, std::shared_ptr<const Folder> parent,
                                               QByteArray name);
    // With the lock on open folders held: opens this folder again, and the closed ones above it.
    bool Reopen() const;
    // With that lock held: opens this closed folder as ".." of an idle child, so that going back
    // up a deep tree is one step, not a climb to the nearest open folder; false where no child is
    // idle or it no longer leads here. (A child in use is not looked for: with one job the walk
    // and the saves go back up through idle ones.)
    bool OpenFromChild() const;
    // Whether the folder open at `fd` is this one.
    bool Matches(int fd) const;
    void Release() const;

    mutable int fd_;         // -1 while closed
    mutable int users_ = 0;  // leases alive
    mutable bool idle_ = false;
    mutable std::list<const Folder*>::iterator idleAt_;  // in the list of open folders not in use
    dev_t device_;
    ino_t inode_;
    // Let go of one by one when the folder goes, not by a recursion as deep as the tree.
    mutable std::shared_ptr<const Folder> parent_;
    QByteArray name_;
};

/// How many descriptors one kind of use may hold open at once: a share of what the process may
/// open (idle subfolders, files waiting to take their names).
std::size_t DescriptorShare();

/// A file named by its open folder and its name there (bytes, no "/").
struct FileRef {
    std::shared_ptr<const Folder> folder;
    QByteArray name;
};

/// The file at `path`: the folder that holds it opened, and its name in it; nullopt with errno
/// set when the folder cannot be opened or the path names no file in one.
std::optional<FileRef> FileAtPath(const QString& path);

/// The file at `path` by the folder of `held`, the file at `heldPath`, when `path` names a file of
/// that folder: the folder as it was when `held` was found, whatever has come to stand at its path
/// since; nullopt for a path in another folder.
std::optional<FileRef> FileBeside(const FileRef& held, const QString& heldPath,
                                  const QString& path);

/// The file systems a run of many saves wrote to, each flushed to disk once at its end (syncfs)
/// instead of every file on its own, and the saves that wait for that flush to take the place of
/// an old target. Safe to use from several threads at once.
class SavedFileSystems {
public:
    /// Notes the file system that holds `folder`, and that the file shown as `shown` was saved
    /// there.
    void Note(const std::shared_ptr<const Folder>& folder, const QString& shown = {});
    /// A new file, written whole, that is to replace the old target shown as `shown` in `folder`
    /// once its file system is flushed: `publish` gives it the target's name (0, or an error
    /// number), `discard` removes it. Many waiting at once are flushed and published together.
    void Await(const std::shared_ptr<const Folder>& folder, const QString& shown,
               std::function<int()> publish, std::function<void()> discard);
    /// Flushes each noted file system, gives each waiting file its name, and flushes again where
    /// names changed; false with errno set when any flush fails.
    bool Flush();
    /// After a failed Flush, the files noted on the file systems that failed, in order of their
    /// names: they may not be on disk.
    std::set<QString> Unflushed() const;
    /// After Flush, the waiting saves that did not take their target's name, each with its error
    /// number: their old targets are as they were.
    std::map<QString, int> Unpublished() const;
    /// The error number of the first flush that failed, or 0.
    int Error() const;

private:
    struct Noted {
        // Held open for the whole run: a flush needs no climb back to a folder closed since.
        Folder::Lease open;
        QStringList files;
        bool failed = false;
    };
    struct Waiting {
        dev_t device;
        QString shown;
        std::function<int()> publish;
        std::function<void()> discard;
    };
    // The file system of `folder`, noted now if it was not yet; the lock is held.
    Noted& NotedFor(const std::shared_ptr<const Folder>& folder);
    // Flushes, publishes what waits, and flushes the new names; the lock is held.
    void FlushHeld();
    // Flushes each noted file system, or only those where a waiting file takes its name.
    void SyncNoted(bool onlyWithNewNames);

    mutable std::mutex mutex_;
    std::map<dev_t, Noted> noted_;
    std::vector<Waiting> waiting_;
    std::map<QString, int> unpublished_;
    int error_ = 0;  // of the first flush that failed
};

/// One entry of an open folder, by the bytes of its name: always made whole, from the entry's
/// status, or empty ({}) where there is none.
struct FolderItem {
    QByteArray name;
    bool isFolder;   ///< a folder, or a link to one
    bool isLink;     ///< a symbolic link, to a file or a folder, or broken
    bool isRegular;  ///< a regular file, or a link to one
    mode_t mode;     ///< the permission bits of what it is, through a link
};

/// The entries of `folder`, hidden ones (".name") left out unless `withHidden`, in no set order;
/// false with errno set when the folder cannot be listed.
bool ListOpenFolder(const Folder& folder, std::vector<FolderItem>& items, bool withHidden = false);

}  // namespace workflow
