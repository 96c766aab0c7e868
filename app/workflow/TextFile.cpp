#include "TextFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "FileErrors.h"
#include "FileNames.h"
#include "engine/Passes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace workflow {
namespace {

// Paths go to the system as bytes; every failure is told by the system's error number.
QByteArray Native(const QString& path) {
    return NativePath(path);
}

QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// A file descriptor that is closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
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

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = EIO;
            }
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// Writes the text in `encoding`, a slice at a time, so that a large text never sits in memory
// twice; a byte-order mark goes first, once. False with errno set on failure.
bool WriteEncoded(int fd, std::u16string_view text, codec::TextEncoding encoding,
                  std::size_t& unrepresentable) {
    if (encoding == codec::TextEncoding::Utf8WithBom) {
        const std::string mark = codec::Encode({}, encoding);
        if (!WriteAll(fd, mark.data(), mark.size())) {
            return false;
        }
        encoding = codec::TextEncoding::Utf8;
    }
    constexpr std::size_t kSlice = 1 << 20;
    for (std::size_t at = 0, end = 0; at < text.size(); at = end) {
        end = std::min(text.size(), at + kSlice);
        if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
            ++end;  // never split a surrogate pair
        }
        std::size_t missing = 0;
        const std::string bytes = codec::Encode(text.substr(at, end - at), encoding, &missing);
        unrepresentable += missing;
        if (!WriteAll(fd, bytes.data(), bytes.size())) {
            return false;
        }
    }
    return ::fsync(fd) == 0;
}

struct ResolvedTarget {
    QByteArray path;
    QString error;
};

