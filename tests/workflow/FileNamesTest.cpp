#include <gtest/gtest.h>

#include "TempFolder.h"
#include "workflow/FileNames.h"

namespace {

TEST(FileNames, UnlistedPathsGoToTheSystemAsUtf8ListedOnesAsTheirOwnBytes) {
    const QByteArray gbkName = "\xD6\xD0\xCE\xC4.ASM";  // 中文.ASM, as a Windows archive holds it
    EXPECT_EQ(workflow::NativePath("/src/文件.ASM"),
              QByteArray("/src/\xE6\x96\x87\xE4\xBB\xB6.ASM"));
    EXPECT_EQ(workflow::PathFromBytes("/x/" + gbkName), "/x/中文.ASM");
    EXPECT_EQ(workflow::NativePath("/x/中文.ASM.TX_"), "/x/" + gbkName + ".TX_");
    EXPECT_EQ(workflow::PathFromBytes("/x/\xFF\x41.ASM"), "/x/\\xffA.ASM");
    EXPECT_EQ(workflow::NativePath("/x/\\xZZ\\xf.ASM"), "/x/\\xZZ\\xf.ASM");  // no byte written
    EXPECT_EQ(workflow::NativePath("/x/\\x41\\\\x41.ASM"), "/x/A\\x41.ASM");
}

// A name of a folder that is not UTF-8 and reads like another of its names is shown byte by byte;
// a backslash of a name is doubled, so that it never reads as a byte; a space and the rest of
// printable ASCII stand as they are, and DEL, which is no printable character, is a byte.
TEST(FileNames, NoTwoNamesOfAFolderAreShownAlike) {
    TempFolder folder;
    for (const char* name :
         {"\xD6\xD0 ~\x7F.ASM", "\xE4\xB8\xAD ~\x7F.ASM", "\\x82.ASM", "\x82.ASM"}) {
        folder.WriteNamed(name, "x");
    }
    QStringList shown;
    for (const workflow::FolderEntry& entry : workflow::ListFolder(folder.Root())) {
        shown.append(entry.name);
    }
    EXPECT_EQ(shown,
              (QStringList{"\\\\x82.ASM", "\\x82.ASM", "\\xd6\\xd0 ~\\x7f.ASM", "中 ~\x7F.ASM"}));
}

}  // namespace
