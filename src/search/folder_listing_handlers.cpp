#include "search/folder_listing_handlers.h"

#include "app/form1.h"
#include "app/text_fitting.h"
#include "platform/paths.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace findolin {

void FolderListingHandlers::Text2_change() {
    const QString text = f.Text2->text();
    const QString expanded = expandProfileShorthand(text, f.sites);
    if (expanded != text) {
        f.Text2->setText(expanded); // its own change lists the folder
        return;
    }
    const auto ticket = f.beginWork();
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
    const auto listing =
        f.File1->list(text, pattern, f.keepGoingWhileCurrent(ticket, StopOn::Newer));
    if (!listing) {
        // A text that names no folder (yet) keeps the last listing. An overtaken listing leaves
        // everything to the newer one.
        if (listing.error() != OsError::Stopped)
            f.ScrollbreiteSetzen();
        return;
    }
    f.mnuDateiZähler->setText(countCaption(listing->files.size()));
    openAsCurrentFolder(*listing);
    if (f.MitUnterordnern)
        showMerged(*listing, ProfileShorthand::On);
    f.ScrollbreiteSetzen();
}

void FolderListingHandlers::Text1_change() {
    const auto ticket = f.beginWork();
    f.RichTextBox2->clear();
    f.CommandSort->hide();
    plainOrderAgain();
    if (!f.DatumsFilter) {
        f.showStatus(kNameQueryHint);
        f.hideDateAmounts();
    }
    showFolderListing();

    const auto listing = f.File1->setPattern(livePattern(f.Text1->text()),
                                             f.keepGoingWhileCurrent(ticket, StopOn::Newer));
    if (!listing && listing.error() == OsError::Stopped)
        return;
    // The sub-folder flag is not cleared here: it keeps what the last listing or search left.
    const QString folderText = f.Text2->text();
    if (listing && normalFolderPath(folderText) == listing->folder)
        openAsCurrentFolder(*listing);
    else
        UnterordnerPrüfen(folderText);
    if (f.MitUnterordnern && listing)
        showMerged(*listing, ProfileShorthand::Off);
    f.mnuDateiZähler->setText(countCaption(f.File1->count()));
    f.Trefferzahl = 0;
    if (f.showsInvoiceFolder() && f.Text1->text().size() >= 3)
        f.CommandSort_Click(); // invoices come in the order of their dates
    f.ScrollbreiteSetzen();
}

void FolderListingHandlers::UnterordnerPrüfen(const QString& Pfad) {
    const QString folder = normalFolderPath(Pfad);
    const auto has = hasSubfolders(folder);
    if (!has)
        return;
    f.AktuellerOrdner = folder;
    if (has.value())
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
        mergedListing(listing, f.Text2->text(), f.sites.profilePrefix, shorthand);
    f.FileList1->setLines(std::move(merged.lines), {}, std::move(merged.kinds));
    f.showList(f.FileList1);
    f.mnuOrdner->setVisible(true);
}

} // namespace findolin
