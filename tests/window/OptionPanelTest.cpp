#include "WindowFixture.h"

namespace {

struct ToggleCase {
    const char* box;
    std::vector<const char*> dependents;  // shown while the box is checked
    std::vector<const char*> opposites;   // shown while the box is unchecked
    const char* checkedMessage;
    const char* uncheckedMessage;
};

// clang-format off
const ToggleCase kToggles[] = {
    {"Check1", {"Text9"}, {}, "提示:您可以编辑自动添加的文件头", ""},
    {"Check2", {"Text10"}, {}, "提示:您可以编辑自动添加的文件尾", ""},
    {"Check6", {}, {"Check3", "Check5"}, "提示:所有的行注释将被保留", "提示:您可以修改行注释引导符"},
    {"Check7", {}, {"Check4"}, "提示:所有的块注释将被保留", "提示:您可以修改块注释引导符和结束符"},
    {"Check9", {}, {}, "提示:保留行首的空格和制表符,可以保持程序的体形美", "提示:删除行首的空格和制表符,会破坏程序的体形美"},
    {"Check10", {}, {"Check9"}, "提示:您觉得有必要保留多余的空行和空格吗?", "提示:多余的空行和空格将被删除"},
    {"Check11", {}, {}, "提示:字符串中的注释符号将被忽略", "注意:字符串中的注释符号将被处理,有可能破坏文件的完整性!"},
};
// clang-format on

TEST_F(WindowTest, EachReactingBoxShowsHidesAndExplainsBothStates) {
    for (const ToggleCase& c : kToggles) {
        SCOPED_TRACE(c.box);
        for (int round = 0; round < 2; ++round) {
            Toggle(c.box);
            const bool checked = Find<QCheckBox>(c.box)->isChecked();
            EXPECT_EQ(Tip(), QString::fromUtf8(checked ? c.checkedMessage : c.uncheckedMessage));
            const bool caution = Tip().startsWith(QStringLiteral("注意:"));
            EXPECT_EQ(TipColour(), caution ? window::kRed : window::kBlue);
            for (const char* name : c.dependents)
                EXPECT_EQ(Shown(name), checked) << name;
            for (const char* name : c.opposites)
                EXPECT_EQ(Shown(name), !checked) << name;
        }
    }
}

TEST_F(WindowTest, HiddenControlsKeepTheirValuesAndStillCount) {
    Toggle("Check6");  // hides Check3 (checked) and Check5
    EXPECT_FALSE(Shown("Check3"));
    EXPECT_TRUE(form->CurrentOptions().KeepHeaderLineComments);
    EXPECT_TRUE(form->CurrentOptions().KeepAllLineComments);
    Toggle("Check6");
    EXPECT_TRUE(Find<QCheckBox>("Check3")->isChecked());

    auto* header = Find<window::ExactTextEdit>("Text9");
    Toggle("Check1");
    QTest::keyClicks(header, "X");
    Toggle("Check1");
    EXPECT_FALSE(Shown("Text9"));
    EXPECT_EQ(form->CurrentOptions().HeaderText.front(), u'X');
    EXPECT_EQ(form->CurrentOptions().HeaderText.size(), engine::kHeaderTemplate.size() + 1);
}

TEST_F(WindowTest, BoxesWithoutAHandlerLeaveTheTipLineAlone) {
    form->Timer1_Timer();
    form->Timer1_Timer();
    const QString before = Tip();
    for (const char* box : {"Check3", "Check4", "Check5"}) {
        Toggle(box);
    }
    EXPECT_EQ(Tip(), before);
    EXPECT_EQ(BlinkCount(), 2);
    const engine::EliminationOptions o = form->CurrentOptions();
    EXPECT_FALSE(o.KeepHeaderLineComments || o.KeepHeaderBlockComment);
    EXPECT_TRUE(o.KeepWholeLineComments);
}

TEST_F(WindowTest, MarkerBoxesStayVisibleWhateverIsChecked) {
    Toggle("Check6");
    Toggle("Check7");
    for (const char* name : {"Text4", "Text6", "Text7", "Text12", "Text13"}) {
        EXPECT_TRUE(Shown(name)) << name;
    }
    EXPECT_FALSE(Shown("Check3") || Shown("Check4") || Shown("Check5"));
}

}  // namespace
