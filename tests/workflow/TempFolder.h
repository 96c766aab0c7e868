#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Qt's texts shown in a failure as the text they hold, not as their bytes in memory.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

// A Qt text that holds, starts with or ends with `part`.
MATCHER_P(Holds, part, "holds " + testing::PrintToString(part)) {
    return arg.contains(part);
}
MATCHER_P(Starts, part, "starts with " + testing::PrintToString(part)) {
    return arg.startsWith(part);
}
MATCHER_P(Ends, part, "ends with " + testing::PrintToString(part)) {
    return arg.endsWith(part);
}

/// A temporary folder with helpers to put files in and read them back as bytes.
class TempFolder {
public:
    TempFolder() { dir_.setAutoRemove(false); }
    /// One inside `parent`, which may be on another file system.
    explicit TempFolder(const QString& parent) : dir_(parent + "/qingyan-XXXXXX") {
        dir_.setAutoRemove(false);
    }
    bool IsValid() const { return dir_.isValid(); }
    // Removed by the names' bytes: Qt cannot remove names that are not UTF-8.
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(Native(""), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(Native(""), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Root() const { return dir_.path(); }

    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return Path(name);
    }

    /// The same for a name given as the bytes the system holds, which need not be UTF-8.
    void WriteNamed(const QByteArray& name, const QByteArray& bytes) const {
        std::ofstream(Native(name), std::ios::binary).write(bytes.constData(), bytes.size());
    }
    QByteArray ReadNamed(const QByteArray& name) const {
        std::ifstream in(Native(name), std::ios::binary);
        return in ? QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}})
                  : QByteArray("<unreadable>");
    }

    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    QStringList Entries() const {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    std::string Native(const QByteArray& name) const {
        return (QFile::encodeName(Root()) + '/' + name).toStdString();
    }
    QTemporaryDir dir_;
};

/// The permission bits of what stands at `path`, a link not followed.
inline mode_t ModeOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

/// Becomes the unprivileged user "nobody" when this process is root (root reads and writes every
/// file, so permission failures need another user); as anybody else, stays who it is.
inline bool BecomeUnprivileged() {
    return geteuid() != 0 ||
           (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
}

/// Runs `run` in a child process that has become unprivileged, and returns what it returned.
inline QString AsUnprivileged(const std::function<QString()>& run) {
    int channel[2];
    if (pipe(channel) != 0) {
        return QStringLiteral("<no pipe>");
    }
    const pid_t child = fork();
    if (child == 0) {
        const QByteArray said = BecomeUnprivileged() ? run().toUtf8() : "<still privileged>";
        _exit(write(channel[1], said.constData(), said.size()) == said.size() ? 0 : 1);
    }
    close(channel[1]);
    QFile from;
    from.open(channel[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QString said = QString::fromUtf8(from.readAll());
    waitpid(child, nullptr, 0);
    return said;
}
