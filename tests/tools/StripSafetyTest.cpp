// What qingyan-strip promises when things go wrong around it: output failures told, no message in
// a target, bounded work on odd input, no debris from a killed run, one file for each name.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "Launch.h"

namespace {

void Redirect(int fd, const char* path) {
    const int opened = open(path, O_WRONLY);
    dup2(opened, fd);
}

TEST(StripSafety, FailuresToWriteStandardOutputAreToldWithStatusTwo) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", "nop ; x\n");
    for (const QStringList& arguments :
         {QStringList{"--stdout", source}, QStringList{"--diff", source}, QStringList{"-"},
          QStringList{"--check", source}, QStringList{"--help"}}) {
        const Outcome full = Launch({.arguments = arguments, .input = "nop ; x\n", .inChild = [] {
                                         Redirect(1, "/dev/full");
                                     }});
        EXPECT_EQ(full.status, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(full.err, "qingyan-strip: 无法写入标准输出: 磁盘已满\n");
    }
    EXPECT_EQ(Launch({.arguments = {"--stdout", source}, .inChild = [] { close(1); }}).status, 2);
    EXPECT_EQ(Launch({.arguments = {source}, .inChild = [] { Redirect(2, "/dev/full"); }}).status,
              0);
    EXPECT_EQ(Launch({.arguments = {folder.Path("GONE.ASM")},
                      .inChild = [] { Redirect(2, "/dev/full"); }})
                  .status,
              2);  // its message could not be told
}

// With standard output and error closed at start, a file opened later would take their
// descriptors: messages must never land in a target.
TEST(StripSafety, MessagesNeverLandInATargetWhenTheStandardStreamsAreClosed) {
    TempFolder folder;
    QStringList arguments;
    for (int i = 0; i < 8; ++i) {
        arguments << folder.Write(QStringLiteral("F%1.ASM").arg(i), "nop ; x\n")
                  << folder.Path(QStringLiteral("GONE%1.ASM").arg(i));
    }
    const Outcome run = Launch({.arguments = arguments, .inChild = [] {
                                    close(1);
                                    close(2);
                                }});
    EXPECT_EQ(run.status, 1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(TempFolder::Read(folder.Path(QStringLiteral("F%1.ASM.TX_").arg(i))), "nop\n");
    }
}

// Linear in the length of a line, bounded on endless or oversized input.
TEST(StripSafety, OddInputsFinishInTimeAndMemory) {
    TempFolder folder;
    const QString line = folder.Write("LINE.C", QByteArray("a/**/").repeated(200000) + "\n");
    QElapsedTimer clock;
    clock.start();
    const Outcome check = Launch({.arguments = {"--check", line}, .timeoutMs = 30000});
    EXPECT_EQ(check.status, 1);
    EXPECT_THAT(check.out, Ends(": 200000处注释将被消除\n"));
    const Outcome zeros = Launch({.arguments = {"-"}, .inChild = [] {
                                      const int zero = open("/dev/zero", O_RDONLY);
                                      dup2(zero, 0);
                                  }});
    EXPECT_EQ(zeros.status, 1);
    EXPECT_THAT(zeros.err, Holds("二进制文件"));
    // Out of memory: told, with status 2, never an abort.
    const QString big = folder.Write("BIG.ASM", QByteArray(48 << 20, 'x'));
#if defined(__SANITIZE_ADDRESS__)
    const Outcome starved = Launch(
        {.arguments = {big},
         .environment = {"ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=32"}});
#elif defined(__SANITIZE_THREAD__)
    // The sanitizer maps its shadow memory first: a cap on the address space would stop it.
    const Outcome starved = Launch(
        {.arguments = {big},
         .environment = {"TSAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=32"}});
#else
    const Outcome starved = Launch({.arguments = {big}, .inChild = [] {
                                        const rlimit cap{64 << 20, 64 << 20};
                                        setrlimit(RLIMIT_AS, &cap);
                                    }});
#endif
    EXPECT_EQ(starved.status, 2);
    EXPECT_THAT(starved.err, Holds("内存不足"));
    EXPECT_FALSE(QFileInfo::exists(big + ".TX_"));
}

// A walk takes memory in step with the tree, not with its depth times its size: 6,000 nested
// folders fit where a path kept per level would need several times the cap.
TEST(StripSafety, ADeepTreeIsWalkedInMemoryInStepWithItsSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory leaves no room for a cap on the address space";
#else
    TempFolder folder;
    int fd = ::open(QFile::encodeName(folder.Root()).constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 6000 && fd >= 0; ++level) {
        ::mkdirat(fd, "d", 0700);
        const int deeper = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = deeper;
    }
    ASSERT_GE(fd, 0);
    const int file = ::openat(fd, "A.ASM", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::write(file, "nop ; x\n", 8), 8);
    ::close(file);
    ::close(fd);
    // A small stack too: nothing is let go of by a recursion as deep as the tree.
    const Outcome run =
        Launch({.arguments = {"--check", "-r", folder.Root()}, .inChild = [] {
                    const rlimit cap{72 << 20, 72 << 20}, stack{128 << 10, 128 << 10};
                    setrlimit(RLIMIT_AS, &cap);
                    setrlimit(RLIMIT_STACK, &stack);
                }});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_THAT(run.out, Ends("/d/A.ASM: 1处注释将被消除\n"));
    EXPECT_EQ(run.err, QString());
#endif
}

// As many threads as make sense, and fewer when the system gives no more: never an abort.
TEST(StripSafety, JobsAreCappedAndAThreadThatCannotStartLowersTheCount) {
    TempFolder folder;
    QStringList files;
    for (int i = 0; i < 3; ++i) {
        files << folder.Write(QStringLiteral("F%1.ASM").arg(i), "nop ; x\n");
    }
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7777));
    EXPECT_EQ(Launch({.arguments = QStringList{"-j", "100000", "--check"} + files}).status, 1);
    const Outcome limited = Launch({.arguments = QStringList{"-j", "4", "--verbose"} + files,
                                    .environment = {"ASAN_OPTIONS=detect_leaks=0"},
                                    .unprivileged = true,
                                    .inChild = [] {
                                        const rlimit none{0, 0};
                                        setrlimit(RLIMIT_NPROC, &none);
                                    }});
    ASSERT_EQ(limited.status, 0) << limited.err.toStdString() << limited.out.toStdString();
    EXPECT_EQ(limited.out.count('\n'), 3);
}

