// The backup drive letters on this machine: letters stand for the mounted removable and other
// data volumes (those mounted under /media, /run/media or /mnt), given in the order of their
// sorted mount points: A for the first, B for the second, and so on. A volume keeps its letter
// from one start to the next as long as the same volumes are mounted (desktops mount a volume at a
// path made from its label). The letters are worked out again at every call, so a disk inserted
// while the program runs is found.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "model/UBackup.h"

namespace tervanix {

class TVolumeDriveMap : public IDriveMap {
public:
    std::string RootOf(char letter) const override;
    // Mounted, with a known size, and its root folder can be listed.
    bool DriveReady(char letter) const override;
};

// The mount points that get letters, in letter order, out of all mount points given.
QStringList LetteredMountPoints(const QStringList& mountPoints);

// A lettered volume as the drive selector shows it.
struct TDriveVolume {
    char Letter = 'A';
    QString Root;
    QString Name; // the volume's label, else its mount folder's name
};

// The volumes that have letters now, in letter order.
QList<TDriveVolume> MountedDriveVolumes();

} // namespace tervanix
