#include "search/date_sort.h"

#include "search/list_order.h"

namespace findolin {
namespace {

QChar yearLetter(QChar lastYearDigit) {
    switch (lastYearDigit.unicode()) {
    case u'0':
        return u'a';
    case u'1':
        return u'b';
    case u'2':
        return u'c';
    case u'3':
        return u'd';
    default:
        return lastYearDigit;
    }
}

} // namespace

QString dateKey(QStringView name) {
    const qsizetype length = name.size();
    const bool beforeExtension = name.contains(u"doc", Qt::CaseInsensitive) ||
                                 name.contains(u"asc", Qt::CaseInsensitive) ||
                                 name.contains(u"txt", Qt::CaseInsensitive);
    QString field;
    if (beforeExtension && length >= 7)
        field = name.mid(length - 7, 3).toString();
    else if (!beforeExtension && length >= 3)
        field = name.right(3).toString();
    else
        field = name.left(3).toString().leftJustified(3, u' ');
    return QString(yearLetter(field[2])) + field[0] + field[1];
}

std::vector<qsizetype> orderByDate(const QStringList& lines) {
    QStringList keyed;
    keyed.reserve(lines.size());
    for (const QString& line : lines)
        keyed.append(dateKey(line) + line);
    return ListBoxOrder().order(keyed);
}

std::vector<qsizetype> orderPlain(const QStringList& lines) {
    return ListBoxOrder().order(lines);
}

} // namespace findolin
