#include "search/folder_listing_handlers.h"

#include "app/form1.h"
#include "app/text_fitting.h"
#include "platform/paths.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"
#include "search/search_engine.h"
#include "search/wildcard.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace findolin {

void FolderListingHandlers::Text2_change() {
    const QString text = f.Text2->text();
    const QString expanded = expandProfileShorthand(text, f.sites());
    if (expanded != text) {
        f.Text2->setText(expanded); // its own change lists the folder
        return;
    }
    f.RichTextBox2->clear();
    if (!f.DatumsFilter) {
        f.showCredit();
        f.hideDateAmounts();
    }
    f.MitUnterordnern = false;
    f.CommandSort->hide();
    plainOrderAgain();
    showFolderListing();

    // With an empty query every file; otherwise the live filter's pattern stays.
    const QString pattern = f.Text1->text().isEmpty() ? QStringLiteral("*") : f.File1->pattern();
    awaited_ = text;
    f.startWork([this, text, pattern](SearchEngine::Job& job) {
        auto listing = listFolder(text, WildcardPattern(pattern), job.keepGoing());
        job.post([this, pattern, listing = std::move(listing)] { listed(pattern, listing); });
    });
}

void FolderListingHandlers::listed(const QString& pattern, const Result<FolderListing>& listing) {
    awaited_.clear();
    f.File1->show(listing, pattern);
    // A text that names no folder (yet) keeps the last listing.
    if (listing) {
        f.mnuDateiZähler->setText(countCaption(listing->files.size()));
        openAsCurrentFolder(*listing);
        if (f.MitUnterordnern)
            showMerged(*listing, ProfileShorthand::On);
    }
    f.ScrollbreiteSetzen();
}

void FolderListingHandlers::Text1_change() {
    f.RichTextBox2->clear();
    f.CommandSort->hide();
    plainOrderAgain();
    if (!f.DatumsFilter) {
        f.showStatus(kNameQueryHint);
        f.hideDateAmounts();
    }
    showFolderListing();

    const QString pattern = livePattern(f.Text1->text());
    const QString folderText = f.Text2->text();
    const QString shown = f.File1->folder();
    const QString folder = awaited_.isEmpty() ? shown : awaited_;
    f.startWork([this, pattern, folderText, folder, shown](SearchEngine::Job& job) {
        auto listing = listFolder(folder, WildcardPattern(pattern), job.keepGoing());
        if (!listing && folder != shown && listing.error() != OsError::Stopped)
            listing = listFolder(shown, WildcardPattern(pattern), job.keepGoing());
        // The folder field may name another folder than the list shows: a text being typed.
        Result<bool> hasSubfolders = OsError::NotFound;
        if (!listing || normalFolderPath(folderText) != listing->folder)
            hasSubfolders = findolin::hasSubfolders(normalFolderPath(folderText));
        job.post([this, pattern, folderText, listing = std::move(listing), hasSubfolders] {
            f.File1->show(listing, pattern);
            relisted(folderText, listing, hasSubfolders);
        });
    });
}

void FolderListingHandlers::relisted(const QString& folderText,
                                     const Result<FolderListing>& listing,
                                     const Result<bool>& hasSubfolders) {
    awaited_.clear();
    // The sub-folder flag is not cleared here: it keeps what the last listing or search left.
    if (listing && normalFolderPath(folderText) == listing->folder)
        openAsCurrentFolder(*listing);
    else
        UnterordnerPrüfen(folderText, hasSubfolders);
    if (f.MitUnterordnern && listing)
        showMerged(*listing, ProfileShorthand::Off);
    f.mnuDateiZähler->setText(countCaption(f.File1->count()));
    f.Trefferzahl = 0;
    if (f.showsInvoiceFolder() && f.Text1->text().size() >= 3)
        f.CommandSort_Click(); // invoices come in the order of their dates
    f.ScrollbreiteSetzen();
}

void FolderListingHandlers::listFileList(const QString& folder, const QString& pattern,
                                         std::function<void()> then) {
    f.startWork([this, folder, pattern, then](SearchEngine::Job& job) {
        auto listing = listFolder(folder, WildcardPattern(pattern), job.keepGoing());
        job.post([this, pattern, listing = std::move(listing), then] {
            f.File1->show(listing, pattern);
            if (then)
                then();
        });
    });
}

void FolderListingHandlers::UnterordnerPrüfen(const QString& Pfad) {
    UnterordnerPrüfen(Pfad, hasSubfolders(normalFolderPath(Pfad)));
}

void FolderListingHandlers::UnterordnerPrüfen(const QString& Pfad,
                                              const Result<bool>& hasSubfolders) {
    if (!hasSubfolders)
        return;
    f.AktuellerOrdner = normalFolderPath(Pfad);
    if (hasSubfolders.value())
        f.MitUnterordnern = true;
}

// A new listing is in plain order, so the next sort by date must sort, not restore; otherwise
// the invoice folder would come sorted and unsorted on alternate keystrokes.
void FolderListingHandlers::plainOrderAgain() {
    f.shownOrder = ListOrder::Plain;
}

void FolderListingHandlers::showFolderListing() {
    f.showList(f.File1);
    f.mnuOrdner->setVisible(true);
}

void FolderListingHandlers::openAsCurrentFolder(const FolderListing& listing) {
    f.AktuellerOrdner = listing.folder;
    if (!listing.subfolders.isEmpty())
        f.MitUnterordnern = true;
}

void FolderListingHandlers::showMerged(const FolderListing& listing, ProfileShorthand shorthand) {
    MergedListing merged =
        mergedListing(listing, f.Text2->text(), f.sites().profilePrefix, shorthand);
    f.FileList1->setLines(std::move(merged.lines), {}, std::move(merged.kinds));
    f.showList(f.FileList1);
    f.mnuOrdner->setVisible(true);
}

} // namespace findolin
