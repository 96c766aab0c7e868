#include "Folder.h"

#include "FileNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <list>
#include <mutex>
#include <string_view>
#include <vector>

namespace workflow {

std::size_t DescriptorShare() {
    // A quarter of what the process may open, read once the program has raised its limit.
    static const std::size_t share = [] {
        rlimit files{};
        const rlim_t limit =
            ::getrlimit(RLIMIT_NOFILE, &files) == 0 ? files.rlim_cur : rlim_t{1024};
        return static_cast<std::size_t>(std::clamp<rlim_t>(limit / 4, 4, 256));
    }();
    return share;
}

namespace {

// Subfolders open but in use by no one are kept, the most recently used first, up to this many;
// past it the least recently used is closed.
std::size_t MostIdle() {
    return std::min<std::size_t>(DescriptorShare(), 64);
}

std::mutex& OpenFolders() {
    static std::mutex mutex;
    return mutex;
}

std::list<const Folder*>& Idle() {
    static std::list<const Folder*> idle;
    return idle;
}

}  // namespace

Folder::Folder(int fd, const struct stat& info, std::shared_ptr<const Folder> parent,
               QByteArray name)
    : fd_(fd),
      device_(info.st_dev),
      inode_(info.st_ino),
      parent_(std::move(parent)),
      name_(std::move(name)) {}

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
    auto folder = std::make_shared<const Folder>(fd, info, std::move(parent), std::move(name));
    folder->Use();  // and let go at once: an unused subfolder joins the idle ones
    return folder;
}

std::shared_ptr<const Folder> Folder::Open(const QByteArray& path) {
    return Adopt(
        ::open(path.isEmpty() ? "." : path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC),
        nullptr, path);
}

std::shared_ptr<const Folder> Folder::Subfolder(const QByteArray& name) const {
    const Lease self = Use();
    if (!self) {
        return nullptr;
    }
    return Adopt(
        ::openat(self.fd(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC),
        shared_from_this(), name);
}

Folder::Lease Folder::Use() const {
    const std::lock_guard lock(OpenFolders());
    if (fd_ < 0 && !Reopen()) {
        return {};
    }
    if (idle_) {
        Idle().erase(idleAt_);
        idle_ = false;
    }
    ++users_;
    return Lease(shared_from_this());
}

bool Folder::Matches(int fd) const {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
}

bool Folder::OpenFromChild() const {
    const auto child = std::find_if(Idle().begin(), Idle().end(), [this](const Folder* open) {
        return open->parent_.get() == this;
    });
    if (child == Idle().end()) {
        return false;
    }
    const int fd = ::openat((*child)->fd_, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && Matches(fd)) {
        fd_ = fd;
        ++users_;
        return true;
    }
    if (fd >= 0) {
        ::close(fd);  // the child has moved away: the way down from above decides
    }
    return false;
}

bool Folder::Reopen() const {
    // The closed folders from this one up to the first open one, or to one an open child of it
    // leads back to, opened again downwards. Each is in use only until its child is open: a deep
    // folder costs two descriptors to reach, not one for every folder above it.
    std::vector<const Folder*> closed;
    const Folder* held = nullptr;
    for (const Folder* folder = this; folder->fd_ < 0; folder = folder->parent_.get()) {
        if (folder->OpenFromChild()) {
            held = folder;
            break;
        }
        closed.push_back(folder);
    }
    for (auto folder = closed.rbegin(); folder != closed.rend(); ++folder) {
        const Folder& f = **folder;
        const int fd = ::openat(f.parent_->fd_, f.name_.constData(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 || !f.Matches(fd)) {
            const int error = fd < 0 ? errno : ESTALE;
            if (fd >= 0) {
                ::close(fd);
            }
            if (held != nullptr) {
                held->Release();
            }
            errno = error == ENOENT || error == ELOOP || error == ENOTDIR ? ESTALE : error;
            return false;
        }
        f.fd_ = fd;
        ++f.users_;
        if (held != nullptr) {
            held->Release();
        }
        held = &f;
    }
    held->Release();  // this folder, open again; the caller takes it into use
    return true;
}

void Folder::Release() const {
    if (--users_ > 0 || parent_ == nullptr) {
        return;  // a folder opened by its path stays open: there is no safe way back to it
    }
    std::list<const Folder*>& idle = Idle();
    idle.push_front(this);
    idleAt_ = idle.begin();
    idle_ = true;
    while (idle.size() > MostIdle()) {
        const Folder* oldest = idle.back();
        idle.pop_back();
        oldest->idle_ = false;
        ::close(oldest->fd_);
        oldest->fd_ = -1;
    }
}

Folder::Lease& Folder::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        Lease gone(std::move(*this));
        folder_ = std::move(other.folder_);
    }
    return *this;
}

