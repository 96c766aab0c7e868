// Browsing: the drive (volume), folder and file lists, and the file-type pattern.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "BrowsingLists.h"
#include "Form1.h"
#include "workflow/Browsing.h"

namespace window {

void Form1::Drive1_Change() {
    const QString entry = Drive1->currentText();
    const QString mountPath = Drive1->currentData().toString();
    if (workflow::IsVolumeReady(mountPath)) {
        OpenFolder(mountPath);  // its Dir1_Change runs to its end first
        PostMessage(QStringLiteral("提示:请进一步选择路径"));
    } else {
        PostMessage(QStringLiteral("提示:") + entry + QStringLiteral("设备未准备好!"));
    }
}

bool Form1::OpenFolder(const QString& path) {
    const QString problem = workflow::FolderProblem(path);
    if (!problem.isEmpty()) {
        PostFittedMessage(path, [&](const QString& shown) {
            return QStringLiteral("注意:无法打开文件夹'") + shown + QStringLiteral("',") + problem +
                   u'!';
        });
        return false;
    }
    if (path != Dir1->path()) {
        Dir1->SetPath(path);
        Dir1_Change();
    }
    return true;
}

void Form1::Dir1_Change() {
    Command5->show();
    File1->SetPath(Dir1->path());
    PostMessage(
        QStringLiteral("提示:请选择源文件.如果您要处理整个当前目录中的所有源文件,请按[批量]按钮"));
}

void Form1::Dir1_Click() {
    Command5->show();
}

void Form1::Text8_Change() {
    PostMessage(QStringLiteral("提示:源文件类型修改后,请按[更改]按钮或回车确认"));
}

void Form1::Text8_KeyPress(int keyAscii) {
    if (keyAscii == 13) {
        File1->SetPattern(Text8->text());
    }
}

void Form1::Command3_Click() {
    File1->SetPattern(Text8->text());
}

}  // namespace window
