// Guidance: the tip tour on the tip line and the mascot, the window click, and the timer's tick
// (character counters and the mascot's blink).
#include <QLabel>

#include "ExactTextEdit.h"
#include "Form1.h"
#include "MascotView.h"
#include "TipTexts.h"

namespace window {

void Form1::Label10_Click() {
    if (TipIndex >= 0 && TipIndex < kTipCount) {
        PostTourTip(QString::fromUtf8(kTips[TipIndex]));
    } else {
        PostTourTip(QString::fromUtf8(kTourEnd));
        TipIndex = 0;
    }
    ++TipIndex;  // after the closing message too, so the next round starts at the second tip
}

void Form1::Image1_Click() {
    Label10_Click();
}

void Form1::Form_Click() {
    PostMessage(QStringLiteral("提示:点击左下角的duvo/提示区,可获取更多信息哦!"));
}

void Form1::Timer1_Timer() {
    Label3->setText(QStringLiteral("字符数:") + QString::number(RichTextBox1->Length()));
    Label5->setText(QStringLiteral("字符数:") + QString::number(RichTextBox2->Length()));
    if (BlinkCount >= 4) {
        Image1->show();
    } else {
        ++BlinkCount;
        Image1->setVisible(Image1->isHidden());
    }
}

}  // namespace window
