#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProgressBar>

#include "../workflow/DiskCalls.h"
#include "WindowFixture.h"
#include "workflow/Batch.h"

namespace {

// Each line keeps its own break; the blank CR line goes.
const QByteArray kSource = "; head\n\tNOP ; x\r\n\r";  // 18 characters
const QByteArray kTarget = "; head\n\tNOP\r\n";        // 13 characters

QString Report(const QString& folder, const QStringList& lines) {
    return workflow::BatchReportHead(folder, lines.size()) + lines.join("\r\n") +
           (lines.isEmpty() ? "" : "\r\n");
}

class BatchTest : public WorkflowTest {
protected:
    QString ReportText() const { return QString::fromStdU16String(TargetText()); }
    void RunBatch() { form->Command5_Click(); }
};

TEST_F(BatchTest, AFolderWithoutSourcesGivesTheHeadAndClearsTheWindow) {
    folder.Write("NOTES.DOC", "x");
    folder.Write("A.ASM", kSource);
    Start();
    Pick("A.ASM");
    Find<QLineEdit>("Text8")->setText("*.C");  // typed, not applied: the run reads the box
    auto* bar = Find<QProgressBar>("ProgressBar1");
    bar->setValue(bar->maximum());  // where an earlier run left it: a new run starts from nothing
    RunBatch();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(ReportText(), Report(folder.Root(), {}));
    EXPECT_EQ(Tip(),
              QStringLiteral("提示:'") + folder.Root() + QStringLiteral("/'目录下没有找到源文件!"));
    EXPECT_EQ(TipColour(), kBlue);
    EXPECT_TRUE(TipLine()->isVisibleTo(form.get()));
    EXPECT_FALSE(Shown("Command1") || Shown("Command2") || Shown("Command4") ||
                 Shown("ProgressBar1"));
    EXPECT_TRUE(SourcePath().isEmpty() && TargetPath().isEmpty() && SourceText().empty());
    EXPECT_EQ(folder.Entries().size(), 2);
}

// Counts the times the progress bar it watches comes into sight, and the range it then has.
class ShowCounter : public QObject {
public:
    int shown = 0;
    int maximum = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            ++shown;
            maximum = static_cast<QProgressBar*>(watched)->maximum();
        }
        return false;
    }
};

// The run takes the files whose whole names a wildcard of the pattern matches, in any case: not a
// GNU assembler file whose extension only occurs inside the pattern's text, nor a build file.
TEST_F(BatchTest, EverySourceIsCleanedSavedAndReportedInNameOrder) {
    for (const char* name : {"main.asm", "BOOT.S", "MAIN.Asm", "LOADER.A", "MAKEFILE", "PIC.HEX",
                             "CMakeLists.txt", "start.s"}) {
        folder.Write(name, kSource);
    }
    QFile::link("NOWHERE", folder.Path("GONE.ASM"));  // a link that leads nowhere is no source
    Start();
    // The bar is in sight while the run goes on, and only then.
    ShowCounter bar;
    Find<QProgressBar>("ProgressBar1")->installEventFilter(&bar);
    DiskCalls calls;
    RunBatch();
    EXPECT_EQ(bar.shown, 1);
    EXPECT_EQ(bar.maximum, 3);  // two sources: a step each, and one more
    EXPECT_FALSE(Shown("ProgressBar1"));
    // New targets take their names at once and reach the disk with one flush at the end; a
    // target that replaces another is on disk before it takes the name.
    EXPECT_EQ(calls.Take(), (std::vector<std::string>{"name", "name", "syncfs"}));
    const QString line = QStringLiteral("%1:  %2(字符数=18)  ==>  %2.TX_(字符数=13)");
    EXPECT_EQ(ReportText(),
              Report(folder.Root(), {line.arg(1).arg("MAIN.Asm"), line.arg(2).arg("main.asm")}));
    EXPECT_EQ(Tip(), QStringLiteral("提示:'") + folder.Root() +
                         QStringLiteral("/'目录下的2个源文件全部处理完毕"));
    EXPECT_EQ(Beeps(), 4);  // each file is eliminated and saved, one beep each
    EXPECT_FALSE(Shown("Command1") || Shown("Command2") || Shown("Command4"));  // nothing picked
    for (const char* name : {"main.asm", "MAIN.Asm"}) {
        EXPECT_EQ(TempFolder::Read(folder.Path(name) + ".TX_"), kTarget) << name;
        EXPECT_EQ(TempFolder::Read(folder.Path(name)), kSource) << name;
    }
    for (const char* name : {"BOOT.S", "LOADER.A", "MAKEFILE", "CMakeLists.txt", "start.s"}) {
        EXPECT_FALSE(QFileInfo::exists(folder.Path(name) + ".TX_")) << name;
    }
    // What the editors show, not only what they hold: the report, then a file picked after it.
    const auto shown = [this](const char* editor) {
        return Find<window::ExactTextEdit>(editor)->toPlainText();
    };
    EXPECT_THAT(shown("RichTextBox2"), Holds(QStringLiteral("====批量处理报告====")));
    Pick("main.asm");
    EXPECT_TRUE(shown("RichTextBox1").startsWith(QStringLiteral("; head\n\tNOP ; x")))
        << shown("RichTextBox1").toStdString();
    EXPECT_TRUE(shown("RichTextBox2").isEmpty());
    calls.Take();
    RunBatch();
    EXPECT_EQ(calls.Take(),
              (std::vector<std::string>{"fsync file", "name", "fsync file", "name", "syncfs"}));
}

