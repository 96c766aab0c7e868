#pragma once

#include <QString>

#include "engine/EliminationOptions.h"

namespace tools {

/// Sets the option field called `name` (its exact name in EliminationOptions) from `value`:
/// booleans take 0 or 1, texts take the value with the escapes \r \n \t and \\ resolved.
/// Returns an empty string on success, otherwise what is wrong.
QString AssignOptionField(engine::EliminationOptions& options, const QString& name,
                          const QString& value);

/// The names of all option fields, for the help text.
QString OptionFieldNames();

}  // namespace tools
