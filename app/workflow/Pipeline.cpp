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

std::u16string TargetTextOf(std::u16string source, const OptionSet& options,
                            std::u16string_view lineBreak, engine::ProgressSink* progress,
                            const std::function<void(engine::TextSpan)>& removed) {
    return text::MakeTargetText(std::move(source), options, options.Blocks(), lineBreak, progress,
                                removed);
}

CleanedText Clean(SourceFile source, const OptionSet& options, FileOutcome& outcome,
                  engine::ProgressSink* progress) {
    outcome.sourceLength = static_cast<qsizetype>(source.text.size());
    CleanedText cleaned{std::move(source), {}};
    cleaned.target =
        TargetTextOf(std::move(cleaned.source.text), options, cleaned.source.lineBreak, progress);
    outcome.targetLength = static_cast<qsizetype>(cleaned.target.size());
    return cleaned;
}

FileRef TargetOf(const FileRef& source, const OptionSet& options) {
    // The name's bytes stay as they are, whatever their encoding: only what the rule appends is
    // text.
    const QString appended = TargetPathOf(QString(), options);
    return {source.folder, source.name + appended.toUtf8()};
}

FileOutcome CleanFile(const FileRef& source, const LanguageOptions& languages, SaveOptions save) {
    return CleanFileTo(source, {}, languages, save);
}

FileOutcome CleanFileTo(const FileRef& source, const FileRef& givenTarget,
                        const LanguageOptions& languages, SaveOptions save) {
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
        const FileRef target =
            givenTarget.folder != nullptr ? givenTarget : TargetOf(source, options);
        // The source itself only when it is named so beside itself (no extension); never in a
        // copy of its tree.
        save.replacesSource = givenTarget.folder == nullptr && target.name == source.name;
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
