#include "FileNames.h"

#include <QHash>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "Folder.h"
#include "text/TextCodec.h"

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
    const std::u16string text = codec::DetectEncoding(view) != codec::TextEncoding::Gbk
                                    ? QString::fromUtf8(bytes).toStdU16String()
                                    : codec::DecodeGbk(view);
    QString name;
    for (const char16_t c : text) {
        if (c >= codec::kFirstRawByte && c <= codec::kLastRawByte) {
            name += QStringLiteral("\\x%1").arg(c - codec::kFirstRawByte + 0x80, 2, 16,
                                                QLatin1Char('0'));
        } else if (c == u'\\') {
            name += QStringLiteral("\\\\");  // doubled, so that no name reads as another's \xHH
        } else {
            name += QChar(c);
        }
    }
    return name;
}

QString EscapedName(const QByteArray& bytes) {
    QString name;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            name += QStringLiteral("\\\\");
        } else if (byte < 0x20 || byte >= 0x7F) {
            name += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        } else {
            name += QLatin1Char(c);
        }
    }
    return name;
}

namespace {

// The bytes of a path as shown: \\ is one backslash and \xHH the byte HH; the rest in UTF-8.
QByteArray Unescaped(const QString& shown) {
    const QByteArray utf8 = shown.toUtf8();
    if (!utf8.contains('\\')) {
        return utf8;
    }
    QByteArray bytes;
    bytes.reserve(utf8.size());
    for (qsizetype at = 0; at < utf8.size(); ++at) {
        const auto hexDigit = [&](qsizetype i) {
            return i < utf8.size() && std::isxdigit(static_cast<unsigned char>(utf8[i])) != 0;
        };
        if (utf8[at] == '\\' && at + 1 < utf8.size() && utf8[at + 1] == '\\') {
            bytes += '\\';
            ++at;
        } else if (utf8[at] == '\\' && at + 1 < utf8.size() && utf8[at + 1] == 'x' &&
                   hexDigit(at + 2) && hexDigit(at + 3)) {
            bytes += static_cast<char>(utf8.mid(at + 2, 2).toInt(nullptr, 16));
            at += 3;
        } else {
            bytes += utf8[at];
        }
    }
    return bytes;
}

}  // namespace

void RememberPath(const QString& display, const QByteArray& bytes) {
    if (Unescaped(display) != bytes) {
        const std::lock_guard lock(Memory().mutex);
        Memory().bytesOf.insert(display, bytes);
    }
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QByteArray NativePath(const QString& path) {
    Remembered& memory = Memory();
    const std::lock_guard lock(memory.mutex);
    for (qsizetype length = memory.bytesOf.isEmpty() ? 0 : path.size(); length > 0; --length) {
        const auto found = memory.bytesOf.constFind(path.left(length));
        if (found != memory.bytesOf.constEnd()) {
            return *found + Unescaped(path.mid(length));
        }
    }
    return Unescaped(path);
}

QString PathFromBytes(const QByteArray& bytes) {
    QString display = DisplayName(bytes);
    struct stat other {};
    if (Unescaped(display) != bytes && ::lstat(Unescaped(display).constData(), &other) == 0) {
        display = EscapedName(bytes);  // another file goes by the name it would be shown as
    }
    RememberPath(display, bytes);
    return display;
}

QStringList ShownNames(const std::vector<FolderItem>& items) {
    QStringList shown;
    for (const FolderItem& item : items) {
        shown.append(DisplayName(item.name));
    }
    QStringList sorted = shown;
    sorted.sort();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QString& name = shown[static_cast<qsizetype>(i)];
        const auto equal = std::equal_range(sorted.begin(), sorted.end(), name);
        if (equal.second - equal.first > 1 && Unescaped(name) != items[i].name) {
            name = EscapedName(items[i].name);
        }
    }
    return shown;
}

QList<FolderEntry> ListFolder(const QString& folder) {
    const std::shared_ptr<const Folder> open = Folder::Open(NativePath(folder));
    QList<FolderEntry> entries;
    if (open == nullptr) {
        return entries;
    }
    std::vector<FolderItem> items;
    ListOpenFolder(*open, items);  // what could be listed: the list shows no reasons
    std::erase_if(items, [](const FolderItem& item) {
        return item.isLink && !item.isFolder && !item.isRegular;  // a broken link leads nowhere
    });
    const QStringList shown = ShownNames(items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString& display = shown[static_cast<qsizetype>(i)];
        RememberPath(JoinPath(folder, display), open->path().endsWith('/')
                                                    ? open->path() + items[i].name
                                                    : open->path() + '/' + items[i].name);
        entries.append({display, items[i].isFolder, items[i].isLink});
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

QString OnOneLine(std::u16string_view text) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    for (const char16_t unit : text) {
        if ((unit < 0x20 && unit != u'\t') || unit == 0x7F) {
            shown += QStringLiteral("\\x%1").arg(static_cast<unsigned>(unit), 2, 16, QChar(u'0'));
        } else if (unit >= 0x80 && unit < 0xA0) {
            shown += QStringLiteral("\\u%1").arg(static_cast<unsigned>(unit), 4, 16, QChar(u'0'));
        } else {
            shown += QChar(unit);
        }
    }
    return shown;
}

}  // namespace workflow
