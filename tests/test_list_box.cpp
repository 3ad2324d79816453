#include "platform/list_box.h"

#include <QApplication>
#include <QScrollBar>
#include <QtTest>

using namespace findolin;

class TestListBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scrollWidthIsThatOfTheWidestLine_data();
    void scrollWidthIsThatOfTheWidestLine();
    void linesStayInStep();
    void mouseChoosesTheLineItLeavesSelected_data();
    void mouseChoosesTheLineItLeavesSelected();
};

void TestListBox::scrollWidthIsThatOfTheWidestLine_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QStringList{};
    QTest::newRow("narrow letters outnumber wide ones")
        << QStringList{QString(40, u'i'), QString(14, u'W'), QString(30, u'l')};
    QTest::newRow("kerning pairs") << QStringList{"AVAVAVAVAVAVAVAVAV", "AAVVAAVVAAVVAAVVAA",
                                                  "To Ta Te Yo Ya Ye", "VAVAVAVAVAVAVAVAVA"};
    QTest::newRow("umlauts and emoji")
        << QStringList{QString::fromUtf8("Größenänderung Bürostuhl.doc"),
                       QString::fromUtf8("😀😀😀😀😀😀😀😀.txt"), "Grossenanderung Burostuhl.doc"};
    QTest::newRow("header lines") << QStringList{">>>[/home/anna/Dokumente/Angebote 2003]",
                                                 "Angebot PC.doc", ">>>[/home/anna]"};
}

void TestListBox::scrollWidthIsThatOfTheWidestLine() {
    QFETCH(QStringList, lines);
    ListBox list;
    list.resize(120, 200);
    list.show();
    list.setLines(lines);
    list.fitScrollWidthToLines();

    // Each line alone gives its own width; the list's is the largest of them.
    int expected = 0;
    for (const QString& line : lines) {
        ListBox single;
        single.setLines({line});
        single.fitScrollWidthToLines();
        expected = std::max(expected, single.scrollWidth());
    }
    QCOMPARE(list.scrollWidth(), expected);
    if (expected > 0) {
        QVERIFY(expected >= list.fontMetrics().horizontalAdvance(lines.first()));
        QTRY_COMPARE(list.horizontalScrollBar()->maximum(),
                     std::max(0, expected - list.viewport()->width()));
    }
}

void TestListBox::linesStayInStep() {
    ListBox list;
    list.setLines({"a", "b"});
    list.addLines({"c", "d"});
    list.removeLine(0);
    QCOMPARE(list.lines(), (QStringList{"b", "c", "d"}));
    list.setCurrentRow(2);
    QCOMPARE(list.currentRow(), 2);
    QCOMPARE(list.line(7), QString());
    list.clear();
    QCOMPARE(list.currentRow(), -1);

    // A result list's paths go with their lines through every change.
    list.setLines({"b", ">>>[/x]", "a"}, {"/y/b", ">>>[/x]", "/x/a"});
    list.addLines({"c"}, {"/x/c"});
    list.replaceLine(2, "a2", "/x/a2");
    list.removeLine(0);
    QCOMPARE(list.lines(), (QStringList{">>>[/x]", "a2", "c"}));
    QCOMPARE(list.paths(), (QStringList{">>>[/x]", "/x/a2", "/x/c"}));
    QCOMPARE(list.path(2), QStringLiteral("/x/c"));
    list.clear();
    QVERIFY(!list.hasPaths());
}

void TestListBox::mouseChoosesTheLineItLeavesSelected_data() {
    QTest::addColumn<int>("selected");    // before the button goes down
    QTest::addColumn<QList<int>>("path"); // press on the first row, move, release on the last
    QTest::newRow("drag") << -1 << QList<int>{1, 2, 3};
    QTest::newRow("click") << 0 << QList<int>{2};
    QTest::newRow("click on the selected line") << 2 << QList<int>{2};
    QTest::newRow("dragged back to where it began") << 0 << QList<int>{1, 3, 1};
}

// Whatever the gesture, the line left selected is chosen, once.
void TestListBox::mouseChoosesTheLineItLeavesSelected() {
    QFETCH(int, selected);
    QFETCH(QList<int>, path);
    ListBox list;
    list.setLines({"a", "b", "c", "d", "e"});
    list.resize(200, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setCurrentIndex(list.model()->index(selected, 0));
    QSignalSpy chosen(&list, &ListBox::chosen);
    const auto at = [&](int row) { return list.visualRect(list.model()->index(row, 0)).center(); };
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, at(path.first()));
    for (int row : path)
        QTest::mouseMove(list.viewport(), at(row));
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at(path.last()));
    QCOMPARE(list.currentRow(), path.last());
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().first().toInt(), path.last());
}

QTEST_MAIN(TestListBox)
#include "test_list_box.moc"
