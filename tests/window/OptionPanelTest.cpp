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
    {"Check3", {}, {}, nullptr, nullptr},  // no message: the tip line is left alone
};
// clang-format on

TEST_F(WindowTest, EachReactingBoxShowsHidesAndExplainsBothStates) {
    for (const ToggleCase& c : kToggles) {
        SCOPED_TRACE(c.box);
        for (int round = 0; round < 2; ++round) {
            const QString before = Tip();
            Toggle(c.box);
            const bool checked = Find<QCheckBox>(c.box)->isChecked();
            const char* message = checked ? c.checkedMessage : c.uncheckedMessage;
            EXPECT_EQ(Tip(), message ? QString::fromUtf8(message) : before);
            const bool caution = Tip().startsWith(QStringLiteral("注意:"));
            EXPECT_EQ(TipColour(), caution ? window::kRed : window::kBlue);
            for (const char* name : c.dependents)
                EXPECT_EQ(Shown(name), checked) << name;
            for (const char* name : c.opposites)
                EXPECT_EQ(Shown(name), !checked) << name;
        }
    }
}

}  // namespace
