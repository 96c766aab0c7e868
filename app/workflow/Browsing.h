#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace workflow {

/// A mounted volume as the drive list shows it.
struct Volume {
    QString mountPath;
    QString label;  // empty when the volume has no name
};

/// Whether a file system of `type` mounted at `mountPath` holds user files: not a kernel or
/// pseudo file system, nor the system's memory scratch space under /run, /dev or /sys.
bool IsUserVolume(const QByteArray& type, const QString& mountPath);

/// The mounted volumes that Qt reports and that hold user files, by mount path.
QList<Volume> ListVolumes();

/// The drive list's text for a volume: its mount path, then " [label]" when it has a name.
QString VolumeEntryText(const Volume& volume);

/// The volume whose mount path is the longest prefix of `path`.
qsizetype VolumeHolding(const QList<Volume>& volumes, const QString& path);

/// The folders from "/" down to `path` itself: "/", "/src", "/src/asm" for "/src/asm".
QStringList FolderChain(const QString& path);

/// The names of the subfolders of `path`, hidden ones excepted, sorted.
QStringList Subfolders(const QString& path);

/// The names of the files directly in `folder` that `pattern` takes (see FileTypes); hidden files
/// excepted; sorted.
QStringList MatchingFiles(const QString& folder, const QString& pattern);

/// Whether the volume mounted at `mountPath` can be read now.
bool IsVolumeReady(const QString& mountPath);

/// Why `path` cannot be opened as a folder ("文件夹不存在", "没有访问权限", ...), or an empty
/// string when it can.
QString FolderProblem(const QString& path);

/// Whether `path` names a folder, or a link to one, whether or not it can be opened.
bool NamesFolder(const QString& path);

}  // namespace workflow