// Each file is read in its own language and dialect, picked and in a batch alike: C++ and C by
// their rules (a ; is no comment, a raw string holds none), assembler by the dialect its text
// shows, a program not at all. A pick shows the reading's markers and names it on the tip line.
TEST_F(BatchTest, EachFileIsReadInItsOwnLanguageWhenPickedAndInABatch) {
    const struct {
        const char* name;
        QByteArray text, cleaned;
        const char *leader, *tip;
    } files[] = {{"main.cpp",
                  "int a = 1; int b = 2; // two\nauto s = R\"x(// no)x\"; /* c */\nlong n = "
                  "0x10'0000; // c\n",
                  "int a = 1; int b = 2;\nauto s = R\"x(// no)x\";\nlong n = 0x10'0000;\n", "//",
                  "提示:这是C++源文件,注释符已换为C++的// /* "
                  "*/,字符串和字符常量按C++的规则识别;选汇编文件时换回"},
                 {"B.c", "int x; // c\n#define A 1 ; kept in C\nchar q = '\\''; /* */\n",
                  "int x;\n#define A 1 ; kept in C\nchar q = '\\'';\n", "//", "提示:这是C源文件"},
                 {"start.S", "\t.syntax unified\n\t.thumb\n\tmovs r0, #'@' @ c\n\tbx lr // c\n",
                  "\t.syntax unified\n\t.thumb\n\tmovs r0, #'@'\n\tbx lr\n", "@",
                  "提示:这是预处理GNU汇编(ARM)源文件"},
                 {"nasm.asm", "bits 32\nsection .text\n\tresb 0\n\tmov al, ';' ; c\n",
                  "bits 32\nsection .text\n\tresb 0\n\tmov al, ';'\n", ";", "提示:这是NASM汇编"},
                 {"what.s", "\tnop ; x @ y # z\n", "\tnop ; x @ y # z\n", "",
                  "提示:从内容看不出这是哪种汇编方言"}};
    for (const auto& file : files) {
        folder.Write(file.name, file.text);
    }
    folder.Write("D.INC", QByteArray("\177ELF\0\1; x\n", 10));  // a program, not a source
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.Path("P.INC")).constData(), 0600), 0);
    Start();
    auto* pattern = Find<QLineEdit>("Text8");
    pattern->setText(pattern->text() + ";*.cpp;*.s");  // matched in any case: .S too
    Press("Command3");
    for (const auto& file : files) {
        Pick(file.name);
        EXPECT_EQ(Find<QLineEdit>("Text4")->text(), file.leader) << file.name;
        EXPECT_THAT(Tip(), Starts(QString::fromUtf8(file.tip)));
        Press("Command1");
        EXPECT_EQ(QString::fromStdU16String(TargetText()).toUtf8(), file.cleaned) << file.name;
    }
    RunBatch();
    for (const auto& file : files) {
        EXPECT_EQ(TempFolder::Read(folder.Path(file.name) + ".TX_"), file.cleaned) << file.name;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.Path("D.INC.TX_")));
    EXPECT_THAT(
        ReportText(),
        Holds(QStringLiteral("  D.INC  ==>  未处理:这是二进制文件(含有NUL字节),不是源文件\r\n")));
    // A pipe is no file to clean, but the run names it all the same.
    EXPECT_THAT(ReportText(), Holds(QStringLiteral("  P.INC  ==>  未处理:不是普通文件\r\n")));
    EXPECT_TRUE(
        ReportText().contains(QStringLiteral("what.s.TX_(字符数=17)  提示:看不出汇编方言")));
}

