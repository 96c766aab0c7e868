#pragma once

#include <QString>

#include <array>
#include <string>
#include <variant>

#include "engine/EliminationOptions.h"
#include "engine/Languages.h"
#include "text/TargetText.h"

namespace workflow {

/// Every value the user sets in the option panel: the engine's options, and what the passes do
/// not read: the blocks put around a target, the extension that names it, and the file types a
/// batch takes.
struct OptionSet : engine::EliminationOptions {
    bool AddHeader = false;
    std::u16string HeaderText{text::kHeaderTemplate};
    bool AddFooter = false;
    std::u16string FooterText{text::kFooterTemplate};
    bool AddTargetExtension = true;
    std::u16string TargetExtension = u".TX_";
    std::u16string SourcePattern = u"*.TXT;*.ASM;*.DT;*.C;*.INC;*.H";

    /// The blocks a target gets under these options.
    text::Blocks Blocks() const {
        return {AddHeader ? std::u16string_view(HeaderText) : std::u16string_view(),
                AddFooter ? std::u16string_view(FooterText) : std::u16string_view()};
    }

    bool operator==(const OptionSet&) const = default;
};

/// The warnings given when a save would overwrite the source: the extension is switched off, or
/// empty.
inline const QString kNoExtensionWarning =
    QStringLiteral("警告:如果不加扩展名,源文件将被目标文件被覆盖!");
inline const QString kEmptyExtensionWarning =
    QStringLiteral("警告:如果扩展名为空,源文件将被目标文件被覆盖!");

/// `options` read as `language`: its rules, and its markers in every field the user has not
/// typed.
OptionSet ForLanguage(OptionSet options, engine::Language language,
                      engine::TypedMarkers typed = {});

/// One option field, with everything that names or shows it.
struct OptionField {
    /// The field's name, as --set takes it.
    const char* name;
    std::variant<bool OptionSet::*, std::u16string OptionSet::*> member;
    /// The window's control bound to it: a check box for a flag, a text box for a text; none
    /// (null) for a field of the command line alone.
    const char* control;
    /// The command-line option that sets a flag on, or sets a text (taking `valueName`), and its
    /// help; none when null.
    const char* flag = nullptr;
    const char* flagHelp = nullptr;
    /// The command-line option that sets a flag off, and its help; none when null.
    const char* offFlag = nullptr;
    const char* offFlagHelp = nullptr;
    const char* valueName = "TEXT";
    /// Whether the help gives the default of the option set; not where the command line has
    /// another.
    bool defaultShown = true;
};

/// Every option field, in the order of the option panel's controls.
extern const std::array<OptionField, 23> kOptionFields;

/// Sets the field called `name` from `value`: a flag takes 0 or 1, a text takes the value with
/// the escapes \r \n \t and \\ resolved. Returns an empty string on success, otherwise what is
/// wrong.
QString AssignOptionField(OptionSet& options, const QString& name, const QString& value);

/// The names of all option fields, for the help text.
QString OptionFieldNames();

/// Why the options cannot clean a text, or an empty string: a marker made only of line-break
/// characters would cut line breaks in two.
QString MarkerProblem(const engine::EliminationOptions& options);

}  // namespace workflow
