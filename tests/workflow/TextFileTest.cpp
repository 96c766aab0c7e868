#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <set>
#include <string>

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "DiskCalls.h"
#include "TempFolder.h"
#include "workflow/Batch.h"
#include "workflow/Folder.h"
#include "workflow/Pipeline.h"
#include "workflow/TextFile.h"

using codec::TextEncoding;
using workflow::Failure;
using workflow::FailureKind;
using workflow::ReadSourceFile;
using workflow::SourceFacts;
using workflow::SystemFailure;
using workflow::WriteTargetFile;

namespace {

constexpr TextEncoding Gbk = TextEncoding::Gbk;

// A failure as text, which a case run as another user sends back.
QString Said(const Failure& failure) {
    return QStringLiteral("%1/%2").arg(static_cast<int>(failure.kind)).arg(failure.error);
}
QString Said(FailureKind kind) {
    return Said(Failure{kind});
}

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

struct stat StatOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(lstat(Native(path).constData(), &st), 0) << path.toStdString();
    return st;
}

// What a save knows of the source at `path`, as a read of it learns.
SourceFacts FactsOf(const QString& path) {
    const workflow::ReadOutcome read = ReadSourceFile(path);
    EXPECT_TRUE(read.file.has_value()) << path.toStdString() << Said(read.failure).toStdString();
    return read.file ? read.file->facts : SourceFacts{};
}

void SetAcl(const QString& path, const char* text, acl_type_t type = ACL_TYPE_ACCESS) {
    const acl_t acl = acl_from_text(text);
    ASSERT_NE(acl, nullptr);
    ASSERT_EQ(acl_set_file(Native(path).constData(), type, acl), 0);
    acl_free(acl);
}

QString AclOf(const QString& path) {
    const acl_t acl = acl_get_file(Native(path).constData(), ACL_TYPE_ACCESS);
    char* text = acl_to_any_text(acl, nullptr, ',', TEXT_ABBREVIATE | TEXT_NUMERIC_IDS);
    const QString result = QString::fromLatin1(text);
    acl_free(text);
    acl_free(acl);
    return result;
}

TEST(ReadSourceFile, FailuresComeBackAsReasons) {
    TempFolder folder;
    EXPECT_EQ(ReadSourceFile(folder.Path("gone.ASM")).failure, SystemFailure(ENOENT));
    EXPECT_EQ(ReadSourceFile(folder.Root()).failure.kind, FailureKind::SourceIsFolder);
    EXPECT_EQ(ReadSourceFile(folder.Write("F", "x") + "/A.ASM").failure, SystemFailure(ENOTDIR));
    EXPECT_EQ(ReadSourceFile(folder.Path(QString(300, u'n'))).failure, SystemFailure(ENAMETOOLONG));
    // A FIFO with no writer is seen for what it is, not waited on.
    ASSERT_EQ(mkfifo(Native(folder.Path("pipe")).constData(), 0600), 0);
    EXPECT_EQ(ReadSourceFile(folder.Path("pipe")).failure.kind, FailureKind::SourceNotRegular);
    const workflow::ReadOutcome binary =
        ReadSourceFile(folder.Write("P.ASM", QByteArray("a\0b", 3)));
    EXPECT_TRUE(binary.failure.kind == FailureKind::BinaryFile && !binary.file);
    // A file of /proc says its size is 0, and is read to its end.
    const workflow::ReadOutcome status = ReadSourceFile(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(status.file.has_value());
    EXPECT_THAT(QString::fromStdU16String(status.file->text), Holds("Pid:"));
    // One of /sys says it holds 4096 bytes and holds fewer: those are read, and nothing more.
    const QString online = QStringLiteral("/sys/devices/system/cpu/online");
    EXPECT_EQ(QString::fromStdU16String(ReadSourceFile(online).file.value().text).toUtf8(),
              TempFolder::Read(online));

    const QString locked = folder.Write("LOCKED.ASM", "nop\r\n");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7555));
    EXPECT_EQ(AsUnprivileged([&] { return Said(ReadSourceFile(locked).failure); }),
              Said(SystemFailure(EACCES)));
}

