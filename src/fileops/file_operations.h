#pragma once

#include <QString>
#include <optional>

namespace findolin {

class Form1;
class ListBox;

// Rename and delete of the file selected in the shown list. Neither ever loses a file: a rename
// never replaces another file, a delete asks first and never takes a folder, and a failure leaves
// the lists as they were.
class FileOperations {
public:
    explicit FileOperations(Form1& form) : f(form) {}

    void mnuDateiUmbenennen_Click();
    void mnuDateiLöschen_Click();

private:
    // The selected line of the shown list, with its folder and the path list beside it.
    struct Selection {
        ListBox* list = nullptr;
        QStringList* paths = nullptr; // the list's path list, when it holds its paths
        int row = -1;
        QString name;
        QString folder;
    };
    std::optional<Selection> selectedFile() const;
    void replaceSelected(const Selection& selection, const QString& newName);

    Form1& f;
};

} // namespace findolin
