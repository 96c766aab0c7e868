#include "Batch.h"

namespace workflow {

bool IsBatchSourceFile(const QString& name, const QString& pattern) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || pattern.isEmpty()) {
        return false;
    }
    return pattern.toLower().contains(name.mid(dot + 1).toLower());
}

QString BatchFolderText(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString BatchReportHead(const QString& folder, qsizetype processed) {
    return QStringLiteral("    ====批量处理报告====\r\n\r\n路径=") + BatchFolderText(folder) +
           QStringLiteral("\r\n处理文件数 = ") + QString::number(processed) +
           QStringLiteral("\r\n\r\n");
}

QString ReportFailureLine(qsizetype number, const QString& sourceName, qsizetype sourceLength,
                          const QString& reason) {
    const QString length = sourceLength < 0
                               ? QString()
                               : QStringLiteral("(字符数=") + QString::number(sourceLength) + u')';
    return QString::number(number) + QStringLiteral(":  ") + sourceName + length +
           QStringLiteral("  ==>  未处理:") + reason;
}

BatchSummary SummarizeBatch(const QString& folder, qsizetype processed, qsizetype failed) {
    const QString place = u'\'' + BatchFolderText(folder) + u'\'';
    if (failed > 0) {
        return {QStringLiteral("注意:") + place + QStringLiteral("目录下的") +
                    QString::number(processed) + QStringLiteral("个源文件中有") +
                    QString::number(failed) + QStringLiteral("个未能处理,原因见报告"),
                true};
    }
    if (processed == 0) {
        return {QStringLiteral("提示:") + place + QStringLiteral("目录下没有找到源文件!"), false};
    }
    return {QStringLiteral("提示:") + place + QStringLiteral("目录下的") +
                QString::number(processed) + QStringLiteral("个源文件全部处理完毕"),
            false};
}

}  // namespace workflow