TEST(WriteTargetFile, WritesInTheGivenEncodingWithoutConvertingLineBreaks) {
    TempFolder folder;
    const QString path = folder.Path("T.TX_");
    ASSERT_TRUE(WriteTargetFile(path, u"中\n\r\n", Gbk).ok());
    EXPECT_EQ(TempFolder::Read(path), QByteArray("\xD6\xD0\n\r\n"));
    // The last character stands for a byte that is not UTF-8, and is written as that byte.
    ASSERT_TRUE(WriteTargetFile(path, u"中\uF7FF", TextEncoding::Utf8WithBom).ok());
    EXPECT_EQ(TempFolder::Read(path), QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD\xFF"));
    const workflow::ReadOutcome read = ReadSourceFile(path);  // the mark read back, not as text
    EXPECT_TRUE(read.file && read.file->encoding == TextEncoding::Utf8WithBom &&
                read.file->text == u"中\uF7FF");
    // A name as long as the system allows: the new file's own name never makes it too long.
    const QString longest = folder.Path(QString(251, u'n') + ".TX_");
    EXPECT_TRUE(WriteTargetFile(longest, u"x", Gbk).ok());
    EXPECT_EQ(folder.Entries(), (QStringList{QString(251, u'n') + ".TX_", "T.TX_"}));
    // GBK met only late, after the text has been written over half the bytes it was read from.
    const workflow::ReadOutcome late =
        ReadSourceFile(folder.Write("LATE.ASM", QByteArray(64, 'x') + "\xD6\xD0"));
    EXPECT_TRUE(late.file && late.file->text == std::u16string(64, u'x') + u"中");
}

// Saved means on disk: a save flushes its data before the file takes its name, and the folder
// after. A run of many saves leaves a new name to its one flush at the end, and a file that would
// replace an old target waits for that flush before it takes the name.
TEST(WriteTargetFile, TheDataIsOnDiskBeforeTheNameAndTheNameBeforeTheSaveIsDone) {
    using Calls = std::vector<std::string>;
    TempFolder folder;
    DiskCalls calls;
    const auto save = [&](const char* name, workflow::SaveOptions options = {}) {
        EXPECT_TRUE(WriteTargetFile(folder.Path(name), u"x", Gbk, {}, options).ok()) << name;
        return calls.Take();
    };
    const Calls whole{"fsync file", "name", "fsync folder"};
    EXPECT_EQ(save("NEW"), whole);
    EXPECT_EQ(save("NEW"), whole);  // an old target replaced
    EXPECT_EQ(save("LATER", {.flush = false}), Calls{"name"});
    EXPECT_EQ(save("LATER", {.flush = false}), (Calls{"fsync file", "name"}));
    workflow::SavedFileSystems run;
    EXPECT_EQ(save("LATER", {.flush = false, .waitFor = &run}), Calls{});
    EXPECT_EQ(TempFolder::Read(folder.Path("LATER")), "x");
    ASSERT_TRUE(run.Flush());
    EXPECT_EQ(calls.Take(), (Calls{"syncfs", "name", "syncfs"}));
    EXPECT_EQ(folder.Entries(), (QStringList{"LATER", "NEW"}));
}

// No link can aim a save: a link at the target is replaced, and what it pointed at is untouched.
// The source is never a target by any other path or link, unless the user named it.
TEST(WriteTargetFile, ReplacesALinkAtTheTargetAndNeverTheSourceUnasked) {
    TempFolder folder;
    const QString elsewhere = folder.Write("ELSEWHERE", "precious");
    ASSERT_TRUE(QFile::link(elsewhere, folder.Path("A.TX_")));
    ASSERT_TRUE(QFile::link(folder.Path("SELF"), folder.Path("SELF")));
    for (const char* name : {"A.TX_", "SELF"}) {
        ASSERT_TRUE(WriteTargetFile(folder.Path(name), u"new", Gbk).ok()) << name;
        EXPECT_FALSE(QFileInfo(folder.Path(name)).isSymLink());
        EXPECT_EQ(TempFolder::Read(folder.Path(name)), QByteArray("new"));
    }
    EXPECT_EQ(TempFolder::Read(elsewhere), QByteArray("precious"));

    const QString source = folder.Write("S.ASM", "source");
    ASSERT_TRUE(QFile::link(source, folder.Path("S.ASM.TX_")));
    const SourceFacts facts = FactsOf(source);
    for (const QString& target : {folder.Path("S.ASM.TX_"), folder.Root() + "/./S.ASM"}) {
        EXPECT_EQ(WriteTargetFile(target, u"x", Gbk, facts).failure.kind,
                  FailureKind::TargetIsSource);
    }
    EXPECT_EQ(TempFolder::Read(source), QByteArray("source"));
    EXPECT_TRUE(WriteTargetFile(source, u"asked", Gbk, facts, {.replacesSource = true}).ok());
    EXPECT_EQ(TempFolder::Read(source), QByteArray("asked"));
}

TEST(WriteTargetFile, NoOneMayReadTheTargetWhoMayNotReadTheSource) {
    TempFolder folder;
    const mode_t savedMask = umask(027);
    const QString secret = folder.Write("SECRET.ASM", "x");
    const QString shared = folder.Write("SHARED.ASM", "x");
    ASSERT_EQ(chmod(Native(secret).constData(), 0600), 0);
    ASSERT_EQ(chmod(Native(shared).constData(), 0644), 0);
    // New targets take the source's mode less the umask, as cp makes them.
    ASSERT_TRUE(WriteTargetFile(folder.Path("N.TX_"), u"x", Gbk, FactsOf(secret)).ok());
    EXPECT_EQ(ModeOf(folder.Path("N.TX_")), 0600u);
    ASSERT_TRUE(WriteTargetFile(folder.Path("M.TX_"), u"x", Gbk, FactsOf(shared)).ok());
    EXPECT_EQ(ModeOf(folder.Path("M.TX_")), 0640u);
    // A text of no file (typed, or standard input) gets what a new file gets.
    ASSERT_TRUE(WriteTargetFile(folder.Path("T.TX_"), u"x", Gbk).ok());
    EXPECT_EQ(ModeOf(folder.Path("T.TX_")), 0640u);
    umask(savedMask);
    // An existing target keeps a mode no wider than the source's, and loses a wider one.
    const QString kept = folder.Write("K.TX_", "old");
    ASSERT_EQ(chmod(Native(kept).constData(), 0604), 0);
    ASSERT_TRUE(WriteTargetFile(kept, u"x", Gbk, FactsOf(shared)).ok());
    EXPECT_EQ(ModeOf(kept), 0604u);
    ASSERT_TRUE(WriteTargetFile(kept, u"x", Gbk, FactsOf(secret)).ok());
    EXPECT_EQ(ModeOf(kept), 0600u);
    // ACL entries: kept where the source has them too, dropped where they would let more read.
    SetAcl(shared, "u::rw,u:12345:r,g::r,m::r,o::-");
    SetAcl(kept, "u::rw,u:12345:r,g::r,m::r,o::-");
    ASSERT_TRUE(WriteTargetFile(kept, u"x", Gbk, FactsOf(shared)).ok());
    EXPECT_EQ(AclOf(kept), "u::rw-,u:12345:r--,g::r--,m::r--,o::---");
    ASSERT_TRUE(WriteTargetFile(kept, u"x", Gbk, FactsOf(secret)).ok());
    EXPECT_EQ(AclOf(kept), "u::rw-,g::---,o::---");
    // A target without ACL entries whose group may read the source through its ACL keeps its own
    // mode, the group's right to write in it too.
    const QString plain = folder.Write("PLAIN.TX_", "old");
    ASSERT_EQ(chmod(Native(plain).constData(), 0660), 0);
    ASSERT_TRUE(WriteTargetFile(plain, u"x", Gbk, FactsOf(shared)).ok());
    EXPECT_EQ(ModeOf(plain), 0660u);
    // Where a named group may read the source and its owning group may not, the target's owning
    // group may not read it either, though the source's mode bits show the named group's right.
    const QString named = folder.Write("NAMED.ASM", "x");
    SetAcl(named, "u::rw,g::-,g:23456:r,m::r,o::-");
    ASSERT_TRUE(WriteTargetFile(plain, u"x", Gbk, FactsOf(named)).ok());
    EXPECT_EQ(AclOf(plain), "u::rw-,g::---,o::---");
    ASSERT_TRUE(WriteTargetFile(folder.Path("NAMED.TX_"), u"x", Gbk, FactsOf(named)).ok());
    EXPECT_EQ(AclOf(folder.Path("NAMED.TX_")), "u::rw-,g::---,o::---");
    // A user or group the target's ACL names and the source's does not is reason enough to narrow.
    const QString grouped = folder.Write("GROUPED.ASM", "x");
    ASSERT_EQ(chmod(Native(grouped).constData(), 0640), 0);
    for (const char* named : {"u:12345:r", "g:23456:r"}) {
        SetAcl(plain, (std::string("u::rw,g::r,m::r,o::-,") + named).c_str());
        ASSERT_TRUE(WriteTargetFile(plain, u"x", Gbk, FactsOf(grouped)).ok());
        EXPECT_EQ(AclOf(plain), "u::rw-,g::r--,o::---") << named;
    }
    // A folder whose default ACL lets in readers the source does not have: a new target there is
    // its owner's alone.
    const QString group = folder.Write("GROUP.ASM", "x");
    ASSERT_EQ(chmod(Native(group).constData(), 0640), 0);
    ASSERT_TRUE(QDir().mkdir(folder.Path("acl")));
    SetAcl(folder.Path("acl"), "u::rwx,u:12345:r,g::r,g:23456:r,m::r,o::-", ACL_TYPE_DEFAULT);
    ASSERT_TRUE(WriteTargetFile(folder.Path("acl/G.TX_"), u"x", Gbk, FactsOf(group)).ok());
    EXPECT_EQ(AclOf(folder.Path("acl/G.TX_")), "u::rw-,g::---,o::---");

    if (geteuid() != 0) {
        GTEST_SKIP() << "a target of another user, and another group's folder, need root";
    }
    // Another user's target of a private source of root's: replaced by a file of root's.
    const QString planted = folder.Write("P.TX_", "");
    ASSERT_EQ(chown(Native(planted).constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(Native(planted).constData(), 0666), 0);
    ASSERT_TRUE(WriteTargetFile(planted, u"secret", Gbk, FactsOf(secret)).ok());
    EXPECT_EQ(StatOf(planted).st_uid, 0u);
    EXPECT_EQ(ModeOf(planted), 0600u);
    // That user's target of that user's source keeps its owner.
    ASSERT_EQ(chown(Native(shared).constData(), 65534, 65534), 0);
    ASSERT_EQ(chown(Native(planted).constData(), 65534, 65534), 0);
    ASSERT_TRUE(WriteTargetFile(planted, u"x", Gbk, FactsOf(shared)).ok());
    EXPECT_EQ(StatOf(planted).st_uid, 65534u);
    // In another group's setgid folder, a new target is not given that group's access.
    const QString setgid = folder.Path("setgid");
    ASSERT_TRUE(QDir().mkdir(setgid));
    ASSERT_EQ(chown(Native(setgid).constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(Native(setgid).constData(), 02777), 0);
    ASSERT_EQ(chmod(Native(secret).constData(), 0640), 0);
    ASSERT_TRUE(WriteTargetFile(setgid + "/S.TX_", u"x", Gbk, FactsOf(secret)).ok());
    // It takes the source's group, and with it that group's right to read it.
    const struct stat made = StatOf(setgid + "/S.TX_");
    EXPECT_EQ(made.st_gid, StatOf(secret).st_gid);
    EXPECT_EQ(made.st_mode & 0777, 0640u & ~savedMask);
}

TEST(WriteTargetFile, FailuresLeaveTheOldTargetAndNoTemporaryFile) {
    TempFolder folder;
    EXPECT_EQ(WriteTargetFile(folder.Path("none/T.TX_"), u"x", Gbk).failure.kind,
              FailureKind::TargetFolderMissing);
    EXPECT_FALSE(QFileInfo::exists(folder.Path("none")));
    EXPECT_EQ(WriteTargetFile(folder.Root(), u"x", Gbk).failure.kind, FailureKind::TargetIsFolder);
    EXPECT_EQ(WriteTargetFile(folder.Path(QString(300, u'n')), u"x", Gbk).failure,
              SystemFailure(ENAMETOOLONG));
    ASSERT_EQ(mkfifo(Native(folder.Path("pipe")).constData(), 0600), 0);
    EXPECT_EQ(WriteTargetFile(folder.Path("pipe"), u"x", Gbk).failure.kind,
              FailureKind::TargetNotRegular);

    const QString target = folder.Write("T.TX_", "old target");
    // A folder the user may not write to, with a read-only target.
    QFile::setPermissions(target, QFileDevice::Permissions(0x4444));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x5555));
    EXPECT_EQ(AsUnprivileged([&] { return Said(WriteTargetFile(target, u"new", Gbk).failure); }),
              Said(FailureKind::TargetReadOnly));
    EXPECT_EQ(AsUnprivileged(
                  [&] { return Said(WriteTargetFile(folder.Path("N"), u"new", Gbk).failure); }),
              Said(SystemFailure(EACCES)));
    EXPECT_EQ(TempFolder::Read(target), QByteArray("old target"));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7700));
}

