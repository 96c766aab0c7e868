#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "engine/EliminationOptions.h"
#include "engine/Progress.h"

namespace workflow {

/// The warnings given when a save would overwrite the source: the extension is switched off, or
/// empty.
inline const QString kNoExtensionWarning =
    QStringLiteral("警告:如果不加扩展名,源文件将被目标文件被覆盖!");
inline const QString kEmptyExtensionWarning =
    QStringLiteral("警告:如果扩展名为空,源文件将被目标文件被覆盖!");

/// Why the options cannot clean a text, or an empty string: a marker made only of line-break
/// characters would cut line breaks in two.
QString MarkerProblem(const engine::EliminationOptions& options);

/// The target text of a source text: both passes with the text's line break, then the header and
/// footer when the options ask for them, their line breaks made the text's own. The passes work
/// in the source's own memory: give it with std::move when it is not needed after.
std::u16string MakeTargetText(std::u16string source, const engine::EliminationOptions& options,
                              std::u16string_view lineBreak,
                              engine::ProgressSink* progress = nullptr);

/// Where the target of `sourcePath` goes: the source path with the extension appended unchanged
/// when `addExtension` is on, the source path itself otherwise.
QString TargetPathFor(const QString& sourcePath, bool addExtension, const QString& extension);

/// One file line of the batch report, without its line break, e.g.
/// "1:  MAIN.ASM(字符数=812)  ==>  MAIN.ASM.TX_(字符数=305)".
QString ReportFileLine(qsizetype number, const QString& sourceName, qsizetype sourceLength,
                       const QString& targetName, qsizetype targetLength);

}  // namespace workflow
