// Browsing: the drive (volume), folder and file lists, and the file-type pattern.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
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

void Form1::OpenPath(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const bool folder = workflow::FolderProblem(absolute).isEmpty();
    const QString parent = folder ? absolute : QFileInfo(absolute).absolutePath();
    Drive1->ShowVolumesFor(parent);
    if (!OpenFolder(parent)) {
        return;
    }
    Command5->show();  // a folder is open, even when it was the one shown already
    if (folder) {
        return;
    }
    const QList<QListWidgetItem*> found =
        File1->findItems(QFileInfo(absolute).fileName(), Qt::MatchExactly);
    if (found.isEmpty()) {
        PostMessage(QStringLiteral("注意:'") + QFileInfo(absolute).fileName() +
                    QStringLiteral("'不在源文件列表中,请检查源文件类型!"));
        return;
    }
    File1->setCurrentItem(found.front());  // a pick, as a click in the list
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void Form1::dropEvent(QDropEvent* event) {
    OpenPath(event->mimeData()->urls().front().toLocalFile());
    event->acceptProposedAction();
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
