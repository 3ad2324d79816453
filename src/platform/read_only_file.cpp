#include "platform/read_only_file.h"

#include "platform/native_names.h"
#include "platform/os_error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace findolin {
namespace {

// Opens an absolute path longer than the system lets one call name (PATH_MAX), as the walk finds
// files in such trees: folder by folder, each relative to the one before.
int openLongPath(const QByteArray& path, int flags) {
    int folder = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    qsizetype from = 1;
    for (qsizetype slash; folder >= 0 && (slash = path.indexOf('/', from)) >= 0; from = slash + 1) {
        const QByteArray part = path.mid(from, slash - from);
        const int next =
            part.isEmpty() ? ::dup(folder)
                           : ::openat(folder, part.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(folder);
        folder = next;
    }
    if (folder < 0)
        return -1;
    const int fd = ::openat(folder, path.constData() + from, flags);
    const int error = errno;
    ::close(folder);
    errno = error;
    return fd;
}

int openPath(const QByteArray& path, int flags) {
    const int fd = ::open(path.constData(), flags);
    return fd < 0 && errno == ENAMETOOLONG && path.startsWith('/') ? openLongPath(path, flags) : fd;
}

} // namespace

Result<ReadOnlyFile> ReadOnlyFile::open(const QString& path) {
    const QByteArray name = bytesOfName(path);
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
#ifdef O_NOATIME
    // Only the file's owner may ask for this; everyone else opens without it.
    int fd = openPath(name, flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = openPath(name, flags);
#else
    int fd = openPath(name, flags);
#endif
    if (fd < 0)
        return osErrorFromErrno(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OsError::NotAFile;
    }
    return ReadOnlyFile(fd, st.st_size);
}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        position_ = other.position_;
    }
    return *this;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ReadOnlyFile::rewind() {
    if (position_ == 0)
        return true;
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        return false;
    position_ = 0;
    return true;
}

Result<QByteArray> ReadOnlyFile::read(qsizetype maximum) {
    // One byte more than expected, so that the end of the file shows in the same read, and at
    // least a little in case the file has grown.
    const qint64 left = position_ >= 0 ? size_ - position_ : size_;
    const qsizetype wanted = std::clamp<qint64>(left + 1, 4096, maximum);
    QByteArray bytes(wanted, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(fd_, bytes.data(), size_t(wanted));
        if (got >= 0) {
            bytes.truncate(got);
            if (position_ >= 0)
                position_ += got;
            return bytes;
        }
        if (errno != EINTR)
            return osErrorFromErrno(errno);
    }
}

} // namespace findolin
