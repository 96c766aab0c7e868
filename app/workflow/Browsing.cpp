#include "Browsing.h"

#include <QDir>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

#include "FileNames.h"
#include "FileTypes.h"

#include <sys/stat.h>
#include <unistd.h>

namespace workflow {
namespace {

bool Within(const QString& path, QLatin1String folder) {
    return path == folder || path.startsWith(folder + u'/');
}

}  // namespace

bool IsUserVolume(const QByteArray& type, const QString& mountPath) {
    // Kernel and pseudo file systems hold no user files.
    static const QSet<QByteArray> kPseudo = {
        "proc",   "sysfs",      "cgroup",    "cgroup2",    "devpts",      "devtmpfs",
        "mqueue", "debugfs",    "tracefs",   "securityfs", "pstore",      "bpf",
        "autofs", "configfs",   "fusectl",   "hugetlbfs",  "binfmt_misc", "efivarfs",
        "nsfs",   "rpc_pipefs", "selinuxfs", "ramfs",      "squashfs"};
    if (kPseudo.contains(type)) {
        return false;
    }
    // Memory file systems are the system's scratch space under /run, /dev and /sys; removable
    // media mounted under /run/media are real volumes.
    const bool systemScratch = Within(mountPath, QLatin1String("/dev")) ||
                               Within(mountPath, QLatin1String("/sys")) ||
                               (Within(mountPath, QLatin1String("/run")) &&
                                !Within(mountPath, QLatin1String("/run/media")));
    return type != "tmpfs" || !systemScratch;
}

QList<Volume> ListVolumes() {
    QList<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (storage.isValid() && IsUserVolume(storage.fileSystemType(), storage.rootPath())) {
            volumes.append({storage.rootPath(), storage.name()});
        }
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.mountPath < b.mountPath; });
    return volumes;
}

QString VolumeEntryText(const Volume& volume) {
    return volume.label.isEmpty() ? volume.mountPath
                                  : volume.mountPath + QStringLiteral(" [") + volume.label + u']';
}

qsizetype VolumeHolding(const QList<Volume>& volumes, const QString& path) {
    qsizetype best = -1;
    for (qsizetype i = 0; i < volumes.size(); ++i) {
        const QString& mount = volumes[i].mountPath;
        const bool holds = path == mount || mount == u"/" || path.startsWith(mount + u'/');
        if (holds && (best < 0 || mount.size() > volumes[best].mountPath.size())) {
            best = i;
        }
    }
    return best;
}

bool IsVolumeReady(const QString& mountPath) {
    const QStorageInfo storage(mountPath);
    return storage.isValid() && storage.isReady() && storage.rootPath() == mountPath &&
           FolderProblem(mountPath).isEmpty();
}

QString FolderProblem(const QString& path) {
    const QByteArray native = NativePath(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        return QStringLiteral("文件夹不存在");
    }
    if (!S_ISDIR(info.st_mode)) {
        return QStringLiteral("这不是文件夹");
    }
    if (::access(native.constData(), R_OK | X_OK) != 0) {
        return QStringLiteral("没有访问权限");
    }
    return {};
}

bool NamesFolder(const QString& path) {
    struct stat info {};
    return ::stat(NativePath(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QStringList FolderChain(const QString& path) {
    QStringList chain{QStringLiteral("/")};
    QString current;
    for (const QString& part : QDir::cleanPath(path).split(u'/', Qt::SkipEmptyParts)) {
        current += u'/' + part;
        chain.append(current);
    }
    return chain;
}

QStringList Subfolders(const QString& path) {
    QStringList names;
    for (const FolderEntry& entry : ListFolder(path)) {
        if (entry.isFolder) {
            names.append(entry.name);
        }
    }
    return names;
}

QStringList MatchingFiles(const QString& folder, const QString& pattern) {
    const FileTypes types(pattern);
    QStringList names;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (!entry.isFolder && types.Takes(entry.name)) {
            names.append(entry.name);
        }
    }
    return names;
}

}  // namespace workflow
