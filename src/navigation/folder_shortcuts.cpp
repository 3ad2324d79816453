#include "navigation/folder_shortcuts.h"

#include "app/form1.h"
#include "fileops/form2.h"
#include "platform/paths.h"

#include <QAction>
#include <QLineEdit>

namespace findolin {

void FolderShortcuts::connectMenu() {
    // The fixed folders: nothing checks them first; a folder that is not there leaves the
    // listing as it was. The start text already names the invoice folder, so a shortcut lists
    // its folder also when the field holds it.
    const std::pair<QAction*, QString SiteFolders::*> fixedFolders[] = {
        {f.mnuFaxeÖffnen, &SiteFolders::faxes},
        {f.mnuRechÖffnen, &SiteFolders::invoices},
        {f.mnuRechNetzÖffnen, &SiteFolders::networkInvoices},
        {f.mnuRechFAÖffnen, &SiteFolders::company},
        {f.rech23Öffnen, &SiteFolders::invoices23},
        {f.SoftwareÖffnen, &SiteFolders::software},
    };
    for (const auto& [action, folder] : fixedFolders) {
        QObject::connect(action, &QAction::triggered, &f,
                         [this, folder = folder] { f.listFolder(f.sites().*folder); });
    }
    QObject::connect(f.mnuEigeneDateien, &QAction::triggered, &f,
                     [this] { mnuEigeneDateien_Click(); });
    QObject::connect(f.mnuOrdner, &QAction::triggered, &f, [this] { mnuOrdner_Click(); });
    QObject::connect(f.mnuOrdnerSuchen, &QAction::triggered, &f,
                     [this] { mnuOrdnerSuchen_Click(); });
}

void FolderShortcuts::mnuEigeneDateien_Click() {
    f.listFolder(f.sites().documents);
}

void FolderShortcuts::mnuOrdner_Click() {
    // When the field names no folder, the folder opened last is the one to leave.
    f.UnterordnerPrüfen(f.Text2->text());
    if (const auto parent = parentFolder(f.AktuellerOrdner))
        f.Text2->setText(*parent);
    f.mnuName->setText({});
}

void FolderShortcuts::mnuOrdnerSuchen_Click() {
    f.Kopiermodus = false;
    f.form2().Form_Load();
}

} // namespace findolin
