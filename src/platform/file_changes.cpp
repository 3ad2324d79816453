#include "platform/file_changes.h"

#include "platform/native_names.h"
#include "platform/os_error.h"
#include "platform/read_only_file.h"

#include <QDateTime>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

Result<void> writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t put =
            ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return put < 0 ? osErrorFromErrno(errno) : OsError::Failed;
        written += put;
    }
    return {};
}

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
        if (const auto written = writeAll(out, QByteArray::fromRawData(buffer, got)); !written.ok())
            return written;
    }
}

// Whether a delete may take the entry: never a folder, nor a file the user protected from writing.
Result<void> mayRemove(const QByteArray& name) {
    struct stat st;
    if (::lstat(name.constData(), &st) != 0)
        return osErrorFromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return OsError::NotAFile;
    if (S_ISREG(st.st_mode) && isWriteProtected(name, st))
        return OsError::AccessDenied;
    return {};
}

// ---- The Trash (freedesktop.org) ---------------------------------------------------------------

QByteArray absolute(const QByteArray& path) {
    if (path.startsWith('/'))
        return path;
    char* cwd = ::getcwd(nullptr, 0);
    const QByteArray folder = cwd ? QByteArray(cwd) : QByteArray("/");
    std::free(cwd);
    return folder + '/' + path;
}

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// A folder of the Trash, made when missing; only its user may enter it. A link to a folder is
// taken as the folder (a data folder kept elsewhere).
bool makeFolder(const QByteArray& path) {
    struct stat st;
    return ::mkdir(path.constData(), 0700) == 0 ||
           (errno == EEXIST && ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool makeFolders(const QByteArray& path) {
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        if (!makeFolder(path.left(slash)))
            return false;
    }
    return makeFolder(path);
}

// The device of the path, or of its nearest folder that exists: where a Trash made there lies.
dev_t deviceOfNearest(QByteArray path) {
    for (struct stat st{};; path = parentOf(path)) {
        if (::stat(path.constData(), &st) == 0 || path == "/")
            return st.st_dev;
    }
}

// The user's own Trash: $XDG_DATA_HOME/Trash, where a relative or empty XDG_DATA_HOME counts as
// unset and ~/.local/share stands in.
QByteArray homeTrash() {
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            return {};
        data = home + "/.local/share";
    }
    return data + "/Trash";
}

struct TrashPlace {
    QByteArray folder; // holds files/ and info/
    QByteArray top;    // the volume's top folder, which its notes name files from; empty in the
                       // home Trash, whose notes hold full paths
};

// The top folder of the volume the folder lies on, found by climbing while the device stays.
QByteArray topFolderOf(QByteArray folder, dev_t device) {
    for (struct stat st; folder != "/"; folder = parentOf(folder)) {
        if (::stat(parentOf(folder).constData(), &st) != 0 || st.st_dev != device)
            break;
    }
    return folder;
}

// A Trash in a volume's top folder is used only when it is this user's own folder there, so that
// no one else can read or replace what goes in.
std::optional<TrashPlace> volumeTrash(const QByteArray& folder, const QByteArray& top,
                                      dev_t device) {
    ::mkdir(folder.constData(), 0700);
    struct stat st;
    if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        st.st_dev != device || !makeFolder(folder + "/files") || !makeFolder(folder + "/info"))
        return std::nullopt;
    return TrashPlace{folder, top};
}

// Where a file at the absolute path goes when it is deleted. A file on the home Trash's volume
// goes there or nowhere: moving it elsewhere would copy it across volumes.
std::optional<TrashPlace> trashFor(const QByteArray& path) {
    const QByteArray folder = parentOf(path);
    struct stat st;
    if (::stat(folder.constData(), &st) != 0)
        return std::nullopt;
    if (const QByteArray home = homeTrash();
        !home.isEmpty() && deviceOfNearest(home) == st.st_dev) {
        if (!makeFolders(home + "/files") || !makeFolder(home + "/info"))
            return std::nullopt;
        return TrashPlace{home, {}};
    }
    const QByteArray top = topFolderOf(folder, st.st_dev);
    const QByteArray prefix = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    // An administrator's shared $topdir/.Trash counts only as a real folder with the sticky bit,
    // where users cannot remove each other's folders.
    struct stat shared;
    if (::lstat((prefix + "/.Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        if (auto place = volumeTrash(prefix + "/.Trash/" + uid, top, st.st_dev))
            return place;
    }
    return volumeTrash(prefix + "/.Trash-" + uid, top, st.st_dev);
}

// The name a file gets in the Trash: its own, or with ".2", ".3", ... when that is taken; short
// enough that its note's name (".trashinfo" added) is a valid name too, cut between characters.
QByteArray trashedName(const QByteArray& name, int attempt) {
    const QByteArray suffix = attempt == 1 ? QByteArray() : '.' + QByteArray::number(attempt);
    constexpr qsizetype kNameMax = 255;
    qsizetype cut =
        std::min(name.size(), kNameMax - qsizetype(strlen(".trashinfo")) - suffix.size());
    while (cut > 0 && cut < name.size() && (uchar(name[cut]) & 0xc0) == 0x80)
        --cut;
    return name.left(cut) + suffix;
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
    if (const auto removable = mayRemove(name); !removable.ok())
        return removable;
    if (::unlink(name.constData()) != 0)
        return osErrorFromErrno(errno);
    return {};
}

bool trashAvailableFor(const QString& path) {
    return trashFor(absolute(bytesOfName(path))).has_value();
}

Result<void> moveToTrash(const QString& path) {
    const QByteArray name = absolute(bytesOfName(path));
    if (const auto removable = mayRemove(name); !removable.ok())
        return removable;
    const auto trash = trashFor(name);
    if (!trash)
        return OsError::Failed;
    // A volume's Trash names its files from the volume's top, so that they can go back when the
    // volume is mounted elsewhere.
    QByteArray original = name;
    if (!trash->top.isEmpty()) {
        const QByteArray top = trash->top == "/" ? trash->top : trash->top + '/';
        if (name.startsWith(top))
            original = name.mid(top.size());
    }
    const QByteArray note =
        "[Trash Info]\nPath=" + original.toPercentEncoding("/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(u"yyyy-MM-ddThh:mm:ss").toLatin1() + '\n';
    const QByteArray ownName = name.mid(name.lastIndexOf('/') + 1);
    // The note is made first and exclusively: it reserves the name in the Trash.
    for (int attempt = 1; attempt <= 10000; ++attempt) {
        const QByteArray trashed = trashedName(ownName, attempt);
        const QByteArray info = trash->folder + "/info/" + trashed + ".trashinfo";
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return osErrorFromErrno(errno);
        const auto written = writeAll(fd, note);
        if (::close(fd) != 0 || !written.ok()) {
            ::unlink(info.constData());
            return written.ok() ? OsError::Failed : written;
        }
        const auto moved = renameWithoutReplacing(name, trash->folder + "/files/" + trashed);
        if (moved.ok())
            return {};
        ::unlink(info.constData());
        if (moved.error() != OsError::AlreadyExists)
            return moved;
    }
    return OsError::Failed;
}

} // namespace findolin
