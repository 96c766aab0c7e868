#include <gtest/gtest.h>

#include "Batch.h"

using workflow::IsBatchSourceFile;

namespace {

const QString kDefaultPattern = QStringLiteral("*.TXT;*.ASM;*.DT;*.C;*.INC;*.H");

TEST(IsBatchSourceFile, TakesAnyExtensionThatOccursInThePatternText) {
    for (const char* name : {"MAIN.ASM", "main.asm", "MAIN.Asm", "A.B.ASM", "BOOT.S", "LOADER.A",
                             "X.IN", "Y.NC", "Z.SM", "K.c", "NOTE."}) {
        EXPECT_TRUE(IsBatchSourceFile(name, kDefaultPattern)) << name;
    }
    for (const char* name : {"MAIN.TX_", "MAKEFILE", "PIC.HEX", "NOTES.DOC", "README"}) {
        EXPECT_FALSE(IsBatchSourceFile(name, kDefaultPattern)) << name;
    }
}

TEST(IsBatchSourceFile, AnEmptyPatternTakesNothingAndStarDotStarNoOrdinaryName) {
    EXPECT_FALSE(IsBatchSourceFile("MAIN.ASM", ""));
    EXPECT_FALSE(IsBatchSourceFile("NOTE.", ""));
    EXPECT_FALSE(IsBatchSourceFile("MAIN.ASM", "*.*"));
    EXPECT_TRUE(IsBatchSourceFile("NOTE.", "*.*"));
}

TEST(BatchReport, HeadAndLinesReadAsShown) {
    EXPECT_EQ(workflow::BatchReportHead("/work/asm", 3),
              QStringLiteral(
                  "    ====批量处理报告====\r\n\r\n路径=/work/asm/\r\n处理文件数 = 3\r\n\r\n"));
    EXPECT_EQ(workflow::BatchReportHead("/", 0),
              QStringLiteral("    ====批量处理报告====\r\n\r\n路径=/\r\n处理文件数 = 0\r\n\r\n"));
    EXPECT_EQ(workflow::ReportFailureLine(2, "B.ASM", -1, "没有读取权限"),
              QStringLiteral("2:  B.ASM  ==>  未处理:没有读取权限"));
    EXPECT_EQ(workflow::ReportFailureLine(3, "C.ASM", 40, "目标路径是一个文件夹"),
              QStringLiteral("3:  C.ASM(字符数=40)  ==>  未处理:目标路径是一个文件夹"));
}

TEST(BatchSummary, SaysWhatHappenedAndNeverClaimsAllWhenOneFailed) {
    const auto none = workflow::SummarizeBatch("/", 0, 0);
    EXPECT_EQ(none.caption, QStringLiteral("提示:'/'目录下没有找到源文件!"));
    EXPECT_FALSE(none.caution);
    const auto all = workflow::SummarizeBatch("/work/asm", 3, 0);
    EXPECT_EQ(all.caption, QStringLiteral("提示:'/work/asm/'目录下的3个源文件全部处理完毕"));
    const auto some = workflow::SummarizeBatch("/work/asm", 3, 1);
    EXPECT_EQ(some.caption,
              QStringLiteral("注意:'/work/asm/'目录下的3个源文件中有1个未能处理,原因见报告"));
    EXPECT_TRUE(some.caution);
}

}  // namespace
