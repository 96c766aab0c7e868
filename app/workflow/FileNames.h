#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <string_view>
#include <vector>

/// File names as the system holds them (bytes) and as the user reads them (text). Names that are
/// not UTF-8, as in archives made on Windows, are read as GBK; the bytes of every such name that
/// a listing or the command line met are remembered, so that the file can still be opened, and
/// its target named by the same bytes plus the extension.
namespace workflow {

/// The text of a name or path: UTF-8 when its bytes are valid UTF-8, otherwise their GBK reading,
/// with bytes that GBK cannot read shown as \xHH and a backslash of the name as \\, so that no
/// name is shown as another's.
QString DisplayName(const QByteArray& bytes);

/// A name shown byte by byte: printable ASCII as it is, a backslash as \\, every other byte as
/// \xHH. For a name that is not UTF-8 whose reading another name of its folder has already.
QString EscapedName(const QByteArray& bytes);

/// `text` fit for one line of a terminal or a report: every control character but the tab
/// written as \xHH (the C1 ones as \u00HH), so that a name or a comment can neither end the line
/// it stands on nor steer the terminal. The one escaping of every name the programs print.
QString OnOneLine(std::u16string_view text);
inline QString OnOneLine(const QString& text) {
    return OnOneLine(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<std::size_t>(text.size())));
}

/// Remembers that the path `display` stands for `bytes`, when they differ from its UTF-8 form.
void RememberPath(const QString& display, const QByteArray& bytes);

/// `folder` and `name` joined by one "/": "/" + "A.ASM" is "/A.ASM", "/src" + "A.ASM" is
/// "/src/A.ASM".
QString JoinPath(const QString& folder, const QString& name);

/// The bytes to give the system for a path as shown: those of its longest remembered beginning,
/// the rest in UTF-8 with \\ as one backslash and \xHH as the byte HH.
QByteArray NativePath(const QString& path);

/// The text of a path given as bytes (a command-line argument), remembered so that NativePath
/// gives the same bytes back.
QString PathFromBytes(const QByteArray& bytes);

struct FolderItem;

/// The names of the entries of one folder as the user sees them: DisplayName, except that a name
/// that is not UTF-8 and reads like another of the same folder is shown byte by byte
/// (EscapedName), so that no two are shown alike.
QStringList ShownNames(const std::vector<FolderItem>& items);

/// One entry of a folder, always made whole from what the folder's listing found.
struct FolderEntry {
    QString name;
    bool isFolder;
    bool isLink;  ///< a symbolic link, to a file or a folder
};

/// The entries directly in `folder`, symbolic links followed, hidden ones (".name") and broken
/// links left out, in name order.
QList<FolderEntry> ListFolder(const QString& folder);

}  // namespace workflow
