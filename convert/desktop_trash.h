#pragma once

#include <QString>

// Moves `path` into the desktop's trash as the freedesktop.org trash specification lays it out: the home trash
// ($XDG_DATA_HOME/Trash) for a file on the same mount, else the mount's own .Trash/$uid or .Trash-$uid. The file
// is only ever renamed, never copied, and a trash that can't be set up safely is not used. True when the file
// is in the trash; false leaves it where it was, with the reason in `why` when given.
bool MoveToDesktopTrash(const QString& path, QString* why = nullptr);
