#include "WindowFixture.h"

#include <QApplication>
#include <QScrollBar>

namespace {

// The controls the window shows now, by name.
QStringList ShownControls(const QWidget& form) {
    QStringList names;
    for (const QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->objectName().isEmpty() && widget->isVisibleTo(&form)) {
            names << widget->objectName();
        }
    }
    return names;
}

// Whatever a box does, doing it twice undoes it; a box that reacts says something new on the
// tip line each way and starts the blink, a caution in red; one that does not react leaves the
// tip line and the mascot alone.
TEST_F(WindowTest, EveryOptionBoxToggledTwiceLeavesThePanelAsItWas) {
    for (const char* box : {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6", "Check7",
                            "Check9", "Check10", "Check11"}) {
        SCOPED_TRACE(box);
        const bool reacts = QByteArray(box) != "Check3" && QByteArray(box) != "Check4" &&
                            QByteArray(box) != "Check5";
        const QStringList before = ShownControls(*form);
        for (int round = 0; round < 2; ++round) {
            const QString tip = Tip();
            form->setProperty("BlinkCount", 4);
            Toggle(box);
            EXPECT_EQ(Tip() != tip, reacts);
            EXPECT_EQ(BlinkCount() == 0, reacts && !Tip().isEmpty());
            EXPECT_EQ(TipColour(), Tip().startsWith(QStringLiteral("注意:")) ? kRed : kBlue);
        }
        EXPECT_EQ(ShownControls(*form), before);
    }
}

// Keeping every comment of a kind hides the choices it makes moot, and keeping every blank hides
// the choice of leading blanks; the block editors show while their block is asked for. A hidden
// control still counts.
TEST_F(WindowTest, BoxesHideTheChoicesTheyMakeMootAndHiddenChoicesStillCount) {
    Toggle("Check6");
    EXPECT_FALSE(Shown("Check3") || Shown("Check5"));
    EXPECT_EQ(Tip(), QStringLiteral("提示:所有的行注释将被保留"));
    Toggle("Check7");
    EXPECT_FALSE(Shown("Check4"));
    Toggle("Check10");
    EXPECT_FALSE(Shown("Check9"));
    Find<QCheckBox>("Check5")->setChecked(true);
    Find<QCheckBox>("Check9")->setChecked(false);
    EXPECT_TRUE(form->CurrentOptions().KeepWholeLineComments);
    EXPECT_FALSE(form->CurrentOptions().KeepLeadingSpaces);

    Toggle("Check1");
    EXPECT_TRUE(Shown("Text9"));
    auto* header = Find<window::ExactTextEdit>("Text9");
    header->SetExactText(u"x");  // too short to need a scroll bar: shown all the same
    QApplication::processEvents();
    EXPECT_TRUE(header->horizontalScrollBar()->isVisible() &&
                header->verticalScrollBar()->isVisible());
    EXPECT_EQ(Tip(), QStringLiteral("提示:您可以编辑自动添加的文件头"));
    Toggle("Check2");
    EXPECT_TRUE(Shown("Text10"));
    Toggle("Check11");
    EXPECT_EQ(Tip(), QStringLiteral("注意:字符串中的注释符号将被处理,有可能破坏文件的完整性!"));
}

}  // namespace
