#pragma once

#include <QString>

namespace findolin {

// The fixed folders of the office, in one place. On Linux they live in the user's home folder,
// so pointing HOME elsewhere moves all of them.
struct SiteFolders {
    QString home;
    QString company;  // holds a file only on the office's own machines
    QString invoices; // start folder and invoice folder
    QString faxes;
    QString invoices23;
    QString software;
    QString networkInvoices;       // opened by the network menu item
    QString networkInvoicesShared; // compared by the invoice-folder test
    QString profilePrefix;         // the folder holding the home folders, with a closing "/"
    QString desktop;
    QString documents;
};

SiteFolders siteFoldersForHome();

// The caption of the network invoice folder's menu item.
inline constexpr char16_t kNetworkInvoicesCaption[] = u"rech server";

// "~name..." stands for a folder below the profile prefix, "~/..." for the user's own home.
// Any other text comes back unchanged.
QString expandProfileShorthand(const QString& folderText, const SiteFolders& sites);

} // namespace findolin
