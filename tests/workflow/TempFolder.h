#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

/// A temporary folder with helpers to put files in and read them back as bytes.
class TempFolder {
public:
    TempFolder() { dir_.setAutoRemove(false); }
    // Removed by the names' bytes: Qt cannot remove names that are not UTF-8.
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(QFile::encodeName(Root()).constData(),
                                     std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(QFile::encodeName(Root()).constData(), ignored);
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
        QFile file;
        std::FILE* stream = std::fopen((QFile::encodeName(Root()) + '/' + name).constData(), "wb");
        file.open(stream, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
        file.write(bytes);
    }
    QByteArray ReadNamed(const QByteArray& name) const {
        QFile file;
        std::FILE* stream = std::fopen((QFile::encodeName(Root()) + '/' + name).constData(), "rb");
        if (stream == nullptr) {
            return "<unreadable>";
        }
        file.open(stream, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
        return file.readAll();
    }

    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    /// How many entries the folder holds, whatever their names.
    std::size_t Count() const {
        const std::filesystem::directory_iterator entries(QFile::encodeName(Root()).constData());
        return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
    }

    QStringList Entries() const {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir dir_;
};

/// Runs `check` in a child process as the unprivileged user "nobody" (when this process is root;
/// as anybody else, in a child as that user) and returns its exit status, so that permission
/// failures can be tested even when the tests run as root.
inline int RunUnprivileged(const std::function<int()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(99);
        }
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}
