#pragma once

#include <QString>

namespace workflow {

/// Whether the batch run takes `name` as a source file under the pattern text: the name's
/// extension (after its last ".") must occur, ignoring case, anywhere in the pattern text. So
/// BOOT.S and LOADER.A count under "*.TXT;*.ASM;...", MAIN.TX_ and MAKEFILE do not, and an empty
/// pattern takes nothing.
bool IsBatchSourceFile(const QString& name, const QString& pattern);

/// The folder as the report and the summary show it: its path with a "/" after it, unless it is
/// "/" itself.
QString BatchFolderText(const QString& folder);

/// The five head lines of the batch report, each ended by CR LF.
QString BatchReportHead(const QString& folder, qsizetype processed);

/// The report line of a file the run could not clean or save, without its line break: the
/// number and name, the source length when it was read (-1 otherwise), then why.
QString ReportFailureLine(qsizetype number, const QString& sourceName, qsizetype sourceLength,
                          const QString& reason);

/// The tip line after a run: the caption, and whether it is a caution (red) rather than a hint.
struct BatchSummary {
    QString caption;
    bool caution = false;
};
BatchSummary SummarizeBatch(const QString& folder, qsizetype processed, qsizetype failed);

}  // namespace workflow
