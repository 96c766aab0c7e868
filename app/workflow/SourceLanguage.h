#pragma once

#include <QString>

#include <optional>

#include "engine/Languages.h"

namespace workflow {

/// The language a file is a source of, by the table of languages, from the name at the end of
/// `path`: none when no language claims it. The window, 批量 and the command line all ask here.
std::optional<engine::Language> LanguageOfFile(const QString& path);

/// The language the window reads a file in: its own, or the option panel's (the assembler's)
/// for a file no language claims.
engine::Language WindowLanguageOf(const QString& path);

/// The tip line's word that a file is read as `language`, not with the option panel's markers:
/// "提示:这是C源文件,注释符已换为C的// /* */,字符串和字符常量按C的规则识别;选汇编文件时换回".
QString LanguageHint(engine::Language language);

/// Every file type some language claims, as a pattern of wildcards ("*.asm;*.inc;...").
QString ClaimedTypesPattern();

/// The names of the languages on the command line, "asm、c、c++".
QString LanguageNames();

}  // namespace workflow
