#include "platform/file_changes.h"

#include "platform/native_names.h"
#include "platform/os_error.h"
#include "platform/read_only_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace findolin {
namespace {

// A file that no one may write, or that this user may not write, is meant to stay as it is.
bool isWriteProtected(const QByteArray& name, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0;
}

Result<void> renameWithoutReplacing(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno == EEXIST)
        return OsError::AlreadyExists;
    if (errno != EINVAL && errno != ENOSYS)
        return osErrorFromErrno(errno);
    // A file system without the no-replace rename: a hard link is refused just the same when
    // the target exists, and the old name then goes.
    if (::link(from.constData(), to.constData()) != 0) {
        const int error = errno;
        if (error == EEXIST)
            return OsError::AlreadyExists;
        if (error != EPERM && error != ENOSYS && error != EOPNOTSUPP)
            return osErrorFromErrno(error);
        // Nor hard links (many user-space file systems): look, then rename, and accept that a
        // file may come between the two.
        struct stat st;
        if (::lstat(to.constData(), &st) == 0)
            return OsError::AlreadyExists;
        if (::rename(from.constData(), to.constData()) != 0)
            return osErrorFromErrno(errno);
        return {};
    }
    if (::unlink(from.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData());
        return osErrorFromErrno(error);
    }
    return {};
}

// A file being written under a passing name in the target's folder; it is removed again unless
// it was put in the target's place.
class TemporaryFile {
public:
    static Result<TemporaryFile> createBeside(const QByteArray& target) {
        const qsizetype slash = target.lastIndexOf('/');
        QByteArray name = target.left(slash + 1) + ".findolin-copy-XXXXXX";
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return osErrorFromErrno(errno);
        return TemporaryFile(fd, std::move(name));
    }
    TemporaryFile(TemporaryFile&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)),
          placed_(std::exchange(other.placed_, true)) {}
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!placed_)
            ::unlink(name_.constData());
    }

    int descriptor() const { return fd_; }

    // Puts the file in the target's place: over the file there when `replaces` says so, else
    // only while the name is free. A file is replaced only once its successor is on the disk,
    // so that a crash cannot leave an empty file where it was.
    Result<void> putInPlace(const QByteArray& target, WhenTaken replaces) {
        if (replaces == WhenTaken::Replace && ::fsync(fd_) != 0)
            return osErrorFromErrno(errno);
        // Network file systems may report a failed write only now.
        if (::close(std::exchange(fd_, -1)) != 0)
            return osErrorFromErrno(errno);
        if (replaces == WhenTaken::Replace) {
            if (::rename(name_.constData(), target.constData()) != 0)
                return osErrorFromErrno(errno);
        } else if (const auto renamed = renameWithoutReplacing(name_, target); !renamed.ok()) {
            return renamed;
        }
        placed_ = true;
        return {};
    }

private:
    TemporaryFile(int fd, QByteArray name) : fd_(fd), name_(std::move(name)) {}
    int fd_;
    QByteArray name_;
    bool placed_ = false;
};

// Copies everything from `in`'s current position to `out`; in the kernel where it can.
Result<void> copyContent(int in, int out, off_t size) {
    for (off_t total = 0;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        // Some file systems report an end early, or always: reading finds the true one.
        if (copied == 0 && total > 0 && total >= size)
            return {};
        if (copied == 0)
            break;
        if (copied > 0) {
            total += copied;
            continue;
        }
        if (errno == EINTR)
            continue;
        const int error = errno;
        if (error != EXDEV && error != ENOSYS && error != EINVAL && error != EOPNOTSUPP &&
            error != EBADF && error != EPERM && error != ETXTBSY)
            return osErrorFromErrno(error);
        break; // file systems that cannot: read and write in user space
    }
    char buffer[256 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            return {};
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return osErrorFromErrno(errno);
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(out, buffer + written, size_t(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return put < 0 ? osErrorFromErrno(errno) : OsError::Failed;
            written += put;
        }
    }
}

} // namespace

Result<void> renameWithoutReplacing(const QString& from, const QString& to) {
    return renameWithoutReplacing(bytesOfName(from), bytesOfName(to));
}

Result<void> copyFile(const QString& from, const QString& to, WhenTaken whenTaken) {
    auto source = ReadOnlyFile::open(from);
    if (!source)
        return source.error();
    const int in = source->descriptor();
    struct stat original;
    if (::fstat(in, &original) != 0)
        return osErrorFromErrno(errno);
    const QByteArray target = bytesOfName(to);
    struct stat existing;
    const bool taken = ::lstat(target.constData(), &existing) == 0;
    if (taken) {
        // Only an ordinary file is ever replaced: never a folder, a link or a device.
        if (!S_ISREG(existing.st_mode))
            return OsError::NotAFile;
        if (whenTaken == WhenTaken::Refuse)
            return OsError::AlreadyExists;
        if (existing.st_dev == original.st_dev && existing.st_ino == original.st_ino)
            return {}; // the file already is its own copy
        if (isWriteProtected(target, existing))
            return OsError::AccessDenied;
    }
    auto copy = TemporaryFile::createBeside(target);
    if (!copy)
        return copy.error();
    const int out = copy->descriptor();
    if (const auto copied = copyContent(in, out, original.st_size); !copied.ok())
        return copied;
    const struct timespec times[2] = {original.st_atim, original.st_mtim};
    if (::fchmod(out, original.st_mode & 0777) != 0 || ::futimens(out, times) != 0)
        return osErrorFromErrno(errno);
    return copy->putInPlace(target, taken ? WhenTaken::Replace : WhenTaken::Refuse);
}

bool nameIsTaken(const QString& path) {
    struct stat st;
    return ::lstat(bytesOfName(path).constData(), &st) == 0;
}

bool isOrdinaryFile(const QString& path) {
    struct stat st;
    return ::stat(bytesOfName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

Result<void> deleteFile(const QString& path) {
    const QByteArray name = bytesOfName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return osErrorFromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return OsError::NotAFile;
    if (S_ISREG(st.st_mode) && isWriteProtected(name, st))
        return OsError::AccessDenied;
    if (::unlink(name.constData()) != 0)
        return osErrorFromErrno(errno);
    return {};
}

} // namespace findolin
