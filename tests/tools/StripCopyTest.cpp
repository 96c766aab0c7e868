#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <filesystem>
#include <map>

#include <sys/stat.h>

#include "Launch.h"

namespace {

namespace fs = std::filesystem;

// Everything under a folder as the system holds it, links not followed: each path with its kind,
// its permission bits and, for a file, its bytes; a link with where it leads.
std::map<std::string, std::string> Snapshot(const QString& root) {
    std::map<std::string, std::string> seen;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root.toStdString())) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        std::string what = std::to_string(info.st_mode);
        if (S_ISREG(info.st_mode)) {
            what += ' ' + TempFolder::Read(QString::fromStdString(entry.path())).toStdString();
        } else if (S_ISLNK(info.st_mode)) {
            what += " -> " + fs::read_symlink(entry.path()).string();
        }
        seen[fs::relative(entry.path(), root.toStdString()).string()] = what;
    }
    return seen;
}

// A project to hand on: sources of two languages, files no language claims, a binary file named
// as a source, a hidden folder and file, links, a FIFO, a folder and a file closed to others.
class HandOn : public testing::Test {
protected:
    void SetUp() override {
        QDir(folder.Root()).mkpath("src/lib/.git");
        QDir(folder.Root()).mkpath("src/docs/empty");
        folder.Write("src/main.c", "/* SPDX-License-Identifier: MIT */\nint x; /* c */\n// end\n");
        folder.Write("src/lib/start.asm", "\tnop ; c\r\n");
        folder.Write("src/lib/Makefile", "all: # a comment we do not read\n");
        folder.Write("src/lib/LIB.ASM", QByteArray("\177ELF\0; x\n", 9));
        folder.Write("src/lib/.git/HEAD", "ref\n");
        folder.Write("src/.env", "secret\n");
        // Longer than one block of a read, with a NUL in its first: all of it is copied.
        QByteArray logo("\x89PNG\0\0", 6);
        for (int i = 0; logo.size() < 200'000; ++i) {
            logo.append(static_cast<char>(i * 7 % 251));
        }
        folder.Write("src/docs/logo.png", logo);
        QFile::link("main.c", folder.Path("src/alias.c"));
        QFile::link("nowhere.c", folder.Path("src/broken.c"));
        ::mkfifo(QFile::encodeName(folder.Path("src/lib/pipe")).constData(), 0600);
        ::chmod(QFile::encodeName(folder.Path("src/lib")).constData(), 0750);
        ::chmod(QFile::encodeName(folder.Path("src/main.c")).constData(), 0640);
        ::chmod(QFile::encodeName(folder.Path("src/docs")).constData(), 0555);
        before = Snapshot(folder.Path("src"));
    }
    void TearDown() override {
        EXPECT_EQ(Snapshot(folder.Path("src")), before) << "the source tree changed";
        ::chmod(QFile::encodeName(folder.Path("src/docs")).constData(), 0755);
        ::chmod(QFile::encodeName(folder.Path("out/docs")).constData(), 0755);
    }
    Outcome Strip(const QStringList& arguments) const {
        return Launch({.arguments = arguments, .folder = folder.Root()});
    }
    QByteArray Cleaned(const QString& source) const {
        return Strip({"--stdout", "src/" + source}).out;
    }

    TempFolder folder;
    std::map<std::string, std::string> before;
};

