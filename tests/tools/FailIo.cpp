// Loaded with LD_PRELOAD into a program under test: makes writing or syncing regular files fail
// with the error number given in QINGYAN_FAIL_WRITE, QINGYAN_FAIL_FSYNC or QINGYAN_FAIL_SYNCFS,
// syncing a folder fail with the one in QINGYAN_FAIL_FOLDER_FSYNC, and giving a new file its name
// fail with the one in QINGYAN_FAIL_LINK (linkat and renameat), as a full disk, an exceeded quota
// or a failing device would, or stall in fsync or syncfs until killed. Standard streams and pipes
// are left alone. QINGYAN_NO_TMPFILE=1 makes unnamed files unavailable, as on a file system without
// them; QINGYAN_CREATED_MODES=FILE appends the mode each new file is created with to FILE, and
// QINGYAN_CHMOD_MODES=FILE each mode a file is given (fchmod);
// QINGYAN_COUNT_WRITES=FILE writes to FILE at the end how many writes went to regular files;
// QINGYAN_OPENED=FILE appends the path of every file opened (openat) to FILE;
// QINGYAN_NAME_TAKEN_ONCE=1 refuses the first exclusive create (EEXIST), as a name taken would;
// QINGYAN_STUTTER_READ=1 interrupts reads and cuts them short as QINGYAN_STUTTER_WRITE writes;
// QINGYAN_SHRINK_ON_READ=1 cuts each regular file to one byte as it is first read, as a writer
// racing the reader would; QINGYAN_FAIL_XATTR makes reading a file's extended attributes (its
// ACL among them) fail with the error number it gives. QINGYAN_FAIL_CALL=NAME:ERROR[:PATH] makes
// the call NAME (on PATH alone) fail with ERROR: fchmod, fchown, close, read and pread on regular
// files, fdopendir, mkdirat and unlinkat on any, openat ("create" where it makes a file) and
// fstatat of a name in an open folder.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>

namespace {

int NumberIn(const char* variable) {
    const char* value = std::getenv(variable);
    return value == nullptr ? 0 : std::atoi(value);
}

bool IsRegular(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// The error number `variable` gives a call on `fd`, which fails only where it is a regular file.
int ErrorFor(const char* variable, int fd) {
    const int error = NumberIn(variable);  // read first: most calls are asked nothing of
    return error != 0 && IsRegular(fd) ? error : 0;
}

// The error QINGYAN_FAIL_CALL gives a call of `name` on `path`, or 0: NAME:ERROR fails every
// call, NAME:ERROR:PATH those on that name alone.
int CallError(const char* name, const char* path = nullptr) {
    const char* value = std::getenv("QINGYAN_FAIL_CALL");
    const std::size_t length = std::strlen(name);
    if (value == nullptr || std::strncmp(value, name, length) != 0 || value[length] != ':') {
        return 0;
    }
    char* rest = nullptr;
    const int error = static_cast<int>(std::strtol(value + length + 1, &rest, 10));
    return *rest != ':' || (path != nullptr && std::strcmp(path, rest + 1) == 0) ? error : 0;
}

// The same for a call on `fd`, which fails only where it is a regular file.
int FdCallError(const char* name, int fd) {
    const int error = CallError(name);
    return error != 0 && IsRegular(fd) ? error : 0;
}

// Writes `number` in `format` to the file the variable names, if it names one, opened with
// `openMode` ("ae" appends).
void WriteNumber(const char* variable, const char* openMode, const char* format,
                 unsigned long number) {
    if (const char* log = std::getenv(variable)) {
        if (FILE* out = std::fopen(log, openMode)) {
            std::fprintf(out, format, number);
            std::fclose(out);
        }
    }
}

void LogMode(const char* variable, mode_t mode) {
    WriteNumber(variable, "ae", "%lo\n", mode);
}

// Where `variable` is set and `fd` is a regular file, every other call is interrupted (true:
// EINTR) and the rest are cut to one byte.
bool Stutters(const char* variable, int fd, size_t& size, std::atomic<unsigned>& calls) {
    if (ErrorFor(variable, fd) == 0) {
        return false;
    }
    if (++calls % 2 == 1) {
        errno = EINTR;
        return true;
    }
    size = size > 0 ? 1 : 0;
    return false;
}

std::atomic<unsigned long> regularWrites{0};

// QINGYAN_COUNT_WRITES=FILE: at the end of the program, how many writes went to regular files.
__attribute__((destructor)) void TellWriteCount() {
    WriteNumber("QINGYAN_COUNT_WRITES", "we", "%lu\n", regularWrites.load());
}

// Fails with `error` when it is set; calls the real `name` otherwise.
template <typename Result, typename... Args>
Result FailOrCall(const char* name, int error, Args... args) {
    if (error != 0) {
        errno = error;
        return -1;
    }
    return reinterpret_cast<Result (*)(Args...)>(dlsym(RTLD_NEXT, name))(args...);
}

}  // namespace

// QINGYAN_STUTTER_WRITE=1: every other write to a regular file is interrupted (EINTR) and the
// rest write one byte; QINGYAN_WRITE_NOTHING=1: each writes nothing and says so (0).
extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if (std::getenv("QINGYAN_COUNT_WRITES") != nullptr && IsRegular(fd)) {
        ++regularWrites;
    }
    if (ErrorFor("QINGYAN_WRITE_NOTHING", fd) != 0) {
        return 0;
    }
    static std::atomic<unsigned> writes{0};
    if (Stutters("QINGYAN_STUTTER_WRITE", fd, size, writes)) {
        return -1;
    }
    return FailOrCall<ssize_t>("write", ErrorFor("QINGYAN_FAIL_WRITE", fd), fd, data, size);
}

