#include "app/layout.h"
#include "app/window_rules.h"

#include <QtTest>

using namespace findolin;

class TestWindowRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void invoicePattern_data();
    void invoicePattern();
    void startPlacement();
    void layoutAtStartSize();
    void layoutComesToRest();
    void narrowWindowKeepsWhatItCan();
    void listHeightForWindowHeight_data();
    void listHeightForWindowHeight();
    void qtTextsInGerman();
};

void TestWindowRules::invoicePattern_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("December 2026") << QDate(2026, 12, 6) << "a01*.*;*.1226*";
    QTest::newRow("March 2005") << QDate(2005, 3, 31) << "a01*.*;*.035*";
    QTest::newRow("January 2005") << QDate(2005, 1, 1) << "a01*.*;*.015*";
    QTest::newRow("October 2010") << QDate(2010, 10, 1) << "a01*.*;*.1010*";
}

void TestWindowRules::invoicePattern() {
    QFETCH(QDate, today);
    QFETCH(QString, pattern);
    QCOMPARE(findolin::invoicePattern(today), pattern);
}

void TestWindowRules::startPlacement() {
    QCOMPARE(narrowScreenPlacement(19999), (TwipsRect{120, 120, 11500, 8205}));
    QCOMPARE(narrowScreenPlacement(20000), std::nullopt);
    QCOMPARE(twipsToPixels(11500, 15), 767);
    QCOMPARE(twipsToPixels(8205, 15), 547);
}

void TestWindowRules::layoutAtStartSize() {
    LayoutInput in;
    in.windowWidth = 11500;
    in.windowHeight = 8205;
    in.rowHeight = 300;
    in.listFrame = 30;
    const WindowLayout layout = layoutWindow(in);
    // 8205 - 1150 = 7055 holds 23 whole rows of 300 and the frame.
    QCOMPARE(layout.listHeight, 23 * 300 + 30);
    QCOMPARE(layout.bottomRowTop, layout.listHeight + 75);
    QCOMPARE(layout.label3Top, layout.listHeight + 150);
    QCOMPARE(layout.windowHeight, layout.listHeight + 1285);
    QCOMPARE(layout.command2Left, 8700);
    QCOMPARE(layout.command1Left, 9600);
    QCOMPARE(layout.command3Left, 10500);
    QVERIFY(qFuzzyCompare(*layout.text1Width, 1876.0 + 2.0 / 3));
    QVERIFY(qFuzzyCompare(*layout.text2Width, 2376.0 + 2.0 / 3));
    QVERIFY(qFuzzyCompare(layout.text1Left, 4896.0 + 2.0 / 3));
    QVERIFY(qFuzzyCompare(layout.text4Left, 6773.0 + 1.0 / 3));
    QCOMPARE(layout.preview, (TwipsRect{4750, 0, 11500 - 4720 - 130, layout.listHeight}));
    QCOMPARE(layout.pictureHeight, layout.listHeight);
}

void TestWindowRules::layoutComesToRest() {
    LayoutInput in{11500, 8205, 300, 30};
    const WindowLayout first = layoutWindow(in);
    in.windowHeight = first.windowHeight;
    const WindowLayout second = layoutWindow(in);
    QCOMPARE(second.listHeight, first.listHeight);
    QCOMPARE(second.windowHeight, first.windowHeight);
    in.fullScreen = true;
    QCOMPARE(layoutWindow(in).pictureHeight, std::nullopt);
}

void TestWindowRules::narrowWindowKeepsWhatItCan() {
    // w = (W - 2800 - 2620) / 3 - 150 = -100 for W = 5570.
    LayoutInput in{5570, 8205, 300, 30, 700, 900};
    const WindowLayout layout = layoutWindow(in);
    QCOMPARE(layout.text1Width, std::nullopt);
    QCOMPARE(layout.text4Width, std::nullopt);
    QCOMPARE(*layout.text2Width, 400);
    // Text1 follows Text2's new width; Text4 follows Text1's old one.
    QCOMPARE(layout.text1Left, 2520 + 400);
    QCOMPARE(layout.text4Left, 2520 + 400 + 700);
}

void TestWindowRules::listHeightForWindowHeight_data() {
    QTest::addColumn<double>("windowHeight");
    QTest::addColumn<double>("rowHeight");
    QTest::addColumn<double>("maxWindowHeight");
    QTest::addColumn<double>("listHeight");
    // Rows of 300 in a border of 30; the list stands 2000 high before.
    QTest::newRow("no whole row") << 1400.0 << 300.0 << 0.0 << 30.0;
    QTest::newRow("not even the border") << 1000.0 << 300.0 << 0.0 << 2000.0;
    QTest::newRow("row height unknown") << 8205.0 << 0.0 << 0.0 << 2000.0;
    QTest::newRow("taller than the screen") << 9000.0 << 300.0 << 6000.0 << 15 * 300.0 + 30;
}

void TestWindowRules::listHeightForWindowHeight() {
    QFETCH(double, windowHeight);
    QFETCH(double, rowHeight);
    QFETCH(double, maxWindowHeight);
    QFETCH(double, listHeight);
    LayoutInput in{12000, windowHeight, rowHeight, 30};
    in.listHeight = 2000;
    in.maxWindowHeight = maxWindowHeight;
    const WindowLayout layout = layoutWindow(in);
    QCOMPARE(layout.listHeight, listHeight);
    // Whatever the list's height, everything else is arranged around it.
    QCOMPARE(layout.bottomRowTop, listHeight + 75);
    QCOMPARE(layout.windowHeight, listHeight + 1285);
    QCOMPARE(layout.command3Left, 11000);
    QVERIFY(qFuzzyCompare(*layout.text1Width, 2043.0 + 1.0 / 3));
    QCOMPARE(layout.preview.width, 12000 - 4720 - 130);
}

void TestWindowRules::qtTextsInGerman() {
    QVERIFY(loadGermanQtTexts(*QCoreApplication::instance()));
    // The buttons of message and input boxes.
    const std::pair<const char*, const char*> buttons[] = {
        {"&Yes", "&Ja"}, {"&No", "&Nein"}, {"Cancel", "Abbrechen"}};
    for (const auto& [english, german] : buttons)
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", english), QString::fromUtf8(german));
}

QTEST_GUILESS_MAIN(TestWindowRules)
#include "test_window_rules.moc"
