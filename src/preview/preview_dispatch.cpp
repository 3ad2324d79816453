#include "preview/preview_dispatch.h"

#include "app/form1.h"
#include "fileops/line_actions.h"
#include "platform/native_names.h"
#include "preview/file_types.h"
#include "preview/picture_viewer.h"
#include "preview/text_preview.h"
#include "preview/word_processor.h"
#include "search/file_list_box.h"
#include "search/folder_walk.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

namespace findolin {
namespace {

// A list keeps its selected line the sixth from the top while the user moves down.
constexpr int kLinesAboveSelection = 5;

} // namespace

void PreviewDispatch::connectLists() {
    const std::pair<ListBox*, void (PreviewDispatch::*)()> handlers[] = {
        {f.File1, &PreviewDispatch::File1_Click},
        {f.FileList1, &PreviewDispatch::FileList1_Click},
        {f.List1, &PreviewDispatch::List1_click},
        {f.List2, &PreviewDispatch::List2_click},
    };
    for (const auto& [list, handler] : handlers)
        QObject::connect(list, &ListBox::chosen, &f,
                         [this, handler = handler] { (this->*handler)(); });
}

void PreviewDispatch::File1_Click() {
    preview(f.File1, Focus::ToList);
}

void PreviewDispatch::FileList1_Click() {
    preview(f.FileList1, Focus::ToList);
}

void PreviewDispatch::List1_click() {
    preview(f.List1, Focus::Unchanged);
}

void PreviewDispatch::List2_click() {
    preview(f.List2, Focus::Unchanged);
}

void PreviewDispatch::preview(ListBox* list, Focus focus) {
    const int row = list->currentRow();
    const QString path = f.pathOf(list, row);
    const QString name = list->line(row);
    f.TextHilfe->hide();
    f.mnuName->setText(visibleText(name));
    f.setMousePointer(MousePointer::Hourglass);
    if (row > kLinesAboveSelection + 1)
        list->verticalScrollBar()->setValue(row - kLinesAboveSelection);

    // A folder header of a result list names no file: nothing to show, nothing to load.
    const bool header = list->kind(row) == LineKind::Header;
    const PreviewClass kind = header ? PreviewClass::Other : previewClassOf(name);
    if (kind == PreviewClass::Picture) {
        f.pictures().load(path);
        f.pictures().Bilder(f.VollbildModus ? PictureView::FullScreen : PictureView::Normal);
        f.setMousePointer(MousePointer::Default);
        return;
    }
    if (f.Picture1->isVisible())
        f.pictures().Bilder(PictureView::Normal);
    f.Picture1->hide();
    f.CommandSort->hide();
    f.setSortButtonRole(SortButtonRole::Sort);

    if (list->kind(row) == LineKind::FolderEntry) {
        // A folder entry: step into the folder; its listing empties the text preview.
        f.Text2->setText(folderNamedBy(LineKind::FolderEntry, name));
        f.mnuName->setText({});
        showOnly(f.RichTextBox2);
    } else if (kind == PreviewClass::Document) {
        f.AuswahlPfad = path;
        f.WordVorschau();
    } else if (kind == PreviewClass::Web) {
        f.Navigate(path);
        showOnly(f.WebBrowser1);
    } else {
        if (header)
            f.RichTextBox2->clear();
        else
            showTextPreview(*f.RichTextBox2, f.contentLoader(), path);
        showOnly(f.RichTextBox2);
    }
    f.setMousePointer(MousePointer::Default);
    if (focus == Focus::ToList)
        list->setFocus();
}

void PreviewDispatch::showOnly(QWidget* surface) {
    for (QWidget* each : {f.OLE1, f.WebBrowser1, static_cast<QWidget*>(f.RichTextBox2)})
        each->setVisible(each == surface);
}

void PreviewDispatch::DateiAuswählen() {
    f.AuswahlPfad = f.selectedPath();
    f.WordApp = WordHolen();
}

} // namespace findolin
