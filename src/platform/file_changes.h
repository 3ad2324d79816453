#pragma once

#include "platform/result.h"

#include <QString>
#include <optional>

namespace findolin {

// Renames a file, never over another one: when `to` exists, or comes to exist in the meantime,
// the rename fails with AlreadyExists and both files stay as they were.
Result<void> renameWithoutReplacing(const QString& from, const QString& to);

// What a copy does when its target's name is taken.
enum class WhenTaken { Refuse, Replace };

// Copies a file to `to`. The copy is written beside the target and only then put in its place, so
// a copy that fails half-way (disk full, source gone) leaves nothing half-written behind.
// A name that is taken, also one taken while the copy runs, gives AlreadyExists, unless the
// caller said to replace: then an ordinary file there is replaced, but never a write-protected
// one, and never a folder, a link or a device. A file copied onto itself stays untouched.
// The copy keeps the source's permissions and modification time.
Result<void> copyFile(const QString& from, const QString& to, WhenTaken whenTaken);

// Whether something of that name exists (a dangling link too), and whether it is an ordinary
// file; names that are not UTF-8 included, which Qt's file classes cannot look at.
bool nameIsTaken(const QString& path);
bool isOrdinaryFile(const QString& path);

// Deletes a file. A folder is never deleted, and neither is a write-protected file (one that no
// one, or not this user, may write): protecting it said that it is to stay.
Result<void> deleteFile(const QString& path);

// Whether a file in this place would go to a Trash of the desktop (freedesktop.org Trash): the
// user's own Trash ($XDG_DATA_HOME/Trash) for files on the volume that holds it, else the volume's
// ($topdir/.Trash/$uid, or $topdir/.Trash-$uid). The Trash and its folders are made when missing;
// false when that cannot be done, or when the file's folder cannot be read.
bool trashAvailableFor(const QString& path);

// Moves a file to its Trash, with the note that lets a file manager put it back. Refuses what
// deleteFile refuses; fails, leaving the file where it is, when there is no Trash for it.
Result<void> moveToTrash(const QString& path);

} // namespace findolin
