#include "Batch.h"

#include <algorithm>
#include <optional>

#include "Browsing.h"
#include "FileNames.h"
#include "Pipeline.h"
#include "SourceLanguage.h"

namespace workflow {

namespace {

// The entries of `folder` in name order as shown, and each one's shown name; false with errno set
// when the folder cannot be listed.
bool SortedEntries(const Folder& folder, std::vector<FolderItem>& items, QStringList& shown,
                   bool withHidden = false) {
    if (!ListOpenFolder(folder, items, withHidden)) {
        return false;
    }
    const QStringList names = ShownNames(items);
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return names[static_cast<qsizetype>(a)] < names[static_cast<qsizetype>(b)];
    });
    std::vector<FolderItem> sorted;
    sorted.reserve(items.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(items[i]));
        shown.append(names[static_cast<qsizetype>(i)]);
    }
    items = std::move(sorted);
    return true;
}

// A folder the walk has listed, and where it stands among its subfolders.
struct Level {
    std::shared_ptr<const Folder> folder;
    std::vector<FolderItem> items;
    QStringList shown;
    std::vector<std::size_t> subfolders;
    std::size_t next = 0;        // the next of `subfolders` to enter
    qsizetype prefixLength = 0;  // of the walk's prefix while inside this folder
};

// Lists `folder` and tells its entries other than subfolders; nullopt when it cannot be listed,
// told as such.
std::optional<Level> Enter(std::shared_ptr<const Folder> folder, const FileTypes& types,
                           bool namesHidden, const QString& prefix, const TreeVisitor& visit) {
    Level level{std::move(folder), {}, {}, {}, 0, prefix.size()};
    if (!SortedEntries(*level.folder, level.items, level.shown, namesHidden)) {
        visit({TreeItem::Kind::Unread,
               {level.folder, {}},
               prefix,
               {},
               false,
               Failure{FailureKind::FolderUnread, errno}});
        return std::nullopt;
    }
    for (std::size_t i = 0; i < level.items.size(); ++i) {
        const FolderItem& item = level.items[i];
        const QString& name = level.shown[static_cast<qsizetype>(i)];
        if (item.name.startsWith('.')) {
            visit({TreeItem::Kind::Hidden,
                   {level.folder, item.name},
                   prefix + name,
                   item,
                   false,
                   {}});
        } else if (item.isFolder && !item.isLink) {
            level.subfolders.push_back(i);
        } else {
            const bool source = !item.isFolder && types.Takes(name);
            visit(
                {TreeItem::Kind::File, {level.folder, item.name}, prefix + name, item, source, {}});
        }
    }
    return level;
}

}  // namespace

void WalkTree(const std::shared_ptr<const Folder>& root, const FileTypes& types, bool namesHidden,
              const TreeVisitor& visit) {
    // One prefix for the whole walk, grown and cut back as the walk goes down and up, and a
    // stack instead of a recursion: memory and stack in step with the tree, at any depth.
    QString prefix;
    std::vector<Level> levels;
    if (std::optional<Level> top = Enter(root, types, namesHidden, prefix, visit)) {
        levels.push_back(std::move(*top));
    }
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.subfolders.size()) {
            levels.pop_back();
            continue;
        }
        const std::size_t i = level.subfolders[level.next++];
        prefix.truncate(level.prefixLength);
        prefix += level.shown[static_cast<qsizetype>(i)];
        const FolderItem item = level.items[i];
        std::shared_ptr<const Folder> subfolder = level.folder->Subfolder(item.name);
        if (subfolder == nullptr) {
            visit({TreeItem::Kind::Unread,
                   {level.folder, item.name},
                   prefix,
                   item,
                   false,
                   Failure{FailureKind::FolderUnread, errno}});
            continue;
        }
        visit({TreeItem::Kind::Folder, {subfolder, {}}, prefix, item, false, {}});
        prefix += u'/';
        if (std::optional<Level> inner =
                Enter(std::move(subfolder), types, namesHidden, prefix, visit)) {
            levels.push_back(std::move(*inner));
        }
    }
}

