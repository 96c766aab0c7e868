// Loaded with LD_PRELOAD into a program under test: makes writing or syncing regular files fail
// with the error number given in QINGYAN_FAIL_WRITE or QINGYAN_FAIL_FSYNC, as a full disk, an
// exceeded quota or a failing device would. Standard streams and pipes are left alone.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

int ErrorFor(const char* variable, int fd) {
    const char* value = std::getenv(variable);
    struct stat st {};
    if (value == nullptr || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
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
    if (const int error = ErrorFor("QINGYAN_FAIL_FSYNC", fd)) {
        errno = error;
        return -1;
    }
    return real(fd);
}
