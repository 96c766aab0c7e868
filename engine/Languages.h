#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "EliminationOptions.h"

namespace engine {

/// The languages whose sources are read with rules of their own, in the order of their rows in
/// the table of languages.
enum class Language { Assembler, C, Cpp };
inline constexpr std::size_t kLanguageCount = 3;

/// The five marker fields, in the order of the option panel.
inline constexpr std::array<std::u16string EliminationOptions::*, 5> kMarkerFields{
    &EliminationOptions::LineCommentLeader, &EliminationOptions::BlockCommentLeader,
    &EliminationOptions::BlockCommentTerminator, &EliminationOptions::StringLeader,
    &EliminationOptions::StringTerminator};

/// Which marker fields the user has typed, by their place in kMarkerFields.
using TypedMarkers = std::bitset<kMarkerFields.size()>;

/// One row of the table of languages: how a language is named, which files are its sources, and
/// how they are read unless the user says otherwise.
struct LanguageRow {
    Language language;
    /// Its name on the command line (--lang).
    std::string_view name;
    /// Its name as the window and the help show it.
    std::u16string_view shown;
    /// The file types it claims: extensions without their dot, matched in any case.
    std::span<const std::u16string_view> extensions;
    /// Whole file names it claims, matched in any case.
    std::span<const std::u16string_view> fileNames;
    /// Its markers, in the order of kMarkerFields.
    std::array<std::u16string_view, kMarkerFields.size()> markers;
    LexicalRules rules;
};

/// Every language, one row each, in the order of Language.
std::span<const LanguageRow> LanguageTable();

/// The row of `language`; the assembler's markers are the default option set's.
const LanguageRow& RowOf(Language language);

/// The language called `name` on the command line, if any.
std::optional<Language> LanguageNamed(std::string_view name);

/// The language whose sources a file called `fileName` (no folder) is: by its whole name, else by
/// its extension; none for a file no language claims, such as a build file known by its name
/// (CMakeLists.txt, *.cmake), which is no source even where its extension is claimed.
std::optional<Language> LanguageOfFileName(std::u16string_view fileName);

/// Whether a file called `fileName` is a build file known by its name, which is no source.
bool IsBuildFileName(std::u16string_view fileName);

/// `options` read as `language`: its rules, and its markers in every field the user has not
/// typed.
EliminationOptions ForLanguage(EliminationOptions options, Language language,
                               TypedMarkers typed = {});

}  // namespace engine
