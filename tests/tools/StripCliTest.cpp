#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>

#include <fcntl.h>

#include <cerrno>
#include <tuple>
#include <utility>

#include "Launch.h"

namespace {

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
    EXPECT_THAT(run.err, Holds(locked + ": 无法读取: 没有权限"));
    EXPECT_THAT(run.err, Holds("MISSING.ASM: 无法读取: 没有那个文件或文件夹"));
    EXPECT_EQ(TempFolder::Read(source + ".TX_"), QByteArray(kGbkTarget));
    EXPECT_EQ(TempFolder::Read(source), QByteArray(kGbkSource));
    EXPECT_FALSE(QFileInfo::exists(locked + ".TX_"));
    // A character GBK cannot hold is written as ? and counted in the file's warning.
    EXPECT_TRUE(
        Launch({.arguments = {"--set", "AddHeader=1", "--set", "HeaderText=\u0151", source}})
            .err.contains("A.ASM: 警告: 1个字符无法用源文件的编码表示,已写为?"));
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
    EXPECT_EQ(Launch({.arguments = {"--stdout", "--no-extension", source}}).err, "");  // no save
    // With the extension, a target that leads back to the source is refused, the source kept.
    const QString other = folder.Write("B.ASM", kGbkSource);
    QFile::link(other, other + ".TX_");
    const Outcome linked = Launch({.arguments = {other}});
    EXPECT_EQ(linked.status, 1);
    EXPECT_THAT(
        linked.err,
        Holds("B.ASM.TX_: 无法保存: 目标就是源文件(经由链接或别的路径),为安全起见没有写入"));
    EXPECT_EQ(TempFolder::Read(other), QByteArray(kGbkSource));
}

// A file holding a NUL byte is a program or an image, not a source: left alone on every road,
// and --check shows no control character of what a file holds.
TEST(StripCli, BinaryFilesAreLeftAloneAndChecksShowNoControlCharacters) {
    TempFolder folder;
    const QString program = folder.Write("prog.asm", QByteArray("\177ELF\0\1; x\n", 10));
    const Outcome run = Launch({.arguments = {program}});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "qingyan-strip: " + program + ": 跳过: 这是二进制文件(含有NUL字节),不是源文件\n");
    EXPECT_EQ(folder.Entries(), QStringList{"prog.asm"});
    EXPECT_EQ(Launch({.arguments = {"-"}, .input = QByteArray("a\0;b", 4)}).status, 1);
    const QString escapes = folder.Write("ESC.ASM", "nop ; \x1b[2J\x07 red\x7f \xc2\x9b\n");
    const Outcome check = Launch({.arguments = {"--check", escapes}});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(QString::fromUtf8(check.out),
              escapes + ":1: ; \\x1b[2J\\x07 red\\x7f \\u009b\n" + escapes + ": 1处注释将被消除\n");
}

// qingyan answers --help and --version on any machine, a display or none.
TEST(WindowProgram, AnswersHelpAndVersionWithoutADisplay) {
    const auto window = [](const QStringList& arguments) {
        return Launch({.arguments = arguments,
                       .program = QINGYAN_WINDOW_PATH,
                       .unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}});
    };
    const Outcome help = window({"--help"});
    EXPECT_EQ(help.status, 0) << help.err.toStdString();
    EXPECT_THAT(QString::fromUtf8(help.out), Starts("用法: qingyan [选项] [文件或文件夹]\n"));
    const Outcome version = window({"-v"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "qingyan " QINGYAN_VERSION "\n");
    for (const QStringList& wrong : {QStringList{"--bogus"}, QStringList{"a.asm", "b.asm"}}) {
        const Outcome bad = window(wrong);
        EXPECT_EQ(bad.status, 2);
        EXPECT_THAT(bad.err, Starts("qingyan: "));
        EXPECT_TRUE(bad.out.isEmpty());
    }
}

