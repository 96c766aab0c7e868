// The option panel: each reacting check box shows or hides what its new state makes useful, and
// says on the tip line what that state will do.
#include <QCheckBox>

#include "ExactTextEdit.h"
#include "Form1.h"

namespace window {

void Form1::AnswerToggle(std::initializer_list<QWidget*> shown,
                         std::initializer_list<QWidget*> hidden, const QString& caption,
                         bool blink) {
    for (QWidget* widget : shown) {
        widget->show();
    }
    for (QWidget* widget : hidden) {
        widget->hide();
    }
    PostMessage(caption, blink);
}

void Form1::Check1_Click() {
    if (Check1->isChecked()) {
        AnswerToggle({Text9}, {}, QStringLiteral("提示:您可以编辑自动添加的文件头"));
    } else {
        AnswerToggle({}, {Text9}, QString(), false);
    }
}

void Form1::Check2_Click() {
    if (Check2->isChecked()) {
        AnswerToggle({Text10}, {}, QStringLiteral("提示:您可以编辑自动添加的文件尾"));
    } else {
        AnswerToggle({}, {Text10}, QString(), false);
    }
}

void Form1::Check6_Click() {
    if (Check6->isChecked()) {
        AnswerToggle({}, {Check3, Check5}, QStringLiteral("提示:所有的行注释将被保留"));
    } else {
        AnswerToggle({Check3, Check5}, {}, QStringLiteral("提示:您可以修改行注释引导符"));
    }
}

void Form1::Check7_Click() {
    if (Check7->isChecked()) {
        AnswerToggle({}, {Check4}, QStringLiteral("提示:所有的块注释将被保留"));
    } else {
        AnswerToggle({Check4}, {}, QStringLiteral("提示:您可以修改块注释引导符和结束符"));
    }
}

void Form1::Check9_Click() {
    AnswerToggle({}, {},
                 Check9->isChecked()
                     ? QStringLiteral("提示:保留行首的空格和制表符,可以保持程序的体形美")
                     : QStringLiteral("提示:删除行首的空格和制表符,会破坏程序的体形美"));
}

void Form1::Check10_Click() {
    if (Check10->isChecked()) {
        AnswerToggle({}, {Check9}, QStringLiteral("提示:您觉得有必要保留多余的空行和空格吗?"));
    } else {
        AnswerToggle({Check9}, {}, QStringLiteral("提示:多余的空行和空格将被删除"));
    }
}

void Form1::Check11_Click() {
    if (Check11->isChecked()) {
        AnswerToggle({}, {}, QStringLiteral("提示:字符串中的注释符号将被忽略"));
    } else {
        AnswerToggle({}, {},
                     QStringLiteral("注意:字符串中的注释符号将被处理,有可能破坏文件的完整性!"));
    }
}

}  // namespace window
