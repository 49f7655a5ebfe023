#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "main/UDriveMap.h"

using namespace tervanix;

namespace {

TMountedVolume Volume(const char* root, const char* device, const char* identity, const char* fs = "vfat") {
    return {QString::fromLatin1(root), QString::fromLatin1(device), QString::fromLatin1(fs), QString::fromLatin1(identity),
            QString()};
}

} // namespace

// Only the volumes a user mounts take letters: block devices under /media, /run/media or /mnt.
TEST(DriveMap, OnlyUserMountedBlockDevicesTakeLetters) {
    const QList<TMountedVolume> mounted = {
        Volume("/", "/dev/sda1", "UUID=root", "ext4"),           Volume("/media/lab/QC_USB", "/dev/sdb1", "UUID=usb"),
        Volume("/mnt/ram", "tmpfs", "/mnt/ram", "tmpfs"),        Volume("/proc", "proc", "/proc", "proc"),
        Volume("/run/media/lab/Disk", "/dev/sdc1", "UUID=disk"), Volume("/media/", "/dev/sdd1", "UUID=bare"),
        Volume("/mnt/backup", "/dev/sdb1", "UUID=usb"), // the same stick mounted twice
    };
    QStringList roots;
    for (const TMountedVolume& v : BackupVolumes(mounted)) roots << v.Root;
    EXPECT_EQ(roots, (QStringList{"/media/lab/QC_USB", "/run/media/lab/Disk"}));
}

// A letter stays with its volume: a second stick takes the next free letter, one unmounted keeps its
// letter (which then names no folder), and its letter is free for no other volume.
TEST(DriveMap, EachVolumeKeepsItsLetter) {
    const TMountedVolume first = Volume("/media/lab/ZZZ", "/dev/sdb1", "UUID=first");
    const TMountedVolume second = Volume("/media/lab/AAA", "/dev/sdc1", "UUID=second");
    const TMountedVolume third = Volume("/media/lab/MMM", "/dev/sdd1", "UUID=third");
    const struct {
        const char* Case;
        TDriveLetters Known;
        QList<TMountedVolume> Mounted;
        TDriveLetters Expected;
    } cases[] = {
        {"first stick", {}, {first}, {{'A', "UUID=first"}}},
        {"a second stick, sorting before", {{'A', "UUID=first"}}, {second, first}, {{'A', "UUID=first"}, {'B', "UUID=second"}}},
        {"the first one away", {{'A', "UUID=first"}, {'B', "UUID=second"}}, {second}, {{'A', "UUID=first"}, {'B', "UUID=second"}}},
        {"a third while the first is away", {{'A', "UUID=first"}, {'B', "UUID=second"}}, {third},
         {{'A', "UUID=first"}, {'B', "UUID=second"}, {'C', "UUID=third"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        EXPECT_EQ(AssignLetters(c.Known, c.Mounted), c.Expected);
    }
}

TEST(DriveMap, LetterWithoutVolumeIsNotReady) {
    QTemporaryDir dir;
    const TVolumeDriveMap drives((dir.path() + QStringLiteral("/Tervanix.drives")).toStdString());
    EXPECT_TRUE(drives.RootOf('Z').empty());
    EXPECT_FALSE(drives.DriveReady('Z'));
    EXPECT_FALSE(drives.DriveReady('!'));
}