// In a folder that takes no new file, no target is written in place, where a run cut short would
// leave it torn: the save fails with its reason and every file keeps what it had.
TEST(WriteTargetFile, ATargetInAFolderThatTakesNoNewFileIsNeverWrittenInPlace) {
    TempFolder folder;
    const QString target = folder.Write("T.TX_", "old target");
    const QString source = folder.Write("S.ASM", "source");
    for (const QString& file : {target, source}) {
        ASSERT_EQ(chmod(Native(file).constData(), 0600), 0);
        ASSERT_EQ(chown(Native(file).constData(), geteuid() == 0 ? 65534 : geteuid(), -1), 0);
    }
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x5555));
    const auto save = [&](const QString& to, bool replacesSource = false) {
        return AsUnprivileged([&] {
            const SourceFacts facts = FactsOf(source);
            return Said(WriteTargetFile(to, u"new", Gbk, facts, {replacesSource}).failure);
        });
    };
    EXPECT_EQ(save(target), Said(FailureKind::FolderTakesNoNewFile));
    EXPECT_EQ(save(source, true), Said(FailureKind::FolderTakesNoNewFile));
    EXPECT_EQ(save(folder.Path("NEW.TX_")), Said(SystemFailure(EACCES)));
    EXPECT_EQ(TempFolder::Read(target), QByteArray("old target"));
    EXPECT_EQ(TempFolder::Read(source), QByteArray("source"));
    EXPECT_EQ(folder.Entries(), (QStringList{"S.ASM", "T.TX_"}));
    QFile::setPermissions(folder.Root(), QFileDevice::Permissions(0x7700));
}

