#pragma once

class QString;
class QWidget;

namespace findolin {

class Form1;
class ListBox;

// Previews the selected line of whichever list is shown, by the type of its name: pictures in the
// picture viewer, office documents in the document view, pages, mail and video in the web view,
// everything else as text. A click and an arrow key do the same. Also tells the full path of the
// selected line, for the file operations.
class PreviewDispatch {
public:
    explicit PreviewDispatch(Form1& form) : f(form) {}

    void connectLists();

    void File1_Click();
    void FileList1_Click();
    void List1_click();
    void List2_click();
    // Puts the selected line's full path into AuswahlPfad and looks up the word processor.
    void DateiAuswählen();

private:
    // Whether the list gets the keyboard back after the preview.
    enum class Focus { ToList, Unchanged };

    void preview(ListBox* list, Focus focus);
    void showOnly(QWidget* surface);

    Form1& f;
};

} // namespace findolin