// Markers the run could not use stop it before any file is read or written.
TEST_F(BatchTest, AMarkerThatWouldCutLineBreaksStopsTheRunBeforeAnyFile) {
    folder.Write("A.ASM", kSource);
    Start();
    Find<QLineEdit>("Text4")->setText("\n");
    RunBatch();
    EXPECT_EQ(Tip(), QStringLiteral("注意:行注释引导符只由换行符组成,会把换行拆开,不能使用!"));
    EXPECT_EQ(folder.Entries(), QStringList{"A.ASM"});
}

// The run ends with no file picked: the marker boxes show the panel's own markers again, and a
// box the user typed in keeps what was typed.
TEST_F(BatchTest, AfterARunTheMarkerBoxesAreThePanelsOwn) {
    folder.Write("B.c", "int x; // c\n");
    Start();
    Pick("B.c");
    const auto box = [this](const char* name) { return Find<QLineEdit>(name)->text(); };
    ASSERT_EQ(box("Text4"), "//");
    RunBatch();
    EXPECT_EQ(QStringList({box("Text4"), box("Text6"), box("Text7"), box("Text12"), box("Text13")}),
              QStringList({";", "/*", "*/", "\"", "\""}));
    Pick("B.c");
    QTest::keyClicks(Find<QLineEdit>("Text6"), "*");
    RunBatch();
    EXPECT_EQ(box("Text4"), ";");
    EXPECT_EQ(box("Text6"), "/**");
}

TEST_F(BatchTest, AnEmptySourceAndAnUnwritableTargetInTheMiddleOfARun) {
    folder.Write("A.ASM", kSource);
    folder.Write("B.ASM", kSource);
    folder.Write("C.ASM", "");
    QDir(folder.Root()).mkdir("B.ASM.TX_");  // B's target cannot be written
    Start();
    Toggle("Check2");
    RunBatch();
    const qsizetype footer = static_cast<qsizetype>(text::kFooterTemplate.size());
    EXPECT_EQ(
        ReportText(),
        Report(folder.Root(),
               {"1:  A.ASM(字符数=18)  ==>  A.ASM.TX_(字符数=" + QString::number(13 + footer) + ")",
                "2:  B.ASM(字符数=18)  ==>  未处理:目标路径是一个文件夹",
                "3:  C.ASM(字符数=0)  ==>  C.ASM.TX_(字符数=" + QString::number(footer) + ")"}));
    EXPECT_TRUE(TipShows(QStringLiteral("注意:'"), folder.Root() + u'/',
                         QStringLiteral("'目录下的3个源文件中有1个未能完好处理,原因见报告")))
        << Tip().toStdString();
    EXPECT_EQ(TipColour(), kRed);
    EXPECT_TRUE(QFileInfo(folder.Path("B.ASM.TX_")).isDir());
    EXPECT_EQ(TempFolder::Read(folder.Path("C.ASM.TX_")),
              QString::fromStdU16String(std::u16string(text::kFooterTemplate)).toUtf8());
    // The three sources, two targets and the folder in B's way; nothing half-written.
    EXPECT_EQ(folder.Entries(),
              (QStringList{"A.ASM", "A.ASM.TX_", "B.ASM", "B.ASM.TX_", "C.ASM", "C.ASM.TX_"}));
}

// A run whose flush fails says so, and its report marks each file it saved as maybe not on disk.
TEST_F(BatchTest, AFailedFlushIsToldAndEachSavedFileMarked) {
    folder.Write("A.ASM", kSource);
    Start();
    DiskCalls calls;
    calls.FailSyncfs(EIO);
    RunBatch();
    EXPECT_TRUE(TipShows(QStringLiteral("注意:'"), folder.Root() + u'/',
                         QStringLiteral("'目录下的目标文件没能全部写入磁盘,输入/输出错误!")))
        << Tip().toStdString();
    EXPECT_EQ(TipColour(), kRed);
    EXPECT_THAT(
        ReportText(),
        Holds(QStringLiteral("1:  A.ASM(字符数=18)  ==>  未处理:可能没有写入磁盘,输入/输出错误")));
}

