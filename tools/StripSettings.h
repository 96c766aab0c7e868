#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <array>

#include "workflow/OptionSet.h"

namespace tools {

/// What the command line asks qingyan-strip to do.
struct Settings {
    enum class Mode { Save, Stdout, Check, Diff };
    enum class Language { Asm, C, Auto };

    /// The options for each language, by engine::Language: its preset, then the command line.
    /// What names, picks and frames the files is the same in each.
    std::array<workflow::OptionSet, engine::kLanguages.size()> byLanguage;
    Language language = Language::Auto;
    QStringList paths;  ///< as given; "-" is standard input
    Mode mode = Mode::Save;
    bool recursive = false;
    int jobs = 0;  ///< files cleaned at once; 0: one per core
    bool verbose = false;
    bool report = false;

    /// The options for the file at `path`.
    const workflow::OptionSet& OptionsFor(const QString& path) const;
};

/// Declares every option of the command line on `parser`.
void DescribeOptions(QCommandLineParser& parser);

/// Fills `settings` from a parsed command line; false with the reason in `error`.
bool ReadSettings(const QCommandLineParser& parser, Settings& settings, QString& error);

}  // namespace tools
