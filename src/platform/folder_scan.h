#pragma once

#include "platform/result.h"

#include <QString>
#include <QStringList>
#include <functional>

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

// A way to read a folder: scanFolder, or a test's stand-in for a folder that blocks.
using FolderScanner = std::function<Result<FolderScan>(const QString& folder, const KeepGoing&)>;

// Whether the folder has a sub-folder (a link to a folder counts: it is listed like one).
Result<bool> hasSubfolders(const QString& folder);

// Whether the folder holds at least one ordinary file: a regular, non-hidden one.
bool folderHoldsFile(const QString& folder);

} // namespace findolin
