#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

/// A temporary folder with helpers to put files in and read them back as bytes.
class TempFolder {
public:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Root() const { return dir_.path(); }

    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return Path(name);
    }

    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
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
