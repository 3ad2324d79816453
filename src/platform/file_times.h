#pragma once

#include "platform/result.h"

#include <QDateTime>
#include <QString>

namespace findolin {

// When the file was last written, in local time; a link counts as what it points to.
Result<QDateTime> modificationTime(const QString& path);

} // namespace findolin
