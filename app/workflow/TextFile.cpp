#include "TextFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <functional>

#include "FileErrors.h"
#include "FileNames.h"
#include "Temporaries.h"
#include "engine/Passes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace workflow {
namespace {

// A file descriptor that is closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~Descriptor() { Close(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now, so that an error of the close itself is seen; false with errno set on failure.
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

// The new file that becomes the target: unnamed while it is written where the file system
// allows (O_TMPFILE), so that a killed run leaves nothing behind; otherwise under a short hidden
// name that no legal target name makes too long.
struct NewFile {
    Descriptor fd;
    QByteArray name;  // empty while unnamed
    HeldTemporary held;
};

bool CanLinkUnnamedFiles() {
    static const bool proc = ::access("/proc/self/fd", X_OK) == 0;
    return proc;
}

// Creates the new file in `folder` with `mode` (less the umask); false with errno set. A named
// one, which others could open by its name, is born readable by its owner alone: see Widen.
bool CreateNewFile(int folder, mode_t mode, NewFile& file) {
    if (CanLinkUnnamedFiles()) {
        file.fd = Descriptor(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (file.fd.valid() || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
            return file.fd.valid();
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.name = TemporaryName();
        file.held.Hold(folder, file.name);
        file.fd = Descriptor(::openat(folder, file.name.constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.fd.valid() || errno != EEXIST) {
            break;
        }
    }
    if (!file.fd.valid()) {
        file.held.Release();
    }
    return file.fd.valid();
}

// Gives the new file the target's name in one step, replacing whatever stood there; false with
// errno set. An unnamed file is linked under a temporary name first: a link cannot replace.
bool Publish(int folder, NewFile& file, const QByteArray& target, bool targetExists) {
    if (file.name.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.fd.get());
        const QByteArray name = targetExists ? TemporaryName() : target;
        if (targetExists) {
            file.held.Hold(folder, name);
        }
        if (::linkat(AT_FDCWD, self.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) !=
            0) {
            if (errno != EEXIST || targetExists) {
                return false;
            }
            return Publish(folder, file, target, true);  // the name was taken meanwhile
        }
        if (!targetExists) {
            return true;
        }
        file.name = name;
    }
    return ::renameat(folder, file.name.constData(), folder, target.constData()) == 0;
}

void Discard(int folder, const NewFile& file) {
    if (!file.name.isEmpty()) {
        ::unlinkat(folder, file.name.constData(), 0);
    }
}

// Hands the new file, written whole, to the run: it takes the target's name once its file system
// has been flushed. Its folder stays open while it waits.
void Await(const FileRef& target, NewFile&& written, SavedFileSystems& run, const QString& shown) {
    struct Waiting {
        NewFile file;
        Folder::Lease folder;
    };
    auto waiting = std::make_shared<Waiting>();
    waiting->folder = target.folder->Use();
    waiting->file.fd = std::move(written.fd);
    waiting->file.name = std::move(written.name);
    if (!waiting->file.name.isEmpty()) {
        written.held.Release();
        waiting->file.held.Hold(waiting->folder.fd(), waiting->file.name);
    }
    const QByteArray name = target.name;
    run.Await(
        target.folder, shown,
        [waiting, name] {
            if (!Publish(waiting->folder.fd(), waiting->file, name, true)) {
                return errno;  // discarded next
            }
            waiting->file.held.Release();
            waiting->file.fd.Close();
            waiting->folder = {};
            return 0;
        },
        [waiting] {
            Discard(waiting->folder.fd(), waiting->file);
            waiting->file.held.Release();
            waiting->file.fd.Close();
            waiting->folder = {};
        });
}

// Makes the new file `fd` no more open than a source with the readers `source`, whatever the
// system let us set: a setgid folder, or the saver's own group, may give it a group that the
// source's is not. `kept` when it has the old target's owner and group. False with errno set.
bool NoMoreOpenThan(int fd, const FileReaders& source, bool kept, uid_t saver) {
    FileReaders now;
    const bool learnt = ReadersOf(fd, now);
    if (learnt && !kept && now.groupReads && now.group != source.group &&
        ::fchown(fd, -1, source.group) == 0) {
        now.group = source.group;
    }
    if (learnt && NoWiderThan(now, source, saver)) {
        return true;
    }
    return RestrictToOwner(fd) && (now.owner == saver || ::fchown(fd, saver, -1) == 0);
}

// The process's umask, read without changing it where /proc tells it (umask(2) would change it
// for every thread at once).
mode_t ProcessUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned value = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr) {
            found = std::sscanf(line, "Umask: %o", &value) == 1;
        }
        std::fclose(status);
        if (found) {
            return static_cast<mode_t>(value);
        }
    }
    // For the instant between the two calls a new file anywhere in the process is made
    // narrower, never wider.
    const mode_t old = ::umask(077);
    ::umask(old);
    return old;
}

