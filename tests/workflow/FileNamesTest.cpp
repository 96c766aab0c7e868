#include <gtest/gtest.h>

#include "TempFolder.h"
#include "workflow/Batch.h"
#include "workflow/Browsing.h"
#include "workflow/FileNames.h"
#include "workflow/Pipeline.h"

namespace {

const QByteArray kGbkName = "\xD6\xD0\xCE\xC4.ASM";  // 中文.ASM, as a Windows archive holds it
const QByteArray kOddName = "\xFF\x41.ASM";          // neither UTF-8 nor GBK

TEST(FileNames, NamesThatAreNotUtf8AreListedReadAsGbkAndCleanedUnderTheirOwnBytes) {
    TempFolder folder;
    folder.WriteNamed(kGbkName, "nop ; x\r\n");
    folder.WriteNamed(kOddName, "ret ; y\r\n");
    folder.Write("B.ASM", "x\r\n");
    const QStringList expected = {"B.ASM", "\\xffA.ASM", "中文.ASM"};
    EXPECT_EQ(workflow::MatchingFiles(folder.Root(), "*.ASM"), expected);
    EXPECT_EQ(workflow::BatchSourceNames(folder.Root(), "*.ASM"), expected);
    for (const QString& name : expected) {
        const workflow::FileOutcome outcome =
            workflow::CleanFile(workflow::JoinPath(folder.Root(), name), {});
        EXPECT_TRUE(outcome.Clean()) << outcome.failure.toStdString();
        EXPECT_EQ(outcome.targetName, name + ".TX_");
    }
    EXPECT_EQ(folder.ReadNamed(kGbkName + ".TX_"), "nop\r\n");
    EXPECT_EQ(folder.ReadNamed(kOddName + ".TX_"), "ret\r\n");
}

TEST(FileNames, UnlistedPathsGoToTheSystemAsUtf8) {
    EXPECT_EQ(workflow::NativePath("/src/文件.ASM"),
              QByteArray("/src/\xE6\x96\x87\xE4\xBB\xB6.ASM"));
    EXPECT_EQ(workflow::PathFromBytes("/x/" + kGbkName), "/x/中文.ASM");
    EXPECT_EQ(workflow::NativePath("/x/中文.ASM.TX_"), "/x/" + kGbkName + ".TX_");
}

}  // namespace
