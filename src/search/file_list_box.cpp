#include "search/file_list_box.h"

namespace findolin {

void FileListBox::show(const Result<FolderListing>& listing, const QString& pattern) {
    pattern_ = pattern;
    if (listing) {
        folder_ = listing->folder;
        setLines(listing->files);
    }
}

} // namespace findolin
