#pragma once

#include <array>
#include <bitset>
#include <string>
#include <string_view>

#include "EliminationOptions.h"

namespace engine {

/// The languages whose sources are read with rules of their own.
enum class Language { Assembler, C };
inline constexpr std::array<Language, 2> kLanguages{Language::Assembler, Language::C};

/// The five marker fields, in the order of the option panel.
inline constexpr std::array<std::u16string EliminationOptions::*, 5> kMarkerFields{
    &EliminationOptions::LineCommentLeader, &EliminationOptions::BlockCommentLeader,
    &EliminationOptions::BlockCommentTerminator, &EliminationOptions::StringLeader,
    &EliminationOptions::StringTerminator};

/// Which marker fields the user has typed, by their place in kMarkerFields.
using TypedMarkers = std::bitset<kMarkerFields.size()>;

/// How a language's sources are read unless the user says otherwise: its markers, in the order
/// of kMarkerFields, and its lexical rules.
struct LanguagePreset {
    std::array<std::u16string_view, kMarkerFields.size()> markers;
    LexicalRules rules;
};

/// The preset of `language`; the assembler's is the default option set's.
const LanguagePreset& PresetOf(Language language);

/// `options` read as `language`: its rules, and its markers in every field the user has not
/// typed.
EliminationOptions ForLanguage(EliminationOptions options, Language language,
                               TypedMarkers typed = {});

}  // namespace engine
