#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

#include <cerrno>

#include "../workflow/TempFolder.h"

namespace {

struct Outcome {
    int status = -1;
    QByteArray out;
    QString err;
};

// Runs the program as a separate process; `unprivileged` runs it through the test helper that
// makes it "nobody" when we are root.
Outcome Strip(const QStringList& arguments, const QByteArray& input = {}, bool unprivileged = false,
              const QStringList& environment = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : environment) {
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    }
    process.setProcessEnvironment(env);
    QString program = QStringLiteral(QINGYAN_STRIP_PATH);
    QStringList args = arguments;
    if (unprivileged) {
        args.prepend(program);
        program = QStringLiteral(QINGYAN_RUN_UNPRIVILEGED);
    }
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

constexpr char kGbkSource[] =
    "; \xB1\xEA\xCC\xE2\r\n"               // ; 标题
    "\tMOVLW 0x20 ; \xD7\xB0\xC8\xEB\r\n"  // ; 装入
    "\r\n"
    "\tDT \"a;b\"  ; \xB1\xED\r\n";  // ; 表
constexpr char kGbkTarget[] = "; \xB1\xEA\xCC\xE2\r\n\tMOVLW 0x20\r\n\tDT \"a;b\"\r\n";

TEST(StripCli, SavesAGbkTargetBesideTheSourceAndLeavesTheSource) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    const Outcome run = Strip({source});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(TempFolder::Read(source + ".TX_"), QByteArray(kGbkTarget));
    EXPECT_EQ(TempFolder::Read(source), QByteArray(kGbkSource));
}

TEST(StripCli, AFileThatCannotBeReadFailsAndTheOthersGoOn) {
    TempFolder folder;
    const QString locked = folder.Write("LOCKED.ASM", "nop ; x\r\n");
    const QString good = folder.Write("GOOD.ASM", "nop ; x\r\n");
    chmod(QFile::encodeName(locked).constData(), 0);
    chmod(QFile::encodeName(folder.Root()).constData(), 0777);
    const Outcome run = Strip({locked, folder.Path("MISSING.ASM"), good}, {}, true);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(locked + ": 无法读取: 没有权限")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("MISSING.ASM: 无法读取: 没有那个文件或文件夹"))
        << run.err.toStdString();
    EXPECT_EQ(TempFolder::Read(good + ".TX_"), QByteArray("nop\r\n"));
    EXPECT_FALSE(QFileInfo::exists(locked + ".TX_"));
}

TEST(StripCli, WithoutTheExtensionTheSourceIsReplacedWhole) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    chmod(QFile::encodeName(source).constData(), 0604);
    const Outcome run = Strip({"--no-extension", "--verbose", source});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "qingyan-strip: 警告:如果不加扩展名,源文件将被目标文件被覆盖!\n");
    EXPECT_TRUE(Strip({"--extension", "", source}).err.contains("警告:如果扩展名为空"));
    EXPECT_EQ(TempFolder::Read(source), QByteArray(kGbkTarget));
    EXPECT_EQ(QFileInfo(source).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                   QFileDevice::ReadOther);
    EXPECT_EQ(folder.Entries(), QStringList{"A.ASM"});
    EXPECT_EQ(QString::fromUtf8(run.out), "1:  A.ASM(字符数=42)  ==>  A.ASM(字符数=30)\n");
}

TEST(StripCli, BlockFilesTakeTheLineBreakOfEachSource) {
    TempFolder folder;
    const QString header = folder.Write("HEAD.TXT", ";h1\n;h2\r");
    const QString crlf = folder.Write("A.ASM", "nop ; x\r\n");
    const QString lf = folder.Write("B.ASM", "nop ; x\n");
    const Outcome run = Strip({"--header-file", header, crlf, lf});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(TempFolder::Read(crlf + ".TX_"), QByteArray(";h1\r\n;h2\r\nnop\r\n"));
    EXPECT_EQ(TempFolder::Read(lf + ".TX_"), QByteArray(";h1\n;h2\nnop\n"));
    EXPECT_EQ(Strip({"--header-file", folder.Path("NONE.TXT"), crlf}).status, 2);
}

TEST(StripCli, SampleFilesKeepEveryCodeLineAndItsOwnBreak) {
    const QDir samples(QStringLiteral(QINGYAN_SAMPLES));
    for (const auto& [kind, leader] : {std::pair{"asm", ";"}, std::pair{"c", "//"}}) {
        TempFolder folder;
        QStringList sources;
        for (const QString& name : QDir(samples.filePath(kind)).entryList(QDir::Files)) {
            sources << folder.Write(name, TempFolder::Read(samples.filePath(kind + ('/' + name))));
        }
        const Outcome run =
            Strip(QStringList{"--set", QStringLiteral("LineCommentLeader=") + leader} + sources);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        for (const QString& source : sources) {
            const QString target = QFileInfo(source).fileName() + ".TX_";
            EXPECT_EQ(TempFolder::Read(source + ".TX_"),
                      TempFolder::Read(samples.filePath("expected/" + target)))
                << target.toStdString();
        }
    }
}

