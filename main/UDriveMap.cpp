#include "main/UDriveMap.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <cctype>

namespace tervanix {
namespace {

const QStringList VolumeFolders = {"/media/", "/run/media/", "/mnt/"};

bool IsVolumeMount(const QString& mountPoint) {
    for (const QString& folder : VolumeFolders)
        if (mountPoint.startsWith(folder) && mountPoint.size() > folder.size()) return true;
    return false;
}

QStringList MountedRoots() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid()) roots << volume.rootPath();
    return roots;
}

} // namespace

QStringList LetteredMountPoints(const QStringList& mountPoints) {
    QStringList out;
    for (const QString& mountPoint : mountPoints)
        if (IsVolumeMount(mountPoint) && !out.contains(mountPoint)) out << mountPoint;
    out.sort();
    return out;
}

QList<TDriveVolume> MountedDriveVolumes() {
    QList<TDriveVolume> volumes;
    const QStringList roots = LetteredMountPoints(MountedRoots());
    for (int i = 0; i < roots.size() && i < 26; ++i) {
        const QString label = QStorageInfo(roots[i]).name();
        volumes.append({static_cast<char>('A' + i), roots[i], label.isEmpty() ? QFileInfo(roots[i]).fileName() : label});
    }
    return volumes;
}

std::string TVolumeDriveMap::RootOf(char letter) const {
    const int index = std::toupper(static_cast<unsigned char>(letter)) - 'A';
    const QStringList roots = LetteredMountPoints(MountedRoots());
    if (index < 0 || index >= roots.size()) return {};
    return roots[index].toStdString();
}

bool TVolumeDriveMap::DriveReady(char letter) const {
    const std::string root = RootOf(letter);
    if (root.empty()) return false;
    const QStorageInfo volume(QString::fromStdString(root));
    return volume.isValid() && volume.isReady() && volume.bytesTotal() > 0 && FolderReadable(root);
}

} // namespace tervanix
