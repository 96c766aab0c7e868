#include "FileNames.h"

#include <QHash>

#include <algorithm>
#include <mutex>

#include "Browsing.h"
#include "TextCodec.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace workflow {
namespace {

// Paths whose bytes are not the UTF-8 of their text. Guarded: the command line lists folders
// while other threads open files.
struct Remembered {
    std::mutex mutex;
    QHash<QString, QByteArray> bytesOf;
};

Remembered& Memory() {
    static Remembered memory;
    return memory;
}

}  // namespace

QString DisplayName(const QByteArray& bytes) {
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (codec::DetectEncoding(view) != codec::TextEncoding::Gbk) {
        return QString::fromUtf8(bytes);
    }
    QString name;
    for (const char16_t c : codec::DecodeGbk(view)) {
        if (c >= codec::kFirstRawByte && c <= codec::kLastRawByte) {
            name += QStringLiteral("\\x%1").arg(c - codec::kFirstRawByte + 0x80, 2, 16,
                                                QLatin1Char('0'));
        } else {
            name += QChar(c);
        }
    }
    return name;
}

void RememberPath(const QString& display, const QByteArray& bytes) {
    if (display.toUtf8() != bytes) {
        const std::lock_guard lock(Memory().mutex);
        Memory().bytesOf.insert(display, bytes);
    }
}

QByteArray NativePath(const QString& path) {
    Remembered& memory = Memory();
    const std::lock_guard lock(memory.mutex);
    if (memory.bytesOf.isEmpty()) {
        return path.toUtf8();
    }
    for (qsizetype length = path.size(); length > 0; --length) {
        const auto found = memory.bytesOf.constFind(path.left(length));
        if (found != memory.bytesOf.constEnd()) {
            return *found + path.mid(length).toUtf8();
        }
    }
    return path.toUtf8();
}

QString PathFromBytes(const QByteArray& bytes) {
    const QString display = DisplayName(bytes);
    RememberPath(display, bytes);
    return display;
}

QList<FolderEntry> ListFolder(const QString& folder) {
    const QByteArray folderBytes = NativePath(folder);
    QList<FolderEntry> entries;
    DIR* dir = ::opendir(folderBytes.constData());
    if (dir == nullptr) {
        return entries;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.')) {
            continue;  // hidden, and "." and ".."
        }
        struct stat info {};
        struct stat link {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0 ||
            ::fstatat(::dirfd(dir), entry->d_name, &link, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // a broken link
        }
        const QString display = DisplayName(name);
        RememberPath(JoinPath(folder, display),
                     folderBytes.endsWith('/') ? folderBytes + name : folderBytes + '/' + name);
        entries.append({display, S_ISDIR(info.st_mode), S_ISLNK(link.st_mode)});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace workflow
