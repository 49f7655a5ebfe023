// Where the program keeps its files and finds its documents. A portable copy (or the build folder)
// keeps its data beside its executable; an installed program, whose folder belongs to the system,
// keeps it in the user's data folder instead.
#pragma once

#include <QString>

namespace tervanix {

// An installed program: its documents sit in the share folder of its prefix, `<prefix>/share/tervanix`
// beside the executable's `bin` folder, and not beside the executable.
bool IsInstalledProgram(const QString& programDir);

// The folder for the data, settings, queue and archive files: `programDir` for a portable copy the
// user may write in, else (an installed program, or a folder of another user)
// `<userDataHome>/Tervanix`, created when missing. Without trailing separator.
QString DataFolderFor(const QString& programDir, const QString& userDataHome);

// The same for this program and this user ($XDG_DATA_HOME, usually ~/.local/share).
QString DataFolder();

// The folder holding the user manual and the read-me: the installed `<prefix>/share/tervanix` beside
// the executable's `bin` folder, else the executable's own folder (a portable copy, the build folder).
QString DocumentsFolderFor(const QString& programDir);
QString DocumentsFolder();

// `DocumentsFolder()` + "/" + name, e.g. "UserManual.htm" or "ReadMe.Txt".
QString DocumentPath(const QString& name);

} // namespace tervanix
