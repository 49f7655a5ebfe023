#include <gtest/gtest.h>

#include "main/UDriveMap.h"

using namespace tervanix;

TEST(DriveMap, LettersFollowTheSortedVolumeMountPoints) {
    const QStringList mounts = {"/",           "/media/lab/QC_USB", "/home",       "/mnt/backup",
                                "/media/",     "/run/media/lab/Disk", "/proc",     "/media/lab/ARCHIVE",
                                "/mnt/backup"};
    EXPECT_EQ(LetteredMountPoints(mounts),
              (QStringList{"/media/lab/ARCHIVE", "/media/lab/QC_USB", "/mnt/backup", "/run/media/lab/Disk"}));
}

TEST(DriveMap, LetterWithoutVolumeIsNotReady) {
    const TVolumeDriveMap drives;
    EXPECT_TRUE(drives.RootOf('Z').empty());
    EXPECT_FALSE(drives.DriveReady('Z'));
    EXPECT_FALSE(drives.DriveReady('!'));
}
