#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include "TempFolder.h"
#include "workflow/TextFile.h"

using codec::TextEncoding;
using workflow::ReadSourceFile;
using workflow::WriteTargetFile;

namespace {

constexpr TextEncoding Gbk = TextEncoding::Gbk;

TEST(ReadSourceFile, FailuresComeBackAsReasons) {
    TempFolder folder;
    EXPECT_EQ(ReadSourceFile(folder.Path("gone.ASM")).error,
              QStringLiteral("没有那个文件或文件夹"));
    EXPECT_EQ(ReadSourceFile(folder.Root()).error, QStringLiteral("这是一个文件夹,不是文件"));
    EXPECT_EQ(ReadSourceFile(folder.Write("F", "x") + "/A.ASM").error,
              QStringLiteral("路径中有一项不是文件夹"));
    EXPECT_EQ(ReadSourceFile(folder.Path(QString(300, u'n'))).error, QStringLiteral("文件名太长"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.Path("pipe")).constData(), 0600), 0);
    EXPECT_EQ(ReadSourceFile(folder.Path("pipe")).error, QStringLiteral("不是普通文件"));

    const QString locked = folder.Write("LOCKED.ASM", "nop\r\n");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7555));
    EXPECT_EQ(AsUnprivileged([&] { return ReadSourceFile(locked).error; }), "没有权限");
}

