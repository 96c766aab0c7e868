#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <array>
#include <optional>

#include "workflow/OptionSet.h"
#include "workflow/SourceLanguage.h"

namespace tools {

/// What the command line asks qingyan-strip to do.
struct Settings {
    enum class Mode { Save, Stdout, Check, Diff };

    /// The options for each language: its row, then the command line. What names, picks and
    /// frames the files is the same in each. With --lang, the language every file is read in.
    workflow::LanguageOptions languages;
    /// The file types -r takes: --pattern, or every type some language claims.
    QString pattern;
    /// -o: the root of a clean copy of the tree, or the folder the files named go to; empty for
    /// none (each target beside its source).
    QString output;
    /// --sources-only: the copy holds the sources alone.
    bool sourcesOnly = false;
    QStringList paths;  ///< as given; "-" is standard input
    Mode mode = Mode::Save;
    bool recursive = false;
    int jobs = 0;  ///< files cleaned at once; 0: one per core
    bool verbose = false;
    bool report = false;

    /// Whether the file at `path` is refused: no --lang, and no language claims it.
    bool Refuses(const QString& path) const;
    /// The options for the file at `path` holding `text`, as it is read.
    const workflow::OptionSet& OptionsFor(const QString& path, std::u16string_view text) const;
    /// What names the targets, the same for every language.
    const workflow::OptionSet& Naming() const { return languages.byLanguage.front(); }
};

/// Declares every option of the command line on `parser`.
void DescribeOptions(QCommandLineParser& parser);

/// Fills `settings` from a parsed command line; false with the reason in `error`.
bool ReadSettings(const QCommandLineParser& parser, Settings& settings, QString& error);

}  // namespace tools
