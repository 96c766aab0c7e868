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
/// the table of languages: the option panel's assembler, C, C++, and the dialects of the
/// assemblers (GNU as per processor, plain and preprocessed; the ; assemblers), with the
/// readings common to all the dialects of a file type, for a text that does not tell which.
enum class Language {
    Assembler,
    C,
    Cpp,
    GasArm,
    GasAarch64,
    GasRiscv,
    GasX86,
    GasMips,
    GasXtensa,
    GasNios2,
    GasAvr,
    GasMsp430,
    GasArmCpp,
    GasAarch64Cpp,
    GasRiscvCpp,
    GasX86Cpp,
    GasMipsCpp,
    GasXtensaCpp,
    GasNios2Cpp,
    GasAvrCpp,
    GasMsp430Cpp,
    A51,
    Sdas,
    Pic,
    AvrAtmel,
    Nasm,
    Masm,
    Iar,
    Armasm,
    AnyAsm,
    AnyS,
    AnyGasCpp,
};
inline constexpr std::size_t kLanguageCount = 32;

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
    /// Extensions it claims in the case they are written: GNU as tells .S (preprocessed) from .s.
    std::span<const std::u16string_view> exactExtensions;
    /// Its markers, in the order of kMarkerFields: the first of its kinds, which the option panel
    /// shows.
    std::array<std::u16string_view, kMarkerFields.size()> markers;
    LexicalRules rules;
    /// Words, in lower case, whose use tells this dialect from the others that claim its file
    /// types (directives, mnemonics, registers); none where the type alone decides.
    std::span<const std::u16string_view> evidence = {};
};

/// How a file is read: in which language, and whether its text left the dialect undecided, so
/// that it is read as what every dialect of its type has in common.
struct Reading {
    Language language;
    bool undecided = false;

    bool operator==(const Reading&) const = default;
};

/// Every language, one row each, in the order of Language.
std::span<const LanguageRow> LanguageTable();

/// The row of `language`; the assembler's markers are the default option set's.
const LanguageRow& RowOf(Language language);

/// The language called `name` on the command line, if any.
std::optional<Language> LanguageNamed(std::string_view name);

/// Whether some language claims a file called `fileName` (no folder) as its source, by its whole
/// name or its extension; a build file known by its name (CMakeLists.txt, *.cmake) is none even
/// where its extension is claimed.
bool IsClaimed(std::u16string_view fileName);

/// How a file called `fileName` (no folder) holding `text` is read: by the language that claims
/// its name or its type and, where several dialects claim the type (.s, .asm, .inc), by what
/// its text shows; none for a file no language claims. Only the start of a long text is looked
/// at.
std::optional<Reading> ReadingOfFile(std::u16string_view fileName, std::u16string_view text);

/// Whether a file called `fileName` is a build file known by its name, which is no source.
bool IsBuildFileName(std::u16string_view fileName);

/// `options` read as `language`: its rules, and its markers in every field the user has not
/// typed.
EliminationOptions ForLanguage(EliminationOptions options, Language language,
                               TypedMarkers typed = {});

}  // namespace engine