Folder::Lease::~Lease() {
    if (folder_ != nullptr) {
        const std::lock_guard lock(OpenFolders());
        folder_->Release();
    }
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
    {
        const std::lock_guard lock(OpenFolders());
        if (idle_) {
            Idle().erase(idleAt_);
        }
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
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

// Waiting new files hold a descriptor each, and one for their folder: past this many, they are
// flushed and published without waiting for the end of the run.
std::size_t MostWaiting() {
    return std::max<std::size_t>(DescriptorShare() / 2, 1);
}

}  // namespace

SavedFileSystems::Noted& SavedFileSystems::NotedFor(const std::shared_ptr<const Folder>& folder) {
    const auto found = noted_.find(folder->device());
    if (found != noted_.end()) {
        return found->second;
    }
    Noted& noted = noted_.emplace(folder->device(), Noted{folder->Use(), {}}).first->second;
    if (!noted.open) {  // the folder is gone already: nothing saved there can be flushed
        noted.failed = true;
        error_ = error_ == 0 ? errno : error_;
    }
    return noted;
}

void SavedFileSystems::Note(const std::shared_ptr<const Folder>& folder, const QString& shown) {
    const std::lock_guard lock(mutex_);
    Noted& noted = NotedFor(folder);
    if (!shown.isEmpty()) {
        noted.files.append(shown);
    }
}

void SavedFileSystems::Await(const std::shared_ptr<const Folder>& folder, const QString& shown,
                             std::function<int()> publish, std::function<void()> discard) {
    const std::lock_guard lock(mutex_);
    NotedFor(folder);  // the saver notes the file itself
    waiting_.push_back({folder->device(), shown, std::move(publish), std::move(discard)});
    if (waiting_.size() >= MostWaiting()) {
        FlushHeld();
    }
}

void SavedFileSystems::SyncNoted(bool onlyWithNewNames) {
    for (auto& [device, noted] : noted_) {
        const dev_t fileSystem = device;  // a structured binding clang 14 cannot capture
        const bool renamed = std::any_of(waiting_.begin(), waiting_.end(),
                                         [&](const Waiting& w) { return w.device == fileSystem; });
        if (!renamed && onlyWithNewNames) {
            continue;
        }
        if (!noted.open || ::syncfs(noted.open.fd()) != 0) {
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

std::set<QString> SavedFileSystems::Unflushed() const {
    const std::lock_guard lock(mutex_);
    std::set<QString> files;
    for (const auto& [device, noted] : noted_) {
        if (noted.failed) {
            for (const QString& file : noted.files) {
                if (!unpublished_.contains(file)) {
                    files.insert(file);
                }
            }
        }
    }
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
    const Folder::Lease open = folder.Use();
    if (!open) {
        return false;
    }
    const int fd = ::openat(open.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        if (::fstatat(open.fd(), entry->d_name, &link, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // gone since it was listed
        }
        const bool isLink = S_ISLNK(link.st_mode);
        struct stat info = link;
        if (isLink && ::fstatat(open.fd(), entry->d_name, &info, 0) != 0) {
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
