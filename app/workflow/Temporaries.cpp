#include "Temporaries.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace workflow {

namespace {

constexpr char kPrefix[] = ".qingyan-";

// The names held, where a signal handler can reach them without taking a lock or memory: a slot
// is free (-1), being filled (-2), or holds the descriptor of the name's folder.
struct Slot {
    std::atomic<int> folder{-1};
    char name[48] = {};
};
std::array<Slot, 64> heldNames;
std::atomic<bool> ending{false};

extern "C" void RemoveHeldAndEnd(int number) {
    ending.store(true);
    for (Slot& slot : heldNames) {
        if (const int folder = slot.folder.load(); folder >= 0) {
            ::unlinkat(folder, slot.name, 0);
        }
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
}

// The process number in a name TemporaryName made, or 0 for any other name.
pid_t WriterOf(const char* name) {
    if (std::strncmp(name, kPrefix, sizeof kPrefix - 1) != 0) {
        return 0;
    }
    const char* at = name + sizeof kPrefix - 1;
    const auto digits = [&at] {
        long long value = 0;
        const char* start = at;
        while (*at >= '0' && *at <= '9' && at - start < 12) {
            value = value * 10 + (*at++ - '0');
        }
        return at == start ? -1 : value;
    };
    const long long pid = digits();
    if (pid <= 0 || *at++ != '-' || digits() < 0 || *at != '\0') {
        return 0;
    }
    return static_cast<pid_t>(pid);
}

bool Ended(pid_t writer) {
    return writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH;
}

// Whether this process has looked through the folder already.
bool FirstVisit(const struct stat& folder) {
    static std::mutex mutex;
    static std::set<std::pair<dev_t, ino_t>> visited;
    const std::lock_guard lock(mutex);
    return visited.emplace(folder.st_dev, folder.st_ino).second;
}

}  // namespace

QByteArray TemporaryName() {
    static std::atomic<unsigned> counter{0};
    return kPrefix + QByteArray::number(::getpid()) + '-' + QByteArray::number(counter++);
}

void HeldTemporary::Hold(int folder, const QByteArray& name) {
    Release();
    if (static_cast<std::size_t>(name.size()) >= sizeof Slot::name) {
        return;
    }
    for (std::size_t i = 0; i < heldNames.size(); ++i) {
        int free = -1;
        if (heldNames[i].folder.compare_exchange_strong(free, -2)) {
            std::memcpy(heldNames[i].name, name.constData(),
                        static_cast<std::size_t>(name.size()) + 1);
            heldNames[i].folder.store(folder);
            slot_ = static_cast<int>(i);
            break;
        }
    }
    // More saves at once than heldNames: this one's name is left to the next run's sweep.
    while (ending.load()) {
        ::pause();  // the program is ending: make no file that no one would remove
    }
}

void HeldTemporary::Release() {
    if (slot_ >= 0) {
        heldNames[static_cast<std::size_t>(slot_)].folder.store(-1);
        slot_ = -1;
    }
}

void RemoveTemporariesOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveHeldAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

void SweepTemporaries(int folder) {
    struct stat info {};
    if (::fstat(folder, &info) != 0 || !FirstVisit(info)) {
        return;
    }
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* const entries = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (entries == nullptr) {
        if (listing >= 0) {
            ::close(listing);
        }
        return;  // nothing to sweep that could be seen; the save itself tells what is wrong
    }
    static const uid_t saver = ::geteuid();
    while (const dirent* entry = ::readdir(entries)) {
        const pid_t writer = WriterOf(entry->d_name);
        struct stat file {};
        if (writer != 0 && Ended(writer) &&
            ::fstatat(folder, entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(file.st_mode) && file.st_uid == saver) {
            ::unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(entries);
}

}  // namespace workflow
