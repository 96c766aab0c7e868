// What a save promises when the disk, the system's limits or another writer get in its way: on
// disk before it is told done, an old target never lost, a temporary no one else may read, a
// reason for every failure, and names that cannot forge a line.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>
#include <sys/stat.h>

#include "Launch.h"

namespace {

TEST(StripDurability, ATargetThatReplacesAnotherIsOnDiskFirstEvenInABatch) {
    // Unnamed new files, and named ones where the file system has none: a named one that may not
    // take its target's place is removed, not left beside it.
    for (const char* newFiles : {"QINGYAN_NO_TMPFILE=0", "QINGYAN_NO_TMPFILE=1"}) {
        SCOPED_TRACE(newFiles);
        TempFolder folder;
        QDir(folder.Root()).mkpath("src");
        folder.Write("src/A.ASM", "nop ; a\n");
        folder.Write("src/B.ASM", "nop ; b\n");
        folder.Write("src/C.ASM", "nop ; c\n");
        const QString oldA = folder.Write("src/A.ASM.TX_", "old a");
        const QString oldB = folder.Write("src/B.ASM.TX_", "old b");
        // The disk fails the run's flush: no old target may have been replaced by a new file that
        // is not on disk. A new file waits for that flush before it takes an old target's place; a
        // target new to its folder takes its name at once, and may not be on disk.
        const Outcome run = Launch({.arguments = {"-r", "--report", folder.Path("src")},
                                    .environment = FailingIo("QINGYAN_FAIL_SYNCFS=5") << newFiles});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(TempFolder::Read(oldA), "old a");
        EXPECT_EQ(TempFolder::Read(oldB), "old b");
        for (const char* said :
             {"A.ASM.TX_: 无法保存: 输入/输出错误", "B.ASM.TX_: 无法保存: 输入/输出错误",
              "C.ASM.TX_: 可能没有写入磁盘: 输入/输出错误"}) {
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(said))) << said << run.err.toStdString();
        }
        EXPECT_EQ(QString::fromUtf8(run.out).count(QStringLiteral("未处理:输入/输出错误")), 2);
        EXPECT_EQ(QString::fromUtf8(run.out).count(QStringLiteral("未处理:可能没有写入磁盘")), 1);
        EXPECT_EQ(TempFolder::Read(folder.Path("src/C.ASM.TX_")), "nop\n");
        EXPECT_EQ(QDir(folder.Path("src")).entryList(QDir::Files | QDir::Hidden).size(), 6);
        // Once the disk is well, the waiting files replace the old targets, and are on disk first.
        const Outcome again =
            Launch({.arguments = {"-r", folder.Path("src")},
                    .environment = FailingIo("QINGYAN_FAIL_FSYNC=5") << newFiles});
        EXPECT_EQ(again.status, 0) << again.err.toStdString();
        EXPECT_EQ(TempFolder::Read(oldA), "nop\n");
        EXPECT_EQ(TempFolder::Read(oldB), "nop\n");
    }
}

// The files that wait for the run's flush hold a descriptor each: many of them are flushed and
// take their names in groups, so that a run replaces any number of targets under the limit on
// open files.
TEST(StripDurability, ManyWaitingFilesTakeTheirNamesInGroups) {
    TempFolder folder;
    QDir(folder.Root()).mkpath("src");
    for (int i = 0; i < 600; ++i) {
        folder.Write(QStringLiteral("src/F%1.ASM").arg(i), "nop ; x\n");
        folder.Write(QStringLiteral("src/F%1.ASM.TX_").arg(i), "old");
    }
    const auto fourHundredFiles = [] {
        const rlimit files{400, 400};
        setrlimit(RLIMIT_NOFILE, &files);
    };
    const Outcome run =
        Launch({.arguments = {"-r", folder.Path("src")}, .inChild = fourHundredFiles});
    EXPECT_EQ(run.status, 0) << run.err.left(300).toStdString();
    for (int i = 0; i < 600; i += 97) {
        EXPECT_EQ(TempFolder::Read(folder.Path(QStringLiteral("src/F%1.ASM.TX_").arg(i))), "nop\n");
    }
    // New targets through named temporaries: nothing a save opens stays open after it.
    for (int i = 0; i < 600; ++i) {
        QFile::remove(folder.Path(QStringLiteral("src/F%1.ASM.TX_").arg(i)));
    }
    const Outcome named = Launch({.arguments = {"-r", folder.Path("src")},
                                  .environment = FailingIo("QINGYAN_NO_TMPFILE=1"),
                                  .inChild = fourHundredFiles});
    EXPECT_EQ(named.status, 0) << named.err.left(300).toStdString();
    EXPECT_EQ(TempFolder::Read(folder.Path("src/F599.ASM.TX_")), "nop\n");
}

