#pragma once

#include <QString>
#include <QStringList>

namespace window {

/// What the command line asks of the window program.
struct StartRequest {
    enum class Action { Open, Help, Version, Error };
    Action action = Action::Open;
    QString path;   ///< the file or folder to open; empty for none
    QString error;  ///< what is wrong, for Action::Error
};

/// Reads qingyan's arguments (the program's name left out): -h or --help, -v or --version, and at
/// most one FILE or FOLDER; "--" ends the options. Qt's own window options (-platform NAME,
/// -style NAME, -reverse ...) are left for Qt.
StartRequest ReadStartArguments(const QStringList& arguments);

/// The help text of qingyan, in Chinese.
QString StartHelpText();

/// Names the application: its name, its version, and its desktop entry, from which the desktop
/// takes its shown name 青砚 and its icon. No display name is set, since Qt would append one to
/// the window's title.
void NameApplication();

}  // namespace window
