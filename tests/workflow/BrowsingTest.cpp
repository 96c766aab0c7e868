#include <gtest/gtest.h>

#include <QDir>

#include "TempFolder.h"
#include "workflow/Browsing.h"

namespace {

TEST(Volumes, RemovableMediaAndRealFileSystemsAreListedSystemScratchIsNot) {
    using Mount = std::pair<const char*, const char*>;  // type, mount path
    for (const auto& [type, path] : {Mount{"ext4", "/"}, Mount{"vfat", "/run/media/ann/KEY"},
                                     Mount{"tmpfs", "/tmp"}, Mount{"xfs", "/run/data"}}) {
        EXPECT_TRUE(workflow::IsUserVolume(type, path)) << type << " " << path;
    }
    for (const auto& [type, path] :
         {Mount{"tmpfs", "/run/user/1000"}, Mount{"tmpfs", "/run"}, Mount{"tmpfs", "/dev/shm"},
          Mount{"proc", "/proc"}, Mount{"squashfs", "/snap/core/1"}}) {
        EXPECT_FALSE(workflow::IsUserVolume(type, path)) << type << " " << path;
    }
    const QList<workflow::Volume> volumes = {
        {"/", ""}, {"/media/usb", "DATA"}, {"/media/usb2", ""}};
    EXPECT_EQ(workflow::VolumeEntryText(volumes[1]), "/media/usb [DATA]");
    EXPECT_EQ(workflow::VolumeHolding(volumes, "/media/usb2/src"), 2);
    EXPECT_EQ(workflow::VolumeHolding(volumes, "/home"), 0);
    // The deepest mount holding the path, in whatever order the volumes come.
    const QList<workflow::Volume> unordered = {{"/media/usb", ""}, {"/", ""}, {"/media", ""}};
    EXPECT_EQ(workflow::VolumeHolding(unordered, "/media/usb/src"), 0);
    EXPECT_EQ(workflow::VolumeHolding(unordered, "/media/usb2"), 2);
}

TEST(MatchingFiles, FollowThePatternWithoutRegardToCaseAndSkipHiddenFiles) {
    TempFolder folder;
    for (const char* name : {"A.ASM", "b.asm", "C.Inc", "D.TX_", ".E.ASM", "MAKEFILE"}) {
        folder.Write(name, "x");
    }
    QDir(folder.Root()).mkdir("F.ASM");
    EXPECT_EQ(workflow::MatchingFiles(folder.Root(), "*.ASM;*.INC"),
              (QStringList{"A.ASM", "C.Inc", "b.asm"}));
    EXPECT_EQ(workflow::Subfolders(folder.Root()), QStringList{"F.ASM"});
    EXPECT_EQ(workflow::FolderProblem(folder.Path("F.ASM")), QString());
    EXPECT_EQ(workflow::FolderProblem(folder.Path("none")), QStringLiteral("文件夹不存在"));
    EXPECT_EQ(workflow::FolderProblem(folder.Path("A.ASM")), QStringLiteral("这不是文件夹"));
    EXPECT_TRUE(workflow::IsVolumeReady("/"));
    EXPECT_FALSE(workflow::IsVolumeReady(folder.Root()));  // a folder, not where a volume is
}

}  // namespace
