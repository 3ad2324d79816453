#include "platform/file_changes.h"

#include "platform/os_error.h"
#include "platform/read_only_file.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace findolin {
namespace {

enum class Replaces { No, Yes };

// A file being written under a passing name in the target's folder; it is removed again unless
// it was renamed into place.
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
        : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)) {}
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(name_.constData());
        }
    }

    int descriptor() const { return fd_; }

    // Puts the file in the target's place. An older file there is only replaced once the new one
    // is on the disk, so that a crash cannot leave an empty file where it was.
    std::optional<OsError> renameTo(const QByteArray& target, Replaces replaces) {
        if (replaces == Replaces::Yes && ::fsync(fd_) != 0)
            return osErrorFromErrno(errno);
        if (::rename(name_.constData(), target.constData()) != 0)
            return osErrorFromErrno(errno);
        ::close(std::exchange(fd_, -1));
        return std::nullopt;
    }

private:
    TemporaryFile(int fd, QByteArray name) : fd_(fd), name_(std::move(name)) {}
    int fd_;
    QByteArray name_;
};

// Copies everything from `in`'s current position to `out`; in the kernel where it can.
std::optional<OsError> copyContent(int in, int out) {
    bool inKernel = true;
    while (inKernel) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied == 0)
            return std::nullopt;
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return osErrorFromErrno(errno);
        inKernel = false; // file systems that cannot: read and write in user space
    }
    char buffer[256 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            return std::nullopt;
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

std::optional<OsError> copyFileReplacing(const QString& from, const QString& to) {
    auto source = ReadOnlyFile::open(from);
    if (!source)
        return source.error();
    const int in = source->descriptor();
    struct stat original;
    if (::fstat(in, &original) != 0)
        return osErrorFromErrno(errno);
    const QByteArray target = QFile::encodeName(to);
    struct stat existing;
    const bool targetExists = ::stat(target.constData(), &existing) == 0;
    if (targetExists) {
        if (existing.st_dev == original.st_dev && existing.st_ino == original.st_ino)
            return std::nullopt; // the file already is its own copy
        if (S_ISDIR(existing.st_mode))
            return OsError::NotAFile;
    }
    auto copy = TemporaryFile::createBeside(target);
    if (!copy)
        return copy.error();
    const int out = copy->descriptor();
    if (const auto failure = copyContent(in, out))
        return failure;
    const struct timespec times[2] = {original.st_atim, original.st_mtim};
    if (::fchmod(out, original.st_mode & 0777) != 0 || ::futimens(out, times) != 0)
        return osErrorFromErrno(errno);
    return copy->renameTo(target, targetExists ? Replaces::Yes : Replaces::No);
}

std::optional<OsError> deleteFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return osErrorFromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return OsError::NotAFile;
    if (S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return OsError::AccessDenied;
    if (::unlink(name.constData()) != 0)
        return osErrorFromErrno(errno);
    return std::nullopt;
}

} // namespace findolin