// Gives a named new file, born readable by its owner alone, the mode it is to have (less the
// umask): only once its group is the source's, or without the group's bits, so that no one who
// may not read the source can open it at any moment. False with errno set.
bool Widen(int fd, mode_t mode, const SourceFacts& source) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        return false;
    }
    if (source.known && now.st_gid != source.readers.group &&
        ::fchown(fd, -1, source.readers.group) != 0) {
        mode &= ~mode_t{070};
    }
    return ::fchmod(fd, mode & ~ProcessUmask()) == 0;
}

// What a save writes: a text in an encoding, or bytes as they are.
struct TargetContent {
    std::u16string_view text;
    codec::TextEncoding encoding = codec::TextEncoding::Gbk;
    const std::string_view* bytes = nullptr;  // bytes to write as they are, instead of the text

    // Hands the content to `write` a slice at a time; false at the first write that fails.
    bool WriteIn(const std::function<bool(std::string_view)>& write,
                 std::size_t& unrepresentable) const {
        if (bytes != nullptr) {
            constexpr std::size_t kSlice = 1 << 21;
            for (std::size_t at = 0; at < bytes->size(); at += kSlice) {
                if (!write(bytes->substr(at, kSlice))) {
                    return false;
                }
            }
            return true;
        }
        return codec::EncodeInSlices(text, encoding, write, unrepresentable);
    }
};

// Large buffers are faulted in a huge page at a time where the system allows it: the kernel's
// page faults were a fifth of the time of a big file.
void AdviseHugePages(void* data, std::size_t size) {
    constexpr std::uintptr_t kHuge = 2 << 20;
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHuge - 1);
    if (end > start) {
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
}

// Reads `size` bytes at `to`, fewer if the file ends sooner (`got` says how many); false with
// errno set.
bool ReadBytes(int fd, char* to, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t done = ::pread(fd, to + got, size - got, static_cast<off_t>(got));
        if (done == 0) {
            break;
        }
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        got += static_cast<std::size_t>(done);
    }
    return true;
}

// A file of `size` bytes, read into the second half of the memory its text will fill and decoded
// there: the bytes and the text never take memory twice, and nothing is read past `size`.
ReadOutcome ReadKnownSize(int fd, std::size_t size) {
    // Room for the whole text is made sure of first, so that a file too large fails cleanly.
    if (std::unique_ptr<char16_t[]>(new (std::nothrow) char16_t[size]) == nullptr) {
        return {std::nullopt, Failure{FailureKind::OutOfMemory}};
    }
    std::u16string text;
    text.reserve(size);
    AdviseHugePages(text.data(), size * sizeof(char16_t));
    text.resize(size);
    char* const bytes = reinterpret_cast<char*>(text.data()) + size;
    std::size_t got = 0;
    if (!ReadBytes(fd, bytes, size, got)) {
        return {std::nullopt, SystemFailure(errno)};
    }
    // A file that says it holds more than it gives (as those of /sys do) is read as it is; one
    // that has grown shorter since it was opened is being written, and what was read may be any
    // mix of old and new.
    if (struct stat now{};
        got < size && ::fstat(fd, &now) == 0 && now.st_size < static_cast<off_t>(size)) {
        return {std::nullopt, Failure{FailureKind::SourceChanged}};
    }
    text.resize(got);  // then its bytes fill only part of the second half
    char* const start = reinterpret_cast<char*>(text.data()) + got;
    if (start != bytes) {
        std::memmove(start, bytes, got);
    }
    const std::string_view view(start, got);
    if (view.find('\0') != std::string_view::npos) {
        return {std::nullopt, Failure{FailureKind::BinaryFile}};
    }
    SourceFile file;
    file.lineBreak = std::u16string(engine::MainLineBreakOfBytes(view));
    file.byteSize = static_cast<qint64>(got);
    bool shrank = false;
    const std::optional<codec::TextEncoding> encoding = codec::DecodeInPlace(text, got, [&] {
        std::size_t again = 0;
        const bool read = ReadBytes(fd, start, got, again);
        shrank = read && again < got;
        return read && !shrank;
    });
    if (!encoding) {
        return {std::nullopt, shrank ? Failure{FailureKind::SourceChanged} : SystemFailure(errno)};
    }
    file.text = std::move(text);
    file.encoding = *encoding;
    return {std::move(file), {}};
}

}  // namespace

bool ReadToEnd(int fd, std::string& bytes, bool stopAtNul) {
    // Read into a block and appended: the string grows geometrically, and nothing is zero-filled.
    constexpr std::size_t kBlock = 1 << 16;
    const std::unique_ptr<char[]> block(new char[kBlock]);
    for (;;) {
        const ssize_t got = ::read(fd, block.get(), kBlock);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.append(block.get(), static_cast<std::size_t>(got));
        if (stopAtNul && std::memchr(block.get(), 0, static_cast<std::size_t>(got)) != nullptr) {
            return true;
        }
    }
}