std::vector<BatchSource> BatchSourcesIn(const std::shared_ptr<const Folder>& folder,
                                        const FileTypes& types, const QString& prefix) {
    std::vector<FolderItem> items;
    QStringList shown;
    std::vector<BatchSource> files;
    SortedEntries(*folder, items, shown);  // the window's list shows no reasons either
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString& name = shown[static_cast<qsizetype>(i)];
        const bool broken = items[i].isLink && !items[i].isFolder && !items[i].isRegular;
        if (!items[i].isFolder && !broken && types.Takes(name)) {
            files.push_back({{folder, items[i].name}, prefix + name});
        }
    }
    return files;
}

QString BatchFolderText(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString BatchReportHead(const QString& folder, qsizetype processed) {
    return QStringLiteral("    ====批量处理报告====\r\n\r\n路径=") +
           OnOneLine(BatchFolderText(folder)) + QStringLiteral("\r\n处理文件数 = ") +
           QString::number(processed) + QStringLiteral("\r\n\r\n");
}

namespace {

QString ReportFileLine(qsizetype number, const QString& sourceName, qsizetype sourceLength,
                       const QString& targetName, qsizetype targetLength) {
    // One multi-argument pass, so that a "%3" inside a file name is never substituted.
    return QStringLiteral("%1:  %2(字符数=%3)  ==>  %4(字符数=%5)")
        .arg(QString::number(number), sourceName, QString::number(sourceLength), targetName,
             QString::number(targetLength));
}

}  // namespace

QString ReportLine(qsizetype number, const FileOutcome& outcome) {
    // Names are shown on one line: a name holding a line break cannot add a line to the report.
    const QString source = OnOneLine(outcome.sourceName), target = OnOneLine(outcome.targetName);
    const QString head = QString::number(number) + QStringLiteral(":  ") + source;
    if (outcome.road == FileOutcome::Road::Passed) {
        return head + QStringLiteral("  ==>  跳过:") + ReasonOf(outcome.failure);
    }
    if (outcome.road == FileOutcome::Road::Copied && !outcome.failure) {
        const QString why = outcome.notCleaned ? u':' + ReasonOf(outcome.notCleaned) : QString();
        return head + QStringLiteral("  ==>  ") + target + QStringLiteral("(原样复制") + why + u')';
    }
    if (outcome.failure) {
        const QString length =
            outcome.sourceLength < 0
                ? QString()
                : QStringLiteral("(字符数=") + QString::number(outcome.sourceLength) + u')';
        return head + length + QStringLiteral("  ==>  未处理:") + ReasonOf(outcome.failure);
    }
    QString line =
        ReportFileLine(number, source, outcome.sourceLength, target, outcome.targetLength);
    if (outcome.unrepresentable > 0) {
        line += QStringLiteral("  注意:") + UnrepresentableCaution(outcome.unrepresentable);
    }
    if (outcome.reading && outcome.reading->undecided) {
        line += QStringLiteral("  提示:") + UndecidedNote(*outcome.reading);
    }
    return line;
}

QString BatchReportBuilder::Add(const FileOutcome& outcome) {
    const QString line = ReportLine(++processed_, outcome);
    // A file passed over is named with its reason; the run's status says whether that failed it.
    notClean_ += outcome.Clean() || outcome.road == FileOutcome::Road::Passed ? 0 : 1;
    lines_ += line + QStringLiteral("\r\n");
    return line;
}

QString BatchReportBuilder::Text(const QString& folder) const {
    return BatchReportHead(folder, processed_) + lines_;
}

void MarkNotOnDisk(std::vector<FileOutcome>& outcomes, int error) {
    for (FileOutcome& outcome : outcomes) {
        if (!outcome.failure && outcome.road != FileOutcome::Road::Passed) {
            outcome.failure = Failure{FailureKind::NotOnDisk, error};
        }
    }
}

QString SummarizeBatch(const QString& folder, qsizetype processed, qsizetype notClean) {
    const QString place = u'\'' + BatchFolderText(folder) + u'\'';
    if (notClean > 0) {
        return QStringLiteral("注意:") + place + QStringLiteral("目录下的") +
               QString::number(processed) + QStringLiteral("个源文件中有") +
               QString::number(notClean) + QStringLiteral("个未能完好处理,原因见报告");
    }
    if (processed == 0) {
        return QStringLiteral("提示:") + place + QStringLiteral("目录下没有找到源文件!");
    }
    return QStringLiteral("提示:") + place + QStringLiteral("目录下的") +
           QString::number(processed) + QStringLiteral("个源文件全部处理完毕");
}

}  // namespace workflow
