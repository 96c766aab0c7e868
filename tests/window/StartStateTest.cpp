#include "WindowFixture.h"

namespace {

TEST_F(WindowTest, StartsFixedSizeWithDefaultsTheStartMessageAndOnlyTheUsefulControls) {
    EXPECT_EQ(form->size(), QSize(847, 585));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    for (const char* hidden : {"Text9", "Text10", "ProgressBar1", "ProgressBar2", "Command1",
                               "Command2", "Command4", "Command5"}) {
        EXPECT_FALSE(Shown(hidden)) << hidden;
    }
    for (const char* shown : {"Check3", "Check5", "Check4", "Label9", "Text11", "Label10"}) {
        EXPECT_TRUE(Shown(shown)) << shown;
    }
    EXPECT_EQ(form->CurrentOptions(), engine::EliminationOptions{});
    EXPECT_EQ(Tip(), QStringLiteral("提示:请先选择源文件路径,并按提示操作.或者点击左下角的duvo/"
                                    "提示区,获取帮助信息!"));
    EXPECT_EQ(TipColour(), window::kBlue);
    EXPECT_EQ(BlinkCount(), 0);
    EXPECT_EQ(TipIndex(), 0);
    const QStringList families = Find("RichTextBox1")->font().families();
    EXPECT_EQ(families.first(), QStringLiteral("宋体"));
    EXPECT_TRUE(families.contains(QStringLiteral("AR PL UMing CN")));  // what stands in for it
    EXPECT_EQ(Find("RichTextBox2")->font().families(), families);
}

TEST_F(WindowTest, TheOptionsAreWhatTheControlsHold) {
    for (int box = 1; box <= 11; ++box) {
        form->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(box))->toggle();
    }
    const char* texts[][2] = {{"Text4", "L"},  {"Text6", "B"},   {"Text7", "E"},  {"Text12", "S"},
                              {"Text13", "T"}, {"Text11", ".X"}, {"Text8", "*.P"}};
    for (const auto& [name, text] : texts) {
        Find<QLineEdit>(name)->setText(QString::fromLatin1(text));
    }
    Find<window::ExactTextEdit>("Text9")->SetExactText(u"H");
    Find<window::ExactTextEdit>("Text10")->SetExactText(u"F");
    // Every flag the other way round from its default.
    const engine::EliminationOptions expected{true, u"H", true,  u"F",  false, false,  true,
                                              true, true, false, u".X", false, true,   false,
                                              u"L", u"B", u"E",  u"S",  u"T",  u"*.P", {}};
    EXPECT_EQ(form->CurrentOptions(), expected);
}

}  // namespace
