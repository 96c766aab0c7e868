#include "Languages.h"

#include <algorithm>

namespace engine {

namespace {

using Names = std::u16string_view[];

constexpr Names kAssemblerTypes = {u"asm", u"inc", u"dt", u"txt"};
constexpr Names kCTypes = {u"c", u"h"};
constexpr Names kCppTypes = {u"cpp", u"cc",  u"cxx", u"c++", u"hpp", u"hh",
                             u"hxx", u"h++", u"ipp", u"tpp", u"inl", u"ino"};

// clang-format off
const LanguageRow kTable[] = {
    {Language::Assembler, "asm", u"汇编", kAssemblerTypes, {},
     {u";", u"/*", u"*/", u"\"", u"\""}, {}},
    {Language::C, "c", u"C", kCTypes, {},
     {u"//", u"/*", u"*/", u"\"", u"\""}, kCRules},
    {Language::Cpp, "c++", u"C++", kCppTypes, {},
     {u"//", u"/*", u"*/", u"\"", u"\""}, kCppRules},
};
// clang-format on
static_assert(std::size(kTable) == kLanguageCount);

// Build files known by their names: no sources, whatever their extension says.
constexpr Names kBuildFileNames = {u"CMakeLists.txt"};
constexpr Names kBuildFileTypes = {u"cmake"};

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

bool Lists(std::span<const std::u16string_view> names, std::u16string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](std::u16string_view listed) { return SameIgnoringCase(listed, name); });
}

std::u16string_view ExtensionOf(std::u16string_view fileName) {
    const std::size_t dot = fileName.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string_view() : fileName.substr(dot + 1);
}

}  // namespace

std::span<const LanguageRow> LanguageTable() {
    return kTable;
}

const LanguageRow& RowOf(Language language) {
    return kTable[static_cast<std::size_t>(language)];
}

std::optional<Language> LanguageNamed(std::string_view name) {
    for (const LanguageRow& row : kTable) {
        if (row.name == name) {
            return row.language;
        }
    }
    return std::nullopt;
}

bool IsBuildFileName(std::u16string_view fileName) {
    const std::u16string_view extension = ExtensionOf(fileName);
    return Lists(kBuildFileNames, fileName) ||
           (!extension.empty() && Lists(kBuildFileTypes, extension));
}

std::optional<Language> LanguageOfFileName(std::u16string_view fileName) {
    const std::u16string_view extension = ExtensionOf(fileName);
    if (IsBuildFileName(fileName)) {
        return std::nullopt;
    }
    for (const LanguageRow& row : kTable) {
        if (Lists(row.fileNames, fileName)) {
            return row.language;
        }
    }
    for (const LanguageRow& row : kTable) {
        if (!extension.empty() && Lists(row.extensions, extension)) {
            return row.language;
        }
    }
    return std::nullopt;
}

EliminationOptions ForLanguage(EliminationOptions options, Language language, TypedMarkers typed) {
    const LanguageRow& row = RowOf(language);
    for (std::size_t field = 0; field < kMarkerFields.size(); ++field) {
        if (!typed[field]) {
            options.*kMarkerFields[field] = row.markers[field];
        }
    }
    options.Rules = row.rules;
    return options;
}

}  // namespace engine
