#include "app/layout.h"
#include "app/window_rules.h"

#include <QtTest>

using namespace findolin;

class TestWindowRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placementAndPatterns() {
        QCOMPARE(narrowScreenPlacement(19999), (TwipsRect{120, 120, 11500, 8205}));
        QCOMPARE(narrowScreenPlacement(20000), std::nullopt);
        QCOMPARE(twipsToPixels(11500, 15), 767);
        QCOMPARE(twipsToPixels(8205, 15), 547);
        QCOMPARE(pixelsToTwips(547, 15), 8205.0);
        QCOMPARE(invoicePattern(QDate(2026, 12, 6)), QStringLiteral("a01*.*;*.1226*"));
        QCOMPARE(invoicePattern(QDate(2005, 3, 31)), QStringLiteral("a01*.*;*.035*"));
        QCOMPARE(invoicePattern(QDate(2010, 10, 1)), QStringLiteral("a01*.*;*.1010*"));
    }

    void layoutAtStartSize() {
        LayoutInput in{11500, 8205, 300, 30};
        const WindowLayout layout = layoutWindow(in);
        // 8205 - 1150 = 7055 holds 23 whole rows of 300 and the frame.
        QCOMPARE(layout.listHeight, 23 * 300 + 30);
        QCOMPARE(layout.bottomRowTop, layout.listHeight + 75);
        QCOMPARE(layout.label3Top, layout.listHeight + 150);
        QCOMPARE(layout.amountTop, layout.listHeight + 105);
        QCOMPARE(layout.windowHeight, layout.listHeight + 1285);
        QCOMPARE(layout.command2Left, 8700);
        QCOMPARE(layout.command1Left, 9600);
        QCOMPARE(layout.command3Left, 10500);
        QVERIFY(qFuzzyCompare(*layout.text1Width, 1876.0 + 2.0 / 3));
        QVERIFY(qFuzzyCompare(*layout.text2Width, 2376.0 + 2.0 / 3));
        QVERIFY(qFuzzyCompare(*layout.text4Width, 1876.0 + 2.0 / 3));
        QVERIFY(qFuzzyCompare(layout.text1Left, 4896.0 + 2.0 / 3));
        QVERIFY(qFuzzyCompare(layout.text4Left, 6773.0 + 1.0 / 3));
        QCOMPARE(layout.preview, (TwipsRect{4750, 0, 11500 - 4720 - 130, layout.listHeight}));
        QCOMPARE(layout.pictureHeight, layout.listHeight);
        // The snapped height comes to rest; full screen leaves the picture alone.
        in.windowHeight = layout.windowHeight;
        QCOMPARE(layoutWindow(in).listHeight, layout.listHeight);
        in.fullScreen = true;
        QCOMPARE(layoutWindow(in).pictureHeight, std::nullopt);
    }

    void narrowWindowKeepsWhatItCan() {
        // w = (W - 2800 - 2620) / 3 - 150 = -100 for W = 5570.
        const WindowLayout layout = layoutWindow({5570, 8205, 300, 30, 700, 900});
        QCOMPARE(layout.text1Width, std::nullopt);
        QCOMPARE(layout.text4Width, std::nullopt);
        QCOMPARE(*layout.text2Width, 400);
        // Text1 follows Text2's new width; Text4 follows Text1's old one.
        QCOMPARE(layout.text1Left, 2520 + 400);
        QCOMPARE(layout.text4Left, 2520 + 400 + 700);
        // Just wide enough for a zero width.
        QCOMPARE(layoutWindow({5870, 8205, 300, 30}).text1Width, 0.0);
    }

    // Rows of 300 in a border of 30; the list stands 2000 high before.
    void listHeightForWindowHeight() {
        // window height, row height, room on the screen (0: no limit), list height
        const double rows[][4] = {
            {1400, 300, 0, 30},               // no whole row
            {1180, 300, 0, 30},               // just the border
            {1179, 300, 0, 2000},             // not even the border
            {8205, 0, 0, 2000},               // row height unknown
            {9000, 300, 6000, 15 * 300 + 30}, // taller than the screen
            {9000, 300, 6114, 15 * 300 + 30},
            {9000, 300, 6115, 16 * 300 + 30},
        };
        for (const auto& [windowHeight, rowHeight, room, listHeight] : rows) {
            LayoutInput in{12000, windowHeight, rowHeight, 30};
            in.listHeight = 2000;
            in.maxWindowHeight = room;
            const WindowLayout layout = layoutWindow(in);
            QCOMPARE(layout.listHeight, listHeight);
            // Whatever the list's height, everything else is arranged around it.
            QCOMPARE(layout.bottomRowTop, listHeight + 75);
            QCOMPARE(layout.preview.height, listHeight);
            QCOMPARE(layout.command3Left, 11000);
            QVERIFY(qFuzzyCompare(*layout.text1Width, 2043.0 + 1.0 / 3));
        }
    }

    void qtTextsInGerman() {
        QVERIFY(loadGermanQtTexts(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
    }
};

QTEST_GUILESS_MAIN(TestWindowRules)
#include "test_window_rules.moc"
