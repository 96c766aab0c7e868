// The batch run: every source file directly inside the file list's folder is loaded, cleaned and
// saved as a pick, 消除 and 保存 would do it, and a report replaces the target editor's text.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "Batch.h"
#include "Browsing.h"
#include "BrowsingLists.h"
#include "ClickableLabel.h"
#include "ExactTextEdit.h"
#include "Form1.h"
#include "TargetText.h"

namespace window {

void Form1::Command5_Click() {
    const QString folder = File1->path();
    if (const QString problem = workflow::FolderProblem(folder); !problem.isEmpty()) {
        PostMessage(
            QStringLiteral("注意:无法读取文件夹'") + folder + QStringLiteral("',") + problem + u'!',
            kRed);
        return;
    }
    // Listed once, for both passes, so that the targets this run writes are never its sources;
    // sorted, so that the report reads the same on every run.
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);

    Label10->hide();
    // Nothing but the progress bars is repainted during the run: the editors need not build
    // their display for every file.
    RichTextBox1->SuspendDisplay(true);
    RichTextBox2->SuspendDisplay(true);
    BatchFileCount = 0;
    for (const QString& name : names) {
        BatchFileCount += workflow::IsBatchSourceFile(name, Text8->text()) ? 1 : 0;
    }
    ProgressBar1->setRange(0, static_cast<int>(BatchFileCount + 1));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    ProgressBar1->repaint();

    BatchFileCount = 0;
    BatchReport.clear();
    qsizetype failed = 0;
    for (const QString& name : names) {
        if (!workflow::IsBatchSourceFile(name, Text8->text())) {
            continue;
        }
        Text1->setText(workflow::JoinPath(folder, name));
        BuildTargetPath();
        QString failure = LoadSourceFile();
        const bool loaded = failure.isEmpty();
        if (loaded) {
            Command1_Click();
            Command2_Click();
            failure = lastSaveError_;
        }
        ++BatchFileCount;
        ProgressBar1->setValue(static_cast<int>(BatchFileCount));
        ProgressBar1->repaint();
        if (failure.isEmpty()) {
            const QString targetName = Check8->isChecked() ? name + Text11->text() : name;
            BatchReport += workflow::ReportFileLine(BatchFileCount, name, RichTextBox1->Length(),
                                                    targetName, RichTextBox2->Length());
        } else {
            ++failed;
            BatchReport += workflow::ReportFailureLine(
                BatchFileCount, name, loaded ? RichTextBox1->Length() : -1, failure);
        }
        BatchReport += QStringLiteral("\r\n");
    }

    BatchReport.prepend(workflow::BatchReportHead(folder, BatchFileCount));
    RichTextBox2->SetExactText(BatchReport.toStdU16String(), u"\r\n");
    const workflow::BatchSummary summary = workflow::SummarizeBatch(folder, BatchFileCount, failed);
    PostMessage(summary.caption, summary.caution ? kRed : kBlue);
    Command1->hide();
    Command2->hide();
    Command4->hide();
    Text1->clear();
    Text5->clear();
    RichTextBox1->SetExactText({});
    ProgressBar1->hide();
    Label10->show();
    RichTextBox1->SuspendDisplay(false);
    RichTextBox2->SuspendDisplay(false);
}

}  // namespace window
