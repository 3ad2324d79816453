#include "platform/read_only_file.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace findolin {
namespace {

OsError osErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return OsError::NotFound;
    case EACCES:
    case EPERM:
        return OsError::AccessDenied;
    case EISDIR:
        return OsError::NotAFile;
    default:
        return OsError::Failed;
    }
}

} // namespace

Result<ReadOnlyFile> ReadOnlyFile::open(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
#ifdef O_NOATIME
    // Only the file's owner may ask for this; everyone else opens without it.
    int fd = ::open(name.constData(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::open(name.constData(), flags);
#else
    int fd = ::open(name.constData(), flags);
#endif
    if (fd < 0)
        return osErrorFromErrno(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OsError::NotAFile;
    }
    return ReadOnlyFile(fd);
}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

Result<QByteArray> ReadOnlyFile::read(qsizetype maximum) {
    QByteArray bytes(maximum, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(fd_, bytes.data(), size_t(maximum));
        if (got >= 0) {
            bytes.truncate(got);
            return bytes;
        }
        if (errno != EINTR)
            return osErrorFromErrno(errno);
    }
}

} // namespace findolin