// A walk holds a bounded number of folders open, whatever the depth and breadth of the tree: a
// tree of many more folders than the process may open files is cleaned whole, old targets
// replaced, with the hard limit as low as the soft one.
TEST(StripSafety, ATreeOfMoreFoldersThanOpenFilesIsCleanedWhole) {
    TempFolder folder;
    QString deep = "tree";
    QStringList sources;
    for (int level = 0; level < 60; ++level) {
        deep += QStringLiteral("/%1").arg(level);
        sources << deep + "/A.ASM";
    }
    for (int wide = 0; wide < 150; ++wide) {
        sources << QStringLiteral("tree/w%1/B.ASM").arg(wide);
    }
    for (const QString& source : sources) {
        QDir(folder.Root()).mkpath(QFileInfo(source).path());
        folder.Write(source, "nop ; x\n");
        folder.Write(source + ".TX_", "old");
    }
    const auto lowLimit = [] {
        const rlimit files{64, 64};
        setrlimit(RLIMIT_NOFILE, &files);
    };
    const Outcome check =
        Launch({.arguments = {"--check", "-r", folder.Path("tree")}, .inChild = lowLimit});
    EXPECT_EQ(check.status, 1) << check.err.left(400).toStdString();
    EXPECT_EQ(check.out.count("1处注释将被消除"), sources.size());
    const Outcome run =
        Launch({.arguments = {"-r", "-j", "2", folder.Path("tree")}, .inChild = lowLimit});
    EXPECT_EQ(run.status, 0) << run.err.left(400).toStdString();
    for (const QString& source : sources) {
        ASSERT_EQ(TempFolder::Read(folder.Path(source + ".TX_")), "nop\n") << source.toStdString();
    }
    // So is a clean copy of it, each folder made afresh.
    const Outcome copy = Launch(
        {.arguments = {"-r", "-o", folder.Path("copy"), folder.Path("tree")}, .inChild = lowLimit});
    EXPECT_EQ(copy.status, 0) << copy.err.left(400).toStdString();
    for (const QString& source : sources) {
        ASSERT_EQ(TempFolder::Read(folder.Path("copy" + source.mid(4))), "nop\n")
            << source.toStdString();
    }
}

