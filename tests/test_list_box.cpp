#include "platform/list_box.h"

#include <QScrollBar>
#include <QtTest>

using namespace findolin;

// The list under every list of the window: its scroll width, its lines with their paths, and the
// line a mouse gesture chooses.
class TestListBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each line alone gives its own width; the list's is the largest of them, whatever the
    // letters: narrow ones outnumbering wide ones, kerning pairs, umlauts and emoji, headers.
    void scrollWidthIsThatOfTheWidestLine() {
        for (const QStringList& lines : QList<QStringList>{
                 {},
                 {QString(40, u'i'), QString(14, u'W'), QString(30, u'l')},
                 {"AVAVAVAVAVAVAVAVAV", "AAVVAAVVAAVVAAVVAA", "To Ta Te Yo Ya Ye", "VAVAVAVAVAVA"},
                 {"Größenänderung Bürostuhl.doc", "😀😀😀😀😀😀😀😀.txt", "Grossenanderung Buro.doc"},
                 {">>>[/home/anna/Dokumente/Angebote 2003]", "Angebot PC.doc", ">>>[/home]"}}) {
            ListBox list;
            list.resize(120, 200);
            list.show();
            list.setLines(lines);
            list.fitScrollWidthToLines();
            int widest = 0;
            for (const QString& line : lines) {
                ListBox single;
                single.setLines({line});
                single.fitScrollWidthToLines();
                widest = std::max(widest, single.scrollWidth());
                QVERIFY(single.scrollWidth() >= list.fontMetrics().horizontalAdvance(line));
            }
            QCOMPARE(list.scrollWidth(), widest);
            QTRY_COMPARE(list.horizontalScrollBar()->maximum(),
                         std::max(0, widest - list.viewport()->width()));
        }
    }

    void linesAndPathsStayInStep() {
        ListBox list;
        list.setLines({"b", ">>>[/x]", "a"}, {"/y/b", ">>>[/x]", "/x/a"});
        list.addLines({"c"}, {"/x/c"});
        list.replaceLine(2, "a2", "/x/a2");
        list.removeLine(0);
        QCOMPARE(list.lines(), (QStringList{">>>[/x]", "a2", "c"}));
        QCOMPARE(list.paths(), (QStringList{">>>[/x]", "/x/a2", "/x/c"}));
        QCOMPARE(list.path(2), QStringLiteral("/x/c"));
        QCOMPARE(list.line(7), QString());
        list.setCurrentRow(2);
        QCOMPARE(list.currentRow(), 2);
        list.clear();
        QCOMPARE(list.currentRow(), -1);
        QVERIFY(!list.hasPaths());
        list.addLines({"d"});
        QCOMPARE(list.lines(), QStringList{"d"});
    }

    // Whatever the gesture, the line left selected is chosen, once: a drag, a click, a click on
    // the selected line, a drag back to where it began. The button goes down on the first row of
    // the path and up on the last.
    void mouseChoosesTheLineItLeavesSelected() {
        for (const auto& [selected, path] : QList<std::pair<int, QList<int>>>{
                 {-1, {1, 2, 3}}, {0, {2}}, {2, {2}}, {0, {1, 3, 1}}}) {
            ListBox list;
            list.setLines({"a", "b", "c", "d", "e"});
            list.resize(200, 200);
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            list.setCurrentIndex(list.model()->index(selected, 0));
            QSignalSpy chosen(&list, &ListBox::chosen);
            const auto at = [&](int row) {
                return list.visualRect(list.model()->index(row, 0)).center();
            };
            QTest::mousePress(list.viewport(), Qt::LeftButton, {}, at(path.first()));
            for (int row : path)
                QTest::mouseMove(list.viewport(), at(row));
            QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at(path.last()));
            QCOMPARE(list.currentRow(), path.last());
            QCOMPARE(chosen.count(), 1);
            QCOMPARE(chosen.first().first().toInt(), path.last());
        }
    }
};

QTEST_MAIN(TestListBox)
#include "test_list_box.moc"