TEST_F(HandOn, ACopyOfTheTreeHoldsTheCleanedSourcesAndEveryOtherFileUnderTheirNames) {
    const Outcome run = Strip({"-r", "-o", "out", "--report", "src"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    // Each source cleaned exactly as a save beside it would be; the rest byte for byte.
    EXPECT_EQ(TempFolder::Read(folder.Path("out/main.c")), Cleaned("main.c"));
    EXPECT_EQ(TempFolder::Read(folder.Path("out/main.c")),
              "/* SPDX-License-Identifier: MIT */\nint x;\n");
    EXPECT_EQ(TempFolder::Read(folder.Path("out/lib/start.asm")), "\tnop\r\n");
    for (const QString copied : {"lib/Makefile", "lib/LIB.ASM", "docs/logo.png"}) {
        EXPECT_EQ(TempFolder::Read(folder.Path("out/" + copied)),
                  TempFolder::Read(folder.Path("src/" + copied)))
            << copied.toStdString();
    }
    // No hidden entry, link or FIFO is copied; an empty folder is.
    EXPECT_EQ(QDir(folder.Path("out"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"docs", "lib", "main.c"}));
    EXPECT_EQ(QDir(folder.Path("out/lib"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"LIB.ASM", "Makefile", "start.asm"}));
    EXPECT_TRUE(QFileInfo(folder.Path("out/docs/empty")).isDir());
    // The folders' and files' permission bits are the source's.
    EXPECT_EQ(ModeOf(folder.Path("out/lib")), 0750u);
    EXPECT_EQ(ModeOf(folder.Path("out/docs")), 0555u);
    EXPECT_EQ(ModeOf(folder.Path("out/main.c")), 0640u);
    EXPECT_EQ(ModeOf(folder.Path("out")), ModeOf(folder.Path("src")));
    // The report names every file the run took, and why each left out was left out.
    const QString report = QString::fromUtf8(run.out);
    EXPECT_THAT(report, Holds("处理文件数 = 10\r\n"));
    for (const QString& line : {
             QStringLiteral("  .env  ==>  跳过:隐藏的文件或文件夹,副本中不复制\r\n"),
             QStringLiteral("  alias.c  ==>  跳过:这是符号链接,副本中不复制\r\n"),
             QStringLiteral("  broken.c  ==>  跳过:这是符号链接,副本中不复制\r\n"),
             QStringLiteral("  docs/logo.png  ==>  docs/logo.png(原样复制)\r\n"),
             QStringLiteral("  lib/.git  ==>  跳过:隐藏的文件或文件夹,副本中不复制\r\n"),
             QStringLiteral("  lib/LIB.ASM  ==>  lib/LIB.ASM(原样复制:这是二进制文件(含有NUL字节),"
                            "不是源文件)\r\n"),
             QStringLiteral(
                 "  lib/pipe  ==>  跳过:不是普通文件(管道、设备或套接字),副本中不复制\r\n"),
             QStringLiteral("  main.c(字符数=57)  ==>  main.c(字符数=42)\r\n"),
         }) {
        EXPECT_TRUE(report.contains(line)) << line.toStdString();
    }
    EXPECT_THAT(run.err, Holds("src/lib/LIB.ASM: 原样复制: 这是二进制文件"));
}

TEST_F(HandOn, SourcesOnlyCopiesNoOtherFileAndFilesNamedGoUnderTheirBaseNames) {
    const Outcome run = Strip({"-r", "--output", "out", "--sources-only", "--verbose", "src"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(folder.Path("out/lib")).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"LIB.ASM", "start.asm"}));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("out/docs/logo.png")));
    EXPECT_FALSE(QString::fromUtf8(run.out).contains(".env"));
    // Files named on their own go to the root of the copy, made where missing.
    const Outcome named = Strip({"-o", "flat/new", "src/main.c", "src/lib/start.asm"});
    EXPECT_EQ(named.status, 0) << named.err.toStdString();
    EXPECT_EQ(QDir(folder.Path("flat/new")).entryList(QDir::Files),
              QStringList({"main.c", "start.asm"}));
    EXPECT_EQ(TempFolder::Read(folder.Path("flat/new/main.c")), Cleaned("main.c"));
    EXPECT_TRUE(named.err.isEmpty()) << "no warning of an overwritten source";
}

// What -o cannot honour is refused before anything is written.
TEST_F(HandOn, OutputsThatCannotHoldACleanCopyAreRefused) {
    for (const char* made : {"full", "hidden/.git", "empty", "other"}) {
        QDir(folder.Root()).mkpath(made);
    }
    folder.Write("full/kept.txt", "x");
    folder.Write("other/main.c", "int y;\n");
    const struct {
        QStringList arguments;
        QString said;
    } refusals[] = {
        {{"-r", "-o", "full", "src"}, "full: 输出文件夹不是空的"},
        {{"-r", "-o", "hidden", "src"}, "hidden: 输出文件夹不是空的"},
        {{"-r", "-o", "src", "src"}, "src: 输出文件夹就是源文件夹,或在源文件夹之内"},
        {{"-r", "-o", "src/lib/new", "src"},
         "src/lib/new: 输出文件夹就是源文件夹,或在源文件夹之内"},
        {{"-r", "-o", "empty", "src", "other"}, "-o 只能复制一个文件夹的树"},
        {{"-o", "empty", "src/main.c", "other/main.c"},
         "other/main.c: 与另一个文件同名,会写到输出文件夹中的同一个文件"},
        {{"-o", "empty", "--check", "src/main.c"}, "-o 不能与 --stdout、--check 或 --diff 同用"},
        {{"--sources-only", "-r", "src"}, "--sources-only 只用于 -o(--output)"},
        {{"-r", "-o", "full/kept.txt/copy", "src"}, "full/kept.txt/copy: 无法建立输出文件夹"},
        {{"-r", "-o", "full/kept.txt", "src"}, "full/kept.txt: 路径中有一项不是文件夹"},
        {{"-r", "-o", QString(300, u'n'), "src"},
         QString(300, u'n') + ": 无法建立输出文件夹,文件名太长"},
    };
    for (const auto& refusal : refusals) {
        const Outcome run = Strip(refusal.arguments);
        EXPECT_EQ(run.status, 2) << refusal.arguments.join(' ').toStdString();
        EXPECT_THAT(run.err, Starts("qingyan-strip: " + refusal.said + "\n"));
    }
    EXPECT_TRUE(QDir(folder.Path("empty")).isEmpty());
    EXPECT_EQ(QDir(folder.Path("full")).entryList(QDir::Files), QStringList{"kept.txt"});
    EXPECT_FALSE(QFileInfo::exists(folder.Path("src/lib/new")));
}

