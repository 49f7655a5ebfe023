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

// `<userDataHome>/Tervanix`, the user's own data folder, created (0700) when missing.
QString UserDataFolder(const QString& userDataHome);

// Why a portable copy's folder that holds the laboratory's data (its data, settings or queue file)
// cannot be used in place ("Permission denied", "Read-only file system"); empty when it can, when
// it holds no data, or for an installed program. Such data is never left behind silently.
QString UnwritableDataReason(const QString& programDir);

// Copies the data files of `from` (the data, settings, queue and archive files and the program's
// own files beside them) into `to`, never replacing a file already there. False with the reason
// on the first file that cannot be copied.
bool CopyDataFiles(const QString& from, const QString& to, QString* why);

// Whether `folder` holds a data, settings or queue file.
bool HoldsData(const QString& folder);

// A copy started from a folder it cannot write (a read-only medium, another user's folder) that
// holds the laboratory's data asks to go on with a copy of that data in the user's folder (a copy
// made earlier is used, never replaced), or to end: it never starts over beside the laboratory's
// data. False when the program is to end.
bool AgreeOnUnwritableData(const QString& programDir, const QString& userDataHome);

// The folder holding the user manual and the read-me: the installed `<prefix>/share/tervanix` beside
// the executable's `bin` folder, else the executable's own folder (a portable copy, the build folder).
QString DocumentsFolderFor(const QString& programDir);
QString DocumentsFolder();

// `DocumentsFolder()` + "/" + name, e.g. "UserManual.htm" or "ReadMe.Txt".
QString DocumentPath(const QString& name);

} // namespace tervanix
