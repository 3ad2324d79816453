#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace findolin {

// The date written into an invoice name as a key that sorts by year and month: the date field is
// two month digits and the last digit of a year, either the last three characters of the name (an
// extension such as ".053") or, in a name holding "doc", "asc" or "txt", the three characters
// before its last four ("Rechnung 053.doc"). Years ending in 0 to 3 sort after those ending in 4
// to 9. A name too short for its date field is keyed by its own first three characters (padded
// with blanks), so every name gets a key and keeps its whole text.
QString dateKey(QStringView name);

// The order of the lines by their date key, then by the whole line, as indexes into `lines`.
std::vector<qsizetype> orderByDate(const QStringList& lines);
// Plain list-box order, as indexes into `lines`.
std::vector<qsizetype> orderPlain(const QStringList& lines);

// The items (lines, their paths or kinds) in the given order; an empty list stays empty.
template <typename List> List reordered(const List& items, const std::vector<qsizetype>& order) {
    List result;
    if (items.isEmpty())
        return result;
    result.reserve(items.size());
    for (qsizetype i : order)
        result.append(items.value(i));
    return result;
}

} // namespace findolin