TEST(StripCli, ANameThatIsNotUtf8IsCleanedUnderItsOwnBytes) {
    TempFolder folder;
    folder.WriteNamed("\xD6\xD0.ASM", "nop ; x\r\n");
    QProcess process;
    process.setWorkingDirectory(folder.Root());
    process.start(QStringLiteral("/bin/sh"),
                  {"-c", QStringLiteral("exec '%1' --verbose \"$(printf '\\326\\320.ASM')\"")
                             .arg(QINGYAN_STRIP_PATH)});
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
              "1:  中.ASM(字符数=9)  ==>  中.ASM.TX_(字符数=5)\n");
    EXPECT_EQ(folder.ReadNamed("\xD6\xD0.ASM.TX_"), "nop\r\n");
}

TEST(StripCli, StandardInputToStandardOutput) {
    const Outcome run = Strip({"--set", "LineCommentLeader=//", "-"}, "int x; // c\nint y;\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QByteArray("int x;\nint y;\n"));
    // A read error is no empty text: a folder, or a closed descriptor, as standard input.
    QProcess folderInput;
    folderInput.setStandardInputFile(QStringLiteral("/"));
    folderInput.start(QStringLiteral(QINGYAN_STRIP_PATH), {"-"});
    folderInput.waitForFinished(60000);
    EXPECT_EQ(folderInput.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(folderInput.readAllStandardError())
                    .contains("无法读取标准输入: 这是一个文件夹"));
    QProcess closedInput;
    closedInput.start(QStringLiteral("/bin/sh"),
                      {"-c", QStringLiteral("exec '%1' - <&-").arg(QINGYAN_STRIP_PATH)});
    closedInput.waitForFinished(60000);
    EXPECT_EQ(closedInput.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(closedInput.readAllStandardError())
                    .contains("无法读取标准输入: 文件描述符无效"));
}

TEST(StripCli, SystemFailuresAreToldInChineseAndLeaveTheOldTarget) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    const QString target = folder.Write("A.ASM.TX_", "old");
    const struct {
        const char* variable;
        int error;
        const char* reason;
    } cases[] = {{"QINGYAN_FAIL_WRITE", ENOSPC, "磁盘已满"},
                 {"QINGYAN_FAIL_WRITE", EDQUOT, "超出磁盘配额"},
                 {"QINGYAN_FAIL_WRITE", EROFS, "文件系统是只读的"},
                 {"QINGYAN_FAIL_FSYNC", EIO, "输入/输出错误"}};
    for (const auto& failure : cases) {
        const Outcome run =
            Strip({source}, {}, false,
                  {QStringLiteral("LD_PRELOAD=" QINGYAN_FAIL_IO),
                   QStringLiteral("%1=%2").arg(failure.variable).arg(failure.error),
                   QStringLiteral("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0")});
        EXPECT_EQ(run.status, 1) << failure.reason;
        EXPECT_TRUE(run.err.contains(QStringLiteral("无法保存: ") + failure.reason))
            << run.err.toStdString();
        EXPECT_EQ(TempFolder::Read(target), QByteArray("old"));
        EXPECT_EQ(folder.Entries(), (QStringList{"A.ASM", "A.ASM.TX_"}));
    }
}

// A tree as a project has it: sources in folders, a hidden folder and a link to a folder.
class StripTree : public ::testing::Test {
protected:
    void SetUp() override {
        const QDir samples(QStringLiteral(QINGYAN_SAMPLES));
        QDir(folder.Root()).mkpath("src/sub");
        QDir(folder.Root()).mkpath(".hidden");
        QDir(folder.Root()).mkpath("elsewhere");
        for (const QString& name : QDir(samples.filePath("asm")).entryList(QDir::Files)) {
            folder.Write("src/" + name, TempFolder::Read(samples.filePath("asm/" + name)));
        }
        folder.Write("src/sub/BLOCK.C", TempFolder::Read(samples.filePath("c/BLOCK.C")));
        folder.Write("src/sub/DEF.H", "int x; // c\n#define A 1 ; kept in C\n");
        folder.Write(".hidden/H.ASM", "; hidden\n");
        folder.Write("elsewhere/E.ASM", "; linked\n");
        QFile::link("../elsewhere", folder.Path("src/link"));
    }
    Outcome Run(QStringList arguments) const {
        QProcess process;
        process.setWorkingDirectory(folder.Root());
        process.start(QStringLiteral(QINGYAN_STRIP_PATH), arguments);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }
    TempFolder folder;
};

