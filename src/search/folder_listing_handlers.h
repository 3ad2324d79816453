#pragma once

#include "search/folder_listing.h"

namespace findolin {

class Form1;

// Lists the folder of the folder field on every change of it or of the name query: the files
// that match in File1, and, when the folder has sub-folders, their entries first and then the
// files in FileList1. The folder is read on a worker; the newest texts win: a listing that a
// newer request overtakes writes nothing.
class FolderListingHandlers {
public:
    explicit FolderListingHandlers(Form1& form) : f(form) {}

    void Text2_change();
    void Text2_Click() { Text2_change(); }
    void Text1_change();
    // Opens the folder as the current one and raises MitUnterordnern when it has sub-folders.
    // A folder that cannot be opened changes nothing.
    void UnterordnerPrüfen(const QString& Pfad);
    // The same with the answer already known (found on a worker).
    void UnterordnerPrüfen(const QString& Pfad, const Result<bool>& hasSubfolders);
    // Lists `folder` into File1 alone, with `pattern`; then runs `then`.
    void listFileList(const QString& folder, const QString& pattern,
                      std::function<void()> then = {});

private:
    void listed(const QString& pattern, const Result<FolderListing>& listing);
    void relisted(const QString& folderText, const Result<FolderListing>& listing,
                  const Result<bool>& hasSubfolders);
    void showFolderListing();
    void plainOrderAgain();
    void openAsCurrentFolder(const FolderListing& listing);
    void showMerged(const FolderListing& listing, ProfileShorthand shorthand);

    Form1& f;
    // The folder of the newest listing of the folder field still on its way, so that a
    // keystroke in the name query right after it filters that folder, not the one before.
    QString awaited_;
};

} // namespace findolin
