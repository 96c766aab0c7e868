#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>

#include <cerrno>
#include <tuple>

#include "../workflow/TempFolder.h"

namespace {

struct Outcome {
    int status = -1;
    QByteArray out;
    QString err;
};

struct Call {
    QStringList arguments{};
    QByteArray input{};
    QString folder{};                 // the working folder
    QStringList environment{};        // NAME=VALUE settings added to ours
    bool unprivileged = false;        // as "nobody" when we are root (root reads every file)
    std::function<void()> inChild{};  // runs in the child just before the program starts
};

Outcome Launch(const Call& call) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : call.environment) {
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(call.folder);
    QString program = QStringLiteral(QINGYAN_STRIP_PATH);
    TempFolder copy;
    if (call.unprivileged) {
        // A copy in a folder anyone may enter: the build folder may be closed to "nobody".
        QFile::setPermissions(copy.Root(), QFileDevice::Permissions(0x7755));
        QFile::copy(program, copy.Path("qingyan-strip"));
        program = copy.Path("qingyan-strip");
        process.setChildProcessModifier([] {
            if (!BecomeUnprivileged()) {
                _exit(99);
            }
        });
    } else if (call.inChild) {
        process.setChildProcessModifier(call.inChild);
    }
    process.start(program, call.arguments);
    process.write(call.input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

constexpr char kGbkSource[] =
    "; \xB1\xEA\xCC\xE2\r\n\tMOVLW 0x20 ; \xD7\xB0\xC8\xEB\r\n\r\n"
    "\tDT \"a;b\"  ; \xB1\xED\r\n";  // 标题, 装入, 表
constexpr char kGbkTarget[] = "; \xB1\xEA\xCC\xE2\r\n\tMOVLW 0x20\r\n\tDT \"a;b\"\r\n";

TEST(StripCli, SavesBesideTheSourceAndGoesOnPastFilesItCannotRead) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    const QString locked = folder.Write("LOCKED.ASM", "nop ; x\r\n");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7777));
    const Outcome run =
        Launch({.arguments = {locked, folder.Path("MISSING.ASM"), source}, .unprivileged = true});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(locked + ": 无法读取: 没有权限")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("MISSING.ASM: 无法读取: 没有那个文件或文件夹"));
    EXPECT_EQ(TempFolder::Read(source + ".TX_"), QByteArray(kGbkTarget));
    EXPECT_EQ(TempFolder::Read(source), QByteArray(kGbkSource));
    EXPECT_FALSE(QFileInfo::exists(locked + ".TX_"));
}

TEST(StripCli, WithoutTheExtensionTheSourceIsReplacedAfterAWarning) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    QFile::setPermissions(source, QFileDevice::Permissions(0x6604));
    const Outcome run = Launch({.arguments = {"--no-extension", "--verbose", source}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "qingyan-strip: 警告:如果不加扩展名,源文件将被目标文件被覆盖!\n");
    EXPECT_EQ(QString::fromUtf8(run.out), "1:  A.ASM(字符数=42)  ==>  A.ASM(字符数=30)\n");
    EXPECT_EQ(TempFolder::Read(source), QByteArray(kGbkTarget));
    EXPECT_EQ(QFileInfo(source).permissions(), QFileDevice::Permissions(0x6604));
    EXPECT_EQ(folder.Entries(), QStringList{"A.ASM"});
    EXPECT_TRUE(
        Launch({.arguments = {"--extension", "", source}}).err.contains("警告:如果扩展名为空"));
}

TEST(StripCli, BlockFilesTakeTheLineBreakOfEachSource) {
    TempFolder folder;
    const QString header = folder.Write("HEAD.TXT", ";h1\n;h2\r");
    const QString crlf = folder.Write("A.ASM", "nop ; x\r\n");
    const QString lf = folder.Write("B.ASM", "nop ; x\n");
    EXPECT_EQ(Launch({.arguments = {"--header-file", header, crlf, lf}}).status, 0);
    EXPECT_EQ(TempFolder::Read(crlf + ".TX_"), QByteArray(";h1\r\n;h2\r\nnop\r\n"));
    EXPECT_EQ(TempFolder::Read(lf + ".TX_"), QByteArray(";h1\n;h2\nnop\n"));
    EXPECT_EQ(Launch({.arguments = {"--header-file", folder.Path("NONE.TXT"), crlf}}).status, 2);
    // --set takes the escapes \t \r \n \\ in texts.
    EXPECT_EQ(
        Launch({.arguments = {"--set", "AddFooter=1", "--set", "FooterText=;\\t\\\\\\r\\n", crlf}})
            .status,
        0);
    EXPECT_EQ(TempFolder::Read(crlf + ".TX_"), QByteArray("nop\r\n;\t\\\r\n"));
}

