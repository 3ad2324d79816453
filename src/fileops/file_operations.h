#pragma once

#include <QString>
#include <optional>

namespace findolin {

class Form1;
class ListBox;

// Open, print, rename, copy and delete of the file selected in the shown list. None ever loses a
// file: a rename never replaces another file, a copy replaces one only when the user says so and
// only once the new one is complete, a delete asks first, moves the file to the Trash (deletes it
// for good only where there is none, and says so in its question) and never takes a folder, and a
// failure leaves the lists as they were.
class FileOperations {
public:
    explicit FileOperations(Form1& form) : f(form) {}

    // Opens the file: a name holding "doc" in the word processor, anything else with the
    // desktop's application for its type.
    void mnuName_Click();
    // Opens the file and, unless the user says No, ends the program.
    void mnuItemÖffnen_Click();
    void mnuItemDrucken_Click();
    void mnuDateiUmbenennen_Click();
    void mnuDateiLöschen_Click();
    // Captures the selected file as Quelldatei and opens the target-folder dialog to copy it.
    void mnuDateiKopieren_Click();
    // Copies Quelldatei into the folder, asking before it replaces a file there. True when the
    // copy is done, declined, or has nothing left to copy; false when it failed (reported), so
    // that the user can choose another folder.
    bool copyInto(const QString& folder);

private:
    // The selected line of the shown list, with its folder and the path list beside it.
    struct Selection {
        ListBox* list = nullptr;
        int row = -1;
        QString name;
        QString folder;
    };
    std::optional<Selection> selectedFile() const;
    void replaceSelected(const Selection& selection, const QString& newName);

    Form1& f;
};

} // namespace findolin