ReadOutcome SourceFromBytes(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) {
        return {std::nullopt, Failure{FailureKind::BinaryFile}};
    }
    codec::DecodedText decoded = codec::Decode(bytes);
    SourceFile file;
    file.lineBreak = std::u16string(engine::MainLineBreakOfBytes(bytes));
    file.text = std::move(decoded.text);
    file.encoding = decoded.encoding;
    file.byteSize = static_cast<qint64>(bytes.size());
    return {std::move(file), {}};
}

ReadOutcome ReadSourceFile(const FileRef& source) {
    const Folder::Lease folder = source.folder->Use();
    if (!folder) {
        return {std::nullopt, SystemFailure(errno)};
    }
    // The type is looked at before any open: opening a device can act on it (a tape rewinds).
    struct stat named {};
    if (::fstatat(folder.fd(), source.name.constData(), &named, 0) != 0) {
        return {std::nullopt, SystemFailure(errno)};
    }
    if (S_ISDIR(named.st_mode)) {
        return {std::nullopt, Failure{FailureKind::SourceIsFolder}};
    }
    if (!S_ISREG(named.st_mode)) {
        return {std::nullopt, Failure{FailureKind::SourceNotRegular}};
    }
    // Not blocking: a FIFO or a device put in the file's place since is seen, not waited on.
    const Descriptor file(::openat(folder.fd(), source.name.constData(),
                                   O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0) {
        return {std::nullopt, SystemFailure(errno)};
    }
    if (!S_ISREG(info.st_mode)) {
        return {std::nullopt, Failure{FailureKind::SourceNotRegular}};
    }
    SourceFacts facts{true, info.st_dev, info.st_ino, {}};
    if (!ReadersOf(file.get(), facts.readers, &info)) {
        return {std::nullopt, SystemFailure(errno)};
    }
    try {
        ReadOutcome read;
        if (info.st_size > 0) {
            read = ReadKnownSize(file.get(), static_cast<std::size_t>(info.st_size));
        } else {
            // No size given: a file of /proc, or an empty file.
            std::string bytes;
            if (!ReadToEnd(file.get(), bytes)) {
                return {std::nullopt, SystemFailure(errno)};
            }
            read = bytes.empty() ? ReadOutcome{SourceFile{}, {}} : SourceFromBytes(bytes);
        }
        if (read.file) {
            read.file->facts = std::move(facts);
        }
        return read;
    } catch (const std::bad_alloc&) {
        return {std::nullopt, Failure{FailureKind::OutOfMemory}};
    }
}

ReadOutcome ReadSourceFile(const QString& path) {
    const std::optional<FileRef> file = FileAtPath(path);
    return file ? ReadSourceFile(*file) : ReadOutcome{std::nullopt, SystemFailure(errno)};
}

namespace {

WriteOutcome WriteTarget(const FileRef& target, const TargetContent& content,
                         const SourceFacts& source, SaveOptions options) {
    const Folder::Lease open = target.folder->Use();
    if (!open) {
        return {SystemFailure(errno), 0};
    }
    const int folder = open.fd();
    const char* name = target.name.constData();
    SweepTemporaries(folder);
    struct stat entry {};
    if (::fstatat(folder, name, &entry, AT_SYMLINK_NOFOLLOW) != 0 && errno != ENOENT) {
        return {SystemFailure(errno), 0};
    }
    const bool exists = entry.st_ino != 0;
    if (exists && S_ISDIR(entry.st_mode)) {
        return {Failure{FailureKind::TargetIsFolder}, 0};
    }
    if (exists && !S_ISREG(entry.st_mode) && !S_ISLNK(entry.st_mode)) {
        return {Failure{FailureKind::TargetNotRegular}, 0};
    }
    // The source itself at the target's name, or at the end of a link there.
    struct stat reached = entry;
    const bool isSource = source.known && exists &&
                          (!S_ISLNK(entry.st_mode) || ::fstatat(folder, name, &reached, 0) == 0) &&
                          reached.st_dev == source.device && reached.st_ino == source.inode;
    if (isSource && !options.replacesSource) {
        return {Failure{FailureKind::TargetIsSource}, 0};
    }
    const bool regular = exists && S_ISREG(entry.st_mode);
    if (regular && ::faccessat(folder, name, W_OK, 0) != 0 && errno == EACCES) {
        return {Failure{FailureKind::TargetReadOnly}, 0};
    }
    // An existing target keeps what it has only where no one may read it who may not read the
    // source; a link in the target's place is replaced by a file of the saver's.
    Descriptor old(regular ? ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)
                           : -1);
    FileReaders oldReaders;
    static const uid_t saver = ::geteuid();
    const bool keep = old.valid() && ReadersOf(old.get(), oldReaders) &&
                      (!source.known || NoWiderThan(oldReaders, source.readers, saver));
    const mode_t mode = source.known ? source.readers.mode & 0777 : 0666;
    options.flush = options.flush || isSource;
    // A file that replaces another is on disk before it takes the name: whatever happens next,
    // the name holds the old file or the whole new one. A run of many saves flushes new names
    // once at its end instead, and lets a file that replaces another wait for that flush.
    const bool waits = exists && !isSource && !options.flush && options.waitFor != nullptr;
    const bool flushFirst = !waits && (options.flush || exists);

    NewFile file;
    if (!CreateNewFile(folder, keep ? 0600 : mode, file)) {
        if (errno != EACCES || !regular) {
            return {SystemFailure(errno), 0};
        }
        // The folder takes no new file, though the target itself may be written. Writing it in
        // place is refused: a run killed or a power cut half-way would leave it torn, part new
        // text and part old, and no such write can be made whole.
        return {Failure{FailureKind::FolderTakesNoNewFile}, 0};
    }
    const int fd = file.fd.get();
    if (keep) {
        if (::fchown(fd, oldReaders.owner, oldReaders.group) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd, -1, oldReaders.group);
        }
        ::fchmod(fd, oldReaders.mode);
        CopyAcl(old.get(), fd);
    } else if (!file.name.isEmpty() && !Widen(fd, mode, source)) {
        const int error = errno;
        Discard(folder, file);
        return {SystemFailure(error), 0};
    }
    old.Close();
    if (source.known && !NoMoreOpenThan(fd, source.readers, keep, saver)) {
        const int error = errno;
        Discard(folder, file);
        return {SystemFailure(error), 0};
    }
    WriteOutcome outcome;
    if (!content.WriteIn(
            [fd, flush = flushFirst, written = off_t{0}](std::string_view bytes) mutable {
                if (!WriteAll(fd, bytes)) {
                    return false;
                }
                // A save that will wait for the disk starts each slice on its way there now,
                // so that the wait at the end is for the last slice, not for the whole file.
                if (flush) {
                    ::sync_file_range(fd, written, static_cast<off_t>(bytes.size()),
                                      SYNC_FILE_RANGE_WRITE);
                }
                written += static_cast<off_t>(bytes.size());
                return true;
            },
            outcome.unrepresentable) ||
        (flushFirst && ::fsync(fd) != 0) ||
        (!waits && !Publish(folder, file, target.name, exists))) {
        const int error = errno;
        Discard(folder, file);
        return {SystemFailure(error), 0};
    }
    if (waits) {
        Await(target, std::move(file), *options.waitFor, options.shown);
        return outcome;
    }
    // The name is on disk too before the save is told done.
    if (!file.fd.Close() || (options.flush && ::fsync(folder) != 0)) {
        return {SystemFailure(errno), 0};
    }
    return outcome;
}

}  // namespace

