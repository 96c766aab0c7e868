#include "Pipeline.h"

#include <new>

#include "text/TargetText.h"

namespace workflow {

QString TargetPathFor(const QString& sourcePath, bool addExtension, const QString& extension) {
    return addExtension ? sourcePath + extension : sourcePath;
}

QString TargetPathOf(const QString& sourcePath, const OptionSet& options) {
    return TargetPathFor(sourcePath, options.AddTargetExtension,
                         QString::fromStdU16String(options.TargetExtension));
}

CleanedText Clean(SourceFile source, const OptionSet& options, FileOutcome& outcome,
                  engine::ProgressSink* progress) {
    outcome.sourceLength = static_cast<qsizetype>(source.text.size());
    CleanedText cleaned{std::move(source), {}};
    cleaned.target = text::MakeTargetText(std::move(cleaned.source.text), options, options.Blocks(),
                                          cleaned.source.lineBreak, progress);
    outcome.targetLength = static_cast<qsizetype>(cleaned.target.size());
    return cleaned;
}

FileRef TargetOf(const FileRef& source, const OptionSet& options) {
    return {source.folder,
            options.AddTargetExtension
                ? source.name + QString::fromStdU16String(options.TargetExtension).toUtf8()
                : source.name};
}

FileOutcome CleanFile(const FileRef& source, const LanguageOptions& languages, SaveOptions save) {
    FileOutcome outcome;
    ReadOutcome read = ReadSourceFile(source);
    if (!read.file) {
        outcome.failure = read.failure;
        return outcome;
    }
    outcome.reading = languages.ReadingOf(QString::fromUtf8(source.name), read.file->text);
    const OptionSet& options = languages.For(
        outcome.reading.value_or(engine::Reading{engine::Language::Assembler}).language);
    std::optional<CleanedText> cleaned;
    try {
        cleaned = Clean(std::move(*read.file), options, outcome);
    } catch (const std::bad_alloc&) {
        outcome.failure = Failure{FailureKind::OutOfMemory};
    }
    if (cleaned) {
        const FileRef target = TargetOf(source, options);
        save.replacesSource = target.name == source.name;
        try {
            const WriteOutcome written = WriteTargetFile(
                target, cleaned->target, cleaned->source.encoding, cleaned->source.facts, save);
            outcome.failure = written.failure;
            outcome.unrepresentable = written.unrepresentable;
        } catch (const std::bad_alloc&) {
            outcome.failure = Failure{FailureKind::OutOfMemory};
        }
    }
    return outcome;
}

}  // namespace workflow