TEST_F(StripTree, RecursiveTakesTheSourcesInNameOrderFolderByFolder) {
    const Outcome run = Run({"-r", "--lang", "auto", "--verbose", "src"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList names = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(names.size(), 6);
    EXPECT_TRUE(names[0].startsWith("1:  BANNER.ASM") && names[4].startsWith("5:  BLOCK.C"));
    EXPECT_EQ(TempFolder::Read(folder.Path("src/sub/DEF.H.TX_")),
              QByteArray("int x;\n#define A 1 ; kept in C\n"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path(".hidden/H.ASM.TX_")));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("elsewhere/E.ASM.TX_")));
}

TEST_F(StripTree, ParallelRunsReportInTheOrderOfTheFiles) {
    QFile::setPermissions(folder.Path("src/LFMIX.ASM"), QFileDevice::Permissions());
    const Outcome one = Run({"-r", "--verbose", "-j", "1", "src", "missing.ASM"});
    const Outcome four = Run({"-r", "--verbose", "-j", "4", "src", "missing.ASM"});
    EXPECT_EQ(four.out, one.out);
    EXPECT_EQ(four.err, one.err);
    EXPECT_EQ(four.status, 1);
    EXPECT_EQ(one.status, 1);
}

TEST_F(StripTree, CheckListsWhatWouldGoAndWritesNothing) {
    const Outcome dirty = Run({"--check", "--lang", "auto", "-r", "src"});
    EXPECT_EQ(dirty.status, 1);
    EXPECT_TRUE(dirty.out.contains("src/LFMIX.ASM:3: ; load\nsrc/LFMIX.ASM:5: ; call\n"))
        << dirty.out.toStdString();
    EXPECT_TRUE(dirty.out.contains("src/CRONLY.ASM:4: ; whole\n"));
    EXPECT_TRUE(dirty.out.contains("src/sub/BLOCK.C: 3处注释将被消除\n"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("src/LFMIX.ASM.TX_")));
    folder.Write("CLEAN.ASM", "; head\nnop\n");
    const Outcome clean = Run({"--check", "CLEAN.ASM"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_TRUE(clean.out.isEmpty());
}

TEST_F(StripTree, DiffAppliedWithPatchGivesWhatASaveWrites) {
    const Outcome diff = Run({"--diff", "--lang", "auto", "-r", "src"});
    ASSERT_EQ(diff.status, 0) << diff.err.toStdString();
    EXPECT_TRUE(folder.Count() == 3);  // nothing written
    ASSERT_EQ(Run({"--lang", "auto", "-r", "src"}).status, 0);
    QProcess patch;
    patch.setWorkingDirectory(folder.Root());
    patch.start(QStringLiteral("patch"), {"-p1", "-s"});
    patch.write(diff.out);
    patch.closeWriteChannel();
    ASSERT_TRUE(patch.waitForFinished(60000));
    ASSERT_EQ(patch.exitCode(), 0) << patch.readAllStandardError().toStdString();
    for (const char* name :
         {"BANNER.ASM", "CRONLY.ASM", "LFMIX.ASM", "STRAYLF.ASM", "sub/BLOCK.C", "sub/DEF.H"}) {
        EXPECT_EQ(TempFolder::Read(folder.Path(QStringLiteral("src/") + name)),
                  TempFolder::Read(folder.Path(QStringLiteral("src/") + name + ".TX_")))
            << name;
    }
}

TEST_F(StripTree, ReportIsTheBatchReport) {
    const Outcome run = Run({"--report", "src/LFMIX.ASM"});
    EXPECT_EQ(QString::fromUtf8(run.out),
              QStringLiteral("    ====批量处理报告====\r\n\r\n路径=") + folder.Root() +
                  QStringLiteral("/\r\n处理文件数 = 1\r\n\r\n1:  LFMIX.ASM(字符数=80)  ==>  "
                                 "LFMIX.ASM.TX_(字符数=64)\r\n"));
}

TEST(StripCli, BadOptionsAreRefusedBeforeAnyFileIsTouched) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    for (const QStringList& args :
         {QStringList{"--set", "Nope=1", source}, QStringList{"--set", "AddHeader=yes", source},
          QStringList{"--set", "StringLeader=\\q", source},
          QStringList{"--set", "AddHeader", source}, QStringList{"--bogus", source},
          QStringList{}}) {
        const Outcome run = Strip(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_EQ(folder.Entries(), QStringList{"A.ASM"});
}

}  // namespace
