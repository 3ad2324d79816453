#pragma once

#include "platform/list_box.h"
#include "search/folder_listing.h"
#include "search/wildcard.h"

namespace findolin {

// The folder file list: the files of one folder that match a ";"-separated wildcard pattern.
class FileListBox : public ListBox {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr) : ListBox(parent) {}

    QString folder() const { return folder_; }
    QString pattern() const { return pattern_; }

    // Shows a listing made with `pattern`. A folder that could not be read leaves the lines and
    // the folder as they were; the pattern is kept for the next listing all the same.
    void show(const Result<FolderListing>& listing, const QString& pattern);
    // Reads the folder again, after a change the program made in it itself.
    void relist() { show(listFolder(folder_, WildcardPattern(pattern_)), pattern_); }

private:
    QString folder_;
    QString pattern_;
};

} // namespace findolin
