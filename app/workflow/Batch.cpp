#include "Batch.h"

#include "Browsing.h"
#include "FileNames.h"
#include "Pipeline.h"
#include "TargetText.h"

namespace workflow {

QStringList BatchSourceNames(const QString& folder, const QString& pattern) {
    QStringList names;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (!entry.isFolder && IsBatchSourceFile(entry.name, pattern)) {
            names.append(entry.name);
        }
    }
    return names;
}

bool IsBatchSourceFile(const QString& name, const QString& pattern) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || pattern.isEmpty()) {
        return false;
    }
    return pattern.toLower().contains(name.mid(dot + 1).toLower());
}

QStringList BatchSourceFilesUnder(const QString& folder, const QString& pattern) {
    QStringList files;
    QStringList subfolders;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (!entry.isFolder && IsBatchSourceFile(entry.name, pattern)) {
            files.append(JoinPath(folder, entry.name));
        } else if (entry.isFolder && !entry.isLink) {
            subfolders.append(JoinPath(folder, entry.name));
        }
    }
    for (const QString& subfolder : subfolders) {
        files += BatchSourceFilesUnder(subfolder, pattern);
    }
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

QString ReportLine(qsizetype number, const FileOutcome& outcome) {
    if (!outcome.failure.isEmpty()) {
        const QString length =
            outcome.sourceLength < 0
                ? QString()
                : QStringLiteral("(字符数=") + QString::number(outcome.sourceLength) + u')';
        return QString::number(number) + QStringLiteral(":  ") + outcome.sourceName + length +
               QStringLiteral("  ==>  未处理:") + outcome.failure;
    }
    QString line = ReportFileLine(number, outcome.sourceName, outcome.sourceLength,
                                  outcome.targetName, outcome.targetLength);
    if (outcome.unrepresentable > 0) {
        line += QStringLiteral("  注意:%1个字符无法用源文件的编码表示,已写为?")
                    .arg(outcome.unrepresentable);
    }
    return line;
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