// A run that writes to two file systems flushes each, and a failure of one names its files
// alone.
TEST(StripDurability, EachFileSystemARunWroteToIsFlushedAndToldApart) {
    TempFolder here;
    TempFolder there(QStringLiteral("/dev/shm"));
    struct stat hereInfo {
    }, thereInfo{};
    if (!there.IsValid() || ::stat(QFile::encodeName(here.Root()).constData(), &hereInfo) != 0 ||
        ::stat("/dev/shm", &thereInfo) != 0 || hereInfo.st_dev == thereInfo.st_dev) {
        GTEST_SKIP() << "no second file system to write to";
    }
    const QString a = here.Write("A.ASM", "nop ; a\n");
    const QString b = there.Write("B.ASM", "nop ; b\n");
    for (const auto& [failing, named] :
         {std::pair{thereInfo.st_dev, b}, std::pair{hereInfo.st_dev, a}}) {
        QFile::remove(a + ".TX_");
        QFile::remove(b + ".TX_");
        const Outcome run =
            Launch({.arguments = {a, b},
                    .environment =
                        FailingIo(QStringLiteral("QINGYAN_FAIL_SYNCFS_DEVICE=%1").arg(failing))});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err,
                  QStringLiteral("qingyan-strip: 目标文件没能全部写入磁盘: 输入/输出错误\n"
                                 "qingyan-strip: %1.TX_: 可能没有写入磁盘: 输入/输出错误\n")
                      .arg(named)
                      .toUtf8());
    }
}

