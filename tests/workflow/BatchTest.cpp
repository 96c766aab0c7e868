#include <gtest/gtest.h>

#include "workflow/Batch.h"
#include "workflow/Pipeline.h"

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
    const struct {
        workflow::FileOutcome outcome;
        const char* line;
    } lines[] = {
        {{"A.ASM", "A.ASM.TX_", 812, 305, {}, 0},
         "1:  A.ASM(字符数=812)  ==>  A.ASM.TX_(字符数=305)"},
        {{"B.ASM", "B.ASM.TX_", -1, 0, "没有权限", 0}, "2:  B.ASM  ==>  未处理:没有权限"},
        {{"C.ASM", "C", 40, 0, "目标路径是一个文件夹", 0},
         "3:  C.ASM(字符数=40)  ==>  未处理:目标路径是一个文件夹"},
        {{"D.ASM", "D.ASM.TX_", 9, 5, {}, 2},
         "4:  D.ASM(字符数=9)  ==>  D.ASM.TX_(字符数=5)  "
         "注意:2个字符无法用源文件的编码表示,已写为?"},
    };
    for (qsizetype i = 0; i < std::ssize(lines); ++i) {
        EXPECT_EQ(workflow::ReportLine(i + 1, lines[i].outcome), QString::fromUtf8(lines[i].line));
    }
}

TEST(BatchSummary, SaysWhatHappenedAndNeverClaimsAllWhenOneFailed) {
    EXPECT_EQ(workflow::SummarizeBatch("/", 0, 0), QStringLiteral("提示:'/'目录下没有找到源文件!"));
    EXPECT_EQ(workflow::SummarizeBatch("/work/asm", 3, 0),
              QStringLiteral("提示:'/work/asm/'目录下的3个源文件全部处理完毕"));
    EXPECT_EQ(workflow::SummarizeBatch("/work/asm", 3, 1),
              QStringLiteral("注意:'/work/asm/'目录下的3个源文件中有1个未能完好处理,原因见报告"));
}

}  // namespace
