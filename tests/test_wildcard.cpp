#include "search/wildcard.h"

#include <QtTest>

using namespace findolin;

class TestWildcard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matches_data();
    void matches();
    void everythingIsKnown();
};

void TestWildcard::matches_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");

    QTest::newRow("star matches all") << "*"
                                      << "anything.txt" << true;
    QTest::newRow("star dot star without dot") << "*.*"
                                               << "README" << true;
    QTest::newRow("contains") << "*Angebot*"
                              << "Mein Angebot.doc" << true;
    QTest::newRow("contains, case ignored") << "*angebot*"
                                            << "ANGEBOT.DOC" << true;
    QTest::newRow("umlauts, case ignored") << "*müller*"
                                           << "Brief MÜLLER.doc" << true;
    QTest::newRow("starts with") << "Angebot*"
                                 << "PC-Angebot.doc" << false;
    QTest::newRow("question mark is one character") << "a?c.txt"
                                                    << "abc.txt" << true;
    QTest::newRow("question mark needs one") << "a?c.txt"
                                             << "ac.txt" << false;
    QTest::newRow("question mark on an emoji") << "a?c" << QString::fromUtf8("a😀c") << true;
    QTest::newRow("second alternative") << "*Angebot.doc;*Brief.doc*"
                                        << "Brief.doc.bak" << true;
    QTest::newRow("first alternative anchored at end") << "*Angebot.doc;*Brief.doc*"
                                                       << "Angebot.docx" << false;
    QTest::newRow("trailing .* also without extension") << "Angebot*PC*.*"
                                                        << "Angebot-PC" << true;
    QTest::newRow("trailing .* with extension") << "Angebot*PC*.*"
                                                << "Angebot PC.doc" << true;
    QTest::newRow("trailing .* still needs the rest") << "Angebot*PC*.*"
                                                      << "Angebot.doc" << false;
    QTest::newRow("invoice month") << "a01*.*;*.1226*"
                                   << "Mueller.1226" << true;
    QTest::newRow("invoice a01") << "a01*.*;*.1226*"
                                 << "a01Kaiser.053" << true;
    QTest::newRow("invoice other month") << "a01*.*;*.1226*"
                                         << "Mueller.1126" << false;
    QTest::newRow("backtracking") << "*a*b*c"
                                  << "xxaxxbxxbxxc" << true;
    QTest::newRow("backtracking fails") << "*a*b*c"
                                        << "xxaxxbxxbxx" << false;
    QTest::newRow("design pattern") << "asd.000"
                                    << "asd.000" << true;
    QTest::newRow("literal needs whole name") << "asd.000"
                                              << "xasd.000" << false;
    QTest::newRow("empty alternative matches no name") << "x;"
                                                       << "y" << false;
    QTest::newRow("empty group gives all") << "a*.*;*"
                                           << "zzz" << true;
}

void TestWildcard::matches() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(WildcardPattern(pattern).matches(name), expected);
}

void TestWildcard::everythingIsKnown() {
    QVERIFY(WildcardPattern(u"*").matchesEverything());
    QVERIFY(WildcardPattern(u"a*;*.*").matchesEverything());
    QVERIFY(!WildcardPattern(u"**x").matchesEverything());
}

QTEST_GUILESS_MAIN(TestWildcard)
#include "test_wildcard.moc"
