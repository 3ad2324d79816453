#include "platform/file_changes.h"

#include "platform/os_error.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace findolin {

std::optional<OsError> renameWithoutReplacing(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return std::nullopt;
    if (errno == EEXIST)
        return OsError::AlreadyExists;
    if (errno != EINVAL && errno != ENOSYS)
        return osErrorFromErrno(errno);
    // A file system without the no-replace rename: a hard link is refused just the same when
    // the target exists, and the old name then goes.
    if (::link(source.constData(), target.constData()) != 0)
        return errno == EEXIST ? OsError::AlreadyExists : osErrorFromErrno(errno);
    if (::unlink(source.constData()) != 0) {
        const int error = errno;
        ::unlink(target.constData());
        return osErrorFromErrno(error);
    }
    return std::nullopt;
}

std::optional<OsError> deleteFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return osErrorFromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return OsError::NotAFile;
    if (::unlink(name.constData()) != 0)
        return osErrorFromErrno(errno);
    return std::nullopt;
}

} // namespace findolin
