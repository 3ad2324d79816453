#pragma once

#include <QStringList>

namespace findolin {

class Form1;
class ListBox;

// "nach Datum sortieren": orders the shown list by the date in its names, and back on the next
// press. While a picture is shown the same button reads "Vollbild" and opens the full screen.
class DateSortHandler {
public:
    explicit DateSortHandler(Form1& form) : f(form) {}

    void CommandSort_Click();

private:
    // Sorts the list (its paths with it) in place by date, or plainly when it is in date order
    // already.
    void sortInPlace(ListBox* list);

    Form1& f;
};

} // namespace findolin