// The files a walk found are saved in the folder it found them in, even when that folder has
// since been swapped for a link to another.
TEST(WalkTree, AFolderSwappedForALinkAfterTheWalkIsNotEntered) {
    TempFolder folder;
    QDir(folder.Root()).mkpath("tree/sub");
    QDir(folder.Root()).mkpath("private");
    folder.Write("tree/sub/A.ASM", "nop ; x\n");
    // A link to a file is a source; a broken link is none.
    ASSERT_TRUE(QFile::link("A.ASM", folder.Path("tree/sub/L.ASM")));
    ASSERT_TRUE(QFile::link("NONE", folder.Path("tree/sub/N.ASM")));
    std::vector<workflow::TreeItem> found;
    workflow::WalkTree(workflow::Folder::Open(Native(folder.Path("tree"))),
                       workflow::FileTypes("*.ASM"), false,
                       [&](workflow::TreeItem&& item) { found.push_back(std::move(item)); });
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].kind, workflow::TreeItem::Kind::Folder);
    EXPECT_EQ(found[0].shown, "sub");
    EXPECT_EQ(found[1].shown, "sub/A.ASM");
    EXPECT_TRUE(found[1].source && found[1].entry.isRegular && !found[1].entry.isLink);
    EXPECT_EQ(found[2].shown, "sub/L.ASM");
    EXPECT_TRUE(found[2].source && found[2].entry.isRegular && found[2].entry.isLink);
    EXPECT_EQ(found[3].shown, "sub/N.ASM");  // a broken link: named, neither file nor folder
    EXPECT_TRUE(found[3].entry.isLink && !found[3].entry.isRegular && !found[3].entry.isFolder);
    found.erase(found.begin());
    ASSERT_TRUE(QDir(folder.Root()).rename("tree/sub", "tree/moved"));
    ASSERT_TRUE(QFile::link(folder.Path("private"), folder.Path("tree/sub")));
    EXPECT_TRUE(workflow::CleanFile(found[0].file, workflow::LanguageOptions{}).Clean());
    EXPECT_EQ(TempFolder::Read(folder.Path("tree/moved/A.ASM.TX_")), QByteArray("nop\n"));
    EXPECT_TRUE(QDir(folder.Path("private")).isEmpty());
}

