#include <gtest/gtest.h>

#include <QDir>

#include "TempFolder.h"
#include "workflow/Browsing.h"

namespace {

TEST(Volumes, RemovableMediaAndRealFileSystemsAreListedSystemScratchIsNot) {
    const struct {
        const char* type;
        const char* mountPath;
        bool listed;
    } cases[] = {{"ext4", "/", true},
                 {"vfat", "/run/media/ann/KEY", true},
                 {"tmpfs", "/tmp", true},
                 {"xfs", "/run/data", true},
                 {"tmpfs", "/run/user/1000", false},
                 {"tmpfs", "/run", false},
                 {"tmpfs", "/dev/shm", false},
                 {"proc", "/proc", false},
                 {"squashfs", "/snap/core/1", false}};
    for (const auto& volume : cases) {
        EXPECT_EQ(workflow::IsUserVolume(volume.type, volume.mountPath), volume.listed)
            << volume.type << " " << volume.mountPath;
    }
    const QList<workflow::Volume> volumes = {
        {"/", ""}, {"/media/usb", "DATA"}, {"/media/usb2", ""}};
    EXPECT_EQ(workflow::VolumeEntryText(volumes[1]), "/media/usb [DATA]");
    EXPECT_EQ(workflow::VolumeHolding(volumes, "/media/usb2/src"), 2);
    EXPECT_EQ(workflow::VolumeHolding(volumes, "/home"), 0);
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
