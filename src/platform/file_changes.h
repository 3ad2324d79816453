#pragma once

#include "platform/result.h"

#include <QString>
#include <optional>

namespace findolin {

// Renames a file, never over another one: when `to` exists, or comes to exist in the meantime,
// the rename fails with AlreadyExists and both files stay as they were.
std::optional<OsError> renameWithoutReplacing(const QString& from, const QString& to);

// Copies a file to `to`, replacing a file there. The copy is written beside the target and only
// then renamed into place, so a copy that fails half-way (disk full, source gone) leaves the old
// target as it was and nothing half-written behind. A file copied onto itself stays untouched.
// The copy keeps the source's permissions and modification time.
std::optional<OsError> copyFileReplacing(const QString& from, const QString& to);

// Deletes a file. A folder is never deleted, and neither is a write-protected file (one that no
// one may write): protecting it said that it is to stay.
std::optional<OsError> deleteFile(const QString& path);

} // namespace findolin