// Folders not in use are closed past a few dozen, and opened again by their names when their
// files are wanted: only the folder that was walked is entered, never another put at its name.
TEST(WalkTree, AFolderClosedMeanwhileIsOpenedAgainOnlyIfItIsTheSame) {
    TempFolder folder;
    QDir(folder.Root()).mkpath("private");
    folder.Write("private/A.ASM", "secret");
    const std::shared_ptr<const workflow::Folder> root =
        workflow::Folder::Open(Native(folder.Root()));
    std::vector<std::shared_ptr<const workflow::Folder>> opened;
    for (int i = 0; i < 80; ++i) {
        QDir(folder.Root()).mkpath(QStringLiteral("f%1").arg(i));
        folder.Write(QStringLiteral("f%1/A.ASM").arg(i), QByteArray::number(i));
        opened.push_back(root->Subfolder(QByteArray("f") + QByteArray::number(i)));
        ASSERT_NE(opened.back(), nullptr);
    }
    const auto read = [&](int i) {
        const workflow::ReadOutcome outcome = ReadSourceFile({opened[i], "A.ASM"});
        return outcome.file ? QString::fromStdU16String(outcome.file->text)
                            : workflow::ReasonOf(outcome.failure);
    };
    const QString gone = QStringLiteral("文件或文件夹已被移走或换掉(文件句柄已失效)");
    QDir top(folder.Root());
    ASSERT_TRUE(top.rename("f0", "moved0") &&
                QFile::link(folder.Path("private"), folder.Path("f0")));
    ASSERT_TRUE(top.rename("f1", "moved1") && top.mkdir("f1"));
    folder.Write("f1/A.ASM", "another");
    ASSERT_TRUE(top.rename("f79", "moved79"));
    EXPECT_EQ(read(0), gone);   // a link in its place: not followed
    EXPECT_EQ(read(1), gone);   // another folder of the same name
    EXPECT_EQ(read(2), "2");    // closed, and the same when opened again
    EXPECT_EQ(read(79), "79");  // still open: moved with its folder
    EXPECT_EQ(read(3), "3");
}

