#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "FileErrors.h"
#include "FileTypes.h"
#include "Folder.h"

namespace workflow {

struct FileOutcome;

/// A file that a batch run takes: the file in its open folder, and its name as the reports show
/// it.
struct BatchSource {
    FileRef file;
    QString shown;
};

/// The files directly in `folder` that `types` takes, in name order, each shown as `prefix` and
/// its name.
std::vector<BatchSource> BatchSourcesIn(const std::shared_ptr<const Folder>& folder,
                                        const FileTypes& types, const QString& prefix = {});

/// What a walk of a tree meets, in the order it meets it: the files of each folder in name order,
/// then its subfolders one by one in name order, each before what it holds.
struct TreeItem {
    enum class Kind {
        File,    ///< an entry that is no folder: a file, a link, a FIFO or device
        Folder,  ///< a subfolder, entered next; a link to a folder is a File, not entered
        Unread,  ///< a folder that could not be opened or listed, so nothing under it was seen
        Hidden,  ///< a hidden entry (".name"), file or folder, passed over
    };
    Kind kind;
    FileRef file;      ///< the entry in its open folder; for a Folder, the subfolder opened and ""
    QString shown;     ///< its path under the root, as the reports show it
    FolderItem entry;  ///< what it is
    bool source;       ///< a File that `types` takes
    Failure failure;   ///< for Unread, why
};

using TreeVisitor = std::function<void(TreeItem&&)>;

/// Tells `visit` everything under `root`, each item as the walk meets it. Hidden entries are passed
/// over, named as Hidden items where `namesHidden`; a folder swapped for a link while the walk
/// goes on is not entered.
void WalkTree(const std::shared_ptr<const Folder>& root, const FileTypes& types, bool namesHidden,
              const TreeVisitor& visit);

/// The folder as the report and the summary show it: its path with a "/" after it, unless it is
/// "/" itself.
QString BatchFolderText(const QString& folder);

/// The five head lines of the batch report, each ended by CR LF.
QString BatchReportHead(const QString& folder, qsizetype processed);

/// The report line of one file, without its line break: names and lengths as
/// "1:  MAIN.ASM(字符数=812)  ==>  MAIN.ASM.TX_(字符数=305)", with a caution after it when
/// characters had to be written as "?"; for a file that was not cleaned or saved, the number and
/// name, the source length when it was read, then why; for a file copied as it is into a copy of
/// its tree, "(原样复制)" after its target; for one passed over, "跳过:" and why.
QString ReportLine(qsizetype number, const FileOutcome& outcome);

/// The report of a run as it grows, a line for each file, and its notes of how many files there
/// were and how many of them were not cleaned exactly.
class BatchReportBuilder {
public:
    /// Adds the line of the next file and returns it, without its line break.
    QString Add(const FileOutcome& outcome);
    qsizetype processed() const { return processed_; }
    qsizetype notClean() const { return notClean_; }
    /// The whole report: the head for `folder`, then each line ended by CR LF.
    QString Text(const QString& folder) const;

private:
    QString lines_;
    qsizetype processed_ = 0;
    qsizetype notClean_ = 0;
};

/// After a flush that failed with `error`, each outcome that was a save becomes the failure it
/// may be: the file may not be on disk.
void MarkNotOnDisk(std::vector<FileOutcome>& outcomes, int error);

/// The tip line after a run: a hint when every file was cleaned, a caution counting the files
/// that failed or had characters written as "?" (`notClean`) otherwise.
QString SummarizeBatch(const QString& folder, qsizetype processed, qsizetype notClean);

}  // namespace workflow
