#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <array>
#include <optional>

#include "workflow/OptionSet.h"

namespace tools {

/// What the command line asks qingyan-strip to do.
struct Settings {
    enum class Mode { Save, Stdout, Check, Diff };

    /// The options for each language, by engine::Language: its row, then the command line.
    /// What names, picks and frames the files is the same in each.
    std::array<workflow::OptionSet, engine::kLanguageCount> byLanguage;
    /// The language every file is read in (--lang); none for each file's own (--lang auto).
    std::optional<engine::Language> language;
    /// The file types -r takes: --pattern, or every type some language claims.
    QString pattern;
    QStringList paths;  ///< as given; "-" is standard input
    Mode mode = Mode::Save;
    bool recursive = false;
    int jobs = 0;  ///< files cleaned at once; 0: one per core
    bool verbose = false;
    bool report = false;

    /// The language the file at `path` is read in: --lang, or its own; the assembler's for
    /// standard input; none for a file no language claims.
    std::optional<engine::Language> LanguageFor(const QString& path) const;
    /// The options for the file at `path`; the assembler's for a file no language claims.
    const workflow::OptionSet& OptionsFor(const QString& path) const;
};

/// Declares every option of the command line on `parser`.
void DescribeOptions(QCommandLineParser& parser);

/// Fills `settings` from a parsed command line; false with the reason in `error`.
bool ReadSettings(const QCommandLineParser& parser, Settings& settings, QString& error);

}  // namespace tools