TEST_F(BatchTest, CharactersWrittenAsQuestionMarksAreReportedAndCounted) {
    folder.Write("A.ASM", kSource);
    Start();
    Toggle("Check1");
    Find<window::ExactTextEdit>("Text9")->SetExactText(u"; \u0151\r\n");  // not in GBK
    RunBatch();
    EXPECT_TRUE(
        ReportText().contains(QStringLiteral("1:  A.ASM(字符数=18)  ==>  A.ASM.TX_(字符数=18)  "
                                             "注意:1个字符无法用源文件的编码表示,已写为?")))
        << ReportText().toStdString();
    EXPECT_TRUE(TipShows(QStringLiteral("注意:'"), folder.Root() + u'/',
                         QStringLiteral("'目录下的1个源文件中有1个未能完好处理,原因见报告")))
        << Tip().toStdString();
    EXPECT_EQ(TipColour(), kRed);
    EXPECT_EQ(TempFolder::Read(folder.Path("A.ASM.TX_")), "; ?\r\n" + kTarget);
}

TEST_F(BatchTest, InputDuringTheRunIsDroppedNotReplayedAndTheCursorIsBusy) {
    folder.Write("A.ASM", kSource);
    folder.Write("B.ASM", kSource);
    Start();
    const auto postClick = [](QWidget* widget) {
        const QPointF at = QRectF(widget->rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(
                widget, new QMouseEvent(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                                        Qt::LeftButton, Qt::NoModifier));
        }
    };
    bool busy = false, tipHidden = false, delivered = false;
    QObject::connect(form.get(), &window::Form1::Beeped, [&] {
        busy = QApplication::overrideCursor() != nullptr;
        tipHidden = TipLine()->isHidden();
        QMetaObject::invokeMethod(
            form.get(), [&] { delivered = true; }, Qt::QueuedConnection);
        postClick(Find("Check10"));
        postClick(Find("Command5"));
    });
    Press("Command5");
    QApplication::processEvents();
    EXPECT_TRUE(busy);
    EXPECT_TRUE(tipHidden);  // the tip line waits for the run's result
    EXPECT_TRUE(delivered);  // what the program itself queued meanwhile is not dropped
    EXPECT_FALSE(TipLine()->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(Find<QCheckBox>("Check10")->isChecked());
    EXPECT_EQ(Beeps(), 4);  // one run of two files, not two runs
    EXPECT_THAT(Tip(), Ends(QStringLiteral("个源文件全部处理完毕")));
}

TEST_F(BatchTest, TheSummaryOfADeepFolderFitsTheTipLineWithItsPathShortened) {
    QString deep;
    for (int level = 0; level < 6; ++level) {
        deep += QStringLiteral("单片机汇编源程序第%1层/").arg(level);
    }
    QDir(folder.Root()).mkpath(deep);
    Start();
    form->OpenPath(folder.Write(deep + "A.ASM", kSource));
    RunBatch();
    const QString tip = Tip();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("提示:'") + folder.Root().left(4)) &&
                tip.contains(u'…') &&
                tip.endsWith(QStringLiteral("第5层/'目录下的1个源文件全部处理完毕")))
        << tip.toStdString();
    const QRect box = TipLine()->contentsRect();
    const QRect needed = QFontMetrics(TipLine()->font())
                             .boundingRect(QRect(0, 0, box.width(), 1000), Qt::TextWordWrap, tip);
    EXPECT_TRUE(needed.height() <= box.height() && needed.width() <= box.width());
}

TEST_F(BatchTest, AFolderThatVanishedIsReportedAndNothingChanges) {
    QDir(folder.Root()).mkdir("sub");
    folder.Write("sub/A.ASM", kSource);
    folder.Write("A.ASM", kSource);
    Start();
    OpenFolder(folder.Path("sub"));
    QDir(folder.Path("sub")).removeRecursively();
    const std::u16string before = TargetText();
    RunBatch();
    EXPECT_EQ(Tip(), QStringLiteral("注意:无法读取文件夹'") + folder.Path("sub") +
                         QStringLiteral("',文件夹不存在!"));
    EXPECT_EQ(TargetText(), before);
    EXPECT_EQ(folder.Entries(), QStringList{"A.ASM"});
}

}  // namespace
