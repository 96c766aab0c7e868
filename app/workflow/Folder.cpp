#include "Folder.h"

#include "FileNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

namespace workflow {

std::shared_ptr<const Folder> Folder::Adopt(int fd, std::shared_ptr<const Folder> parent,
                                            QByteArray name) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        errno = error;
        return nullptr;
    }
    return std::make_shared<const Folder>(fd, info.st_dev, std::move(parent), std::move(name));
}

std::shared_ptr<const Folder> Folder::Open(const QByteArray& path) {
    return Adopt(
        ::open(path.isEmpty() ? "." : path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC),
        nullptr, path);
}

std::shared_ptr<const Folder> Folder::Subfolder(const QByteArray& name) const {
    return Adopt(::openat(fd_, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC),
                 shared_from_this(), name);
}

QByteArray Folder::path() const {
    std::vector<const QByteArray*> names;
    for (const Folder* folder = this; folder != nullptr; folder = folder->parent_.get()) {
        names.push_back(&folder->name_);
    }
    QByteArray path = *names.back();
    for (auto name = names.rbegin() + 1; name != names.rend(); ++name) {
        if (!path.endsWith('/')) {
            path += '/';
        }
        path += **name;
    }
    return path;
}

Folder::~Folder() {
    ::close(fd_);
    // A parent this folder alone holds goes next, here, and so on up the chain.
    std::shared_ptr<const Folder> up = std::move(parent_);
    while (up != nullptr && up.use_count() == 1) {
        up = std::move(up->parent_);
    }
}

std::optional<FileRef> FileAtPath(const QString& path) {
    const QByteArray native = NativePath(path);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray name = native.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..") {
        errno = native.isEmpty() ? ENOENT : EISDIR;
        return std::nullopt;
    }
    std::shared_ptr<const Folder> folder = Folder::Open(slash < 0    ? QByteArray(".")
                                                        : slash == 0 ? QByteArray("/")
                                                                     : native.left(slash));
    if (folder == nullptr) {
        return std::nullopt;
    }
    return FileRef{std::move(folder), name};
}

std::optional<FileRef> FileBeside(const FileRef& held, const QString& heldPath,
                                  const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0 || heldPath.lastIndexOf(u'/') != slash ||
        QStringView(path).left(slash) != QStringView(heldPath).left(slash)) {
        return std::nullopt;
    }
    const QByteArray native = NativePath(path);
    const QByteArray name = native.mid(native.lastIndexOf('/') + 1);
    if (name.isEmpty() || name == "." || name == "..") {
        return std::nullopt;
    }
    return FileRef{held.folder, name};
}

namespace {

// Waiting new files hold a descriptor each: past this many, they are flushed and published
// without waiting for the end of the run.
constexpr std::size_t kMostWaiting = 256;

}  // namespace

void SavedFileSystems::Note(const std::shared_ptr<const Folder>& folder, const QString& shown) {
    const std::lock_guard lock(mutex_);
    Noted& noted = noted_.try_emplace(folder->device(), Noted{folder, {}}).first->second;
    if (!shown.isEmpty()) {
        noted.files.append(shown);
    }
}

void SavedFileSystems::Await(const std::shared_ptr<const Folder>& folder, const QString& shown,
                             std::function<int()> publish, std::function<void()> discard) {
    const std::lock_guard lock(mutex_);
    noted_.try_emplace(folder->device(), Noted{folder, {}});  // the saver notes the file itself
    waiting_.push_back({folder->device(), shown, std::move(publish), std::move(discard)});
    if (waiting_.size() >= kMostWaiting) {
        FlushHeld();
    }
}

void SavedFileSystems::SyncNoted(bool onlyWithNewNames) {
    for (auto& [device, noted] : noted_) {
        const bool renamed = std::any_of(waiting_.begin(), waiting_.end(),
                                         [&](const Waiting& w) { return w.device == device; });
        if ((renamed || !onlyWithNewNames) && ::syncfs(noted.folder->fd()) != 0) {
            noted.failed = true;
            error_ = error_ == 0 ? errno : error_;
        }
    }
}

void SavedFileSystems::FlushHeld() {
    SyncNoted(false);
    // Only a file on disk takes an old target's place; on a file system that failed its flush
    // the old target stays.
    for (Waiting& waiting : waiting_) {
        const int failed = noted_.at(waiting.device).failed ? error_ : waiting.publish();
        if (failed != 0) {
            waiting.discard();
            unpublished_[waiting.shown] = failed;
            waiting.device = static_cast<dev_t>(-1);  // no new name to flush there
        }
    }
    SyncNoted(true);
    waiting_.clear();
}

bool SavedFileSystems::Flush() {
    const std::lock_guard lock(mutex_);
    FlushHeld();
    errno = error_;
    return error_ == 0;
}

QStringList SavedFileSystems::Unflushed() const {
    const std::lock_guard lock(mutex_);
    QStringList files;
    for (const auto& [device, noted] : noted_) {
        if (noted.failed) {
            for (const QString& file : noted.files) {
                if (!unpublished_.contains(file)) {
                    files.append(file);
                }
            }
        }
    }
    files.sort();  // saves note their files in whatever order their threads end
    return files;
}

int SavedFileSystems::Error() const {
    const std::lock_guard lock(mutex_);
    return error_;
}

std::map<QString, int> SavedFileSystems::Unpublished() const {
    const std::lock_guard lock(mutex_);
    return unpublished_;
}

bool ListOpenFolder(const Folder& folder, std::vector<FolderItem>& items, bool withHidden) {
    const int fd = ::openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        errno = error;
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || (name.front() == '.' && !withHidden)) {
            continue;
        }
        struct stat link {};
        if (::fstatat(folder.fd(), entry->d_name, &link, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // gone since it was listed
        }
        const bool isLink = S_ISLNK(link.st_mode);
        struct stat info = link;
        if (isLink && ::fstatat(folder.fd(), entry->d_name, &info, 0) != 0) {
            info = {};  // a broken link: neither a folder nor a file
        }
        items.push_back({QByteArray(entry->d_name), S_ISDIR(info.st_mode), isLink,
                         S_ISREG(info.st_mode), static_cast<mode_t>(info.st_mode & 07777)});
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    errno = error;
    return error == 0;
}

}  // namespace workflow