// A folder whose folders above were all closed is reached one level at a time: a few descriptors
// suffice at any depth.
TEST(WalkTree, AFolderUnderManyClosedOnesIsReachedWithAFewDescriptors) {
    TempFolder folder;
    QString path = folder.Root();
    for (int level = 0; level < 100; ++level) {
        path += "/d";
    }
    ASSERT_TRUE(QDir().mkpath(path));
    folder.Write(path.mid(folder.Root().size() + 1) + "/A.ASM", "deep");
    const std::shared_ptr<const workflow::Folder> root =
        workflow::Folder::Open(Native(folder.Root()));
    std::vector<std::shared_ptr<const workflow::Folder>> chain{root};
    for (int level = 0; level < 100; ++level) {
        chain.push_back(chain.back()->Subfolder("d"));
        ASSERT_NE(chain.back(), nullptr);
    }
    std::vector<std::shared_ptr<const workflow::Folder>> others;  // the chain closes for these
    for (int i = 0; i < 70; ++i) {
        const QByteArray name = "s" + QByteArray::number(i);
        QDir(folder.Root()).mkdir(QString::fromLatin1(name));
        others.push_back(root->Subfolder(name));
    }
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    // A limit on open files bounds their numbers: the limit that leaves six numbers free.
    std::set<int> used;
    for (const QString& fd : QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System)) {
        used.insert(fd.toInt());
    }
    rlim_t limit = 0;
    for (int free = 0; free < 6; ++limit) {
        free += used.count(static_cast<int>(limit)) == 0 ? 1 : 0;
    }
    const rlimit few{limit, saved.rlim_max};
    setrlimit(RLIMIT_NOFILE, &few);
    const workflow::ReadOutcome read = ReadSourceFile({chain.back(), "A.ASM"});
    setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(read.file) << workflow::ReasonOf(read.failure).toStdString();
    EXPECT_EQ(read.file->text, u"deep");
}

}  // namespace