// The window's picture, drawn offscreen for the README: at start, or with a source picked and
// cleaned, which must be one the file list shows.
TEST(WindowProgram, ItsPictureIsDrawnAsAtStartOrWithASourceCleaned) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "Qt's own threads for the display, not built for the sanitizer, race in it";
#endif
    TempFolder folder;
    const auto picture = [&](const QStringList& arguments) {
        return Launch({.arguments = arguments,
                       .program = QINGYAN_PICTURE_PATH,
                       .folder = folder.Root(),
                       .environment = {"QT_QPA_PLATFORM=offscreen"}});
    };
    EXPECT_EQ(picture({}).status, 2);
    ASSERT_EQ(picture({"start.png"}).status, 0);
    EXPECT_EQ(QImage(folder.Path("start.png")).size(), QSize(847, 585));
    folder.Write("A.ASM", "nop ; x\n");
    ASSERT_EQ(picture({"picked.png", "A.ASM"}).status, 0);
    EXPECT_NE(QImage(folder.Path("picked.png")), QImage(folder.Path("start.png")));
    // The target editor shows the source cleaned, and its counter its length: the same for sources
    // that differ only in their comments, not for sources whose code differs.
    const auto target = [&](const QString& name, const QByteArray& text) {
        folder.Write(name, text);
        EXPECT_EQ(picture({name + ".png", name}).status, 0) << name.toStdString();
        const QImage shown(folder.Path(name + ".png"));
        return std::pair(shown.copy(QRect(356, 300, 473, 169)),
                         shown.copy(QRect(728, 256, 105, 17)));
    };
    const auto [nop, nopLength] = target("B.ASM", "nop ; y\n");
    EXPECT_EQ(target("C.ASM", "nop ; z z z z z z z z\n"), std::pair(nop, nopLength));
    const auto [jmp, jmpLength] = target("D.ASM", "jmp ; y\n");
    EXPECT_NE(jmp, nop);
    EXPECT_EQ(jmpLength, nopLength);
    EXPECT_NE(std::get<1>(target("E.ASM", "nop ; y\nnop\n")), nopLength);
    const Outcome unlisted = picture({"none.png", folder.Write("NOTES.DOC", "x")});
    EXPECT_EQ(unlisted.status, 1);
    EXPECT_THAT(unlisted.err, Holds("文件列表中没有这个源文件"));
    EXPECT_EQ(picture({folder.Path("none/x.png")}).status, 1);  // a folder that is not there
}

// The help marks the options that are on by default, and only those.
TEST(StripCli, HelpMarksWhatIsOnByDefault) {
    const Outcome help = Launch({.arguments = {"--help"}});
    EXPECT_EQ(help.status, 0);
    QStringList marked;
    for (const QString& line : QString::fromUtf8(help.out).split(u'\n')) {
        if (line.endsWith(QStringLiteral("(默认)。"))) {
            marked << line.trimmed().section(u' ', 0, 0);
        }
    }
    EXPECT_EQ(marked, (QStringList{"--keep-head-lines", "--keep-head-block"}));
    EXPECT_THAT(help.out, Holds("--keep-whole-lines      保留整行的行注释。\n"));
    // A text's default where the option set has it; every field --set takes, with its kind.
    EXPECT_THAT(help.out, Holds("--line-comment <TEXT>   行注释引导符(默认 ;)。\n"));
    EXPECT_THAT(help.out, Holds("见 --lang)。\n"));
    // Each language with its types and every marker it has, wherever the lines wrap.
    const QString languages = QString::fromUtf8(help.out).simplified();
    EXPECT_THAT(languages, Holds(QStringLiteral("asm(汇编,.asm .inc .dt .txt,注释符 ; /* */)")));
    EXPECT_THAT(languages, Holds(QStringLiteral("s-common(.s汇编(方言未定),不认注释符)")));
    EXPECT_THAT(help.out, Holds("选项字段(--set):\n  AddHeader=0|1\n  HeaderText=TEXT\n"));
    EXPECT_EQ(Launch({.arguments = {"--version"}}).out, "qingyan-strip " QINGYAN_VERSION "\n");
}