// Going back up a deep tree costs a step a folder, not a climb from the top: in a comb, a spine
// of folders each with a leaf folder beside the next, walked spine first, each folder is opened
// about once by the walk and once more by the saves, whatever the depth. One job, so that the
// files are taken in the walk's order (two may take them out of it, and climb now and then).
TEST(StripSafety, ADeepCombOfFoldersIsWalkedInTimeInStepWithItsSize) {
    TempFolder folder;
    constexpr int kDepth = 300;
    QString spine = "comb";
    for (int level = 0; level < kDepth; ++level) {
        QDir(folder.Root()).mkpath(spine + "/z");
        folder.Write(spine + "/z/F.ASM", "nop ; x\n");
        spine += "/a";
    }
    QDir(folder.Root()).mkpath(spine);
    const QString opened = folder.Path("opened.txt");
    for (const QStringList& arguments : {QStringList{"--check", "-r"}, QStringList{"-r"},
                                         QStringList{"-r"}}) {  // new targets, then replaced
        QFile::remove(opened);
        const Outcome run =
            Launch({.arguments = arguments + QStringList{"-j", "1", folder.Path("comb")},
                    .environment = FailingIo("QINGYAN_OPENED=" + opened)});
        EXPECT_EQ(run.status, arguments.contains("--check") ? 1 : 0)
            << run.err.left(300).toStdString();
        const qsizetype spineOpens = TempFolder::Read(opened).count("\na\n");
        EXPECT_LT(spineOpens, 3 * kDepth) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(TempFolder::Read(folder.Path(spine.section('/', 0, -2) + "/z/F.ASM.TX_")), "nop\n");
}

// Runs the program on `arguments` with `setting` until the fault library's `stall` (a call it
// holds up) is reached, then ends it with `signal`; the number the process had.
qint64 KilledWhenStalled(const char* stall, const QStringList& arguments, const QString& setting,
                         int signal) {
    TempFolder stalled;
    QProcess run;
    run.setProcessEnvironment(EnvironmentWith(
        FailingIo(QString::fromUtf8(stall) + '=' + stalled.Path("now")) << setting));
    run.start(QStringLiteral(QINGYAN_STRIP_PATH), arguments);
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(stalled.Path("now")) && clock.elapsed() < 30000) {
        QThread::msleep(10);
    }
    const qint64 pid = run.processId();
    kill(static_cast<pid_t>(pid), signal);
    run.waitForFinished();
    EXPECT_EQ(run.exitStatus(), QProcess::CrashExit);
    return pid;
}

// A run ended in the middle of a save leaves the old target whole. Where the new file has to
// have a name while it is written, a signal that can be caught removes it, and the next save into
// the folder removes what a kill left: only names of runs that no longer run.
TEST(StripSafety, ARunEndedMidSaveLeavesTheOldTargetAndNoDebris) {
    for (const int signal : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        for (const bool unnamed : {true, false}) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << ", unnamed " << unnamed);
            TempFolder folder;
            const QString source = folder.Write("A.ASM", "nop ; x\n");
            folder.Write("A.ASM.TX_", "old");
            const qint64 dead = KilledWhenStalled(
                "QINGYAN_STALL_FSYNC", {source},
                unnamed ? "QINGYAN_NO_TMPFILE=0" : "QINGYAN_NO_TMPFILE=1", signal);
            EXPECT_EQ(TempFolder::Read(source + ".TX_"), "old");
            const QStringList left = folder.Entries();
            EXPECT_EQ(left.size(), signal == SIGKILL && !unnamed ? 3 : 2)
                << left.join(' ').toStdString();

            // Another run's names, and names only like ours, are never touched.
            QStringList kept{QStringLiteral(".qingyan-%1-0").arg(getpid()), "A.ASM", "A.ASM.TX_"};
            for (const QString& alike :
                 {QStringLiteral(".qingyan-1x-0"), QStringLiteral(".qingyan--0"),
                  QStringLiteral(".qingyan-0-0"), QStringLiteral(".qingyan-%1-").arg(dead),
                  QStringLiteral(".qingyan-%1-0x").arg(dead),
                  QStringLiteral(".qingyan-%1").arg(dead),
                  QStringLiteral(".qingyan-%1-0").arg(dead + 1000000000000)}) {
                kept << alike;
            }
            for (const QString& name : kept.mid(0, 1) + kept.mid(3)) {
                folder.Write(name, "not a dead run's");
            }
            // The dead run's names, whatever their number, go.
            for (const char* number : {"0", "12"}) {
                folder.Write(QStringLiteral(".qingyan-%1-%2").arg(dead).arg(number),
                             "a dead run's");
            }
            EXPECT_EQ(Launch({.arguments = {source}}).status, 0);
            EXPECT_EQ(TempFolder::Read(source + ".TX_"), "nop\n");
            QStringList found = folder.Entries();
            kept.sort();
            found.sort();
            EXPECT_EQ(found, kept);
        }
    }
}

