#include "Languages.h"

namespace engine {

namespace {

// clang-format off
const LanguagePreset kPresets[] = {
    /* Assembler */ {{u";", u"/*", u"*/", u"\"", u"\""}, {}},
    /* C */         {{u"//", u"/*", u"*/", u"\"", u"\""}, kCRules},
};
// clang-format on

}  // namespace

const LanguagePreset& PresetOf(Language language) {
    return kPresets[static_cast<std::size_t>(language)];
}

EliminationOptions ForLanguage(EliminationOptions options, Language language, TypedMarkers typed) {
    const LanguagePreset& preset = PresetOf(language);
    for (std::size_t field = 0; field < kMarkerFields.size(); ++field) {
        if (!typed[field]) {
            options.*kMarkerFields[field] = preset.markers[field];
        }
    }
    options.Rules = preset.rules;
    return options;
}

}  // namespace engine
