// The backup drive letters on this machine. Letters stand for the volumes a user mounts: block
// devices mounted under /media, /run/media or /mnt (a stick, a disk), never a memory file system or
// a system mount. Each volume keeps its letter by its identity (its UUID, else its label), kept in
// the letters file beside the data file: mounting a second stick gives it the next free letter and
// never moves "a:" to it, and a letter whose volume is not mounted has no folder. The volumes are
// looked for again at every call, so a disk inserted while the program runs is found.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <string>

#include "model/UBackup.h"

namespace tervanix {

// A mounted file system as the system lists it.
struct TMountedVolume {
    QString Root;
    QString Device;     // "/dev/sdb1"; a memory or virtual file system has none of that form
    QString FileSystem; // "vfat", "ext4", "tmpfs"...
    QString Identity;   // its UUID, else its label, else its mount folder
    QString Name;       // its label, else its mount folder's name
};

// The volumes that may take a letter, out of those mounted.
QList<TMountedVolume> BackupVolumes(const QList<TMountedVolume>& mounted);

// Letters to identities: those known keep theirs, a new identity takes the first free letter.
using TDriveLetters = std::map<char, QString>;
TDriveLetters AssignLetters(TDriveLetters known, const QList<TMountedVolume>& volumes);

// The lettered volumes now, with the letters file at `lettersFile` read and brought up to date.
class TVolumeDriveMap : public IDriveMap {
public:
    explicit TVolumeDriveMap(std::string lettersFile);
    std::string RootOf(char letter) const override;
    // Mounted, with a known size, and its root folder can be listed.
    bool DriveReady(char letter) const override;

private:
    std::string lettersFile_;
};

// A lettered volume as the drive selector shows it.
struct TDriveVolume {
    char Letter = 'A';
    QString Root;
    QString Name; // the volume's label, else its mount folder's name
};

// The volumes mounted now that have letters, in letter order.
QList<TDriveVolume> MountedDriveVolumes(const std::string& lettersFile);

// BasePath + ".drives".
std::string DriveLettersFile();

} // namespace tervanix
