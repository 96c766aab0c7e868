#include <gtest/gtest.h>

#include <cerrno>

#include "workflow/Batch.h"
#include "workflow/Pipeline.h"

using workflow::IsBatchSourceFile;

namespace {

TEST(IsBatchSourceFile, TakesAnyExtensionThatOccursInThePatternText) {
    const QString pattern = QStringLiteral("*.TXT;*.ASM;*.DT;*.C;*.INC;*.H");
    for (const char* name : {"main.asm", "A.B.ASM", "BOOT.S", "X.IN", "Y.NC", "K.c", "NOTE."}) {
        EXPECT_TRUE(IsBatchSourceFile(name, pattern)) << name;
    }
    for (const char* name : {"MAIN.TX_", "MAKEFILE", "PIC.HEX", "NOTES.DOC"}) {
        EXPECT_FALSE(IsBatchSourceFile(name, pattern)) << name;
    }
    // An empty pattern takes nothing, and "*.*" no ordinary name.
    EXPECT_FALSE(IsBatchSourceFile("NOTE.", "") || IsBatchSourceFile("MAIN.ASM", "*.*"));
    EXPECT_TRUE(IsBatchSourceFile("NOTE.", "*.*"));
}

TEST(BatchReport, TheRootFolderAndAnUnreadableSource) {
    EXPECT_EQ(workflow::BatchReportHead("/", 0),
              QStringLiteral("    ====批量处理报告====\r\n\r\n路径=/\r\n处理文件数 = 0\r\n\r\n"));
    EXPECT_EQ(
        workflow::ReportLine(2, {"B.ASM", "B.ASM.TX_", -1, 0, workflow::SystemFailure(EACCES), 0}),
        QStringLiteral("2:  B.ASM  ==>  未处理:没有权限"));
}

}  // namespace
