#pragma once

#include "platform/result.h"

#include <QString>
#include <optional>

namespace findolin {

// Renames a file, never over another one: when `to` exists, or comes to exist in the meantime,
// the rename fails with AlreadyExists and both files stay as they were.
std::optional<OsError> renameWithoutReplacing(const QString& from, const QString& to);

// Deletes a file; a folder is never deleted.
std::optional<OsError> deleteFile(const QString& path);

} // namespace findolin
