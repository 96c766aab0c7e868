// The batch run: every source file directly inside the file list's folder is loaded, cleaned and
// saved as a pick, 消除 and 保存 would do it, and a report replaces the target editor's text.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "BrowsingLists.h"
#include "ClickableLabel.h"
#include "ExactTextEdit.h"
#include "Form1.h"
#include "InputHold.h"
#include "ProgressBarSink.h"
#include "workflow/Batch.h"
#include "workflow/Browsing.h"
#include "workflow/FileErrors.h"
#include "workflow/FileNames.h"
#include "workflow/Pipeline.h"

namespace window {

void Form1::Command5_Click() {
    if (const QString problem = workflow::MarkerProblem(CurrentOptions()); !problem.isEmpty()) {
        PostMessage(QStringLiteral("注意:") + problem + u'!');
        return;
    }
    const QString folder = File1->path();
    const auto postUnreadable = [&](const QString& problem) {
        PostFittedMessage(folder, [&](const QString& shown) {
            return QStringLiteral("注意:无法读取文件夹'") + shown + QStringLiteral("',") + problem +
                   u'!';
        });
    };
    if (const QString problem = workflow::FolderProblem(folder); !problem.isEmpty()) {
        postUnreadable(problem);
        return;
    }
    // The folder is opened once, so that a folder swapped for a link during the run is not
    // entered; its files are listed once, before any target is written, so that this run's
    // targets are never its sources.
    batchFolder_ = workflow::Folder::Open(workflow::NativePath(folder));
    if (batchFolder_ == nullptr) {
        postUnreadable(workflow::ReasonOfError(errno));
        return;
    }
    const std::vector<workflow::BatchSource> sources =
        workflow::BatchSourcesIn(batchFolder_, workflow::FileTypes(Text8->text()));
    const InputHold hold;
    BeginBatch(static_cast<qsizetype>(sources.size()));
    BatchFileCount = 0;
    // The report is made once the run's saves are on disk: until then no file is saved.
    std::vector<workflow::FileOutcome> outcomes;
    outcomes.reserve(sources.size());
    QElapsedTimer sincePaint;
    sincePaint.start();
    for (const workflow::BatchSource& source : sources) {
        outcomes.push_back(RunBatchFile(folder, source));
        ++BatchFileCount;
        if (sincePaint.elapsed() >= ProgressBarSink::kRepaintInterval) {
            // A new value repaints the bar at once, which waits for the display: not every file.
            ProgressBar1->setValue(static_cast<int>(BatchFileCount));
            sincePaint.restart();
        }
    }
    // The run's saves reach the disk together, before it reports them saved.
    workflow::SavedFileSystems saved;
    saved.Note(batchFolder_);
    const bool flushed = saved.Flush();
    const int flushError = errno;
    const QString reason = workflow::ReasonOfError(flushError);
    if (!flushed) {
        workflow::MarkNotOnDisk(outcomes, flushError);
    }
    workflow::BatchReportBuilder report;
    for (const workflow::FileOutcome& outcome : outcomes) {
        report.Add(outcome);
    }
    BatchReport = report.Text(folder);
    if (!flushed) {
        EndBatch(folder, BatchFileCount);
        PostFittedMessage(folder, [&](const QString& shown) {
            return QStringLiteral("注意:'") + workflow::BatchFolderText(shown) +
                   QStringLiteral("'目录下的目标文件没能全部写入磁盘,") + reason + u'!';
        });
        return;
    }
    EndBatch(folder, report.notClean());
}

void Form1::BeginBatch(qsizetype files) {
    Label10->hide();
    // Nothing but the progress bars is repainted during the run: the editors need not build
    // their display for every file.
    RichTextBox1->SuspendDisplay(true);
    RichTextBox2->SuspendDisplay(true);
    ProgressBar1->setRange(0, static_cast<int>(files + 1));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    ProgressBar1->repaint();
}

workflow::FileOutcome Form1::RunBatchFile(const QString& folder,
                                          const workflow::BatchSource& source) {
    const QString& name = source.shown;
    batchSource_ = source.file;
    Text1->setText(workflow::JoinPath(folder, name));
    BuildTargetPath();
    workflow::FileOutcome outcome;
    outcome.sourceName = name;
    outcome.targetName = workflow::TargetPathFor(name, Check8->isChecked(), Text11->text());
    outcome.failure = LoadSourceFile();
    outcome.reading = sourceReading_;
    if (outcome.failure) {
        return outcome;
    }
    Command1_Click();
    const workflow::WriteOutcome written = Command2_Click();
    outcome.failure = written.failure;
    outcome.unrepresentable = written.unrepresentable;
    outcome.sourceLength = RichTextBox1->Length();
    outcome.targetLength = RichTextBox2->Length();
    return outcome;
}

void Form1::EndBatch(const QString& folder, qsizetype notClean) {
    batchFolder_.reset();
    batchSource_ = {};
    RichTextBox2->SetExactText(BatchReport.toStdU16String(), u"\r\n");
    PostFittedMessage(folder, [&](const QString& shown) {
        return workflow::SummarizeBatch(shown, BatchFileCount, notClean);
    });
    Command1->hide();
    Command2->hide();
    Command4->hide();
    Text1->clear();
    Text5->clear();
    sourceReading_ = {engine::Language::Assembler};  // no file is picked any more: the panel's
    ShowMarkersOfSource();
    RichTextBox1->SetExactText({});
    ProgressBar1->hide();
    Label10->show();
    RichTextBox1->SuspendDisplay(false);
    RichTextBox2->SuspendDisplay(false);
}

}  // namespace window