// Both programs refuse an option they do not know in the same words, naming it as it was typed.
TEST(WindowProgram, BothProgramsWordAnUnknownOptionAlike) {
    for (const QString& typed : {QStringLiteral("--bogus"), QStringLiteral("--bogus=1"),
                                 QStringLiteral("-Z"), QStringLiteral("-rZ")}) {
        const Outcome window = Launch({.arguments = {typed}, .program = QINGYAN_WINDOW_PATH});
        const Outcome strip = Launch({.arguments = {"a.asm", typed}});
        const QString said = QStringLiteral(": 未知选项'") + typed + QStringLiteral("'\n");
        EXPECT_THAT(window.err, Starts("qingyan" + said));
        EXPECT_THAT(strip.err, Starts("qingyan-strip" + said));
        EXPECT_EQ(window.status, 2);
        EXPECT_EQ(strip.status, 2);
    }
}

TEST(StripCli, StandardInputToStandardOutputAndItsReadErrors) {
    const Outcome run =
        Launch({.arguments = {"--lang", "c", "-"}, .input = "int x; // c\nint y;\n"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QByteArray("int x;\nint y;\n"));
    // A text longer than a slice of output keeps one byte-order mark, at its head.
    const QByteArray bom = "\xEF\xBB\xBF", body = QByteArray(3 << 20, 'x') + "\xE4\xB8\xAD\n";
    const Outcome marked = Launch({.arguments = {"-"}, .input = bom + body});
    EXPECT_EQ(marked.out.count(bom), 1);
    EXPECT_THAT(marked.out, Starts(bom));
    // A folder, or a closed descriptor, as standard input is no empty text.
    const Outcome folder =
        Launch({.arguments = {"-"}, .inChild = [] { dup2(open("/", O_RDONLY), 0); }});
    EXPECT_EQ(folder.status, 1);
    EXPECT_THAT(folder.err, Holds("无法读取标准输入: 这是一个文件夹"));
    const Outcome closed = Launch({.arguments = {"-"}, .inChild = [] { close(0); }});
    EXPECT_EQ(closed.status, 1);
    EXPECT_THAT(closed.err, Holds("无法读取标准输入: 文件描述符无效"));
}

TEST(StripCli, SystemFailuresAreToldInChineseAndLeaveTheOldTarget) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    const QString target = folder.Write("A.ASM.TX_", "old");
    const std::tuple<const char*, int, const char*> cases[] = {
        {"QINGYAN_FAIL_WRITE", ENOSPC, "磁盘已满"},
        {"QINGYAN_FAIL_WRITE", EDQUOT, "超出磁盘配额"},
        {"QINGYAN_FAIL_WRITE", EROFS, "文件系统是只读的"},
        {"QINGYAN_FAIL_FSYNC", EIO, "输入/输出错误"},
        {"QINGYAN_FAIL_LINK", EMLINK, "链接太多"}};
    for (const auto& [variable, error, reason] : cases) {
        const Outcome run =
            Launch({.arguments = {source},
                    .environment = FailingIo(QStringLiteral("%1=%2").arg(variable).arg(error))});
        EXPECT_EQ(run.status, 1) << reason;
        EXPECT_THAT(run.err, Holds(QStringLiteral("无法保存: ") + reason));
        EXPECT_EQ(TempFolder::Read(target), QByteArray("old"));
        EXPECT_EQ(folder.Entries(), (QStringList{"A.ASM", "A.ASM.TX_"}));
    }
    // Who may read the source must be known before a target is made: a file system that cannot
    // tell fails the save; one that keeps no ACL at all is no failure.
    for (const auto& [error, status] : {std::pair{EIO, 1}, std::pair{ENOTSUP, 0}}) {
        QFile::remove(target);
        const Outcome run =
            Launch({.arguments = {source},
                    .environment = FailingIo(QStringLiteral("QINGYAN_FAIL_XATTR=%1").arg(error))});
        EXPECT_EQ(run.status, status) << error << run.err.toStdString();
        EXPECT_EQ(QFileInfo::exists(target), status == 0) << error;
        EXPECT_EQ(run.err.contains(QStringLiteral("输入/输出错误")), status != 0) << error;
    }
    // A run of many files flushes once at its end, and says so when that fails, naming each
    // file that may not be on disk; a file that was to replace an old target waits for that
    // flush, and so leaves the old target. Nothing is reported saved, every file is reported.
    const QString other = folder.Write("B.ASM", kGbkSource);
    const QByteArray before = TempFolder::Read(target);
    const Outcome run = Launch({.arguments = {"--verbose", "--report", source, other},
                                .environment = FailingIo("QINGYAN_FAIL_SYNCFS=5")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringLiteral("qingyan-strip: 目标文件没能全部写入磁盘: 输入/输出错误\n"
                                      "qingyan-strip: %2.TX_: 可能没有写入磁盘: 输入/输出错误\n"
                                      "qingyan-strip: %1.TX_: 无法保存: 输入/输出错误\n")
                           .arg(source, other)
                           .toUtf8());
    EXPECT_EQ(TempFolder::Read(target), before);
    const QString out = QString::fromUtf8(run.out);
    EXPECT_EQ(out.count(QStringLiteral("A.ASM(字符数=42)  ==>  未处理:输入/输出错误")), 2)
        << run.out.toStdString();
    EXPECT_EQ(
        out.count(QStringLiteral("B.ASM(字符数=42)  ==>  未处理:可能没有写入磁盘,输入/输出错误")),
        2);
    // New targets alone, none waiting for a name: the run fails all the same.
    QFile::remove(target);
    QFile::remove(other + ".TX_");
    const Outcome fresh =
        Launch({.arguments = {source, other}, .environment = FailingIo("QINGYAN_FAIL_SYNCFS=5")});
    EXPECT_EQ(fresh.status, 1);
    EXPECT_EQ(fresh.err.count(QStringLiteral("可能没有写入磁盘: 输入/输出错误")), 2)
        << fresh.err.toStdString();
    // A save over its source is flushed before it takes the source's place, even in such a run.
    EXPECT_EQ(Launch({.arguments = {"--no-extension", source, other},
                      .environment = FailingIo("QINGYAN_FAIL_FSYNC=5")})
                  .status,
              1);
    EXPECT_EQ(TempFolder::Read(source), QByteArray(kGbkSource));
}

TEST(StripCli, BadOptionsAreRefusedBeforeAnyFileIsTouched) {
    TempFolder folder;
    const QString source = folder.Write("A.ASM", kGbkSource);
    const std::pair<QStringList, const char*> refusals[] = {
        {{"--set", "Nope=1"}, "没有名为 Nope 的选项"},
        {{"--bogus"}, "未知选项'--bogus'"},
        {{"--lang", "pascal"}, "--lang 只能是 auto、asm、c、c++、"},
        {{"-j", "0"}, "--jobs 需要一个正整数: 0"},
        {{"-j", "x"}, "--jobs 需要一个正整数: x"},
        {{"--check", "--diff"}, "--stdout、--check 和 --diff 只能选一个"},
        {{"--stdout", "--check"}, "--stdout、--check 和 --diff 只能选一个"},
        {{"--pattern", "*.ASM"}, "--pattern 只用于 -r(--recursive)"}};
    for (const auto& [arguments, said] : refusals) {
        const Outcome run = Launch({.arguments = arguments + QStringList{source}});
        EXPECT_EQ(run.status, 2) << said;
        EXPECT_THAT(run.err, Starts(QStringLiteral("qingyan-strip: ") + QString::fromUtf8(said)));
        EXPECT_THAT(
            run.err,
            Ends(QStringLiteral("\n用法: qingyan-strip [选项] FILE...  (--help 查看说明)\n")));
    }
    // Qt's own words for an option given without its value, in Chinese as the rest.
    const Outcome valueless = Launch({.arguments = {source, "--lang"}});
    EXPECT_EQ(valueless.status, 2);
    EXPECT_THAT(valueless.err, Starts(QStringLiteral("qingyan-strip: “--lang”之后缺少值。\n")));
    const Outcome none = Launch({});
    EXPECT_EQ(none.status, 2);
    EXPECT_THAT(none.err, Starts(QStringLiteral("qingyan-strip: 没有给出文件\n")));
    EXPECT_EQ(folder.Entries(), QStringList{"A.ASM"});
    // A folder without -r is not read; the message says how to have it read.
    const Outcome tree = Launch({.arguments = {folder.Root()}});
    EXPECT_EQ(tree.status, 1);
    EXPECT_THAT(tree.err, Holds("这是一个文件夹;要处理其中的源文件,请加 -r"));
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
    QFile::link("nowhere", folder.Path("src/sub/GONE.C"));
    const Outcome run = Strip({"-r", "--verbose", "-j", "4", "src", "none.ASM"});
    EXPECT_EQ(run.status, 1);  // for the missing file
    const Outcome oneCore = Strip({"-r", "--verbose", "-j", "1", "src", "none.ASM"});
    EXPECT_EQ(oneCore.out, run.out);
    EXPECT_EQ(oneCore.err, run.err);
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 9);  // the missing file too, with why
    EXPECT_EQ(lines[8], QStringLiteral("9:  none.ASM  ==>  未处理:没有那个文件或文件夹"));
    EXPECT_TRUE(lines[0].startsWith("1:  BANNER.ASM(") && lines[4].startsWith("5:  sub/BLOCK.C("));
    EXPECT_THAT(lines[4], Holds("==>  sub/BLOCK.C.TX_("));
    // A link of a source's type that leads nowhere is passed over with a word, and fails nothing.
    EXPECT_EQ(lines[7],
              QStringLiteral("8:  sub/GONE.C  ==>  跳过:这是符号链接,它指向的文件不存在"));
    EXPECT_EQ(Strip({"-r", "src"}).status, 0);
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
}

