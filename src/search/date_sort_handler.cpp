#include "search/date_sort_handler.h"

#include "app/form1.h"
#include "preview/picture_viewer.h"
#include "search/date_sort.h"
#include "search/file_list_box.h"

#include <QPushButton>

namespace findolin {

void DateSortHandler::CommandSort_Click() {
    if (f.sortButtonRole() == SortButtonRole::FullScreen) {
        f.pictures().Picture1_Click();
        return;
    }
    if (f.shownList() == f.File1) {
        // The folder list keeps its plain listing; the dated one takes its place.
        f.FileList1->setLines(reordered(f.File1->lines(), orderByDate(f.File1->lines())));
        f.showList(f.FileList1);
        f.mnuOrdner->setVisible(true);
        f.shownOrder = ListOrder::ByDate;
        return;
    }
    if (f.shownList() == f.FileList1 || f.shownList() == f.List2)
        sortInPlace(f.shownList());
}

void DateSortHandler::sortInPlace(ListBox* list) {
    const bool byDate = f.shownOrder == ListOrder::Plain;
    const QStringList lines = list->lines();
    const std::vector<qsizetype> order = byDate ? orderByDate(lines) : orderPlain(lines);
    list->setLines(reordered(lines, order), reordered(list->paths(), order),
                   reordered(list->kinds(), order));
    f.shownOrder = byDate ? ListOrder::ByDate : ListOrder::Plain;
}

} // namespace findolin
