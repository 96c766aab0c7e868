#pragma once

#include <QString>

#include "engine/Languages.h"

namespace workflow {

/// The language a source is read in, by its name: a .c or .h file (any case) is C, every other
/// file assembler.
engine::Language LanguageOfFile(const QString& path);

}  // namespace workflow
