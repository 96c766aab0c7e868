#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "OptionSet.h"
#include "SourceLanguage.h"
#include "TextFile.h"
#include "engine/Passes.h"
#include "engine/Progress.h"

namespace workflow {

/// What became of one source file on its way through read, clean and save: the report line of
/// the batch run and of the command line is made from it.
struct FileOutcome {
    QString sourceName;
    QString targetName;
    qsizetype sourceLength = -1;      ///< characters read; -1 when the file could not be read
    qsizetype targetLength = 0;       ///< characters of the target text
    Failure failure;                  ///< why the file was not cleaned or saved; none when it was
    std::size_t unrepresentable = 0;  ///< characters the encoding could not hold, written as "?"
    /// How the source was read, once it was: its language, and whether its dialect was left
    /// undecided.
    std::optional<engine::Reading> reading;
    /// What became of it: cleaned, copied as it is into a copy of its tree, or passed over (a
    /// link or a special file that such a copy leaves out; `failure` says which).
    enum class Road { Cleaned, Copied, Passed } road = Road::Cleaned;
    /// For a source copied as it is, why it was not cleaned (a binary file); none otherwise.
    Failure notCleaned;
    /// Whether the file was cleaned and saved exactly.
    bool Clean() const { return !failure && unrepresentable == 0; }
};

/// A source as read and its target text, ready to be saved or shown. The target took the
/// source's text and its memory: `source.text` is left empty.
struct CleanedText {
    SourceFile source;
    std::u16string target;
};

/// The target text of a source text under the options: the one road by which every save, copy of
/// a tree, check, diff, standard output and the window's 消除 make it. It works in the source's
/// memory (give it with std::move when it is not needed after); `removed`, when given, hears of
/// each comment removed, by its place in the source.
std::u16string TargetTextOf(std::u16string source, const OptionSet& options,
                            std::u16string_view lineBreak, engine::ProgressSink* progress = nullptr,
                            const std::function<void(engine::TextSpan)>& removed = {});

/// Makes the target text of a source already read, and records both lengths in `outcome`.
CleanedText Clean(SourceFile source, const OptionSet& options, FileOutcome& outcome,
                  engine::ProgressSink* progress = nullptr);

/// The whole road of one file: read, clean with the options of the language it is read in, and
/// save beside the source under the target name that the options give. The outcome's names are
/// the caller's.
FileOutcome CleanFile(const FileRef& source, const LanguageOptions& options, SaveOptions save = {});

/// The same, saved at `target` instead: for a copy of a tree, under the source's own name there.
FileOutcome CleanFileTo(const FileRef& source, const FileRef& target,
                        const LanguageOptions& options, SaveOptions save = {});

/// Where the target of `sourcePath` goes: the source path with the extension appended unchanged
/// when `addExtension` is on, the source path itself otherwise.
QString TargetPathFor(const QString& sourcePath, bool addExtension, const QString& extension);

/// Where the options put the target of `sourcePath`.
QString TargetPathOf(const QString& sourcePath, const OptionSet& options);

/// The target of `source`: beside it, its name with the extension the options give.
FileRef TargetOf(const FileRef& source, const OptionSet& options);

}  // namespace workflow
