#pragma once

#include "platform/list_box.h"
#include "search/folder_listing.h"

namespace findolin {

// The folder file list: the files of one folder that match a ";"-separated wildcard pattern,
// read afresh whenever the folder or the pattern is set.
class FileListBox : public ListBox {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr) : ListBox(parent) {}

    QString folder() const { return folder_; }
    QString pattern() const { return pattern_; }

    // Lists `folder` with `pattern`. A folder that cannot be read leaves the lines and the folder
    // as they were; the pattern is kept for the next listing all the same (but not when a newer
    // request stopped this one). The listing comes back so that callers need not read again.
    Result<FolderListing> list(const QString& folder, const QString& pattern,
                               const KeepGoing& keepGoing = {});
    Result<FolderListing> setPattern(const QString& pattern, const KeepGoing& keepGoing = {}) {
        return list(folder_, pattern, keepGoing);
    }

private:
    QString folder_;
    QString pattern_;
};

} // namespace findolin
