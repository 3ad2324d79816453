#include "platform/file_times.h"

#include "platform/native_names.h"

#include <cerrno>
#include <sys/stat.h>

namespace findolin {

Result<QDateTime> modificationTime(const QString& path) {
    struct stat st;
    if (::stat(bytesOfName(path).constData(), &st) != 0)
        return errno == ENOENT ? OsError::NotFound : OsError::Failed;
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms);
}

} // namespace findolin