namespace {

// QINGYAN_STALL_FSYNC=FILE and QINGYAN_STALL_SYNCFS=FILE: the call says so by creating FILE,
// then waits to be killed mid-save.
void StallIf(const char* variable) {
    if (const char* stall = std::getenv(variable)) {
        close(open(stall, O_WRONLY | O_CREAT, 0600));
        pause();
    }
}

}  // namespace

extern "C" int fsync(int fd) {
    StallIf("QINGYAN_STALL_FSYNC");
    struct stat st {};
    const bool folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    return FailOrCall<int>(
        "fsync",
        folder ? NumberIn("QINGYAN_FAIL_FOLDER_FSYNC") : ErrorFor("QINGYAN_FAIL_FSYNC", fd), fd);
}

namespace {

bool Creates(int flags) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

// openat and openat64 alike: refuses unnamed files when asked to, notes each new file's mode.
int OpenAt(const char* name, int folder, const char* path, int flags, mode_t mode) {
    if (const int error =
            folder == AT_FDCWD ? 0 : CallError(Creates(flags) ? "create" : "openat", path)) {
        errno = error;
        return -1;
    }
    static std::atomic<bool> nameTaken{false};
    if ((flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL) &&
        NumberIn("QINGYAN_NAME_TAKEN_ONCE") != 0 && !nameTaken.exchange(true)) {
        errno = EEXIST;
        return -1;
    }
    if (const char* log = std::getenv("QINGYAN_OPENED")) {
        if (FILE* out = std::fopen(log, "ae")) {
            std::fprintf(out, "%s\n", path);
            std::fclose(out);
        }
    }
    if (Creates(flags)) {
        if ((flags & O_TMPFILE) == O_TMPFILE && NumberIn("QINGYAN_NO_TMPFILE") != 0) {
            errno = EOPNOTSUPP;
            return -1;
        }
        LogMode("QINGYAN_CREATED_MODES", mode);
    }
    return reinterpret_cast<int (*)(int, const char*, int, ...)>(dlsym(RTLD_NEXT, name))(
        folder, path, flags, mode);
}

}  // namespace

