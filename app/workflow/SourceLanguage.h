#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string_view>

#include "OptionSet.h"
#include "engine/Languages.h"

namespace workflow {

/// Whether some language claims the file at `path` (by the name at its end) as its source.
bool IsClaimedFile(const QString& path);

/// How the file at `path` holding `text` is read, by the table of languages: its language and,
/// for a file type several dialects share, the one its text shows. None when no language claims
/// it. The window, 批量 and the command line all ask here.
std::optional<engine::Reading> ReadingOf(const QString& path, std::u16string_view text);

/// How the window reads a file: as ReadingOf, or with the option panel's own markers (the
/// assembler's) for a file no language claims.
engine::Reading WindowReadingOf(const QString& path, std::u16string_view text);

/// The options of a run for each language, and the language it forces on every file, if any.
struct LanguageOptions {
    std::array<OptionSet, engine::kLanguageCount> byLanguage;
    std::optional<engine::Language> forced;

    /// How a file is read: in the forced language, or as ReadingOf (standard input, "-", as
    /// the assembler).
    std::optional<engine::Reading> ReadingOf(const QString& path, std::u16string_view text) const;
    const OptionSet& For(engine::Language language) const {
        return byLanguage[static_cast<std::size_t>(language)];
    }
};

/// The tip line's word of how a picked file is read when that is not the option panel's way:
/// "提示:这是C源文件,注释符已换为C的// /* */,字符串和字符常量按C的规则识别;选汇编文件时换回", or
/// that the text did not tell which dialect of its type it is.
QString ReadingHint(engine::Reading reading);

/// The word of the report and of --verbose for a file whose text did not tell its dialect.
QString UndecidedNote(engine::Reading reading);

/// Every file type some language claims, as a pattern of wildcards ("*.asm;*.inc;...").
QString ClaimedTypesPattern();

/// The names of the languages on the command line, "asm、c、c++、...".
QString LanguageNames();

}  // namespace workflow
