#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// File names as the system holds them (bytes) and as the user reads them (text). Names that are
/// not UTF-8, as in archives made on Windows, are read as GBK; the bytes of every such name that
/// a listing or the command line met are remembered, so that the file can still be opened, and
/// its target named by the same bytes plus the extension.
namespace workflow {

/// The text of a name or path: UTF-8 when its bytes are valid UTF-8, otherwise their GBK reading,
/// with bytes that GBK cannot read shown as \xHH.
QString DisplayName(const QByteArray& bytes);

/// Remembers that the path `display` stands for `bytes`, when they differ from its UTF-8 form.
void RememberPath(const QString& display, const QByteArray& bytes);

/// The bytes to give the system for a path as shown: those of its longest remembered beginning,
/// the rest in UTF-8.
QByteArray NativePath(const QString& path);

/// The text of a path given as bytes (a command-line argument), remembered so that NativePath
/// gives the same bytes back.
QString PathFromBytes(const QByteArray& bytes);

/// One entry of a folder.
struct FolderEntry {
    QString name;
    bool isFolder = false;
    bool isLink = false;  ///< a symbolic link, to a file or a folder
};

/// The entries directly in `folder`, symbolic links followed, hidden ones (".name") and broken
/// links left out, in name order.
QList<FolderEntry> ListFolder(const QString& folder);

}  // namespace workflow
