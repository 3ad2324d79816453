#pragma once

#include "platform/result.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

namespace findolin {

// Asked between steps of long work; false stops it.
using KeepGoing = std::function<bool()>;

// The names in one folder, split into files and sub-folders, in the order the system gives them.
// Hidden entries are included. A symbolic link counts as what it points to; a dangling link is a
// file. Names that are not valid UTF-8 come back with replacement characters.
struct FolderScan {
    QString folder; // normalised path of the scanned folder
    QStringList files;
    QStringList subfolders;       // real folders
    QStringList linkedSubfolders; // links to folders: listed, but never walked into
};

// Reads the folder once. `keepGoing` (when given) is asked every few hundred entries.
Result<FolderScan> scanFolder(const QString& folder, const KeepGoing& keepGoing = {});

// An open folder. Its sub-folders and files are reached relative to it, so the length of their
// full paths does not matter. Closed when dropped.
class FolderHandle {
public:
    FolderHandle() = default;
    explicit FolderHandle(int fd) : fd_(fd) {}
    FolderHandle(FolderHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FolderHandle& operator=(FolderHandle&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    ~FolderHandle() { close(); }

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void close();

private:
    int fd_ = -1;
};

// Opens the folder at a full path. A link to a folder is followed, as for a folder the user typed.
Result<FolderHandle> openFolder(const QString& folder);

// Opens the sub-folder `name` of an open folder. A link is not followed: a walk never enters one,
// even when a folder is swapped for a link after it was listed.
Result<FolderHandle> openSubfolder(const FolderHandle& parent, const QString& name);

// Reads an open folder once, like scanFolder; `folder` is its full path, taken as it is.
Result<FolderScan> scanFolder(const FolderHandle& handle, const QString& folder,
                              const KeepGoing& keepGoing = {});

// A file named relative to an open folder (with AT_FDCWD as the folder, the name is a full path).
struct FileAt {
    int folder;
    const char* name;
};

// When the file was last written, in local time; a link counts as what it points to.
Result<QDateTime> modificationTimeAt(FileAt file);

// A way to read a folder: scanFolder, or a test's stand-in for a folder that blocks.
using FolderScanner = std::function<Result<FolderScan>(const QString& folder, const KeepGoing&)>;

// Whether the folder has a sub-folder (a link to a folder counts: it is listed like one).
Result<bool> hasSubfolders(const QString& folder);

// Whether the folder holds at least one ordinary file: a regular, non-hidden one.
bool folderHoldsFile(const QString& folder);

} // namespace findolin
