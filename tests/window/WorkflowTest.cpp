#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include "../workflow/DiskCalls.h"
#include "WindowFixture.h"

namespace {

const QByteArray kGbkSource =
    "; \xB1\xEA\xCC\xE2\r\n\tMOVLW 0x20 ; \xD7\xB0\xC8\xEB\n\r\n";  // 标题, 装入
const QByteArray kGbkTarget = "; \xB1\xEA\xCC\xE2\r\n\tMOVLW 0x20\n";

TEST_F(WorkflowTest, PickEliminateEditAndSaveWritesTheTargetInTheSourceEncoding) {
    QFile::setPermissions(folder.Write("A.ASM", kGbkSource), QFile::ReadOwner | QFile::WriteOwner);
    Start();
    Pick("A.ASM");
    EXPECT_EQ(SourcePath(), folder.Path("A.ASM"));
    EXPECT_EQ(TargetPath(), folder.Path("A.ASM.TX_"));
    EXPECT_EQ(SourceText(), u"; 标题\r\n\tMOVLW 0x20 ; 装入\n\r\n");
    EXPECT_TRUE(Shown("Command1") && Shown("Command4") && !Shown("Command2"));
    EXPECT_THAT(Tip(), Starts(QStringLiteral("提示:按[消除]按钮可消除注释")));
    EXPECT_EQ(TipColour(), kBlue);

    Press("Command1");
    EXPECT_EQ(Beeps(), 1);
    EXPECT_TRUE(Shown("Command2") && !Shown("ProgressBar2"));
    EXPECT_EQ(TargetText(), u"; 标题\r\n\tMOVLW 0x20\n");
    EXPECT_THAT(Tip(), Starts(QStringLiteral("提示:注释已消除,但目标文件尚未保存")));
    DiskCalls calls;
    Press("Command2");
    // Saved means on disk: the data before the name, the name before the tip says saved.
    EXPECT_EQ(calls.Take(), (std::vector<std::string>{"fsync file", "name", "fsync folder"}));
    EXPECT_EQ(Beeps(), 2);
    EXPECT_EQ(TempFolder::Read(folder.Path("A.ASM.TX_")), kGbkTarget);
    EXPECT_EQ(TempFolder::Read(folder.Path("A.ASM")), kGbkSource);
    EXPECT_EQ(Tip(), QStringLiteral("提示:目标文件已经保存!您可继续对其它源文件进行操作"));
    // No one may read the target who may not read the source.
    EXPECT_EQ(QFileInfo(folder.Path("A.ASM.TX_")).permissions(),
              QFileInfo(folder.Path("A.ASM")).permissions());

    // Eliminating again starts from the source; edits to the target reach the save.
    Toggle("Check1");
    Press("Command1");
    const std::u16string first = TargetText();
    QTest::keyClicks(Find<window::ExactTextEdit>("RichTextBox2"), "X");
    Press("Command1");
    EXPECT_EQ(TargetText(), first);  // the header is not added twice, the edit is gone
    EXPECT_TRUE(first.starts_with(text::kHeaderTemplate));
    QTest::keyClicks(Find<window::ExactTextEdit>("RichTextBox2"), "Y");
    Press("Command2");
    EXPECT_EQ(TempFolder::Read(folder.Path("A.ASM.TX_")).at(0), 'Y');

    // A marker of line breaks alone would cut CR LF in two: refused, and nothing changes.
    Find<QLineEdit>("Text4")->setText("\n");
    Press("Command1");
    EXPECT_EQ(Tip(), QStringLiteral("注意:行注释引导符只由换行符组成,会把换行拆开,不能使用!"));
    EXPECT_EQ(TargetText().front(), u'Y');
}

// Each source's target is written in that source's own encoding, whichever was picked before.
TEST_F(WorkflowTest, EachTargetIsSavedInItsOwnSourcesEncoding) {
    folder.Write("U.ASM", "\xEF\xBB\xBF; \xE6\xA0\x87\xE9\xA2\x98\r\n\tNOP ; x\r\n");  // 标题
    folder.Write("A.ASM", kGbkSource);
    Start();
    for (const auto& [name, target] :
         {std::pair{"U.ASM", QByteArray("\xEF\xBB\xBF; \xE6\xA0\x87\xE9\xA2\x98\r\n\tNOP\r\n")},
          std::pair{"A.ASM", kGbkTarget}}) {
        Pick(name);
        Press("Command1");
        Press("Command2");
        EXPECT_EQ(TempFolder::Read(folder.Path(name) + ".TX_"), target) << name;
    }
}

// A C source at the defaults: C's markers in the boxes and C's rules, so that nothing a compiler
// reads is lost, the comments its tools read kept; an assembler source brings the assembler's
// markers back, and a box the user typed in keeps what was typed.
TEST_F(WorkflowTest, ACFileIsReadAsCAndTheMarkerBoxesFollowThePick) {
    const QString samples = QStringLiteral(QINGYAN_SAMPLES);
    folder.Write("ESCAPES.C", TempFolder::Read(samples + "/c/ESCAPES.C"));
    folder.Write("SW.C",
                 "switch (x) {\ncase 1: x++; /* fall through */\ncase 2: return x; /* two */\n}\n");
    folder.Write("A.ASM", kGbkSource);
    Start();
    const auto box = [this](const char* name) { return Find<QLineEdit>(name)->text(); };
    Pick("ESCAPES.C");
    EXPECT_EQ(QStringList({box("Text4"), box("Text6"), box("Text7"), box("Text12"), box("Text13")}),
              QStringList({"//", "/*", "*/", "\"", "\""}));
    Press("Command1");
    EXPECT_EQ(QString::fromStdU16String(TargetText()).toUtf8(),
              TempFolder::Read(samples + "/expected/ESCAPES.C.TX_"));
    Pick("SW.C");
    Press("Command1");
    EXPECT_EQ(TargetText(),
              u"switch (x) {\ncase 1: x++; /* fall through */\ncase 2: return x;\n}\n");
    Pick("A.ASM");
    EXPECT_EQ(box("Text4"), ";");
    EXPECT_THAT(Tip(), Starts(QStringLiteral("提示:按[消除]按钮")));  // an assembler file
    Press("Command1");
    EXPECT_EQ(TargetText(), u"; 标题\r\n\tMOVLW 0x20\n");

    QLineEdit* leader = Find<QLineEdit>("Text4");
    QTest::keyClick(leader, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(leader, "#");
    Pick("ESCAPES.C");
    EXPECT_EQ(box("Text4"), "#");
    EXPECT_EQ(box("Text6"), "/*");
    EXPECT_THAT(Tip(), Starts(QStringLiteral("提示:这是C源文件")));  // told at every pick
    Press("Command1");
    const QString target = QString::fromStdU16String(TargetText());
    EXPECT_THAT(target, Holds("int pick(char c) { if (c == '\"') s = \"a // b\"; return c == '\\'' "
                              "|| c == '\\\\'; }\nint a b;"));
    EXPECT_THAT(target, Holds(QStringLiteral("// done")));
}

TEST_F(WorkflowTest, AnEmptyFileAFileOfOneLineBreakAndABinaryFile) {
    folder.Write("E.ASM", "");
    folder.Write("N.ASM", "\r\n");
    folder.Write("P.ASM", QByteArray("\177ELF\0\1; x\n", 10));
    Start();
    Pick("P.ASM");
    EXPECT_EQ(Tip(), QStringLiteral("注意:这是二进制文件(含有NUL字节),不是源文件,没有载入!"));
    EXPECT_EQ(TipColour(), kRed);
    EXPECT_TRUE(SourceText().empty() && !Shown("Command1") && !Shown("Command4"));
    Pick("E.ASM");
    EXPECT_EQ(Tip(), QStringLiteral("注意:源文件为空!"));
    EXPECT_EQ(TipColour(), kRed);
    EXPECT_TRUE(Shown("Command1") && Shown("Command4") && !Shown("Command2"));
    Toggle("Check2");
    Press("Command1");
    EXPECT_EQ(TargetText(), text::kFooterTemplate);
    Pick("N.ASM");
    EXPECT_FALSE(Shown("Command2"));  // nothing to save for the newly picked file yet
    EXPECT_EQ(SourceText(), u"\r\n");
    EXPECT_EQ(TipColour(), kBlue);
}

TEST_F(WorkflowTest, TheTargetPathFollowsTheExtensionOptions) {
    folder.Write("A.ASM", kGbkSource);
    Start();
    Toggle("Check8");  // before any pick, the target is the bare extension
    EXPECT_EQ(TargetPath(), QString());
    Toggle("Check8");
    EXPECT_EQ(TargetPath(), QStringLiteral(".TX_"));
    Pick("A.ASM");
    const QString source = folder.Path("A.ASM");
    const int beeps = Beeps();
    Toggle("Check8");
    EXPECT_EQ(TargetPath(), source);
    EXPECT_FALSE(Shown("Label9") || Shown("Text11"));
    EXPECT_EQ(Tip(), QStringLiteral("警告:如果不加扩展名,源文件将被目标文件被覆盖!"));
    EXPECT_EQ(TipColour(), kRed);
    EXPECT_EQ(Beeps(), beeps + 1);
    Toggle("Check8");
    EXPECT_EQ(TargetPath(), source + ".TX_");
    EXPECT_TRUE(Shown("Label9") && Shown("Text11"));
    EXPECT_EQ(Tip(), QStringLiteral("提示:系统默认的扩展名是<.TX_>,当然您也可以修改它"));

    auto* extension = Find<QLineEdit>("Text11");
    extension->selectAll();
    QTest::keyClick(extension, Qt::Key_Delete);
    EXPECT_EQ(TargetPath(), source);
    EXPECT_EQ(Tip(), QStringLiteral("警告:如果扩展名为空,源文件将被目标文件被覆盖!"));
    EXPECT_EQ(Beeps(), beeps + 2);
    QTest::keyClicks(extension, "BAK");
    EXPECT_EQ(TargetPath(), source + "BAK");
    EXPECT_EQ(Tip(), QString());
    EXPECT_EQ(TipColour(), kBlue);

    // 消除 names the target afresh, whatever was typed into its box since.
    Find<QLineEdit>("Text5")->setText(folder.Path("typed.TX_"));
    Press("Command1");
    EXPECT_EQ(TargetPath(), source + "BAK");
}

// 自动 eliminates and saves at once; a save tells what it could not hold, or that it had nowhere
// to go.
TEST_F(WorkflowTest, AutomaticSavesAtOnceAndASaveTellsWhatItCouldNotDo) {
    folder.Write("A.ASM", kGbkSource);
    Start();
    Pick("A.ASM");
    Press("Command4");
    EXPECT_EQ(TempFolder::Read(folder.Path("A.ASM.TX_")), kGbkTarget);
    EXPECT_EQ(Tip(), QStringLiteral("提示:目标文件已经保存!您可继续对其它源文件进行操作"));
    Toggle("Check1");
    Find<window::ExactTextEdit>("Text9")->SetExactText(u"; \u0151");  // not in GBK
    Press("Command4");
    EXPECT_EQ(Tip(),
              QStringLiteral("注意:目标文件已经保存,但其中1个字符无法用源文件的编码表示,已写为?"));
    EXPECT_EQ(TipColour(), kRed);
    Find<QLineEdit>("Text5")->clear();
    const int beeps = Beeps();
    Press("Command2");
    EXPECT_EQ(Tip(), QStringLiteral("提示:未获得目标文件及路径,无法保存!"));
    EXPECT_EQ(TipColour(), kBlue);
    EXPECT_EQ(Beeps(), beeps + 2);  // twice where no path is found
}

// Clicking the picked file once more reads it again: the user has changed it elsewhere.
TEST_F(WorkflowTest, ClickingThePickedFileAgainReadsItAgain) {
    folder.Write("A.ASM", "nop ; first\r\n");
    folder.Write("B.ASM", "nop\r\n");
    Start();
    auto* files = Find<window::FileList>("File1");
    const auto click = [&](const QString& name) {
        const QRect row = files->visualItemRect(files->findItems(name, Qt::MatchExactly).front());
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, row.center());
    };
    click("A.ASM");
    EXPECT_EQ(SourceText(), u"nop ; first\r\n");
    folder.Write("A.ASM", "nop ; second\r\n");
    click("A.ASM");
    EXPECT_EQ(SourceText(), u"nop ; second\r\n");
    click("B.ASM");
    EXPECT_EQ(SourceText(), u"nop\r\n");
}

TEST_F(WorkflowTest, FoldersAndThePattern) {
    folder.Write("A.ASM", kGbkSource);
    QDir(folder.Root()).mkpath("sub/gone");
    folder.Write("sub/B.asm", "nop\r\n");
    folder.Write("sub/C.TXT", "nop\r\n");
    Start();
    Pick("A.ASM");
    auto* files = Find<window::FileList>("File1");
    auto* folders = Find<window::FolderList>("Dir1");
    emit folders->itemClicked(folders->item(folders->count() - 1));  // a click selects only
    EXPECT_TRUE(Shown("Command5"));
    EXPECT_EQ(files->path(), folder.Root());

    OpenFolder(folder.Path("sub"));
    EXPECT_EQ(files->path(), folder.Path("sub"));
    EXPECT_EQ(files->count(), 2);  // B.asm and C.TXT, matched without regard to case
    EXPECT_EQ(Tip(), QStringLiteral("提示:请选择源文件.如果您要处理整个当前目录中的所有源文件,"
                                    "请按[批量]按钮"));
    EXPECT_EQ(SourcePath(), folder.Path("A.ASM"));  // the loaded file stays loaded

    auto* pattern = Find<QLineEdit>("Text8");
    pattern->clear();
    QTest::keyClicks(pattern, "*.ASM");
    EXPECT_EQ(Tip(), QStringLiteral("提示:源文件类型修改后,请按[更改]按钮或回车确认"));
    EXPECT_EQ(files->count(), 2);
    QTest::keyClick(pattern, Qt::Key_Return);
    EXPECT_EQ(files->count(), 1);
    pattern->setText("*.TXT");
    Press("Command3");
    EXPECT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), "C.TXT");

    QDir(folder.Root()).rmdir("sub/gone");  // vanished after it was listed
    OpenFolder(folder.Path("sub/gone"));
    EXPECT_TRUE(TipShows(QStringLiteral("注意:无法打开文件夹'"), folder.Path("sub/gone"),
                         QStringLiteral("',文件夹不存在!")))
        << Tip().toStdString();
    EXPECT_EQ(folders->path(), folder.Path("sub"));
    EXPECT_EQ(files->path(), folder.Path("sub"));
    OpenFolder(folder.Root());  // back up the chain of folders above
    EXPECT_EQ(files->path(), folder.Root());
    form->Drive1_Change();  // the volume of the folder, which is ready
    EXPECT_EQ(Tip(), QStringLiteral("提示:请进一步选择路径"));
    // A volume taken away after the list was made is not ready, whether its mount point went
    // with it or stayed as a bare folder; the folder shown stays. The list is made afresh each
    // time it opens.
    auto* drives = Find<QComboBox>("Drive1");
    const int volumes = drives->count();
    const QString shown = files->path();
    drives->addItem(QStringLiteral("/gone [USB]"), folder.Path("gone"));
    drives->addItem(QStringLiteral("/bare [USB]"), folder.Root());
    drives->setCurrentIndex(volumes);
    EXPECT_EQ(Tip(), QStringLiteral("提示:/gone [USB]设备未准备好!"));
    drives->setCurrentIndex(volumes + 1);
    EXPECT_EQ(Tip(), QStringLiteral("提示:/bare [USB]设备未准备好!"));
    EXPECT_EQ(files->path(), shown);
    // Made afresh, the list shows the volume of the folder shown, and opens nothing itself.
    drives->showPopup();
    EXPECT_EQ(drives->count(), volumes);
    EXPECT_TRUE(drives->view()->isVisible());
    EXPECT_EQ(files->path(), shown);
    EXPECT_EQ(Tip(), QStringLiteral("提示:/bare [USB]设备未准备好!"));
    drives->hidePopup();
}

