#include "main/UDriveMap.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <cctype>

#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/UTypes.h"

namespace tervanix {
namespace {

const QStringList VolumeFolders = {"/media/", "/run/media/", "/mnt/"};

bool IsUserMount(const QString& mountPoint) {
    for (const QString& folder : VolumeFolders)
        if (mountPoint.startsWith(folder) && mountPoint.size() > folder.size()) return true;
    return false;
}

// The UUID the system links to the device, if any.
QString UuidOf(const QString& device) {
    const QString canonical = QFileInfo(device).canonicalFilePath();
    const QDir byUuid(QStringLiteral("/dev/disk/by-uuid"));
    for (const QFileInfo& link : byUuid.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (!canonical.isEmpty() && link.canonicalFilePath() == canonical) return QStringLiteral("UUID=") + link.fileName();
    return {};
}

QList<TMountedVolume> MountedNow() {
    QList<TMountedVolume> mounted;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid()) continue;
        const QString device = QString::fromLocal8Bit(v.device());
        const QString uuid = UuidOf(device);
        const QString folder = QFileInfo(v.rootPath()).fileName();
        mounted.append({v.rootPath(), device, QString::fromLocal8Bit(v.fileSystemType()),
                        !uuid.isEmpty() ? uuid : !v.name().isEmpty() ? QStringLiteral("LABEL=") + v.name() : v.rootPath(),
                        v.name().isEmpty() ? folder : v.name()});
    }
    return mounted;
}

TDriveLetters ReadLetters(const std::string& file) {
    TDriveLetters letters;
    const auto text = ReadWholeFile(file, 64 * 1024);
    if (!text) return letters;
    for (const QString& line : QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())).split(u'\n')) {
        const QChar letter = line.isEmpty() ? QChar() : line[0];
        if (line.size() > 2 && line[1] == u'\t' && letter >= u'A' && letter <= u'Z') letters[letter.toLatin1()] = line.mid(2);
    }
    return letters;
}

void WriteLetters(const std::string& file, const TDriveLetters& letters) {
    QString text;
    for (const auto& [letter, identity] : letters) text += QChar::fromLatin1(letter) + u'\t' + identity + u'\n';
    try {
        WriteFileAtomic(file, text.toUtf8().toStdString(), "Cannot save the drive letters");
    } catch (const EQCError&) {
        // The letters hold for this run; they are written again at the next look.
    }
}

// The lettered volumes mounted now, by letter.
std::map<char, TMountedVolume> LetteredVolumes(const std::string& lettersFile) {
    const QList<TMountedVolume> volumes = BackupVolumes(MountedNow());
    const TDriveLetters known = ReadLetters(lettersFile);
    const TDriveLetters letters = AssignLetters(known, volumes);
    if (letters != known) WriteLetters(lettersFile, letters);
    std::map<char, TMountedVolume> lettered;
    for (const auto& [letter, identity] : letters)
        for (const TMountedVolume& v : volumes)
            if (v.Identity == identity) lettered[letter] = v;
    return lettered;
}

} // namespace

QList<TMountedVolume> BackupVolumes(const QList<TMountedVolume>& mounted) {
    QList<TMountedVolume> out;
    for (const TMountedVolume& v : mounted) {
        if (!v.Device.startsWith(QStringLiteral("/dev/")) || !IsUserMount(v.Root)) continue;
        bool seen = false;
        for (const TMountedVolume& o : out) seen = seen || o.Identity == v.Identity;
        if (!seen) out.append(v);
    }
    return out;
}

TDriveLetters AssignLetters(TDriveLetters known, const QList<TMountedVolume>& volumes) {
    for (const TMountedVolume& v : volumes) {
        bool lettered = false;
        for (const auto& [letter, identity] : known) lettered = lettered || identity == v.Identity;
        if (lettered) continue;
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            if (!known.count(letter)) {
                known[letter] = v.Identity;
                break;
            }
    }
    return known;
}

TVolumeDriveMap::TVolumeDriveMap(std::string lettersFile) : lettersFile_(std::move(lettersFile)) {}

std::string TVolumeDriveMap::RootOf(char letter) const {
    const auto lettered = LetteredVolumes(lettersFile_);
    const auto found = lettered.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    return found == lettered.end() ? std::string() : found->second.Root.toStdString();
}

bool TVolumeDriveMap::DriveReady(char letter) const {
    const std::string root = RootOf(letter);
    if (root.empty()) return false;
    const QStorageInfo volume(QString::fromStdString(root));
    return volume.isValid() && volume.isReady() && volume.bytesTotal() > 0 && FolderReadable(root);
}

QList<TDriveVolume> MountedDriveVolumes(const std::string& lettersFile) {
    QList<TDriveVolume> volumes;
    for (const auto& [letter, v] : LetteredVolumes(lettersFile)) volumes.append({letter, v.Root, v.Name});
    return volumes;
}

std::string DriveLettersFile() { return BasePath + ".drives"; }

} // namespace tervanix