// Each file by its own language's rules, with no --lang: C++ for its many types, assembler in the
// dialect its type and text show, and nothing read by rules it does not follow. A file whose text
// tells no dialect loses only what every dialect of its type calls a comment, and the run says
// so. -r passes over every file no language claims; one named is refused.
TEST_F(StripTree, EachFileIsReadInItsOwnLanguageAndDialectAndNoOtherFileIsTouched) {
    const QByteArray cpp = "int a = 1; int b = 2; // two\nauto s = R\"x(// no)x\"; // c\n";
    const QByteArray cppCleaned = "int a = 1; int b = 2;\nauto s = R\"x(// no)x\";\n";
    const QByteArray riscv = "\taddi a0,a0,1; sw ra,0(sp) # c\n";  // ; separates, # leads
    const QByteArray riscvCleaned = "\taddi a0,a0,1; sw ra,0(sp)\n";
    const struct {
        const char* name;
        QByteArray text, cleaned;
    } files[] = {
        {"t.cpp", cpp, cppCleaned},
        {"t.hpp", cpp, cppCleaned},
        {"t.cc", cpp, cppCleaned},
        {"t.INO", cpp, cppCleaned},
        {"boot.s", riscv, riscvCleaned},
        {"boot.S", "\tcsrr t0, mstatus\n" + riscv, "\tcsrr t0, mstatus\n" + riscvCleaned},
        {"start.S", "#include <asm/x.h>\n\t.syntax unified\n\tmovs r0, #'@' @ c\n\tbx lr // c\n",
         "#include <asm/x.h>\n\t.syntax unified\n\tmovs r0, #'@'\n\tbx lr\n"},
        {"iar.s", "\tRSEG CODE:CODE\n\tPUBLIC f\n\tEXTERN g\nf:\tMOV R0, #';' // c\n",
         "\tRSEG CODE:CODE\n\tPUBLIC f\n\tEXTERN g\nf:\tMOV R0, #';'\n"},
        {"nasm.asm", "bits 32\nsection .text\n\tresb 0\n\tmov al, ';' ; c\n\tdb `a;b`, 0\n",
         "bits 32\nsection .text\n\tresb 0\n\tmov al, ';'\n\tdb `a;b`, 0\n"},
        {"pic.asm", "\tlist p=16f84a\n\tbanksel 0\n\tretlw ';' ; c\n",
         "\tlist p=16f84a\n\tbanksel 0\n\tretlw ';'\n"},
        {"timer.a51", "$NOMOD51 ; kept\n\tCJNE A,#';',L ; c\n",
         "$NOMOD51 ; kept\n\tCJNE A,#';',L\n"},
        {"what.s", "\tnop ; x @ y # z\n", "\tnop ; x @ y # z\n"}};
    QDir(folder.Root()).mkpath("tree");
    for (const auto& file : files) {
        folder.Write(QStringLiteral("tree/") + file.name, file.text);
    }
    const char* others[] = {"link.x",         "libfoo.a", "main.d",     "config.h.in",
                            "CMakeLists.txt", "README",   "rules.cmake"};
    for (const char* name : others) {
        folder.Write(QStringLiteral("tree/") + name, riscv);
    }
    const Outcome run = Strip({"-r", "--report", "tree"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    for (const auto& file : files) {
        EXPECT_EQ(TempFolder::Read(folder.Path(QStringLiteral("tree/") + file.name + ".TX_")),
                  file.cleaned)
            << file.name;
    }
    for (const char* name : others) {
        EXPECT_FALSE(QFileInfo::exists(folder.Path(QStringLiteral("tree/") + name + ".TX_")))
            << name;
    }
    const QString report = QString::fromUtf8(run.out);
    EXPECT_THAT(report, Holds(QStringLiteral("what.s.TX_(字符数=17)  提示:看不出汇编方言")));
    EXPECT_EQ(report.count(QStringLiteral("看不出汇编方言")), 1);
    const Outcome named = Strip({"tree/link.x"});
    EXPECT_EQ(named.status, 1);
    EXPECT_THAT(named.err, Holds("--lang"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("tree/link.x.TX_")));
    const Outcome forced = Strip({"--lang", "c++", "--stdout", "tree/README"});
    EXPECT_EQ(forced.status, 0);
    EXPECT_EQ(forced.out, riscv);
}

TEST_F(StripTree, CheckListsWhatWouldGoAndWritesNothing) {
    const Outcome dirty = Strip({"--check", "--lang", "auto", "-r", "src"});
    EXPECT_EQ(dirty.status, 1);
    EXPECT_TRUE(dirty.out.contains("src/LFMIX.ASM:3: ; load\nsrc/LFMIX.ASM:5: ; call\n"))
        << dirty.out.toStdString();
    EXPECT_TRUE(dirty.out.contains("src/CRONLY.ASM:4: ; whole\n"));
    EXPECT_THAT(dirty.out, Holds("src/sub/BLOCK.C: 3处注释将被消除\n"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("src/LFMIX.ASM.TX_")));
    folder.Write("CLEAN.ASM", "; head\nnop\n");
    const Outcome clean = Strip({"--check", "CLEAN.ASM"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_TRUE(clean.out.isEmpty());
    // No comment, but a save would still change it: --check reads the text a save writes.
    folder.Write("TIDY.ASM", "nop\n\n\n\nnop   \n");
    const Outcome tidy = Strip({"--check", "TIDY.ASM"});
    EXPECT_EQ(tidy.status, 1);
    EXPECT_EQ(tidy.out, QByteArray("TIDY.ASM: 将被整理(空行、空格、文件头或文件尾)\n"));
    EXPECT_EQ(Strip({"--check", "--keep-blanks", "TIDY.ASM"}).status, 0);
    const Outcome headed = Strip({"--check", "--set", "AddHeader=1", "CLEAN.ASM"});
    EXPECT_EQ(headed.status, 1);
}

// Applied in the current folder by patch -p1 (and git apply), the diff gives what a save writes,
// whatever the names hold: spaces, a name that begins another, a tab, a quote, a backslash, a
// control character.
TEST_F(StripTree, DiffAppliedWithPatchGivesWhatASaveWrites) {
    const QStringList odd = {
        "src/SDCC Includes/reg.h", "src/main.c",        "src/main.c copy.c", "src/tab\there.c",
        "src/say \"hi\".c",        "src/back\\slash.c", "src/bell\a.c"};
    QDir(folder.Root()).mkpath("src/SDCC Includes");
    for (const QString& name : odd) {
        folder.Write(name, "int x; // " + name.toUtf8() + "\n");
    }
    const auto apply = [&](const char* program, const QStringList& arguments,
                           const QByteArray& diff) {
        QProcess tool;
        tool.setWorkingDirectory(folder.Root());
        tool.start(QString::fromLatin1(program), arguments);
        tool.write(diff);
        tool.closeWriteChannel();
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << program << tool.readAllStandardError().toStdString();
    };
    const Outcome diff = Strip({"--diff", "-r", "src"});
    ASSERT_EQ(diff.status, 1) << diff.err.toStdString();  // as diff's: 1 for differences
    // The same names from absolute paths under the current folder.
    EXPECT_EQ(Strip({"--diff", "-r", folder.Path("src")}).out, diff.out);
    EXPECT_EQ(Strip({"--diff", "-r", folder.Path("src/sub/../.")}).out, diff.out);
    EXPECT_THAT(diff.out, Holds("--- \"a/src/bell\\007.c\"\n"));
    EXPECT_THAT(diff.out, Holds("--- \"a/src/say \\\"hi\\\".c\"\n"));
    EXPECT_THAT(diff.out, Holds("--- a/src/SDCC Includes/reg.h\t\n"));
    const TempFolder outside;  // and a path elsewhere as it was given
    const QString far = outside.Write("F.ASM", "x ; y\n");
    EXPECT_THAT(Strip({"--diff", far}).out, Starts("--- a/" + far.toUtf8() + "\t\n"));
    EXPECT_EQ(folder.Entries().size(), 3);  // nothing written
    ASSERT_EQ(Strip({"-r", "src"}).status, 0);
    const QString sources[] = {"src/BANNER.ASM", "src/LFMIX.ASM", "src/sub/BLOCK.C",
                               "src/sub/DEF.H"};
    QStringList all = odd;
    all.append(QStringList(std::begin(sources), std::end(sources)));
    apply("patch", {"-p1", "-s"}, diff.out);
    for (const QString& name : all) {
        EXPECT_EQ(TempFolder::Read(folder.Path(name)), TempFolder::Read(folder.Path(name) + ".TX_"))
            << name.toStdString();
    }
    apply("patch", {"-p1", "-s", "-R"}, diff.out);
    if (QFileInfo::exists(QStringLiteral("/usr/bin/git"))) {
        apply("git", {"apply", "-p1", "--unsafe-paths", "-"}, diff.out);
        for (const QString& name : all) {
            EXPECT_EQ(TempFolder::Read(folder.Path(name)),
                      TempFolder::Read(folder.Path(name) + ".TX_"))
                << name.toStdString();
        }
    }
    folder.Write("D.ASM", "d ; x\n");
    // No difference: 0; trouble: 2.
    folder.Write("CLEAN.ASM", "nop\n");
    EXPECT_EQ(Strip({"--diff", "CLEAN.ASM"}).status, 0);
    EXPECT_EQ(Strip({"--diff", "D.ASM", "NONE.ASM"}).status, 2);
}

TEST_F(StripTree, ReportIsTheBatchReport) {
    EXPECT_EQ(QString::fromUtf8(Strip({"--report", "src/LFMIX.ASM"}).out),
              QStringLiteral("    ====批量处理报告====\r\n\r\n路径=") + folder.Root() +
                  QStringLiteral("/\r\n处理文件数 = 1\r\n\r\n1:  LFMIX.ASM(字符数=80)  ==>  "
                                 "LFMIX.ASM.TX_(字符数=64)\r\n"));
}

}  // namespace
