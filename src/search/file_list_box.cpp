#include "search/file_list_box.h"

#include "search/wildcard.h"

namespace findolin {

Result<FolderListing> FileListBox::list(const QString& folder, const QString& pattern,
                                        const KeepGoing& keepGoing) {
    auto listing = listFolder(folder, WildcardPattern(pattern), keepGoing);
    if (listing.ok() || listing.error() != OsError::Stopped)
        pattern_ = pattern;
    if (listing) {
        folder_ = listing->folder;
        setLines(listing->files);
    }
    return listing;
}

} // namespace findolin