// The report names every file the run took: a binary source with its reason, and a folder it
// could not open, which fails the run, in --check too.
TEST(StripReport, NamesEveryFileTakenAndAFolderTheWalkCannotOpenFailsTheRun) {
    TempFolder folder;
    QDir(folder.Root()).mkpath("tree/closed");
    folder.Write("tree/a.asm", "nop ; c\n");
    folder.Write("tree/LIB.ASM", QByteArray("\177ELF\0; x\n", 9));
    folder.Write("tree/closed/hidden.asm", "nop ; c\n");
    for (const char* path : {"", "/tree"}) {
        ::chmod(QFile::encodeName(folder.Root() + path).constData(), 0777);
    }
    ::chmod(QFile::encodeName(folder.Path("tree/closed")).constData(), 0);
    const auto strip = [&](const QStringList& arguments) {
        return Launch({.arguments = arguments, .folder = folder.Root(), .unprivileged = true});
    };
    const Outcome run = strip({"-r", "--report", "tree"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, Holds("qingyan-strip: tree/closed: 无法打开文件夹,没有权限\n"));
    const QString report = QString::fromUtf8(run.out);
    EXPECT_THAT(report,
                Holds(QStringLiteral("路径=") + folder.Path("tree") + "/\r\n处理文件数 = 3\r\n"));
    EXPECT_TRUE(
        report.contains("1:  LIB.ASM  ==>  未处理:这是二进制文件(含有NUL字节),不是源文件\r\n"));
    EXPECT_THAT(report, Holds("2:  a.asm(字符数=8)  ==>  a.asm.TX_(字符数=4)\r\n"));
    EXPECT_THAT(report, Holds("3:  closed  ==>  跳过:无法打开文件夹,没有权限\r\n"));
    const Outcome check = strip({"-r", "--check", "tree/closed"});
    EXPECT_EQ(check.status, 1);
    EXPECT_THAT(check.err, Holds("tree/closed: 无法打开文件夹,没有权限\n"));
    ::chmod(QFile::encodeName(folder.Path("tree/closed")).constData(), 0755);
    const Outcome clean = strip({"-r", "--check", "tree/closed"});
    EXPECT_EQ(clean.status, 1) << "a comment to go";
    EXPECT_TRUE(clean.err.isEmpty()) << clean.err.toStdString();
    // What the run refuses to take at all (a folder without -r, a type no language claims) is
    // told on standard error and is no file of the report.
    folder.Write("tree/README", "text\n");
    const Outcome refused = strip({"--report", "tree/a.asm", "tree/closed", "tree/README"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err.count(QStringLiteral("qingyan-strip: tree/")), 2)
        << refused.err.toStdString();
    EXPECT_THAT(refused.out, Holds("处理文件数 = 1\r\n"));
}

// The cleaned copy builds as the source did: a compiler's line numbers are the source's with
// --keep-lines, and GCC still reads the fall-through comments it warns without.
class ReceiversBuild : public testing::Test {
protected:
    // GCC on the file: its status and what it said.
    static Outcome Gcc(const QStringList& arguments) {
        QProcess gcc;
        gcc.start(QStringLiteral("gcc"), arguments);
        gcc.waitForFinished(60000);
        return {gcc.exitStatus() == QProcess::NormalExit ? gcc.exitCode() : -1,
                {},
                QString::fromUtf8(gcc.readAllStandardError())};
    }
    Outcome Strip(const QStringList& arguments) const {
        return Launch({.arguments = arguments, .folder = folder.Root()});
    }
    TempFolder folder;
};

TEST_F(ReceiversBuild, WithLineNumbersKeptACompilerErrorPointsToTheSourcesLine) {
    QByteArray source =
        "/* A file of forty lines.\n * Its head comment\n * runs five lines\n *\n */\n";
    for (int line = 6; line < 40;) {
        if (line % 3 == 0) {
            source += "/* one */ // two\n";
        } else if (line % 3 == 1 || line == 38) {
            source += "\n";
        } else {
            source += "int v" + QByteArray::number(line) + "; /* a\nb */\n";
            ++line;
        }
        ++line;
    }
    source += "int broken = undeclared_name;\n";
    ASSERT_EQ(source.count('\n'), 40);
    QDir(folder.Root()).mkpath("src");
    folder.Write("src/f.c", source);
    ASSERT_EQ(Strip({"-r", "-o", "kept", "--keep-lines", "src"}).status, 0);
    ASSERT_EQ(Strip({"-r", "-o", "moved", "src"}).status, 0);
    EXPECT_EQ(TempFolder::Read(folder.Path("kept/f.c")).count('\n'), 40);
    const Outcome kept = Gcc({"-fsyntax-only", folder.Path("kept/f.c")});
    EXPECT_NE(kept.status, 0);
    EXPECT_THAT(kept.err, Holds("f.c:40:"));
    const Outcome moved = Gcc({"-fsyntax-only", folder.Path("moved/f.c")});
    EXPECT_FALSE(moved.err.contains("f.c:40:")) << "the test would pass without --keep-lines";
    // The field is there for --set and the window's stored options too.
    ASSERT_EQ(Strip({"--set", "KeepLineNumbers=1", "--extension", ".k", "src/f.c"}).status, 0);
    EXPECT_EQ(TempFolder::Read(folder.Path("src/f.c.k")),
              TempFolder::Read(folder.Path("kept/f.c")));
}

TEST_F(ReceiversBuild, FallThroughCommentsStayForGccUnlessToldToGo) {
    folder.Write("s.c",
                 "int f(int x) {\n  int y = 0;\n  switch (x) {\n  case 1:\n    y = 1;\n"
                 "    /* fall through */\n  case 2:\n    y += 2; // NOLINT(readability)\n"
                 "    break;\n  }\n  return y; /* done */\n}\n");
    const QStringList strict{"-c", "-Wimplicit-fallthrough", "-Werror", "-o", "/dev/null"};
    ASSERT_EQ(Strip({"-o", "defaults", "s.c"}).status, 0);
    EXPECT_EQ(Gcc(strict + QStringList{folder.Path("defaults/s.c")}).status, 0);
    const QByteArray cleaned = TempFolder::Read(folder.Path("defaults/s.c"));
    EXPECT_TRUE(cleaned.contains("// NOLINT(readability)") && !cleaned.contains("done"));
    ASSERT_EQ(Strip({"-o", "stripped", "--strip-tool-comments", "s.c"}).status, 0);
    EXPECT_NE(Gcc(strict + QStringList{folder.Path("stripped/s.c")}).status, 0);
    EXPECT_FALSE(TempFolder::Read(folder.Path("stripped/s.c")).contains("NOLINT"));
}

TEST_F(ReceiversBuild, LicencesAndTextsAskedForStayWhereverTheyStand) {
    folder.Write("l.c",
                 "#ifndef L_H\n#define L_H\n/* Copyright (C) 2024 Acme. All rights reserved. */\n"
                 "int a; // SPDX-License-Identifier: BSD-3-Clause\nint b; /* KEEP: see wiki */\n"
                 "int c; /* plain */\n#endif\n");
    ASSERT_EQ(Strip({"-o", "kept", "--keep-licences", "--keep-matching", "KEEP", "l.c"}).status, 0);
    EXPECT_EQ(TempFolder::Read(folder.Path("kept/l.c")),
              "#ifndef L_H\n#define L_H\n/* Copyright (C) 2024 Acme. All rights reserved. */\n"
              "int a; // SPDX-License-Identifier: BSD-3-Clause\nint b; /* KEEP: see wiki */\n"
              "int c;\n#endif\n");
    ASSERT_EQ(Strip({"-o", "gone", "l.c"}).status, 0);
    EXPECT_EQ(TempFolder::Read(folder.Path("gone/l.c")),
              "#ifndef L_H\n#define L_H\nint a;\nint b;\nint c;\n#endif\n");
}

}  // namespace