TEST(StripCli, ANameThatIsNotUtf8IsCleanedUnderItsOwnBytes) {
    TempFolder folder;
    folder.WriteNamed("\xD6\xD0.ASM", "nop ; x\r\n");
    // Given the name's own bytes as its argument, as a shell gives them.
    Launch({.folder = folder.Root(), .inChild = [] {
                execl(QINGYAN_STRIP_PATH, "qingyan-strip", "\xD6\xD0.ASM", nullptr);
            }});
    EXPECT_EQ(folder.ReadNamed("\xD6\xD0.ASM.TX_"), "nop\r\n");
}

TEST(StripCli, StandardInputToStandardOutputAndItsReadErrors) {
    const Outcome run =
        Launch({.arguments = {"--lang", "c", "-"}, .input = "int x; // c\nint y;\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QByteArray("int x;\nint y;\n"));
    // A folder, or a closed descriptor, as standard input is no empty text.
    const Outcome folder =
        Launch({.arguments = {"-"}, .inChild = [] { dup2(open("/", O_RDONLY), 0); }});
    EXPECT_EQ(folder.status, 1);
    EXPECT_TRUE(folder.err.contains("无法读取标准输入: 这是一个文件夹"))
        << folder.err.toStdString();
    const Outcome closed = Launch({.arguments = {"-"}, .inChild = [] { close(0); }});
    EXPECT_EQ(closed.status, 1);
    EXPECT_TRUE(closed.err.contains("无法读取标准输入: 文件描述符无效"));
}

TEST(StripCli, SystemFailuresAreToldInChineseAndLeaveTheOldTarget) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    const QString target = folder.Write("A.ASM.TX_", "old");
    const std::tuple<const char*, int, const char*> cases[] = {
        {"QINGYAN_FAIL_WRITE", ENOSPC, "磁盘已满"},
        {"QINGYAN_FAIL_WRITE", EDQUOT, "超出磁盘配额"},
        {"QINGYAN_FAIL_WRITE", EROFS, "文件系统是只读的"},
        {"QINGYAN_FAIL_FSYNC", EIO, "输入/输出错误"}};
    for (const auto& [variable, error, reason] : cases) {
        const Outcome run =
            Launch({.arguments = {source},
                    .environment = {"LD_PRELOAD=" QINGYAN_FAIL_IO,
                                    QStringLiteral("%1=%2").arg(variable).arg(error),
                                    "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"}});
        EXPECT_EQ(run.status, 1) << reason;
        EXPECT_TRUE(run.err.contains(QStringLiteral("无法保存: ") + reason))
            << run.err.toStdString();
        EXPECT_EQ(TempFolder::Read(target), QByteArray("old"));
        EXPECT_EQ(folder.Entries(), (QStringList{"A.ASM", "A.ASM.TX_"}));
    }
}

TEST(StripCli, BadOptionsAreRefusedBeforeAnyFileIsTouched) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    QString errors;
    for (const QStringList& args :
         {QStringList{"--set", "Nope=1", source}, QStringList{"--set", "AddHeader=yes", source},
          QStringList{"--set", "StringLeader=\\q", source}, QStringList{"--bogus", source},
          QStringList{"--lang", "pascal", source}, QStringList{"-j", "0", source},
          QStringList{"--check", "--diff", source}, QStringList{}}) {
        const Outcome run = Launch({.arguments = args});
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        errors += run.err;
    }
    EXPECT_TRUE(errors.contains("未知选项"));  // Qt's own texts in Chinese
    EXPECT_EQ(folder.Entries(), QStringList{"A.ASM"});
}

// A tree as a project has it: the sample sources in folders, a hidden folder and a link to a
// folder.
class StripTree : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* sub : {"src/sub", ".hidden", "elsewhere"}) {
            QDir(folder.Root()).mkpath(sub);
        }
        for (const QString& name : QDir(samples.filePath("asm")).entryList(QDir::Files)) {
            folder.Write("src/" + name, TempFolder::Read(samples.filePath("asm/" + name)));
        }
        for (const QString& name : QDir(samples.filePath("c")).entryList(QDir::Files)) {
            folder.Write("src/sub/" + name, TempFolder::Read(samples.filePath("c/" + name)));
        }
        folder.Write("src/sub/DEF.H", "int x; // c\n#define A 1 ; kept in C\n");
        folder.Write(".hidden/H.ASM", "; hidden\n");
        folder.Write("elsewhere/E.ASM", "; linked\n");
        QFile::link("../elsewhere", folder.Path("src/link"));
    }
    Outcome Strip(const QStringList& arguments) const {
        return Launch({.arguments = arguments, .folder = folder.Root()});
    }

    const QDir samples{QStringLiteral(QINGYAN_SAMPLES)};
    TempFolder folder;
};