TEST(WriteTargetFile, WritesInTheGivenEncodingWithoutConvertingLineBreaks) {
    TempFolder folder;
    const QString path = folder.Path("T.TX_");
    ASSERT_TRUE(WriteTargetFile(path, u"中\n\r\n", Gbk).ok());
    EXPECT_EQ(TempFolder::Read(path), QByteArray("\xD6\xD0\n\r\n"));
    ASSERT_TRUE(WriteTargetFile(path, u"中", TextEncoding::Utf8WithBom).ok());
    EXPECT_EQ(TempFolder::Read(path), QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD"));
    EXPECT_EQ(folder.Entries(), QStringList{"T.TX_"});  // no temporary file left behind
}

struct stat StatOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

TEST(WriteTargetFile, AnExistingTargetKeepsItsModeAndOwnerANewOneTakesTheSourceMode) {
    TempFolder folder;
    const QString real = folder.Write("REAL.ASM", "old");
    ASSERT_EQ(chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(WriteTargetFile(real, u"new", Gbk).ok());
    EXPECT_EQ(StatOf(real).st_mode & 07777, 0640u);
    if (geteuid() == 0) {  // only root can give a file away; a save must not take it back
        ASSERT_EQ(chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
        ASSERT_TRUE(WriteTargetFile(real, u"newer", Gbk).ok());
        EXPECT_EQ(StatOf(real).st_uid, 65534u);
    }

    // A private source, reached through a link, gives a private target, less the umask.
    const mode_t savedMask = umask(027);
    const QString secret = folder.Write("SECRET.ASM", "x");
    ASSERT_EQ(chmod(QFile::encodeName(secret).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(secret, folder.Path("S.ASM")));
    ASSERT_TRUE(WriteTargetFile(folder.Path("S.ASM.TX_"), u"x", Gbk, folder.Path("S.ASM")).ok());
    EXPECT_EQ(StatOf(folder.Path("S.ASM.TX_")).st_mode & 07777, 0600u);
    ASSERT_TRUE(WriteTargetFile(folder.Path("R.TX_"), u"x", Gbk, folder.Path("REAL.ASM")).ok());
    EXPECT_EQ(StatOf(folder.Path("R.TX_")).st_mode & 07777, 0640u);
    umask(savedMask);
}

TEST(WriteTargetFile, FollowsOnlyLinksOfTheUserOrOfTheFolderOwner) {
    TempFolder folder;
    const QString real = folder.Write("REAL.ASM", "old");
    const QString link = folder.Path("LINK.ASM");
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(WriteTargetFile(link, u"through the link", Gbk).ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(TempFolder::Read(real), QByteArray("through the link"));

    // Loops are refused and left as they are.
    ASSERT_TRUE(QFile::link(folder.Path("SELF"), folder.Path("SELF")));
    ASSERT_TRUE(QFile::link(folder.Path("B"), folder.Path("A")));
    ASSERT_TRUE(QFile::link(folder.Path("A"), folder.Path("B")));
    for (const char* name : {"SELF", "A"}) {
        EXPECT_EQ(WriteTargetFile(folder.Path(name), u"x", Gbk).error,
                  QStringLiteral("符号链接太多或成环"));
        EXPECT_TRUE(QFileInfo(folder.Path(name)).isSymLink());
    }

    if (geteuid() != 0) {
        GTEST_SKIP() << "planting another user's link needs root";
    }
    // A shared folder (mode 1777, owned by root) where "nobody" planted links.
    const QString shared = folder.Path("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString victim = folder.Write("VICTIM", "precious");
    for (const auto& [name, to] :
         {std::pair{"/A.TX_", victim}, std::pair{"/B.TX_", real + ".new"}}) {
        const QByteArray planted = QFile::encodeName(shared + name);
        ASSERT_EQ(symlink(QFile::encodeName(to).constData(), planted.constData()), 0);
        ASSERT_EQ(lchown(planted.constData(), 65534, 65534), 0);
        EXPECT_EQ(WriteTargetFile(shared + name, u"x", Gbk).error,
                  QStringLiteral("目标是别的用户建立的符号链接,为安全起见不经它写入"));
    }
    EXPECT_EQ(TempFolder::Read(victim), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo::exists(real + ".new"));
    // In a folder of their own, the owner's links are followed.
    ASSERT_EQ(chown(QFile::encodeName(shared).constData(), 65534, 65534), 0);
    EXPECT_TRUE(WriteTargetFile(shared + "/A.TX_", u"mine", Gbk).ok());
    EXPECT_EQ(TempFolder::Read(victim), QByteArray("mine"));
}

TEST(WriteTargetFile, FailuresLeaveTheOldTargetAndNoTemporaryFile) {
    TempFolder folder;
    EXPECT_EQ(WriteTargetFile(folder.Path("none/T.TX_"), u"x", Gbk).error,
              QStringLiteral("目标文件夹不存在"));
    EXPECT_FALSE(QFileInfo::exists(folder.Path("none")));
    EXPECT_EQ(WriteTargetFile(folder.Root(), u"x", Gbk).error,
              QStringLiteral("目标路径是一个文件夹"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.Path("pipe")).constData(), 0600), 0);
    EXPECT_EQ(WriteTargetFile(folder.Path("pipe"), u"x", Gbk).error, "目标不是普通文件");

    const QString target = folder.Write("T.TX_", "old target");
    // A folder the user may not write to, with a read-only target.
    QFile::setPermissions(target, QFileDevice::Permissions(0x4444));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x5555));
    EXPECT_EQ(AsUnprivileged([&] { return WriteTargetFile(target, u"new", Gbk).error; }),
              "目标文件是只读的");
    EXPECT_EQ(AsUnprivileged([&] { return WriteTargetFile(folder.Path("N"), u"new", Gbk).error; }),
              "没有权限");
    EXPECT_EQ(TempFolder::Read(target), QByteArray("old target"));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7700));
}

TEST(WriteTargetFile, AWritableTargetInAClosedFolderIsWrittenInPlaceUnlessItIsTheSource) {
    TempFolder folder;
    const QString target = folder.Write("T.TX_", "old target");
    const QString source = folder.Write("S.ASM", "source");
    QFile::setPermissions(target, QFileDevice::Permissions(0x6666));
    QFile::setPermissions(source, QFileDevice::Permissions(0x6666));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x5555));
    EXPECT_EQ(AsUnprivileged([&] { return WriteTargetFile(target, u"new", Gbk, source).error; }),
              "");
    EXPECT_TRUE(AsUnprivileged([&] {
                    return WriteTargetFile(source, u"new", Gbk, source).error;
                }).startsWith(QStringLiteral("目标就是源文件")));
    EXPECT_EQ(TempFolder::Read(target), QByteArray("new"));
    EXPECT_EQ(TempFolder::Read(source), QByteArray("source"));
    EXPECT_EQ(folder.Entries(), (QStringList{"S.ASM", "T.TX_"}));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7700));
}

}  // namespace
