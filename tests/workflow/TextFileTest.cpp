#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>

#include "TempFolder.h"
#include "TextFile.h"

using codec::TextEncoding;
using workflow::ReadSourceFile;
using workflow::WriteTargetFile;

namespace {

TEST(ReadSourceFile, KeepsTheTextEncodingAndLineBreak) {
    TempFolder folder;
    const auto gbk = ReadSourceFile(folder.Write("A.ASM", "\xD6\xD0 ; x\nnop\n"));
    ASSERT_TRUE(gbk.file);
    EXPECT_EQ(gbk.file->text, u"中 ; x\nnop\n");
    EXPECT_EQ(gbk.file->encoding, TextEncoding::Gbk);
    EXPECT_EQ(gbk.file->lineBreak, u"\n");

    const auto utf8 = ReadSourceFile(folder.Write("B.C", "\xEF\xBB\xBFint x;\r\n"));
    ASSERT_TRUE(utf8.file);
    EXPECT_EQ(utf8.file->text, u"int x;\r\n");
    EXPECT_EQ(utf8.file->encoding, TextEncoding::Utf8WithBom);
    EXPECT_EQ(utf8.file->lineBreak, u"\r\n");
}

TEST(ReadSourceFile, AnEmptyFileIsKnownByItsSize) {
    TempFolder folder;
    const auto empty = ReadSourceFile(folder.Write("E.ASM", ""));
    ASSERT_TRUE(empty.file);
    EXPECT_EQ(empty.file->byteSize, 0);
    EXPECT_TRUE(empty.file->text.empty());
    const auto lineBreakOnly = ReadSourceFile(folder.Write("N.ASM", "\r\n"));
    ASSERT_TRUE(lineBreakOnly.file);
    EXPECT_EQ(lineBreakOnly.file->byteSize, 2);
}

TEST(ReadSourceFile, FailuresComeBackAsReasons) {
    TempFolder folder;
    EXPECT_EQ(ReadSourceFile(folder.Path("gone.ASM")).error, QStringLiteral("文件不存在"));
    EXPECT_EQ(ReadSourceFile(folder.Root()).error, QStringLiteral("这是一个文件夹,不是文件"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.Path("pipe")).constData(), 0600), 0);
    EXPECT_EQ(ReadSourceFile(folder.Path("pipe")).error, QStringLiteral("不是普通文件"));

    const QString locked = folder.Write("LOCKED.ASM", "nop\r\n");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7555));
    EXPECT_EQ(RunUnprivileged([&] {
                  const auto read = ReadSourceFile(locked);
                  return !read.file && read.error == QStringLiteral("没有读取权限") ? 0 : 1;
              }),
              0);
}

TEST(WriteTargetFile, WritesInTheGivenEncodingWithoutConvertingLineBreaks) {
    TempFolder folder;
    const QString path = folder.Path("T.TX_");
    ASSERT_TRUE(WriteTargetFile(path, u"中\n\r\n", TextEncoding::Gbk).ok());
    EXPECT_EQ(TempFolder::Read(path), QByteArray("\xD6\xD0\n\r\n"));
    ASSERT_TRUE(WriteTargetFile(path, u"中", TextEncoding::Utf8WithBom).ok());
    EXPECT_EQ(TempFolder::Read(path), QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD"));
    EXPECT_EQ(folder.Entries(), QStringList{"T.TX_"});  // no temporary file left behind
}

TEST(WriteTargetFile, KeepsModeBitsAndFollowsSymbolicLinks) {
    TempFolder folder;
    const QString real = folder.Write("REAL.ASM", "old");
    ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(WriteTargetFile(real, u"new", TextEncoding::Gbk).ok());
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (geteuid() == 0) {  // only root can give a file away; a save must not take it back
        ASSERT_EQ(chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
        ASSERT_TRUE(WriteTargetFile(real, u"newer", TextEncoding::Gbk).ok());
        ASSERT_EQ(stat(QFile::encodeName(real).constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
    }

    const QString link = folder.Path("LINK.ASM");
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(WriteTargetFile(link, u"through the link", TextEncoding::Gbk).ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(TempFolder::Read(real), QByteArray("through the link"));
}

TEST(WriteTargetFile, FailuresLeaveTheOldTargetAndNoTemporaryFile) {
    TempFolder folder;
    EXPECT_EQ(WriteTargetFile(folder.Path("none/T.TX_"), u"x", TextEncoding::Gbk).error,
              QStringLiteral("目标文件夹不存在"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("none")));
    EXPECT_EQ(WriteTargetFile(folder.Root(), u"x", TextEncoding::Gbk).error,
              QStringLiteral("目标路径是一个文件夹"));

    // A write that fails half-way: the file size limit stops it after a few bytes.
    const QString target = folder.Write("T.TX_", "old target");
    const std::u16string big(4096, u'x');
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const workflow::WriteOutcome outcome = WriteTargetFile(target, big, TextEncoding::Gbk);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(TempFolder::Read(target), QByteArray("old target"));
    EXPECT_EQ(folder.Entries(), QStringList{"T.TX_"});

    // A folder the user may not write to.
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x5555));
    EXPECT_EQ(RunUnprivileged([&] {
                  return WriteTargetFile(target, u"new", TextEncoding::Gbk).error ==
                                 QStringLiteral("目标文件是只读的")
                             ? 0
                             : 1;
              }),
              0);
    EXPECT_EQ(RunUnprivileged([&] {
                  return WriteTargetFile(folder.Path("NEW.TX_"), u"new", TextEncoding::Gbk).error ==
                                 QStringLiteral("没有在目标文件夹中写入的权限")
                             ? 0
                             : 1;
              }),
              0);
    EXPECT_EQ(TempFolder::Read(target), QByteArray("old target"));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7700));
}

}  // namespace