TEST_F(StripTree, RecursiveRunsCleanTheSourcesInNameOrderFolderByFolderOnAnyNumberOfCores) {
    // Each file in its own language, with no --lang.
    const Outcome run = Strip({"-r", "--verbose", "-j", "4", "src", "none.ASM"});
    EXPECT_EQ(run.status, 1);  // for the missing file
    const Outcome oneCore = Strip({"-r", "--verbose", "-j", "1", "src", "none.ASM"});
    EXPECT_EQ(oneCore.out, run.out);
    EXPECT_EQ(oneCore.err, run.err);
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[0].startsWith("1:  BANNER.ASM") && lines[4].startsWith("5:  BLOCK.C"));
    // Every code line and each line's own break, byte for byte.
    for (const QString& name : QDir(samples.filePath("expected")).entryList(QDir::Files)) {
        const QString source = name.endsWith(".C.TX_") ? "src/sub/" + name : "src/" + name;
        EXPECT_EQ(TempFolder::Read(folder.Path(source)),
                  TempFolder::Read(samples.filePath("expected/" + name)))
            << name.toStdString();
    }
    EXPECT_EQ(TempFolder::Read(folder.Path("src/sub/DEF.H.TX_")),
              QByteArray("int x;\n#define A 1 ; kept in C\n"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path(".hidden/H.ASM.TX_")));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("elsewhere/E.ASM.TX_")));
    // One language forced on every file.
    ASSERT_EQ(Strip({"--lang", "asm", "src/sub/DEF.H"}).status, 0);
    EXPECT_EQ(TempFolder::Read(folder.Path("src/sub/DEF.H.TX_")), "int x\n#define A 1\n");
    folder.Write("src/P.ASM", "s = \"\\\";\\\"\" + x ; y\n");
    ASSERT_EQ(Strip({"--lang", "c", "--set", "LineCommentLeader=;", "src/P.ASM"}).status, 0);
    EXPECT_EQ(TempFolder::Read(folder.Path("src/P.ASM.TX_")), "s = \"\\\";\\\"\" + x\n");
}

TEST_F(StripTree, CheckListsWhatWouldGoAndWritesNothing) {
    const Outcome dirty = Strip({"--check", "--lang", "auto", "-r", "src"});
    EXPECT_EQ(dirty.status, 1);
    EXPECT_TRUE(dirty.out.contains("src/LFMIX.ASM:3: ; load\nsrc/LFMIX.ASM:5: ; call\n"))
        << dirty.out.toStdString();
    EXPECT_TRUE(dirty.out.contains("src/CRONLY.ASM:4: ; whole\n"));
    EXPECT_TRUE(dirty.out.contains("src/sub/BLOCK.C: 3处注释将被消除\n"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("src/LFMIX.ASM.TX_")));
    folder.Write("CLEAN.ASM", "; head\nnop\n");
    const Outcome clean = Strip({"--check", "CLEAN.ASM"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_TRUE(clean.out.isEmpty());
}

TEST_F(StripTree, DiffAppliedWithPatchGivesWhatASaveWrites) {
    const Outcome diff = Strip({"--diff", "--lang", "auto", "-r", "src"});
    ASSERT_EQ(diff.status, 0) << diff.err.toStdString();
    EXPECT_EQ(folder.Entries().size(), 3);  // nothing written
    ASSERT_EQ(Strip({"--lang", "auto", "-r", "src"}).status, 0);
    QProcess patch;
    patch.setWorkingDirectory(folder.Root());
    patch.start(QStringLiteral("patch"), {"-p1", "-s"});
    patch.write(diff.out);
    patch.closeWriteChannel();
    ASSERT_TRUE(patch.waitForFinished(60000));
    ASSERT_EQ(patch.exitCode(), 0) << patch.readAllStandardError().toStdString();
    for (const char* name :
         {"BANNER.ASM", "CRONLY.ASM", "LFMIX.ASM", "STRAYLF.ASM", "sub/BLOCK.C", "sub/DEF.H"}) {
        const QString source = folder.Path(QStringLiteral("src/") + name);
        EXPECT_EQ(TempFolder::Read(source), TempFolder::Read(source + ".TX_")) << name;
    }
    folder.Write("D.ASM", "a\nb\nc\nd ; x\ne\nf\ng\n");  // three lines of context, as diff has
    EXPECT_EQ(Strip({"--diff", "D.ASM"}).out,
              "--- a/D.ASM\n+++ b/D.ASM\n@@ -1,7 +1,7 @@\n a\n b\n c\n-d ; x\n+d\n e\n f\n g\n");
}

TEST_F(StripTree, ReportIsTheBatchReport) {
    EXPECT_EQ(QString::fromUtf8(Strip({"--report", "src/LFMIX.ASM"}).out),
              QStringLiteral("    ====批量处理报告====\r\n\r\n路径=") + folder.Root() +
                  QStringLiteral("/\r\n处理文件数 = 1\r\n\r\n1:  LFMIX.ASM(字符数=80)  ==>  "
                                 "LFMIX.ASM.TX_(字符数=64)\r\n"));
}

}  // namespace