// The file that a save to `path` must replace: the end of its chain of symbolic links. A link is
// followed only when it belongs to the user saving or to the owner of its folder, as the kernel's
// protected-symlinks rule has it: a link that someone else planted in a shared folder could
// otherwise make the save overwrite any file.
ResolvedTarget ResolveTarget(QByteArray path) {
    constexpr int kMaxLinks = 40;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat link {};
        if (::lstat(path.constData(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            return {path, {}};
        }
        const QByteArray folder = FolderOf(path);
        struct stat holder {};
        if (::stat(folder.constData(), &holder) != 0 ||
            (link.st_uid != ::geteuid() && link.st_uid != holder.st_uid)) {
            return {{}, QStringLiteral("目标是别的用户建立的符号链接,为安全起见不经它写入")};
        }
        QByteArray to(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.constData(), to.data(), to.size());
        if (length < 0) {
            return {{}, ReasonOfError(errno)};
        }
        to.truncate(length);
        path = to.startsWith('/') ? to : folder + '/' + to;
    }
    return {{}, ReasonOfError(ELOOP)};
}

// A fresh name for the temporary file beside `target`, created exclusively with `mode` (less the
// umask). Returns the descriptor, or -1 with errno set.
int CreateTemporaryBeside(const QByteArray& target, mode_t mode, QByteArray& temporary) {
    static std::atomic<unsigned> counter{0};
    const QByteArray folder = FolderOf(target);
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "/." + name + '.' + QByteArray::number(::getpid()) + '.' +
                    QByteArray::number(counter++) + ".tmp";
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool SameFile(const struct stat& a, const QString& path) {
    struct stat b {};
    return !path.isEmpty() && ::stat(Native(path).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Writes the existing target in place, for a folder in which no new file may be made.
WriteOutcome WriteInPlace(const QByteArray& target, std::u16string_view text,
                          codec::TextEncoding encoding) {
    WriteOutcome outcome;
    Descriptor file(::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY));
    if (!file.valid() || !WriteEncoded(file.get(), text, encoding, outcome.unrepresentable) ||
        !file.Close()) {
        return {ReasonOfError(errno), 0};
    }
    return outcome;
}

}  // namespace

bool ReadToEnd(int fd, std::string& bytes) {
    constexpr std::size_t kBlock = 1 << 20;
    for (;;) {
        const std::size_t filled = bytes.size();
        // Read into the room already reserved; grow only when it is full.
        const std::size_t room = bytes.capacity() - filled;
        bytes.resize(filled + (room > 0 ? room : kBlock));
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        bytes.resize(filled + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (got == 0) {
            return true;
        }
        if (got < 0 && errno != EINTR) {
            return false;
        }
    }
}

ReadOutcome SourceFromBytes(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) {
        return {std::nullopt, kBinaryFileReason, true};
    }
    codec::DecodedText decoded = codec::Decode(bytes);
    SourceFile file;
    file.lineBreak = std::u16string(engine::MainLineBreakOfBytes(bytes));
    file.text = std::move(decoded.text);
    file.encoding = decoded.encoding;
    file.byteSize = static_cast<qint64>(bytes.size());
    return {std::move(file), {}};
}

ReadOutcome ReadSourceFile(const QString& path) {
    const QByteArray native = Native(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        return {std::nullopt, ReasonOfError(errno)};
    }
    if (S_ISDIR(info.st_mode)) {
        return {std::nullopt, QStringLiteral("这是一个文件夹,不是文件")};
    }
    if (!S_ISREG(info.st_mode)) {
        return {std::nullopt, QStringLiteral("不是普通文件")};  // a pipe or device could block
    }
    if (info.st_size == 0) {
        return {SourceFile{}, {}};
    }
    Descriptor file(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!file.valid()) {
        return {std::nullopt, ReasonOfError(errno)};
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size) + 1);  // the end is seen without growing
    if (!ReadToEnd(file.get(), bytes)) {
        return {std::nullopt, ReasonOfError(errno)};
    }
    return SourceFromBytes(bytes);
}

WriteOutcome WriteTargetFile(const QString& path, std::u16string_view text,
                             codec::TextEncoding encoding, const QString& sourcePath) {
    if (path.isEmpty()) {
        return {QStringLiteral("没有目标文件路径"), 0};
    }
    const ResolvedTarget resolved = ResolveTarget(Native(path));
    if (!resolved.error.isEmpty()) {
        return {resolved.error, 0};
    }
    const QByteArray& target = resolved.path;
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        return {QStringLiteral("目标路径是一个文件夹"), 0};
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        return {QStringLiteral("目标不是普通文件"), 0};
    }
    struct stat folder {};
    if (::stat(FolderOf(target).constData(), &folder) != 0) {
        return {errno == ENOENT ? QStringLiteral("目标文件夹不存在") : ReasonOfError(errno), 0};
    }
    if (exists && ::access(target.constData(), W_OK) != 0 && errno == EACCES) {
        return {QStringLiteral("目标文件是只读的"), 0};
    }

    // A new target is no more open than its source, as cp makes it; an existing one keeps its
    // mode, and its owner where the system allows.
    mode_t mode = 0666;
    struct stat source {};
    if (!exists && !sourcePath.isEmpty() && ::stat(Native(sourcePath).constData(), &source) == 0) {
        mode = source.st_mode & 0777;
    }
    QByteArray temporary;
    Descriptor file(CreateTemporaryBeside(target, exists ? 0600 : mode, temporary));
    if (!file.valid()) {
        if (errno != EACCES || !exists) {
            return {ReasonOfError(errno), 0};
        }
        // The folder takes no new file, but the target itself may be written. Never so for the
        // source: a failure half-way would destroy it.
        if (SameFile(existing, sourcePath)) {
            return {QStringLiteral(
                        "目标就是源文件,而所在文件夹不允许新建文件,就地写入一旦失败会毁掉源文件"),
                    0};
        }
        return WriteInPlace(target, text, encoding);
    }
    if (exists) {
        ::fchmod(file.get(), existing.st_mode & 07777);
        if (::fchown(file.get(), existing.st_uid, existing.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(file.get(), -1, existing.st_gid);
        }
    }
    WriteOutcome outcome;
    if (!WriteEncoded(file.get(), text, encoding, outcome.unrepresentable) || !file.Close() ||
        ::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return {ReasonOfError(error), 0};
    }
    return outcome;
}

}  // namespace workflow
