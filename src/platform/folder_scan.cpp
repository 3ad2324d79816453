#include "platform/folder_scan.h"

#include "platform/native_names.h"
#include "platform/os_error.h"
#include "platform/paths.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace findolin {
namespace {

enum class EntryKind { File, Folder, LinkedFolder };
enum class Visit { Continue, Stop };

// What an entry is. d_type saves a stat call for almost every entry; links and file systems
// that report no type need one.
EntryKind kindOf(int dirFd, unsigned char type, const char* name) {
    struct stat st;
    switch (type) {
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
        if (fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            return EntryKind::LinkedFolder;
        return EntryKind::File;
    case DT_UNKNOWN:
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::File;
        if (S_ISDIR(st.st_mode))
            return EntryKind::Folder;
        if (S_ISLNK(st.st_mode) && fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            return EntryKind::LinkedFolder;
        return EntryKind::File;
    default:
        return EntryKind::File;
    }
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

#ifdef __linux__
// The entries straight from the kernel, into a buffer on the stack: no directory stream to set up
// and tear down for each of the many small folders of a walk.
struct KernelDirent {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

template <typename Visitor> Result<void> readEntries(int fd, Visitor& visit) {
    alignas(KernelDirent) char buffer[32 * 1024];
    for (;;) {
        const long bytes = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (bytes < 0)
            return osErrorFromErrno(errno);
        if (bytes == 0)
            return {};
        for (long at = 0; at < bytes;) {
            const auto* entry = reinterpret_cast<const KernelDirent*>(buffer + at);
            at += entry->d_reclen;
            if (isDotOrDotDot(entry->d_name))
                continue;
            if (visit(entry->d_name, kindOf(fd, entry->d_type, entry->d_name)) == Visit::Stop)
                return {};
        }
    }
}
#else
template <typename Visitor> Result<void> readEntries(int fd, Visitor& visit) {
    DIR* dir = ::fdopendir(::dup(fd));
    if (!dir)
        return osErrorFromErrno(errno);
    Result<void> failure;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                failure = osErrorFromErrno(errno);
            break;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;
        if (visit(entry->d_name, kindOf(fd, entry->d_type, entry->d_name)) == Visit::Stop)
            break;
    }
    ::closedir(dir);
    return failure;
}
#endif

// Calls `visit` for every entry but "." and "..", until it answers Stop.
template <typename Visitor> Result<void> forEachEntry(const QString& folder, Visitor visit) {
    auto handle = openFolder(folder);
    if (!handle)
        return handle.error();
    return readEntries(handle->fd(), visit);
}

Result<FolderScan> scanOpenFolder(int fd, QString folder, const KeepGoing& keepGoing) {
    FolderScan scan;
    scan.folder = std::move(folder);
    bool stopped = false;
    unsigned visited = 0;
    auto visit = [&](const char* name, EntryKind kind) {
        switch (kind) {
        case EntryKind::File:
            scan.files.append(nameFromBytes(name));
            break;
        case EntryKind::Folder:
            scan.subfolders.append(nameFromBytes(name));
            break;
        case EntryKind::LinkedFolder:
            scan.linkedSubfolders.append(nameFromBytes(name));
            break;
        }
        if (keepGoing && ++visited % 256 == 0 && !keepGoing()) {
            stopped = true;
            return Visit::Stop;
        }
        return Visit::Continue;
    };
    const auto failure = readEntries(fd, visit);
    if (stopped)
        return OsError::Stopped;
    if (!failure.ok())
        return failure.error();
    return scan;
}

} // namespace

void FolderHandle::close() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

Result<FolderHandle> openFolder(const QString& folder) {
    const QString path = normalFolderPath(folder);
    if (path.isEmpty())
        return OsError::NotFound;
    const int fd = ::open(bytesOfName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return osErrorFromErrno(errno);
    return FolderHandle(fd);
}

Result<FolderHandle> openSubfolder(const FolderHandle& parent, const QString& name) {
    const int fd = ::openat(parent.fd(), bytesOfName(name).constData(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return osErrorFromErrno(errno);
    return FolderHandle(fd);
}

Result<FolderScan> scanFolder(const QString& folder, const KeepGoing& keepGoing) {
    auto handle = openFolder(folder);
    if (!handle)
        return handle.error();
    return scanOpenFolder(handle->fd(), normalFolderPath(folder), keepGoing);
}

Result<FolderScan> scanFolder(const FolderHandle& handle, const QString& folder,
                              const KeepGoing& keepGoing) {
    return scanOpenFolder(handle.fd(), folder, keepGoing);
}

Result<QDateTime> modificationTimeAt(FileAt file) {
    struct stat st;
    if (::fstatat(file.folder, file.name, &st, 0) != 0)
        return errno == ENOENT ? OsError::NotFound : OsError::Failed;
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms);
}

Result<bool> hasSubfolders(const QString& folder) {
    bool found = false;
    const auto failure = forEachEntry(folder, [&](const char*, EntryKind kind) {
        found = kind != EntryKind::File;
        return found ? Visit::Stop : Visit::Continue;
    });
    if (!failure.ok())
        return failure.error();
    return found;
}

bool folderHoldsFile(const QString& folder) {
    bool found = false;
    const auto failure = forEachEntry(folder, [&](const char* name, EntryKind kind) {
        found = kind == EntryKind::File && name[0] != '.';
        return found ? Visit::Stop : Visit::Continue;
    });
    return failure.ok() && found;
}

} // namespace findolin
