#include "navigation/folder_shortcuts.h"

#include "app/form1.h"

#include <QLineEdit>

namespace findolin {

void FolderShortcuts::mnuEigeneDateien_Click() {
    if (f.Text2->text() != f.sites.documents)
        f.Text2->setText(f.sites.documents);
    else
        f.Text2_change();
}

} // namespace findolin
