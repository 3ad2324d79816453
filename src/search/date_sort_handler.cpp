#include "search/date_sort_handler.h"

#include "app/form1.h"
#include "preview/picture_viewer.h"
#include "search/date_sort.h"
#include "search/file_list_box.h"

#include <QPushButton>

namespace findolin {

void DateSortHandler::CommandSort_Click() {
    if (f.CommandSort->text() == u"Vollbild") {
        f.pictures().Picture1_Click();
        return;
    }
    if (f.File1->isVisible()) {
        // The folder list keeps its plain listing; the dated one takes its place.
        f.List1->hide();
        f.List2->hide();
        f.File1->hide();
        f.FileList1->setLines(reordered(f.File1->lines(), orderByDate(f.File1->lines())));
        f.FileList1->show();
        f.mnuOrdner->setVisible(true);
        setSortedByDate(true);
        return;
    }
    if (f.FileList1->isVisible())
        sortInPlace(f.FileList1, nullptr);
    if (f.List2->isVisible())
        sortInPlace(f.List2, f.List2a.isEmpty() ? nullptr : &f.List2a);
}

void DateSortHandler::sortInPlace(ListBox* list, QStringList* paths) {
    const bool byDate = !sortedByDate();
    const QStringList lines = list->lines();
    const std::vector<qsizetype> order = byDate ? orderByDate(lines) : orderPlain(lines);
    list->setLines(reordered(lines, order));
    if (paths)
        *paths = reordered(*paths, order);
    setSortedByDate(byDate);
}

bool DateSortHandler::sortedByDate() const {
    return f.CommandSort->property("Tag").toString().toInt() != 0;
}

void DateSortHandler::setSortedByDate(bool byDate) {
    f.CommandSort->setProperty("Tag", byDate ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace findolin
