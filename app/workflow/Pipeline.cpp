#include "Pipeline.h"

#include <QFileInfo>

#include "TargetText.h"

namespace workflow {

QString TargetPathOf(const QString& sourcePath, const engine::EliminationOptions& options) {
    return TargetPathFor(sourcePath, options.AddTargetExtension,
                         QString::fromStdU16String(options.TargetExtension));
}

CleanedText Clean(SourceFile source, const engine::EliminationOptions& options,
                  FileOutcome& outcome, engine::ProgressSink* progress) {
    CleanedText cleaned{std::move(source), {}};
    cleaned.target =
        MakeTargetText(cleaned.source.text, options, cleaned.source.lineBreak, progress);
    outcome.sourceLength = static_cast<qsizetype>(cleaned.source.text.size());
    outcome.targetLength = static_cast<qsizetype>(cleaned.target.size());
    return cleaned;
}

std::optional<CleanedText> ReadAndClean(const QString& sourcePath,
                                        const engine::EliminationOptions& options,
                                        FileOutcome& outcome, engine::ProgressSink* progress) {
    outcome.sourceName = QFileInfo(sourcePath).fileName();
    outcome.targetName = QFileInfo(TargetPathOf(sourcePath, options)).fileName();
    ReadOutcome read = ReadSourceFile(sourcePath);
    if (!read.file) {
        outcome.failure = read.error;
        outcome.binary = read.binary;
        return std::nullopt;
    }
    return Clean(std::move(*read.file), options, outcome, progress);
}

FileOutcome CleanFile(const QString& sourcePath, const engine::EliminationOptions& options) {
    FileOutcome outcome;
    const std::optional<CleanedText> cleaned = ReadAndClean(sourcePath, options, outcome);
    if (cleaned) {
        const WriteOutcome written =
            WriteTargetFile(TargetPathOf(sourcePath, options), cleaned->target,
                            cleaned->source.encoding, sourcePath);
        outcome.failure = written.error;
        outcome.unrepresentable = written.unrepresentable;
    }
    return outcome;
}

}  // namespace workflow
