#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>

#include "WindowFixture.h"
#include "window/BrowsingLists.h"

namespace {

TEST_F(WindowTest, TheEditorsUseTheSongFaceOrWhatStandsInForIt) {
    const QStringList families = Find("RichTextBox1")->font().families();
    EXPECT_TRUE(families.contains(QStringLiteral("AR PL UMing CN")))
        << families.join(',').toStdString();
    EXPECT_EQ(Find("RichTextBox2")->font().families(), families);
}

TEST_F(WindowTest, StartsFixedSizeWithOnlyTheUsefulControlsShown) {
    EXPECT_EQ(form->size(), QSize(847, 585));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    for (const char* hidden : {"Text9", "Text10", "ProgressBar1", "ProgressBar2", "Command1",
                               "Command2", "Command4", "Command5"}) {
        EXPECT_FALSE(Shown(hidden)) << hidden;
    }
    for (const char* shown : {"Check3", "Check5", "Check4", "Label9", "Text11", "Label10"}) {
        EXPECT_TRUE(Shown(shown)) << shown;
    }
}

TEST_F(WindowTest, StartsWithTheDefaultOptionsAndTheStartMessageInBlue) {
    EXPECT_EQ(form->CurrentOptions(), engine::EliminationOptions{});
    EXPECT_EQ(
        Tip(),
        QStringLiteral(
            "提示:请先选择源文件路径,并按提示操作.或者点击左下角的duvo/提示区,获取帮助信息!"));
    EXPECT_EQ(TipColour(), window::kBlue);
    EXPECT_EQ(BlinkCount(), 0);
    EXPECT_EQ(TipIndex(), 0);
}

TEST_F(WindowTest, TheOptionsAreWhatTheControlsHold) {
    for (const char* box : {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6", "Check7",
                            "Check8", "Check9", "Check10", "Check11"}) {
        Find<QCheckBox>(box)->setChecked(!Find<QCheckBox>(box)->isChecked());
    }
    const char* texts[][2] = {{"Text4", "L"},  {"Text6", "B"},   {"Text7", "E"},  {"Text12", "S"},
                              {"Text13", "T"}, {"Text11", ".X"}, {"Text8", "*.P"}};
    for (const auto& [name, text] : texts) {
        Find<QLineEdit>(name)->setText(QString::fromLatin1(text));
    }
    Find<window::ExactTextEdit>("Text9")->SetExactText(u"H");
    Find<window::ExactTextEdit>("Text10")->SetExactText(u"F");
    engine::EliminationOptions expected;
    expected.AddHeader = expected.AddFooter = expected.KeepWholeLineComments = true;
    expected.KeepAllLineComments = expected.KeepAllBlockComments = expected.KeepSurplusBlanks =
        true;
    expected.KeepHeaderLineComments = expected.KeepHeaderBlockComment = false;
    expected.AddTargetExtension = expected.KeepLeadingSpaces = false;
    expected.IgnoreMarkersInStrings = false;
    expected.HeaderText = u"H", expected.FooterText = u"F";
    expected.LineCommentLeader = u"L", expected.BlockCommentLeader = u"B";
    expected.BlockCommentTerminator = u"E", expected.StringLeader = u"S";
    expected.StringTerminator = u"T", expected.TargetExtension = u".X";
    expected.SourcePattern = u"*.P";
    EXPECT_EQ(form->CurrentOptions(), expected);
}

TEST_F(WindowTest, TheListsStartOnTheCurrentFolderWithTheTypedPattern) {
    const QString here = QDir::currentPath();
    EXPECT_EQ(Find<window::FolderList>("Dir1")->path(), here);
    auto* files = Find<window::FileList>("File1");
    EXPECT_EQ(files->path(), here);
    EXPECT_EQ(files->pattern(), QStringLiteral("*.TXT;*.ASM;*.DT;*.C;*.INC;*.H"));
    EXPECT_GE(Find<QComboBox>("Drive1")->currentIndex(), 0);
}

TEST_F(WindowTest, TheTabOrderFollowsTheLayout) {
    const char* order[] = {"Drive1",       "Dir1",        "File1",    "Text1",  "Text4",  "Text5",
                           "Command1",     "Command2",    "Text6",    "Text7",  "Text8",  "Text9",
                           "Text10",       "Check1",      "Check2",   "Check3", "Check4", "Check5",
                           "Check6",       "Check7",      "Check8",   "Text11", "Check9", "Check10",
                           "Command3",     "Command4",    "Command5", "Text12", "Text13", "Check11",
                           "RichTextBox1", "RichTextBox2"};
    for (const char* name : order) {
        Find(name)->show();  // hidden controls are passed over by Tab; show them all here
    }
    // The code editors take Tab as a character; here they pass it on, so that the chain shows.
    Find<QPlainTextEdit>("RichTextBox1")->setTabChangesFocus(true);
    QApplication::setActiveWindow(form.get());
    Find(order[0])->setFocus();
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Find(order[i]))
            << "after " << order[i - 1] << " focus is on "
            << (QApplication::focusWidget()
                    ? QApplication::focusWidget()->objectName().toStdString()
                    : std::string("nothing"));
    }
}

}  // namespace
