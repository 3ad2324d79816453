#pragma once

#include "platform/folder_scan.h"
#include "platform/result.h"
#include "search/line_kind.h"

#include <QString>
#include <QStringList>

namespace findolin {

class WildcardPattern;

// One folder as the window lists it on a keystroke.
struct FolderListing {
    QString folder;         // normalised path of the listed folder
    QStringList files;      // names that match the pattern, in list-box order
    QStringList subfolders; // full paths of the sub-folders (links to folders included)
};

// Reads the folder once and picks the files that match the pattern.
Result<FolderListing> listFolder(const QString& folder, const WildcardPattern& pattern,
                                 const KeepGoing& keepGoing = {});

// Whether a sub-folder entry is written as " [~user/...]" below the folder of the home folders.
enum class ProfileShorthand { Off, On };

// The line of a sub-folder in the merged listing: " [" + path + "]", or with the shorthand on and
// the path below the profile prefix, " [~" + the rest of the path + "]".
QString folderEntry(const QString& subfolderPath, const QString& profilePrefix,
                    ProfileShorthand shorthand);

// The merged listing: sub-folder entries, then file names, in list-box order, with what each line
// stands for. The entries are kept only when the folder text still names the listed folder (it
// contains its path), so a listing never shows the sub-folders of another folder than the one the
// user typed.
struct MergedListing {
    QStringList lines;
    QList<LineKind> kinds;
};
MergedListing mergedListing(const FolderListing& listing, const QString& folderText,
                            const QString& profilePrefix, ProfileShorthand shorthand);

// "1 Datei", else the count and " Dateien" ("0 Dateien" for none).
QString countCaption(qsizetype fileCount);

} // namespace findolin
