#include <gtest/gtest.h>

#include "workflow/FileNames.h"

namespace {

TEST(FileNames, UnlistedPathsGoToTheSystemAsUtf8ListedOnesAsTheirOwnBytes) {
    const QByteArray gbkName = "\xD6\xD0\xCE\xC4.ASM";  // 中文.ASM, as a Windows archive holds it
    EXPECT_EQ(workflow::NativePath("/src/文件.ASM"),
              QByteArray("/src/\xE6\x96\x87\xE4\xBB\xB6.ASM"));
    EXPECT_EQ(workflow::PathFromBytes("/x/" + gbkName), "/x/中文.ASM");
    EXPECT_EQ(workflow::NativePath("/x/中文.ASM.TX_"), "/x/" + gbkName + ".TX_");
    EXPECT_EQ(workflow::PathFromBytes("/x/\xFF\x41.ASM"), "/x/\\xffA.ASM");
}

}  // namespace
