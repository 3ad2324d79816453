#include "search/folder_listing.h"

#include "platform/paths.h"
#include "search/list_order.h"
#include "search/name_match.h"
#include "search/wildcard.h"

namespace findolin {

Result<FolderListing> listFolder(const QString& folder, const WildcardPattern& pattern,
                                 const KeepGoing& keepGoing) {
    auto scan = scanFolder(folder, keepGoing);
    if (!scan)
        return scan.error();
    FolderListing listing;
    listing.folder = scan->folder;
    if (pattern.matchesEverything()) {
        listing.files = std::move(scan->files);
    } else {
        for (QString& name : scan->files) {
            if (pattern.matches(name))
                listing.files.append(std::move(name));
        }
    }
    sortLikeListBox(listing.files);
    for (const QStringList* names : {&scan->subfolders, &scan->linkedSubfolders}) {
        for (const QString& name : *names)
            listing.subfolders.append(joinPath(listing.folder, name));
    }
    return listing;
}

QString folderEntry(const QString& subfolderPath, const QString& profilePrefix,
                    ProfileShorthand shorthand) {
    if (shorthand == ProfileShorthand::On && !profilePrefix.isEmpty() &&
        subfolderPath.startsWith(profilePrefix))
        return QStringLiteral(" [~") + subfolderPath.mid(profilePrefix.size()) + u']';
    return QStringLiteral(" [") + subfolderPath + u']';
}

MergedListing mergedListing(const FolderListing& listing, const QString& folderText,
                            const QString& profilePrefix, ProfileShorthand shorthand) {
    const ListBoxOrder order;
    QStringList entries;
    const QString typed = normalFolderPath(folderText);
    if (containsIgnoringCase(typed.isEmpty() ? folderText : typed, listing.folder)) {
        for (const QString& path : listing.subfolders)
            entries.append(folderEntry(path, profilePrefix, shorthand));
        order.sort(entries);
    }
    std::vector<bool> isEntry;
    MergedListing merged{order.merge(entries, listing.files, &isEntry), {}};
    merged.kinds.reserve(merged.lines.size());
    for (const bool entry : isEntry)
        merged.kinds.append(entry ? LineKind::FolderEntry : LineKind::File);
    return merged;
}

QString countCaption(qsizetype fileCount) {
    return fileCount == 1 ? QStringLiteral("1 Datei")
                          : QString::number(fileCount) + QStringLiteral(" Dateien");
}

} // namespace findolin
