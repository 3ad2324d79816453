#pragma once

#include "search/folder_listing.h"

namespace findolin {

class Form1;

// Lists the folder of the folder field on every change of it or of the name query: the files
// that match in File1, and, when the folder has sub-folders, their entries first and then the
// files in FileList1. The newest texts win: a listing that a newer one overtakes writes nothing.
class FolderListingHandlers {
public:
    explicit FolderListingHandlers(Form1& form) : f(form) {}

    void Text2_change();
    void Text2_Click() { Text2_change(); }
    void Text1_change();
    // Opens the folder as the current one and raises MitUnterordnern when it has sub-folders.
    // A folder that cannot be opened changes nothing.
    void UnterordnerPrüfen(const QString& Pfad);

private:
    void showFolderListing();
    void plainOrderAgain();
    void openAsCurrentFolder(const FolderListing& listing);
    void showMerged(const FolderListing& listing, ProfileShorthand shorthand);

    Form1& f;
};

} // namespace findolin
