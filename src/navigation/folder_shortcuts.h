#pragma once

namespace findolin {

class Form1;

// The file menu's folder shortcuts: each puts a folder into the folder field, whose change lists
// it.
class FolderShortcuts {
public:
    explicit FolderShortcuts(Form1& form) : f(form) {}

    // Lists the user's documents folder, also when the field already names it.
    void mnuEigeneDateien_Click();

private:
    Form1& f;
};

} // namespace findolin