// Files that wait for the run's flush before they replace old targets keep their names held: a
// signal meanwhile removes them too.
TEST(StripSafety, ASignalWhileFilesWaitForTheFlushLeavesNoDebris) {
    TempFolder folder;
    const QStringList sources{folder.Write("A.ASM", "nop ; a\n"),
                              folder.Write("B.ASM", "nop ; b\n")};
    for (const QString& source : sources) {
        folder.Write(QFileInfo(source).fileName() + ".TX_", "old");
    }
    KilledWhenStalled("QINGYAN_STALL_SYNCFS", sources, "QINGYAN_NO_TMPFILE=1", SIGTERM);
    EXPECT_EQ(folder.Entries(), (QStringList{"A.ASM", "A.ASM.TX_", "B.ASM", "B.ASM.TX_"}));
    for (const QString& source : sources) {
        EXPECT_EQ(TempFolder::Read(source + ".TX_"), "old");
    }
}

// A temporary name taken already is passed over for the next one, and no other is left behind.
TEST(StripSafety, ATemporaryNameTakenAlreadyIsPassedOver) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", "nop ; c\n");
    folder.Write("A.ASM.TX_", "old");
    const Outcome run = Launch({.arguments = {source},
                                .environment = FailingIo("QINGYAN_NAME_TAKEN_ONCE=1") +
                                               QStringList{"QINGYAN_NO_TMPFILE=1"}});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(TempFolder::Read(source + ".TX_"), "nop\n");
    EXPECT_EQ(folder.Entries(), (QStringList{"A.ASM", "A.ASM.TX_"}));
}

// A file literally named \x82.ASM and one whose name holds the byte 0x82 are two files; so are a
// GBK name and a UTF-8 name that read alike.
TEST(StripSafety, NamesThatWouldShowAlikeAreTwoFiles) {
    TempFolder folder;
    QDir(folder.Root()).mkdir("src");
    folder.WriteNamed("src/\\x82.ASM", "a ; literal\n");
    folder.WriteNamed("src/\x82.ASM", "b ; byte\n");
    folder.WriteNamed("src/\xD6\xD0.ASM", "c ; gbk\n");
    folder.WriteNamed("src/\xE4\xB8\xAD.ASM", "d ; utf-8\n");
    const Outcome check = Launch({.arguments = {"--check", "-r", "src"}, .folder = folder.Root()});
    EXPECT_EQ(check.status, 1);
    for (const char* comment : {"; literal", "; byte", "; gbk", "; utf-8"}) {
        EXPECT_EQ(check.out.count(comment), 1) << comment << check.out.toStdString();
    }
    // Given as arguments, each by its own bytes as a shell gives them, each saved under its own.
    Launch({.folder = folder.Path("src"), .inChild = [] {
                execl(QINGYAN_STRIP_PATH, "qingyan-strip", "\\x82.ASM", "\x82.ASM", "\xD6\xD0.ASM",
                      "\xE4\xB8\xAD.ASM", nullptr);
            }});
    EXPECT_EQ(folder.ReadNamed("src/\\x82.ASM.TX_"), "a\n");
    EXPECT_EQ(folder.ReadNamed("src/\x82.ASM.TX_"), "b\n");
    EXPECT_EQ(folder.ReadNamed("src/\xD6\xD0.ASM.TX_"), "c\n");
    EXPECT_EQ(folder.ReadNamed("src/\xE4\xB8\xAD.ASM.TX_"), "d\n");
}

}  // namespace