// The mode argument is there only when the call creates a file.
#define QINGYAN_OPEN_AT(name)                                           \
    extern "C" int name(int folder, const char* path, int flags, ...) { \
        mode_t mode = 0;                                                \
        if (Creates(flags)) {                                           \
            va_list more;                                               \
            va_start(more, flags);                                      \
            mode = static_cast<mode_t>(va_arg(more, int));              \
            va_end(more);                                               \
        }                                                               \
        return OpenAt(#name, folder, path, flags, mode);                \
    }

QINGYAN_OPEN_AT(openat)
QINGYAN_OPEN_AT(openat64)

namespace {

std::atomic<unsigned> reads{0};  // of pread and read alike

}  // namespace

extern "C" ssize_t pread(int fd, void* data, size_t size, off_t offset) {
    if (Stutters("QINGYAN_STUTTER_READ", fd, size, reads)) {
        return -1;
    }
    struct stat st {};
    if (NumberIn("QINGYAN_SHRINK_ON_READ") != 0 && offset == 0 && fstat(fd, &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_size > 1) {
        char self[64];
        char path[4096];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        const ssize_t length = readlink(self, path, sizeof path - 1);
        if (length > 0) {
            path[length] = '\0';
            [[maybe_unused]] const int cut = truncate(path, 1);
        }
    }
    return FailOrCall<ssize_t>("pread", FdCallError("pread", fd), fd, data, size, offset);
}

extern "C" ssize_t fgetxattr(int fd, const char* name, void* value, size_t size) {
    return FailOrCall<ssize_t>("fgetxattr", ErrorFor("QINGYAN_FAIL_XATTR", fd), fd, name, value,
                               size);
}

// QINGYAN_FAIL_SYNCFS_DEVICE=N fails the flush of the file system of device number N alone.
extern "C" int syncfs(int fd) {
    StallIf("QINGYAN_STALL_SYNCFS");
    struct stat st {};
    const char* device = std::getenv("QINGYAN_FAIL_SYNCFS_DEVICE");
    const bool thisOne = device != nullptr && fstat(fd, &st) == 0 &&
                         st.st_dev == static_cast<dev_t>(std::strtoull(device, nullptr, 10));
    return FailOrCall<int>("syncfs", thisOne ? EIO : NumberIn("QINGYAN_FAIL_SYNCFS"), fd);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    return FailOrCall<int>("linkat", NumberIn("QINGYAN_FAIL_LINK"), fromFolder, from, toFolder, to,
                           flags);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    return FailOrCall<int>("renameat", NumberIn("QINGYAN_FAIL_LINK"), fromFolder, from, toFolder,
                           to);
}

extern "C" int fchmod(int fd, mode_t mode) {
    LogMode("QINGYAN_CHMOD_MODES", mode);
    return FailOrCall<int>("fchmod", FdCallError("fchmod", fd), fd, mode);
}

extern "C" int fchown(int fd, uid_t owner, gid_t group) {
    return FailOrCall<int>("fchown", FdCallError("fchown", fd), fd, owner, group);
}

extern "C" int close(int fd) {
    const int error = FdCallError("close", fd);
    const int closed = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "close"))(fd);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return closed;
}

extern "C" ssize_t read(int fd, void* data, size_t size) {
    if (Stutters("QINGYAN_STUTTER_READ", fd, size, reads)) {
        return -1;
    }
    return FailOrCall<ssize_t>("read", FdCallError("read", fd), fd, data, size);
}

extern "C" DIR* fdopendir(int fd) {
    if (const int error = CallError("fdopendir")) {
        errno = error;
        return nullptr;
    }
    return reinterpret_cast<DIR* (*)(int)>(dlsym(RTLD_NEXT, "fdopendir"))(fd);
}

extern "C" int mkdirat(int folder, const char* path, mode_t mode) {
    return FailOrCall<int>("mkdirat", CallError("mkdirat", path), folder, path, mode);
}

extern "C" int unlinkat(int folder, const char* path, int flags) {
    return FailOrCall<int>("unlinkat", CallError("unlinkat", path), folder, path, flags);
}

extern "C" int fstatat(int folder, const char* path, struct stat* info, int flags) {
    return FailOrCall<int>("fstatat", folder == AT_FDCWD ? 0 : CallError("fstatat", path), folder,
                           path, info, flags);
}