WriteOutcome WriteTargetFile(const FileRef& target, std::u16string_view text,
                             codec::TextEncoding encoding, const SourceFacts& source,
                             SaveOptions options) {
    return WriteTarget(target, {text, encoding}, source, options);
}

WriteOutcome CopyFileTo(const FileRef& source, const FileRef& target, SaveOptions options) {
    const Folder::Lease folder = source.folder->Use();
    const Descriptor file(folder
                              ? ::openat(folder.fd(), source.name.constData(),
                                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)
                              : -1);
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0) {
        return {SystemFailure(errno), 0};
    }
    if (!S_ISREG(info.st_mode)) {
        return {Failure{FailureKind::SourceNotRegular}, 0};
    }
    SourceFacts facts{true, info.st_dev, info.st_ino, {}};
    std::string bytes;
    if (!ReadersOf(file.get(), facts.readers, &info) || !ReadToEnd(file.get(), bytes)) {
        return {SystemFailure(errno), 0};
    }
    const std::string_view view(bytes);
    return WriteTarget(target, {{}, codec::TextEncoding::Gbk, &view}, facts, options);
}

WriteOutcome WriteTargetFile(const QString& path, std::u16string_view text,
                             codec::TextEncoding encoding, const SourceFacts& source,
                             SaveOptions options) {
    if (path.isEmpty()) {
        return {Failure{FailureKind::NoTargetPath}, 0};
    }
    const std::optional<FileRef> target = FileAtPath(path);
    if (!target) {
        const int error = errno;
        return {error == ENOENT   ? Failure{FailureKind::TargetFolderMissing}
                : error == EISDIR ? Failure{FailureKind::TargetIsFolder}
                                  : SystemFailure(error),
                0};
    }
    return WriteTargetFile(*target, text, encoding, source, options);
}

void FailWritesPastTheSizeLimit() {
    ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace workflow
