#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include <cerrno>

#include "TempFolder.h"
#include "workflow/Batch.h"
#include "workflow/FileErrors.h"
#include "workflow/Pipeline.h"

#include "workflow/FileTypes.h"
#include "workflow/SourceLanguage.h"

namespace {

// A pattern is a list of wildcards, each matched against the whole name in any case: an
// extension that only occurs inside the pattern's text takes nothing.
TEST(FileTypes, TakeWhatAWildcardMatchesWholeAndNoBuildFile) {
    const workflow::FileTypes types(QStringLiteral("*.TXT;*.ASM;*.DT;*.C;*.INC;*.H"));
    for (const char* name : {"main.asm", "A.B.ASM", "K.c", "notes.txt", "x.Inc"}) {
        EXPECT_TRUE(types.Takes(name)) << name;
    }
    for (const char* name :
         {"BOOT.S", "LOADER.A", "X.IN", "MAIN.TX_", "MAKEFILE", "libfoo.a", "main.d", "link.x",
          "config.h.in", "CMakeLists.txt", "cmakelists.TXT", "ASM", "main.asm.bak"}) {
        EXPECT_FALSE(types.Takes(name)) << name;
    }
    EXPECT_FALSE(workflow::FileTypes("").Takes("NOTE."));
    EXPECT_FALSE(workflow::FileTypes("*.*").Takes("MAKEFILE"));
    EXPECT_TRUE(workflow::FileTypes("*.*").Takes("NOTE."));
    EXPECT_TRUE(workflow::FileTypes("BOOT?.[sS]").Takes("boot1.S"));
    EXPECT_FALSE(workflow::FileTypes("*.cmake").Takes("rules.cmake"));
    // Only what some language claims, where asked.
    const workflow::FileTypes claimed(QStringLiteral("*"), true);
    EXPECT_TRUE(claimed.Takes("a.cpp") && claimed.Takes("B.H") && claimed.Takes("m.ino"));
    EXPECT_FALSE(claimed.Takes("link.x") || claimed.Takes("README") || claimed.Takes("x.hex"));
}

// One table decides each file's language, by its extension in any case (.S against .s in its
// own), and for a type several dialects share, by what its text shows.
TEST(SourceLanguage, EachTypeBelongsToTheLanguageThatClaimsIt) {
    using engine::Language;
    const std::pair<const char*, std::optional<Language>> cases[] = {
        {"a.ASM", Language::Assembler},
        {"b.inc", Language::Assembler},
        {"c.dt", Language::Assembler},
        {"NOTES.TXT", Language::Assembler},
        {"m.c", Language::C},
        {"M.H", Language::C},
        {"x.cpp", Language::Cpp},
        {"x.CC", Language::Cpp},
        {"x.cxx", Language::Cpp},
        {"x.c++", Language::Cpp},
        {"x.hpp", Language::Cpp},
        {"x.hh", Language::Cpp},
        {"x.hxx", Language::Cpp},
        {"x.h++", Language::Cpp},
        {"x.ipp", Language::Cpp},
        {"x.tpp", Language::Cpp},
        {"x.inl", Language::Cpp},
        {"sketch.INO", Language::Cpp},
        {"t.a51", Language::A51},
        {"boot.s", Language::AnyS},
        {"start.S", Language::AnyGasCpp},
        {"start.sx", Language::AnyGasCpp},
        {"dir.c/link.x", std::nullopt},
        {"README", std::nullopt},
        {"CMakeLists.txt", std::nullopt},
        {"Makefile", std::nullopt},
        {"x.cmake", std::nullopt},
        {"config.h.in", std::nullopt},
    };
    for (const auto& [path, language] : cases) {
        const std::optional<engine::Reading> reading = workflow::ReadingOf(path, u"nop\n");
        EXPECT_EQ(reading ? std::optional(reading->language) : std::nullopt, language) << path;
        EXPECT_EQ(workflow::IsClaimedFile(path), language.has_value()) << path;
    }
    EXPECT_EQ(workflow::WindowReadingOf("README", u"x"), engine::Reading{Language::Assembler});
    const QStringList claimed = workflow::ClaimedTypesPattern().split(u';');
    for (const char* type : {"*.ASM", "*.c", "*.cpp", "*.ino", "*.h++", "*.S", "*.a51"}) {
        EXPECT_TRUE(claimed.contains(QString(type), Qt::CaseInsensitive)) << type;
    }
    // Rows share extensions (C's and C++'s *.h): the pattern a user reads names each once.
    EXPECT_EQ(QSet<QString>(claimed.begin(), claimed.end()).size(), claimed.size());
    EXPECT_THAT(workflow::LanguageNames(), Starts(QStringLiteral("asm、c、c++、gas-arm")));
    EXPECT_EQ(workflow::ReadingHint({Language::C}),
              QStringLiteral("提示:这是C源文件,注释符已换为C的// /* */,字符串和字符常量按C的"
                             "规则识别;选汇编文件时换回"));
}

TEST(BatchReport, TheRootFolderAndAnUnreadableSource) {
    EXPECT_EQ(workflow::BatchReportHead("/", 0),
              QStringLiteral("    ====批量处理报告====\r\n\r\n路径=/\r\n处理文件数 = 0\r\n\r\n"));
    workflow::FileOutcome unreadable;
    unreadable.sourceName = QStringLiteral("B.ASM");
    unreadable.targetName = QStringLiteral("B.ASM.TX_");
    unreadable.failure = workflow::SystemFailure(EACCES);
    EXPECT_EQ(workflow::ReportLine(2, unreadable),
              QStringLiteral("2:  B.ASM  ==>  未处理:没有权限"));
    unreadable.sourceLength = 0;  // read, and empty, but not saved
    EXPECT_EQ(workflow::ReportLine(3, unreadable),
              QStringLiteral("3:  B.ASM(字符数=0)  ==>  未处理:没有权限"));
}

// A copy of a tree names what it copied as it is and what it passed over; only a failure makes a
// file count as not cleaned.
TEST(BatchReport, FilesCopiedAsTheyAreAndFilesPassedOver) {
    using Road = workflow::FileOutcome::Road;
    workflow::FileOutcome copied;
    copied.sourceName = copied.targetName = QStringLiteral("lib/LIB.ASM");
    copied.road = Road::Copied;
    copied.notCleaned = workflow::Failure{workflow::FailureKind::BinaryFile};
    workflow::FileOutcome passed;
    passed.sourceName = QStringLiteral("link.c");
    passed.road = Road::Passed;
    passed.failure = workflow::Failure{workflow::FailureKind::LinkNotCopied};
    workflow::FileOutcome failedCopy = copied;
    failedCopy.notCleaned = {};
    failedCopy.failure = workflow::SystemFailure(ENOSPC);

    workflow::BatchReportBuilder report;
    EXPECT_EQ(
        report.Add(copied),
        QStringLiteral("1:  lib/LIB.ASM  ==>  lib/LIB.ASM(原样复制:这是二进制文件(含有NUL字节),"
                       "不是源文件)"));
    EXPECT_EQ(report.Add(passed),
              QStringLiteral("2:  link.c  ==>  跳过:这是符号链接,副本中不复制"));
    EXPECT_EQ(report.Add(failedCopy), QStringLiteral("3:  lib/LIB.ASM  ==>  未处理:") +
                                          workflow::ReasonOf(workflow::SystemFailure(ENOSPC)));
    copied.notCleaned = {};
    EXPECT_EQ(report.Add(copied), QStringLiteral("4:  lib/LIB.ASM  ==>  lib/LIB.ASM(原样复制)"));
    EXPECT_EQ(report.processed(), 4);
    EXPECT_EQ(report.notClean(), 1);
}

// When the run's flush fails, a file it saved may not be on disk, and its line says so; a file
// that failed or was passed over keeps its own reason.
TEST(BatchReport, AfterAFailedFlushASavedFileIsToldAsMaybeNotOnDisk) {
    workflow::FileOutcome saved;
    saved.sourceName = QStringLiteral("A.ASM");
    saved.targetName = QStringLiteral("A.ASM.TX_");
    saved.sourceLength = 12;
    workflow::FileOutcome failed = saved;
    failed.failure = workflow::SystemFailure(ENOSPC);
    workflow::FileOutcome passed = saved;
    passed.road = workflow::FileOutcome::Road::Passed;
    passed.failure = workflow::Failure{workflow::FailureKind::HiddenNotCopied};
    std::vector<workflow::FileOutcome> outcomes{saved, failed, passed};
    workflow::MarkNotOnDisk(outcomes, EIO);
    EXPECT_EQ(workflow::ReportLine(1, outcomes[0]),
              QStringLiteral("1:  A.ASM(字符数=12)  ==>  未处理:可能没有写入磁盘,输入/输出错误"));
    EXPECT_EQ(workflow::ReportLine(2, outcomes[1]),
              QStringLiteral("2:  A.ASM(字符数=12)  ==>  未处理:磁盘已满"));
    EXPECT_EQ(workflow::ReportLine(3, outcomes[2]),
              QStringLiteral("3:  A.ASM  ==>  跳过:隐藏的文件或文件夹,副本中不复制"));
}

// Every reason is told in Chinese; an error no table knows by its number and symbolic name,
// never in the system's English words.
TEST(BatchReport, ReasonsAreInChinese) {
    for (const int error : {EOPNOTSUPP, EMFILE, ENFILE, EFBIG, EBUSY, ESTALE, EUCLEAN, ENODATA}) {
        const QString reason = workflow::ReasonOfError(error);
        EXPECT_FALSE(reason.contains(QRegularExpression("[A-Za-z]"))) << reason.toStdString();
    }
    EXPECT_EQ(workflow::ReasonOfError(EHWPOISON),
              QStringLiteral("系统错误%1(EHWPOISON)").arg(EHWPOISON));
    EXPECT_EQ(workflow::ReasonOfError(4000), QStringLiteral("系统错误4000"));
}

}  // namespace
