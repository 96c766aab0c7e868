// Loaded with LD_PRELOAD into a program under test: makes writing, syncing or reserving space in
// regular files fail with the error number given in QINGYAN_FAIL_WRITE, QINGYAN_FAIL_FSYNC,
// QINGYAN_FAIL_SYNCFS or QINGYAN_FAIL_FALLOCATE, and giving a new file its name fail with the one
// in QINGYAN_FAIL_LINK (linkat and renameat), as a full disk, an exceeded quota or a failing device
// would, or stall in fsync until killed. Standard streams and pipes are left alone.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

int NumberIn(const char* variable) {
    const char* value = std::getenv(variable);
    return value == nullptr ? 0 : std::atoi(value);
}

int ErrorFor(const char* variable, int fd, bool regularOnly = true) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || (regularOnly && !S_ISREG(st.st_mode))) {
        return 0;
    }
    return NumberIn(variable);
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

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    return FailOrCall<ssize_t>("write", ErrorFor("QINGYAN_FAIL_WRITE", fd), fd, data, size);
}

extern "C" int fsync(int fd) {
    // QINGYAN_STALL_FSYNC=FILE: says so by creating FILE, then waits to be killed mid-save.
    if (const char* stall = std::getenv("QINGYAN_STALL_FSYNC")) {
        close(open(stall, O_WRONLY | O_CREAT, 0600));
        pause();
    }
    return FailOrCall<int>("fsync", ErrorFor("QINGYAN_FAIL_FSYNC", fd), fd);
}

extern "C" int fallocate(int fd, int mode, off_t offset, off_t length) {
    return FailOrCall<int>("fallocate", ErrorFor("QINGYAN_FAIL_FALLOCATE", fd), fd, mode, offset,
                           length);
}

extern "C" int syncfs(int fd) {
    return FailOrCall<int>("syncfs", ErrorFor("QINGYAN_FAIL_SYNCFS", fd, false), fd);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    return FailOrCall<int>("linkat", NumberIn("QINGYAN_FAIL_LINK"), fromFolder, from, toFolder, to,
                           flags);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    return FailOrCall<int>("renameat", NumberIn("QINGYAN_FAIL_LINK"), fromFolder, from, toFolder,
                           to);
}
