#include "app/help_text.h"
#include "search/date_sort.h"

#include <QtTest>

using namespace findolin;

class TestDateSort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void keys_data();
    void keys();
    void orderByMonthAndYear();
    void helpTextLineByLine();
};

void TestDateSort::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestDateSort::keys_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::newRow("May 2003 in the extension") << "a01Kaiser.053"
                                               << "d05";
    QTest::newRow("December 1999") << "Mueller.129"
                                   << "912";
    QTest::newRow("April 2002") << "Schulz.042"
                                << "c04";
    QTest::newRow("before a .doc") << "Rechnung 053.doc"
                                   << "d05";
    QTest::newRow("doc inside the name") << "Doctor Kaiser 1183.xls"
                                         << "d18"; // 11/2003
    QTest::newRow("TXT in capitals") << "RECHNUNG 047.TXT"
                                     << "704";
    QTest::newRow("asc") << "ascii 105.bak"
                         << "510"; // 10/2005
    QTest::newRow("too short") << "ab"
                               << " ab"; // the field "ab " padded
    QTest::newRow("too short with doc") << "a.doc"
                                        << "da."; // the field "a.d"
}

void TestDateSort::keys() {
    QFETCH(QString, name);
    QFETCH(QString, key);
    QCOMPARE(dateKey(name), key);
}

void TestDateSort::orderByMonthAndYear() {
    const QStringList names{"a.053", "b.129", "c.042"};
    QCOMPARE(reordered(names, orderByDate(names)), (QStringList{"b.129", "c.042", "a.053"}));
    // Equal keys: by the whole line, case ignored; a short name keeps its whole text.
    const QStringList same{"Zander.053", "abel.053", "x", "B.053"};
    QCOMPARE(reordered(same, orderByDate(same)),
             (QStringList{"x", "abel.053", "B.053", "Zander.053"}));
    QCOMPARE(reordered(same, orderPlain(same)),
             (QStringList{"abel.053", "B.053", "x", "Zander.053"}));
}

void TestDateSort::helpTextLineByLine() {
    const QStringList lines = helpTextLines();
    QCOMPARE(lines.size(), 20);
    QCOMPARE(lines[0],
             QStringLiteral("Dateisuche mit         + für UND           # für ODER          - "
                            "für NICHT"));
    QCOMPARE(lines[2], QStringLiteral("z.B.  Angebot+PC#Angebot+Computer-gebraucht"));
    QCOMPARE(lines[3],
             QStringLiteral("        findet  \"PC-Angebote.doc\"  oder  \"Angebot-PC.doc\"  "
                            "oder  \"Computerangebot.txt\" "));
    QCOMPARE(lines[4],
             QStringLiteral("        (alle Dateien mit \"gebraucht\"  werden ausgeschlossen)"));
    QCOMPARE(lines[6], QStringLiteral("z.B. Versicherung+Brief+KFZ\t\t\t\t"));
    QCOMPARE(lines[7], QStringLiteral("        findet  \"Brief an KFZ-Versicherung.doc\" "));
    QCOMPARE(lines[9], QString(118, u'-'));
    QCOMPARE(lines[10], QString(7, u'\t'));
    QCOMPARE(lines[11],
             QStringLiteral("Textsuche mit         + für UND           # für ODER          - "
                            "für NICHT"));
    QCOMPARE(lines[13], QStringLiteral("z.B. 600+MHz+64+MB\t\t"));
    QCOMPARE(lines[14],
             QStringLiteral("        findet Documente  mit Textinhalt  \"600 MHz\"  und  "
                            "\"64MB\" "));
    QCOMPARE(lines[15], QStringLiteral("\t"));
    QCOMPARE(lines[16], QStringLiteral("z.B. 600MHz#733MHz#800MHz"));
    QCOMPARE(lines[17], QStringLiteral("       findet Documente mit Textinhalt  \"600MHz\"  oder  "
                                       "\"700MHz\"  oder  \"800MHz\""));
    QCOMPARE(lines[19], QString(119, u'-'));
    for (int empty : {1, 5, 8, 12, 18})
        QCOMPARE(lines[empty], QString());
}

QTEST_GUILESS_MAIN(TestDateSort)
#include "test_date_sort.moc"
