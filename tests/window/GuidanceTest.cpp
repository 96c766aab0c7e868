#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>

#include "WindowFixture.h"
#include "window/TipTexts.h"

namespace {

TEST_F(WindowTest, TheTipLineAndTheMascotStepATourThatStartsAgainAfterTheLastTip) {
    for (int i = 0; i < window::kTipCount; ++i) {
        ClickTipLine();
        ASSERT_EQ(Tip(), QString::fromUtf8(window::kTips[i])) << i;
    }
    EXPECT_EQ(TipColour(), kTeal);
    ClickTipLine();  // one past the last
    EXPECT_EQ(Tip(), QStringLiteral("提示:没有更多的信息了...再点击这里,我又将重复前面的内容..."));
    ClickTipLine();  // and the tour starts again
    EXPECT_EQ(Tip(), QString::fromUtf8(window::kTips[1]));
    EXPECT_EQ(TipIndex(), 2);

    // The mascot steps the tour too; a click on the window answers, one on a control does not.
    ClickMascot();
    EXPECT_EQ(Tip(), QString::fromUtf8(window::kTips[2]));
    QTest::mouseClick(Find("Label4"), Qt::LeftButton);
    EXPECT_EQ(Tip(), QString::fromUtf8(window::kTips[2]));
    QTest::mouseClick(form.get(), Qt::LeftButton, {}, QPoint(150, 470));  // inside a frame
    EXPECT_EQ(Tip(), QStringLiteral("提示:点击左下角的duvo/提示区,可获取更多信息哦!"));
    ClickTipLine();
    EXPECT_EQ(Tip(), QString::fromUtf8(window::kTips[3]));
    // A right click, or a press let go off the tip line, is no click of it.
    QTest::mouseClick(TipLine(), Qt::RightButton);
    QTest::mousePress(TipLine(), Qt::LeftButton);
    QTest::mouseRelease(TipLine(), Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(Tip(), QString::fromUtf8(window::kTips[3]));
}

TEST_F(WindowTest, AfterANewMessageTheMascotBlinksForFourTicks) {
    const auto ticks = [&](int count) {
        std::string seen;
        for (int tick = 0; tick < count; ++tick) {
            form->Timer1_Timer();
            seen += Find("Image1")->isHidden() ? 'h' : 'v';
        }
        return seen;
    };
    EXPECT_EQ(ticks(6), "hvhvvv");
    ClickTipLine();
    EXPECT_EQ(ticks(3), "hvh");
    Toggle("Check8");  // a new message while the mascot is hidden starts the blink afresh
    EXPECT_EQ(ticks(6), "vhvhvv");
    Toggle("Check1");
    EXPECT_EQ(ticks(2), "hv");
    Toggle("Check1");  // unchecked again: the line is emptied, and the blink goes on
    EXPECT_EQ(ticks(4), "hvvv");
}

// The mascot's eyes go open, closed, half shut and open again, a frame every 250 ms.
TEST_F(WindowTest, TheMascotsFramesComeRoundInTurn) {
    auto* mascot = Find<QLabel>("Image1");
    std::vector<QImage> frames{mascot->pixmap().toImage()};
    QElapsedTimer clock;
    clock.start();
    while (frames.size() < 4 && clock.elapsed() < 5000) {
        QTest::qWait(20);
        if (mascot->pixmap().toImage() != frames.back()) {
            frames.push_back(mascot->pixmap().toImage());
        }
    }
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_NE(frames[0], frames[2]);
    EXPECT_EQ(frames[3], frames[0]);
    EXPECT_GE(clock.elapsed(), 2 * 250 - 20);  // the first frame was seen at some point of its own
}

TEST_F(WindowTest, CountersCountTheEditorsExactTextsAtEachTick) {
    auto* target = Find<window::ExactTextEdit>("RichTextBox2");
    Find<window::ExactTextEdit>("RichTextBox1")->SetExactText(u"a\r\nb\r\nc");
    target->SetExactText(u"中文");
    EXPECT_EQ(Find<QLabel>("Label3")->text(), QStringLiteral("字符数:"));
    form->Timer1_Timer();
    EXPECT_EQ(Find<QLabel>("Label3")->text(), QStringLiteral("字符数:7"));
    EXPECT_EQ(Find<QLabel>("Label5")->text(), QStringLiteral("字符数:2"));
    // Typed lines count with the text's line break; Shift+Enter starts a line like Enter.
    QTest::keyClicks(target, "x");
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_Return, Qt::ShiftModifier);
    form->Timer1_Timer();
    EXPECT_EQ(Find<QLabel>("Label5")->text(), QStringLiteral("字符数:7"));
    EXPECT_EQ(target->ExactText(), u"x\r\n\r\n中文");
    // The window's own timer ticks: no call needed.
    Find<window::ExactTextEdit>("RichTextBox1")->SetExactText(u"abc");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Find<QLabel>("Label3")->text() == QStringLiteral("字符数:3"); }, 3000));
}

TEST(ExactTextEdit, GivesBackWhatWasPutInUntilTheUserTypesAndShowsLongTextsInSlices) {
    window::ExactTextEdit edit;
    edit.SetExactText(u"a\rb\nc\r\n", u"\r\n");
    EXPECT_EQ(edit.ExactText(), u"a\rb\nc\r\n");
    edit.moveCursor(QTextCursor::End);
    QTest::keyClicks(&edit, "d");
    // Edited, the widget's lines are joined with the text's line break.
    EXPECT_EQ(edit.ExactText(), u"a\r\nb\r\nc\r\nd");
    EXPECT_EQ(edit.Length(), 10);
    // Typing can be undone; setting the text cannot.
    edit.undo();
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("a\nb\nc\n"));
    EXPECT_FALSE(edit.document()->isUndoAvailable());

    // Lines of 3 characters plus CR LF: 5 divides 2^18 + 1, so a CR LF straddles the first slice
    // boundary.
    const int lines = 100000;
    const std::u16string text = u"mov\r\n"_qs.repeated(lines).toStdU16String();
    edit.SetExactText(text);
    EXPECT_FALSE(edit.FullyShown());
    EXPECT_TRUE(edit.isReadOnly());
    EXPECT_EQ(edit.ExactText(), text);
    EXPECT_EQ(edit.Length(), static_cast<qsizetype>(text.size()));
    // Filled while the event loop is idle. (Qt Test's own QTRY macros report to Qt Test, not
    // here: a failure would end this test silently.)
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit.FullyShown(); }, 20000));
    EXPECT_FALSE(edit.isReadOnly());
    EXPECT_EQ(edit.document()->blockCount(), lines + 1);  // no CR LF shown as two breaks

    // Suspended, texts are kept but not shown; resuming shows the last one.
    edit.SuspendDisplay(true);
    edit.SetExactText(u"first");
    edit.SetExactText(u"second\r\n");
    EXPECT_EQ(edit.document()->blockCount(), lines + 1);
    EXPECT_EQ(edit.ExactText(), u"second\r\n");
    edit.SuspendDisplay(false);
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("second\n"));
    // A pause in which nothing was set leaves what is shown, the user's edits included.
    QTest::keyClicks(&edit, "y");
    const QString edited = edit.toPlainText();
    edit.SuspendDisplay(true);
    edit.SuspendDisplay(false);
    EXPECT_EQ(edit.toPlainText(), edited);
    EXPECT_TRUE(edited.contains(u'y'));
}

}  // namespace
