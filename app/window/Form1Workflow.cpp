// One file: picking it, naming its target, and the commands 消除, 保存 and 自动.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "BrowsingLists.h"
#include "ExactTextEdit.h"
#include "Form1.h"
#include "ProgressBarSink.h"
#include "workflow/Browsing.h"
#include "workflow/FileNames.h"
#include "workflow/SourceLanguage.h"
#include "workflow/TextFile.h"

namespace window {

void Form1::File1_Click() {
    Command1->show();
    Command4->show();
    BuildSourcePath();
    BuildTargetPath();
    LoadSourceFile();
}

void Form1::BuildSourcePath() {
    const QListWidgetItem* item = File1->currentItem();
    Text1->setText(workflow::JoinPath(File1->path(), item ? item->text() : QString()));
}

workflow::Failure Form1::LoadSourceFile() {
    pickedSource_ = batchFolder_ ? std::nullopt : workflow::FileAtPath(Text1->text());
    workflow::ReadOutcome read = batchFolder_    ? workflow::ReadSourceFile(batchSource_)
                                 : pickedSource_ ? workflow::ReadSourceFile(*pickedSource_)
                                                 : workflow::ReadSourceFile(Text1->text());
    sourceReading_ =
        workflow::WindowReadingOf(Text1->text(), read.file ? read.file->text : std::u16string());
    ShowMarkersOfSource();
    // Shown, the text costs memory again; a failure there is told like a failed read.
    try {
        return ShowSourceFile(read);
    } catch (const std::bad_alloc&) {
        read = {std::nullopt, workflow::Failure{workflow::FailureKind::OutOfMemory}};
        return ShowSourceFile(read);
    }
}

workflow::Failure Form1::ShowSourceFile(workflow::ReadOutcome& read) {
    if (!read.file) {
        // Nothing to clean: the previous file's text must never be saved under this name.
        RichTextBox1->SetExactText({});
        RichTextBox2->SetExactText({});
        Command1->hide();
        Command2->hide();
        Command4->hide();
        const QString reason = workflow::ReasonOf(read.failure);
        PostMessage(read.failure.kind == workflow::FailureKind::BinaryFile
                        ? QStringLiteral("注意:") + reason + QStringLiteral(",没有载入!")
                        : QStringLiteral("注意:无法读取源文件,") + reason + u'!');
        return read.failure;
    }
    sourceEncoding_ = read.file->encoding;
    sourceFacts_ = read.file->facts;
    if (read.file->byteSize == 0) {
        RichTextBox1->SetExactText({});
        RichTextBox2->SetExactText({});
        PostMessage(QStringLiteral("注意:源文件为空!"));
    } else {
        RichTextBox1->SetExactText(std::move(read.file->text), read.file->lineBreak);
        RichTextBox2->SetExactText({}, read.file->lineBreak);
        PostMessage(
            QStringLiteral("提示:按[消除]按钮可消除注释,按[自动]按钮可自动生成目标文件,"
                           "按[批量]按钮可将整个当前目录中的源文件批量生成目标文件"));
    }
    if (sourceReading_ != engine::Reading{engine::Language::Assembler}) {
        PostMessage(workflow::ReadingHint(sourceReading_));
    }
    Command2->hide();
    return {};
}

void Form1::BuildTargetPath() {
    Text5->setText(workflow::TargetPathFor(Text1->text(), Check8->isChecked(), Text11->text()));
}

void Form1::Check8_Click() {
    BuildTargetPath();
    if (Check8->isChecked()) {
        Label9->show();
        PostMessage(QStringLiteral("提示:系统默认的扩展名是<.TX_>,当然您也可以修改它"));
        Text11->show();
    } else {
        Label9->hide();
        PostMessage(workflow::kNoExtensionWarning);
        Text11->hide();
    }
}

void Form1::Text11_Change() {
    BuildTargetPath();
    if (!Text11->text().isEmpty()) {
        PostMessage(QString());
    } else {
        PostMessage(workflow::kEmptyExtensionWarning);
    }
}

void Form1::Command1_Click() {
    const workflow::OptionSet options = CurrentOptions();
    if (const QString problem = workflow::MarkerProblem(options); !problem.isEmpty()) {
        PostMessage(QStringLiteral("注意:") + problem + u'!');
        return;
    }
    Command2->show();
    BuildTargetPath();
    PostMessage(QStringLiteral(
        "提示:注释已消除,但目标文件尚未保存,您可按[保存]按钮将目标文件保存到磁盘上"));
    ProgressBarSink progress(ProgressBar2);
    const std::u16string& lineBreak = RichTextBox1->LineBreak();
    try {
        std::u16string target =
            workflow::TargetTextOf(RichTextBox1->ExactText(), options, lineBreak, &progress);
        RichTextBox2->SetExactText(std::move(target), lineBreak);
    } catch (const std::bad_alloc&) {
        RichTextBox2->SetExactText({}, lineBreak);
        Command2->hide();
        PostMessage(QStringLiteral("注意:内存不足,注释没有消除!"));
    }
    Beep();
}

workflow::WriteOutcome Form1::Command2_Click() {
    const QString path = Text5->text();
    workflow::WriteOutcome written;
    if (!path.isEmpty()) {
        // The source itself only when the user named it: no extension, or its own path typed.
        const workflow::SaveOptions save{path == Text1->text(), !batchFolder_};
        const std::u16string& text = RichTextBox2->ExactText();
        const std::optional<workflow::FileRef> beside =
            batchFolder_    ? workflow::TargetOf(batchSource_, CurrentOptions())
            : pickedSource_ ? workflow::FileBeside(*pickedSource_, Text1->text(), path)
                            : std::nullopt;
        try {
            written =
                beside
                    ? workflow::WriteTargetFile(*beside, text, sourceEncoding_, sourceFacts_, save)
                    : workflow::WriteTargetFile(path, text, sourceEncoding_, sourceFacts_, save);
        } catch (const std::bad_alloc&) {
            written.failure = workflow::Failure{workflow::FailureKind::OutOfMemory};
        }
        if (!written.ok()) {
            PostMessage(QStringLiteral("注意:目标文件没有保存,") +
                        workflow::ReasonOf(written.failure) +
                        QStringLiteral("!请检查目标文件路径后再按[保存]"));
        } else if (written.unrepresentable > 0) {
            PostMessage(QStringLiteral("注意:目标文件已经保存,但其中") +
                        workflow::UnrepresentableCaution(written.unrepresentable));
        } else {
            PostMessage(QStringLiteral("提示:目标文件已经保存!您可继续对其它源文件进行操作"));
        }
    } else {
        PostMessage(QStringLiteral("提示:未获得目标文件及路径,无法保存!"));
        written.failure = workflow::Failure{workflow::FailureKind::NoTargetPath};
        Beep();
    }
    Beep();
    return written;
}

void Form1::Command4_Click() {
    Command1_Click();
    Command2_Click();
}

}  // namespace window