TEST(StripDurability, ASingleSaveFlushesItsFolderBeforeItIsToldDone) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", "nop ; a\n");
    const Outcome failed =
        Launch({.arguments = {source}, .environment = FailingIo("QINGYAN_FAIL_FOLDER_FSYNC=5")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_THAT(failed.err, Holds(QStringLiteral("A.ASM.TX_: 无法保存: 输入/输出错误")));
    EXPECT_EQ(Launch({.arguments = {source}}).status, 0);
}

// Where no unnamed file can be made, the temporary has a name in the target's folder: it is born
// readable by its owner alone, in a folder whose group would give it to others too.
TEST(StripDurability, ANamedTemporaryIsPrivateFromItsBirth) {
    TempFolder folder;
    QDir(folder.Root()).mkpath("shared");
    const QByteArray shared = QFile::encodeName(folder.Path("shared"));
    // nogroup, as an attacker's folder; only root may give a folder a group it is not in.
    const bool othersGroup = ::chown(shared.constData(), -1, 65534) == 0;
    ASSERT_EQ(::chmod(shared.constData(), 02777), 0);
    const QString source = folder.Write("SECRET.ASM", "db 'key' ; c\n");
    ::chmod(QFile::encodeName(source).constData(), 0640);
    const QString modes = folder.Path("modes.txt");
    const QStringList privateIo =
        FailingIo("QINGYAN_NO_TMPFILE=1") + QStringList{"QINGYAN_CREATED_MODES=" + modes};
    const Outcome beside = Launch({.arguments = {source}, .environment = privateIo});
    ASSERT_EQ(beside.status, 0) << beside.err.toStdString();
    const Outcome copy =
        Launch({.arguments = {"-o", folder.Path("shared/out"), source}, .environment = privateIo});
    ASSERT_EQ(copy.status, 0) << copy.err.toStdString();
    const QStringList created =
        QString::fromUtf8(TempFolder::Read(modes)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(created.isEmpty());
    for (const QString& mode : created) {
        EXPECT_EQ(mode, "600");
    }
    EXPECT_EQ(ModeOf(source + ".TX_"), 0640u);
    EXPECT_EQ(ModeOf(folder.Path("shared/out/SECRET.ASM")), 0640u);
    struct stat copied {};
    ::stat(QFile::encodeName(folder.Path("shared/out/SECRET.ASM")).constData(), &copied);
    struct stat secret {};
    ::stat(QFile::encodeName(source).constData(), &secret);
    if (othersGroup && secret.st_gid != 65534u) {
        EXPECT_EQ(copied.st_gid, secret.st_gid) << "the folder's group would read the secret";
        // Where the source's group cannot be given, the folder's group never gets any rights.
        const QString given = folder.Path("given.txt");
        const Outcome refused =
            Launch({.arguments = {"-o", folder.Path("shared/other"), source},
                    .environment = privateIo + QStringList{"QINGYAN_FAIL_CALL=fchown:1",
                                                           "QINGYAN_CHMOD_MODES=" + given}});
        ASSERT_EQ(refused.status, 0) << refused.err.toStdString();
        EXPECT_EQ(ModeOf(folder.Path("shared/other/SECRET.ASM")), 0600u);
        EXPECT_EQ(TempFolder::Read(given), "600\n");
    }
    for (const QString& place : {folder.Root(), folder.Path("shared/out")}) {
        EXPECT_TRUE(QDir(place).entryList({".qingyan-*"}, QDir::Files | QDir::Hidden).isEmpty());
    }
}

TEST(StripDurability, LimitsAndRacesAreToldAsReasons) {
    TempFolder folder;
    const QString big = folder.Write("BIG.ASM", QByteArray(20000, 'n') + "\n");
    const QString old = folder.Write("BIG.ASM.TX_", "old");
    // A file-size limit: the write fails with a reason, the old target stays.
    const Outcome limited = Launch({.arguments = {big}, .inChild = [] {
                                        const rlimit limit{4096, 4096};
                                        ::setrlimit(RLIMIT_FSIZE, &limit);
                                    }});
    EXPECT_EQ(limited.status, 1);
    EXPECT_THAT(limited.err, Holds(QStringLiteral("无法保存: 文件太大")));
    EXPECT_EQ(TempFolder::Read(old), "old");
    // A write interrupted or cut short goes on where it stopped; one that writes nothing fails.
    const QString small = folder.Write("SMALL.ASM", "nop ; a\nnop ; b\n");
    EXPECT_EQ(
        Launch({.arguments = {small}, .environment = FailingIo("QINGYAN_STUTTER_WRITE=1")}).status,
        0);
    EXPECT_EQ(TempFolder::Read(small + ".TX_"), "nop\nnop\n");
    // A large target goes to the disk in large blocks, not a character at a time.
    const QString counted = folder.Path("writes.txt");
    QByteArray lines;
    for (int line = 0; line < 200000; ++line) {
        lines += "\tnop ; a comment\n";
    }
    const QString large = folder.Write("LARGE.ASM", lines);
    ASSERT_EQ(
        Launch({.arguments = {large}, .environment = FailingIo("QINGYAN_COUNT_WRITES=" + counted)})
            .status,
        0);
    EXPECT_EQ(TempFolder::Read(large + ".TX_").size(), 200000 * 5);
    EXPECT_LE(TempFolder::Read(counted).toInt(), 8) << TempFolder::Read(counted).toStdString();
    // So does a read, of a source and of a file a clean copy copies as it is.
    QFile::remove(small + ".TX_");
    QDir(folder.Root()).mkpath("tree");
    folder.Write("tree/NOTES", "not a source\n");
    folder.Write("tree/S.ASM", "nop ; a\nnop ; b\n");
    EXPECT_EQ(Launch({.arguments = {small, "-r", "-o", "copy", "tree"},
                      .folder = folder.Root(),
                      .environment = FailingIo("QINGYAN_STUTTER_READ=1")})
                  .status,
              0);
    EXPECT_EQ(TempFolder::Read(folder.Path("copy/NOTES")), "not a source\n");
    EXPECT_EQ(TempFolder::Read(folder.Path("copy/S.ASM")), "nop\nnop\n");
    const Outcome nothing =
        Launch({.arguments = {big}, .environment = FailingIo("QINGYAN_WRITE_NOTHING=1")});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_THAT(nothing.err, Holds(QStringLiteral("BIG.ASM.TX_: 无法保存: 输入/输出错误")));
    EXPECT_EQ(TempFolder::Read(old), "old");
    // A source cut short by another writer while it is read is not cleaned into a target.
    const QString racing = folder.Write("RACE.ASM", "nop ; a\nnop ; b\n");
    const Outcome shrunk =
        Launch({.arguments = {racing}, .environment = FailingIo("QINGYAN_SHRINK_ON_READ=1")});
    EXPECT_EQ(shrunk.status, 1);
    EXPECT_THAT(shrunk.err, Holds(QStringLiteral("RACE.ASM: 无法读取: 读取时源文件被改动了")));
    EXPECT_FALSE(QFileInfo::exists(racing + ".TX_"));
    // A device given as a source is refused by its type, never opened.
    const QString opened = folder.Path("opened.txt");
    const Outcome device = Launch({.arguments = {"--lang", "asm", "/dev/zero"},
                                   .environment = FailingIo("QINGYAN_OPENED=" + opened)});
    EXPECT_EQ(device.status, 1);
    EXPECT_THAT(device.err, Holds(QStringLiteral("/dev/zero: 无法读取: 不是普通文件")));
    EXPECT_FALSE(TempFolder::Read(opened).contains("zero"));
}

// A name holding a line break or a control character is shown on one line everywhere.
TEST(StripDurability, NamesCannotForgeLines) {
    TempFolder folder;
    QDir(folder.Root()).mkpath("src");
    folder.Write("src/A.ASM", "nop ; a\n");
    folder.Write("src/B\n2:  BOOT.ASM\x1b[2J.ASM", QByteArray("x\0y", 3));
    const Outcome run =
        Launch({.arguments = {"-r", "--verbose", "--report", "src"}, .folder = folder.Root()});
    EXPECT_EQ(run.status, 1);
    const QString out = QString::fromUtf8(run.out);
    EXPECT_FALSE(out.contains(u'\x1b'));
    for (const QString& line : out.split(u'\n')) {
        EXPECT_FALSE(line.trimmed().startsWith(QStringLiteral("2:  BOOT.ASM")))
            << out.toStdString();
    }
    EXPECT_THAT(out, Holds(QStringLiteral("B\\x0a2:  BOOT.ASM\\x1b[2J.ASM  ==>  未处理:")));
    EXPECT_THAT(run.err, Holds(QStringLiteral("src/B\\x0a2:  BOOT.ASM\\x1b[2J.ASM: 跳过: ")));
    EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
}

// Whatever call the system refuses on the way, the run names the file and why, fails, and leaves
// the old target as it was and no half-made file; a folder of a copy that cannot be made names
// every file that would have gone into it.
TEST(StripDurability, EachRefusedCallIsToldAndLeavesNothingHalfMade) {
    const struct {
        const char* call;
        QStringList arguments;
        const char* said;
    } cases[] = {
        {"pread:5", {"A.ASM"}, "A.ASM: 无法读取: 输入/输出错误"},
        {"read:5", {"E.ASM"}, "E.ASM: 无法读取: 输入/输出错误"},  // no size to read by
        {"fstatat:5:A.ASM.TX_", {"A.ASM"}, "A.ASM.TX_: 无法保存: 输入/输出错误"},
        {"create:28", {"A.ASM"}, "A.ASM.TX_: 无法保存: 磁盘已满"},
        {"fchmod:5", {"B.ASM"}, "B.ASM.TX_: 无法保存: 输入/输出错误"},
        {"close:5", {"B.ASM"}, "B.ASM.TX_: 无法保存: 输入/输出错误"},
        {"fdopendir:24", {"-r", "src"}, "src/: 无法打开文件夹,打开的文件太多(已到本进程的上限)"},
        {"openat:13:sub", {"-r", "src"}, "src/sub: 无法打开文件夹,没有权限"},
        {"read:5", {"-r", "-o", "copy", "src"}, "src/NOTES: 无法读取: 输入/输出错误"},
        {"mkdirat:28", {"-r", "-o", "copy", "src"}, "src/sub/C.ASM: 无法建立输出文件夹,磁盘已满"},
    };
    for (const auto& [call, arguments, said] : cases) {
        SCOPED_TRACE(call);
        TempFolder folder;
        QDir(folder.Root()).mkpath("src/sub");
        for (const auto& [name, text] : {std::pair{"A.ASM", "nop ; a\n"},
                                         {"A.ASM.TX_", "old"},
                                         {"B.ASM", "nop ; b\n"},
                                         {"E.ASM", ""},
                                         {"src/NOTES", "not a source\n"},
                                         {"src/sub/C.ASM", "nop ; c\n"}}) {
            folder.Write(name, text);
        }
        const Outcome run =
            Launch({.arguments = arguments,
                    .folder = folder.Root(),
                    .environment = FailingIo(QStringLiteral("QINGYAN_FAIL_CALL=") + call) +
                                   QStringList{"QINGYAN_NO_TMPFILE=1"}});
        EXPECT_EQ(run.status, 1);
        EXPECT_THAT(run.err, Holds(QStringLiteral("qingyan-strip: ") + QString::fromUtf8(said)));
        EXPECT_EQ(TempFolder::Read(folder.Path("A.ASM.TX_")), "old");
        EXPECT_EQ(QDir(folder.Root()).entryList({".qingyan-*"}, QDir::Files | QDir::Hidden),
                  QStringList());
    }
}

}  // namespace
