#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace findolin {

// A mounted file system, as the drive list offers it.
struct Volume {
    QString rootPath;
    QString name; // its label, often empty
    QByteArray fileSystemType;
    QByteArray device;
};

// Whether a volume is one a user keeps files on: the root, disks and removable media, network
// shares; not the system's own file systems (processes, devices, memory, snaps).
bool isUserVolume(const Volume& volume);

// How the drive list shows a volume: its root, and its label when it has one.
QString driveCaption(const Volume& volume);

// The user's volumes that are mounted now, the root first; the volume holding `folder` is always
// among them, so that the list can show where that folder lies.
QList<Volume> mountedDrives(const QString& folder);

// The root of the volume that holds the path; empty when the path does not exist.
QString volumeRootOf(const QString& path);

// Whether the volume is still mounted at that root and can be read.
bool isVolumeReady(const QString& rootPath);

} // namespace findolin