TEST_F(WorkflowTest, AFileGivenOrDroppedIsPickedInItsFolder) {
    QDir(folder.Root()).mkdir("sub");
    folder.Write("sub/B.ASM", kGbkSource);
    folder.Write("A.ASM", kGbkSource);
    Start();
    form->OpenPath(folder.Path("A.ASM"));  // in the folder shown at start: opened all the same
    EXPECT_EQ(SourcePath(), folder.Path("A.ASM"));
    EXPECT_TRUE(Shown("Command5"));
    form->OpenPath(folder.Path("sub/B.ASM"));
    EXPECT_EQ(Find<window::FolderList>("Dir1")->path(), folder.Path("sub"));
    EXPECT_EQ(SourcePath(), folder.Path("sub/B.ASM"));
    EXPECT_FALSE(SourceText().empty());
    form->OpenPath(folder.Write("NOTES.DOC", "x"));  // its folder opened, itself not listed
    EXPECT_EQ(Tip(), QStringLiteral("注意:'NOTES.DOC'不在源文件列表中,请检查源文件类型!"));
    EXPECT_EQ(Find<window::FileList>("File1")->path(), folder.Root());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder.Root())});
    QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(Find<window::FileList>("File1")->path(), folder.Root());
}

// The folder of the pick is the folder of the save: one put at its path meanwhile, a link to
// another folder included, is never written into; a folder removed meanwhile is told.
TEST_F(WorkflowTest, SavesIntoTheFolderOfThePickWhateverStandsAtItsPathSince) {
    QDir(folder.Root()).mkpath("sub");
    QDir(folder.Root()).mkpath("private");
    folder.Write("sub/A.ASM", kGbkSource);
    Start();
    form->OpenPath(folder.Path("sub/A.ASM"));
    ASSERT_EQ(SourceText(), u"; 标题\r\n\tMOVLW 0x20 ; 装入\n\r\n");
    Press("Command1");
    ASSERT_TRUE(QDir(folder.Root()).rename("sub", "picked"));
    ASSERT_TRUE(QFile::link(folder.Path("private"), folder.Path("sub")));
    Press("Command2");
    EXPECT_EQ(TempFolder::Read(folder.Path("picked/A.ASM.TX_")), kGbkTarget);
    EXPECT_EQ(QDir(folder.Path("private")).entryList(QDir::Files | QDir::Hidden), QStringList());

    ASSERT_TRUE(QDir(folder.Path("picked")).removeRecursively());
    Press("Command2");
    EXPECT_THAT(Tip(), Starts(QStringLiteral("注意:目标文件没有保存,")));
    EXPECT_EQ(QDir(folder.Path("private")).entryList(QDir::Files | QDir::Hidden), QStringList());
}

}  // namespace
