#include "search/date_sort.h"

#include <QtTest>

using namespace findolin;

class TestDateSort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A name, its key. "a01Kaiser.053" is May 2003; a name holding "doc", "asc" or "txt" has its
    // date before the last four characters; a name too short is keyed by its padded start.
    void keys() {
        for (const QString row :
             {"a01Kaiser.053|d05", "Mueller.129|912", "Schulz.042|c04", "Rechnung 053.doc|d05",
              "Doctor Kaiser 1183.xls|d18", "RECHNUNG 047.TXT|704", "ascii 105.bak|510", "ab| ab",
              "a.doc|da."})
            QCOMPARE(row.section(u'|', 0, 0) + u'|' + dateKey(row.section(u'|', 0, 0)), row);
    }

    void orderByMonthAndYear() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QStringList names{"a.053", "b.129", "c.042"};
        QCOMPARE(reordered(names, orderByDate(names)), (QStringList{"b.129", "c.042", "a.053"}));
        // Equal keys: by the whole line, case ignored; a short name keeps its whole text.
        const QStringList same{"Zander.053", "abel.053", "x", "B.053"};
        QCOMPARE(reordered(same, orderByDate(same)),
                 (QStringList{"x", "abel.053", "B.053", "Zander.053"}));
        QCOMPARE(reordered(same, orderPlain(same)),
                 (QStringList{"abel.053", "B.053", "x", "Zander.053"}));
        QCOMPARE(reordered(QStringList{}, {}), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestDateSort)
#include "test_date_sort.moc"
