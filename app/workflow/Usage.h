#pragma once

#include <QString>
#include <QStringList>

namespace workflow {

/// How both programs refuse an option they do not know: with the argument as it was typed.
QString UnknownOptionMessage(const QString& typed);

/// The argument of `arguments` (the program's name left out) that holds the option `name`, as an
/// option parser names it (no leading dashes, no value): `--name`, `--name=VALUE`, `-name`, or a
/// run of one-letter options holding it. The first such argument before a "--", or `name` itself.
QString TypedOption(const QStringList& arguments, const QString& name);

}  // namespace workflow
