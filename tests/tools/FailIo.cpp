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

int ErrorFor(const char* variable, int fd, bool regularOnly = true) {
    const char* value = std::getenv(variable);
    struct stat st {};
    if (value == nullptr || fstat(fd, &st) != 0 || (regularOnly && !S_ISREG(st.st_mode))) {
        return 0;
    }
    return std::atoi(value);
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    static const auto real =
        reinterpret_cast<ssize_t (*)(int, const void*, size_t)>(dlsym(RTLD_NEXT, "write"));
    if (const int error = ErrorFor("QINGYAN_FAIL_WRITE", fd)) {
        errno = error;
        return -1;
    }
    return real(fd, data, size);
}

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    // QINGYAN_STALL_FSYNC=FILE: says so by creating FILE, then waits to be killed mid-save.
    if (const char* stall = std::getenv("QINGYAN_STALL_FSYNC")) {
        close(open(stall, O_WRONLY | O_CREAT, 0600));
        pause();
    }
    if (const int error = ErrorFor("QINGYAN_FAIL_FSYNC", fd)) {
        errno = error;
        return -1;
    }
    return real(fd);
}

extern "C" int fallocate(int fd, int mode, off_t offset, off_t length) {
    static const auto real =
        reinterpret_cast<int (*)(int, int, off_t, off_t)>(dlsym(RTLD_NEXT, "fallocate"));
    if (const int error = ErrorFor("QINGYAN_FAIL_FALLOCATE", fd)) {
        errno = error;
        return -1;
    }
    return real(fd, mode, offset, length);
}

extern "C" int syncfs(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "syncfs"));
    if (const int error = ErrorFor("QINGYAN_FAIL_SYNCFS", fd, false)) {
        errno = error;
        return -1;
    }
    return real(fd);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    static const auto real = reinterpret_cast<int (*)(int, const char*, int, const char*, int)>(
        dlsym(RTLD_NEXT, "linkat"));
    if (const char* value = std::getenv("QINGYAN_FAIL_LINK")) {
        errno = std::atoi(value);
        return -1;
    }
    return real(fromFolder, from, toFolder, to, flags);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    static const auto real =
        reinterpret_cast<int (*)(int, const char*, int, const char*)>(dlsym(RTLD_NEXT, "renameat"));
    if (const char* value = std::getenv("QINGYAN_FAIL_LINK")) {
        errno = std::atoi(value);
        return -1;
    }
    return real(fromFolder, from, toFolder, to);
}
