#include "Batch.h"

#include <algorithm>

#include "Browsing.h"
#include "FileNames.h"
#include "Pipeline.h"
#include "SourceLanguage.h"

namespace workflow {

namespace {

// The files of `folder` that the run takes, and its subfolders, both in name order as shown.
void Sort(const std::shared_ptr<const Folder>& folder, const FileTypes& types,
          const QString& prefix, std::vector<BatchSource>& files,
          std::vector<std::pair<QString, QByteArray>>* subfolders) {
    const std::vector<FolderItem> items = ListOpenFolder(*folder);
    const QStringList shown = ShownNames(items);
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return shown[static_cast<qsizetype>(a)] < shown[static_cast<qsizetype>(b)];
    });
    for (const std::size_t i : order) {
        const QString& name = shown[static_cast<qsizetype>(i)];
        if (!items[i].isFolder && types.Takes(name)) {
            files.push_back({{folder, items[i].name}, prefix + name});
        } else if (subfolders != nullptr && items[i].isFolder && !items[i].isLink) {
            subfolders->push_back({name, items[i].name});
        }
    }
}

void Walk(const std::shared_ptr<const Folder>& folder, const FileTypes& types,
          const QString& prefix, std::vector<BatchSource>& files) {
    std::vector<std::pair<QString, QByteArray>> subfolders;
    Sort(folder, types, prefix, files, &subfolders);
    for (const auto& [shown, name] : subfolders) {
        if (const std::shared_ptr<const Folder> subfolder = folder->Subfolder(name)) {
            Walk(subfolder, types, prefix + shown + u'/', files);
        }
    }
}

}  // namespace

std::vector<BatchSource> BatchSourcesIn(const std::shared_ptr<const Folder>& folder,
                                        const FileTypes& types, const QString& prefix) {
    std::vector<BatchSource> files;
    Sort(folder, types, prefix, files, nullptr);
    return files;
}

std::vector<BatchSource> BatchSourcesUnder(const std::shared_ptr<const Folder>& folder,
                                           const FileTypes& types) {
    std::vector<BatchSource> files;
    Walk(folder, types, {}, files);
    return files;
}

QString BatchFolderText(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString BatchReportHead(const QString& folder, qsizetype processed) {
    return QStringLiteral("    ====批量处理报告====\r\n\r\n路径=") + BatchFolderText(folder) +
           QStringLiteral("\r\n处理文件数 = ") + QString::number(processed) +
           QStringLiteral("\r\n\r\n");
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
    if (outcome.failure) {
        const QString length =
            outcome.sourceLength < 0
                ? QString()
                : QStringLiteral("(字符数=") + QString::number(outcome.sourceLength) + u')';
        return QString::number(number) + QStringLiteral(":  ") + outcome.sourceName + length +
               QStringLiteral("  ==>  未处理:") + ReasonOf(outcome.failure);
    }
    QString line = ReportFileLine(number, outcome.sourceName, outcome.sourceLength,
                                  outcome.targetName, outcome.targetLength);
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
    notClean_ += outcome.Clean() ? 0 : 1;
    lines_ += line + QStringLiteral("\r\n");
    return line;
}

QString BatchReportBuilder::Text(const QString& folder) const {
    return BatchReportHead(folder, processed_) + lines_;
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
