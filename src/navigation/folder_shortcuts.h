#pragma once

class QString;

namespace findolin {

class Form1;

// The file menu's folder shortcuts and "^Ordner": each puts a folder into the folder field,
// whose change lists it.
class FolderShortcuts {
public:
    explicit FolderShortcuts(Form1& form) : f(form) {}

    void connectMenu();

    // Lists the user's documents folder, also when the field already names it.
    void mnuEigeneDateien_Click();
    // Goes up to the parent folder; at a root nothing changes.
    void mnuOrdner_Click();
    // Opens the target-folder dialog as folder picker; its OK lists the chosen folder.
    void mnuOrdnerSuchen_Click();

private:
    Form1& f;
};

} // namespace findolin
