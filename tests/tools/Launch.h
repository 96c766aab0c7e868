#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

#include "../workflow/TempFolder.h"

/// What a program under test did.
struct Outcome {
    int status = -1;
    QByteArray out;
    QString err;
};

/// The settings that make FailIo plant `failure` (NAME=VALUE) in the program under test.
inline QStringList FailingIo(const QString& failure) {
    return {"LD_PRELOAD=" QINGYAN_FAIL_IO, failure,
            "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
}

/// Our environment with the NAME=VALUE `settings` added.
inline QProcessEnvironment EnvironmentWith(const QStringList& settings) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : settings) {
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    }
    return env;
}

/// How to start it.
struct Call {
    QStringList arguments{};
    QString program = QStringLiteral(QINGYAN_STRIP_PATH);
    QByteArray input{};
    QString folder{};                 // the working folder
    QStringList environment{};        // NAME=VALUE settings added to ours
    QStringList unset{};              // names taken out of ours
    bool unprivileged = false;        // as "nobody" when we are root (root reads every file)
    std::function<void()> inChild{};  // runs in the child just before the program starts
    int timeoutMs = 60000;
};

/// Starts the program, gives it its input and waits for it to end.
inline Outcome Launch(const Call& call) {
    QProcess process;
    QProcessEnvironment env = EnvironmentWith(call.environment);
    for (const QString& name : call.unset) {
        env.remove(name);
    }
    process.setWorkingDirectory(call.folder);
    QString program = call.program;
    TempFolder copy;
    if (call.unprivileged) {
        // Copies in a folder anyone may enter: the build folder may be closed to "nobody".
        QFile::setPermissions(copy.Root(), QFileDevice::Permissions(0x7755));
        QFile::copy(program, copy.Path("qingyan-strip"));
        program = copy.Path("qingyan-strip");
        if (env.contains(QStringLiteral("LD_PRELOAD"))) {
            QFile::copy(env.value(QStringLiteral("LD_PRELOAD")), copy.Path("preload.so"));
            env.insert(QStringLiteral("LD_PRELOAD"), copy.Path("preload.so"));
        }
        process.setChildProcessModifier([inChild = call.inChild] {
            if (!BecomeUnprivileged()) {
                _exit(99);
            }
            if (inChild) {
                inChild();
            }
        });
    } else if (call.inChild) {
        process.setChildProcessModifier(call.inChild);
    }
    process.setProcessEnvironment(env);
    process.start(program, call.arguments);
    process.write(call.input);
    process.closeWriteChannel();
    if (!process.waitForFinished(call.timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-3, process.readAllStandardOutput(), QStringLiteral("<timed out>")};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}
