#include "DiskCalls.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <utility>

namespace {

std::mutex noting;
std::vector<std::string>* noted = nullptr;
std::string linked;  // the name the last link gave, which a rename then moves to the target
int syncfsError = 0;

void Note(const char* call) {
    const std::lock_guard lock(noting);
    if (noted != nullptr) {
        noted->push_back(call);
    }
}

template <typename Call>
Call* Next(const char* name) {
    return reinterpret_cast<Call*>(dlsym(RTLD_NEXT, name));
}

}  // namespace

DiskCalls::DiskCalls() {
    const std::lock_guard lock(noting);
    noted = new std::vector<std::string>;
}

DiskCalls::~DiskCalls() {
    const std::lock_guard lock(noting);
    delete noted;
    noted = nullptr;
    syncfsError = 0;
}

std::vector<std::string> DiskCalls::Take() {
    const std::lock_guard lock(noting);
    return std::exchange(*noted, {});
}

extern "C" int fsync(int fd) {
    struct stat st {};
    Note(::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? "fsync folder" : "fsync file");
    return Next<int(int)>("fsync")(fd);
}

void DiskCalls::FailSyncfs(int error) {
    const std::lock_guard lock(noting);
    syncfsError = error;
}

extern "C" int syncfs(int fd) {
    Note("syncfs");
    if (syncfsError != 0) {
        errno = syncfsError;
        return -1;
    }
    return Next<int(int)>("syncfs")(fd);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    Note("name");
    linked = to;
    return Next<int(int, const char*, int, const char*, int)>("linkat")(fromFolder, from, toFolder,
                                                                        to, flags);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    if (std::exchange(linked, {}) != from) {
        Note("name");
    }
    return Next<int(int, const char*, int, const char*)>("renameat")(fromFolder, from, toFolder,
                                                                     to);
}
