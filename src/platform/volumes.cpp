#include "platform/volumes.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace findolin {
namespace {

bool isUnder(const QString& path, QStringView folder) {
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == u'/');
}

Volume volumeOf(const QStorageInfo& storage) {
    return {storage.rootPath(), storage.name(), storage.fileSystemType(), storage.device()};
}

} // namespace

bool isUserVolume(const Volume& volume) {
    static const QByteArray networkTypes[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs"};
    if (std::find(std::begin(networkTypes), std::end(networkTypes), volume.fileSystemType) !=
        std::end(networkTypes))
        return true;
    if (volume.rootPath == u"/")
        return true;
    if (isUnder(volume.rootPath, u"/run/media"))
        return volume.device.startsWith("/dev/");
    static const QStringView systemFolders[] = {u"/proc", u"/sys",  u"/dev", u"/run",
                                                u"/boot", u"/snap", u"/etc", u"/var/lib"};
    for (const QStringView folder : systemFolders) {
        if (isUnder(volume.rootPath, folder))
            return false;
    }
    return volume.device.startsWith("/dev/") && volume.fileSystemType != "squashfs";
}

QString driveCaption(const Volume& volume) {
    if (volume.name.isEmpty() || volume.name == volume.rootPath)
        return volume.rootPath;
    return volume.rootPath + QStringLiteral("  [") + volume.name + u']';
}

QList<Volume> mountedDrives(const QString& folder) {
    QList<Volume> drives;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        // Single files bound into place (containers do so) are no drives.
        const Volume volume = volumeOf(storage);
        if (storage.isValid() && QFileInfo(volume.rootPath).isDir() && isUserVolume(volume))
            drives << volume;
    }
    const QStorageInfo holding(folder);
    if (holding.isValid())
        drives << volumeOf(holding);
    // Not std::ranges: Clang 14 cannot compile libstdc++ 12's ranges over Qt's containers.
    std::sort(drives.begin(), drives.end(),
              [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    drives.erase(
        std::unique(drives.begin(), drives.end(),
                    [](const Volume& a, const Volume& b) { return a.rootPath == b.rootPath; }),
        drives.end());
    return drives;
}

QString volumeRootOf(const QString& path) {
    const QStorageInfo storage(path);
    return storage.isValid() && QFileInfo::exists(path) ? storage.rootPath() : QString();
}

bool isVolumeReady(const QString& rootPath) {
    const QStorageInfo storage(rootPath);
    return storage.isValid() && storage.isReady() && storage.rootPath() == rootPath &&
           QFileInfo(rootPath).isReadable();
}

} // namespace findolin
