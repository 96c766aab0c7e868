#pragma once

class QCoreApplication;

namespace workflow {

/// Loads Qt's own Chinese texts (context menus, dialogs, the command-line parser's messages) from
/// the system's Qt translations, when they are installed.
void LoadQtTranslations(QCoreApplication& application);

}  // namespace workflow
