#include "TargetText.h"

#include "engine/Languages.h"
#include "engine/Passes.h"

namespace workflow {
namespace {

// The blocks are typed with CR LF; they take the text's main line break instead.
std::u16string WithLineBreak(std::u16string_view block, std::u16string_view lineBreak) {
    std::u16string out;
    out.reserve(block.size());
    for (std::size_t at = 0; at < block.size();) {
        if (block.substr(at).starts_with(engine::kCrLf)) {
            out += lineBreak;
            at += engine::kCrLf.size();
        } else {
            out += block[at++];
        }
    }
    return out;
}

}  // namespace

QString MarkerProblem(const engine::EliminationOptions& options) {
    // In the order of engine::kMarkerFields, named as the option panel names them.
    static const char* const kNames[] = {"行注释引导符", "块注释引导符", "块注释结束符",
                                         "字符串引导符", "字符串结束符"};
    for (std::size_t field = 0; field < engine::kMarkerFields.size(); ++field) {
        const std::u16string& marker = options.*engine::kMarkerFields[field];
        if (!marker.empty() && marker.find_first_not_of(u"\r\n") == std::u16string::npos) {
            return QString::fromUtf8(kNames[field]) +
                   QStringLiteral("只由换行符组成,会把换行拆开,不能使用");
        }
    }
    return {};
}

std::u16string MakeTargetText(std::u16string text, const engine::EliminationOptions& options,
                              std::u16string_view lineBreak, engine::ProgressSink* progress) {
    engine::EliminateCommentsInPlace(text, options, lineBreak, progress);
    engine::TidyWhitespaceInPlace(text, options, lineBreak);
    if (options.AddHeader) {
        text.insert(0, WithLineBreak(options.HeaderText, lineBreak));
    }
    if (options.AddFooter) {
        text += WithLineBreak(options.FooterText, lineBreak);
    }
    return text;
}

QString TargetPathFor(const QString& sourcePath, bool addExtension, const QString& extension) {
    return addExtension ? sourcePath + extension : sourcePath;
}

QString ReportFileLine(qsizetype number, const QString& sourceName, qsizetype sourceLength,
                       const QString& targetName, qsizetype targetLength) {
    // One multi-argument pass, so that a "%3" inside a file name is never substituted.
    return QStringLiteral("%1:  %2(字符数=%3)  ==>  %4(字符数=%5)")
        .arg(QString::number(number), sourceName, QString::number(sourceLength), targetName,
             QString::number(targetLength));
}

}  // namespace workflow
