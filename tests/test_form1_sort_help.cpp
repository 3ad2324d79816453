#include "form1_fixture.h"
#include "platform/list_box.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QAccessible>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>

using namespace findolin;

class TestForm1SortHelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void threePressesDatePlainDate();
    void fullScreenRoleChangesNoList();
    void invoiceFolderSortsFromThreeCharacters();
    void textResultKeepsItsPathsInStep();
    void helpPanelShowsAndGoes();
    void helpLiesOverThePictureAndFits();
    void statusTextsFit_data();
    void statusTextsFit();
    void windowHeightSnapsToRows();
};

void TestForm1SortHelp::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestForm1SortHelp::threePressesDatePlainDate() {
    TestHome home;
    for (const char* name : {"a.053", "b.129", "c.042"})
        home.file(QStringLiteral("akten/") + QString::fromLatin1(name));
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);
    QCOMPARE(form->File1->lines(), (QStringList{"a.053", "b.129", "c.042"}));

    form->CommandSort->click(); // from the folder list: dated in FileList1
    QVERIFY(form->FileList1->isVisible() && !form->File1->isVisible());
    QCOMPARE(form->FileList1->lines(), (QStringList{"b.129", "c.042", "a.053"}));
    QCOMPARE(form->shownOrder, ListOrder::ByDate);
    QCOMPARE(form->File1->lines(), (QStringList{"a.053", "b.129", "c.042"}));

    QTest::mouseClick(form->Label3, Qt::LeftButton); // the status line acts as the button
    QCOMPARE(form->FileList1->lines(), (QStringList{"a.053", "b.129", "c.042"}));
    QCOMPARE(form->shownOrder, ListOrder::Plain);

    form->CommandSort->click();
    QCOMPARE(form->FileList1->lines(), (QStringList{"b.129", "c.042", "a.053"}));
    QCOMPARE(form->shownOrder, ListOrder::ByDate);
}

void TestForm1SortHelp::fullScreenRoleChangesNoList() {
    TestHome home;
    QDir().mkpath(home.path("home/Documents"));
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(home.path("home/Documents/a.bmp")));
    home.file("home/Documents/b.053");
    const auto form = startForm1();
    form->File1->setCurrentRow(0);
    QCOMPARE(form->CommandSort->text(), QStringLiteral("Vollbild"));
    const QStringList before = form->File1->lines();
    QTest::mouseClick(form->Label3, Qt::LeftButton);
    QVERIFY(form->VollbildModus);
    QCOMPARE(form->File1->lines(), before);
    QVERIFY(!form->FileList1->isVisible());
    QCOMPARE(form->shownOrder, ListOrder::Plain);
}

void TestForm1SortHelp::invoiceFolderSortsFromThreeCharacters() {
    TestHome home;
    for (const char* name : {"rech Kaiser.053", "rech Mueller.129", "rech Schulz.042"})
        home.file(QStringLiteral("home/rech/") + QString::fromLatin1(name));
    home.file("home/Documents/x.txt");
    const auto form = startForm1();
    form->mnuEigeneDateien->trigger();
    settle(*form);
    form->Text2->setText(home.home("rech"));
    settle(*form);

    form->Text1->setText("re");
    settle(*form);
    QVERIFY(form->File1->isVisible());
    QCOMPARE(form->File1->lines(),
             (QStringList{"rech Kaiser.053", "rech Mueller.129", "rech Schulz.042"}));
    form->Text1->setText("rec");
    settle(*form);
    QVERIFY(form->FileList1->isVisible());
    QCOMPARE(form->FileList1->lines(),
             (QStringList{"rech Mueller.129", "rech Schulz.042", "rech Kaiser.053"}));
    // Every further keystroke lists afresh and sorts again: never sorted and unsorted in turn.
    form->Text1->setText("rech");
    settle(*form);
    QCOMPARE(form->FileList1->lines().first(), QStringLiteral("rech Mueller.129"));

    // A search in the invoice folder comes sorted by date too.
    form->Text1->setText("rech");
    settle(*form);
    form->Command1->click();
    settle(*form);
    QCOMPARE(form->FileList1->lines(),
             (QStringList{"rech Mueller.129", "rech Schulz.042", "rech Kaiser.053"}));
}

void TestForm1SortHelp::textResultKeepsItsPathsInStep() {
    TestHome home;
    home.file("akten/x/Angebot.053", "PC");
    home.file("akten/y/Angebot.129", "PC");
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);
    form->Text1->setText("angebot");
    settle(*form);
    form->Text4->setText("pc");
    form->Command1->click();
    settle(*form);
    QCOMPARE(form->List2->count(), 4);
    QTest::mouseClick(form->Label3, Qt::LeftButton); // sorts List2, also without the button
    for (int i = 0; i < form->List2->count(); ++i) {
        const QString line = form->List2->line(i);
        if (!line.startsWith(u">>>"))
            QVERIFY2(form->List2->paths()[i].endsWith(u'/' + line),
                     qPrintable(form->List2->paths()[i]));
        else
            QCOMPARE(form->List2->paths()[i], line);
    }
}

void TestForm1SortHelp::helpPanelShowsAndGoes() {
    TestHome home;
    home.file("home/Documents/a.txt", "Text");
    const auto form = startForm1();
    QVERIFY(!form->TextHilfe->isVisible());
    QVERIFY(form->TextHilfe->toPlainText().startsWith(u"Dateisuche mit"));
    form->mnuHelp->trigger();
    settle(*form);
    QVERIFY(form->TextHilfe->isVisible());
    form->mnuHelp->trigger();
    settle(*form);
    QVERIFY(!form->TextHilfe->isVisible());

    form->mnuHelp->trigger();
    settle(*form);
    QTest::mouseClick(form->TextHilfe->viewport(), Qt::LeftButton);
    QVERIFY(!form->TextHilfe->isVisible());
    form->mnuHelp->trigger();
    settle(*form);
    QTest::mouseClick(form->RichTextBox2->viewport(), Qt::LeftButton);
    QVERIFY(!form->TextHilfe->isVisible());
    form->mnuHelp->trigger();
    settle(*form);
    form->File1->setCurrentRow(0); // choosing a line puts it away
    QVERIFY(!form->TextHilfe->isVisible());
}

void TestForm1SortHelp::helpLiesOverThePictureAndFits() {
    TestHome home;
    QDir().mkpath(home.path("home/Documents"));
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QVERIFY(picture.save(home.path("home/Documents/a.bmp")));
    const auto form = startForm1();
    form->File1->setCurrentRow(0);
    QVERIFY(form->Picture1->isVisible());
    form->mnuHelp->trigger();
    settle(*form);
    const QWidget* hit = form->centralWidget()->childAt(form->TextHilfe->geometry().center());
    QVERIFY(hit == form->TextHilfe || form->TextHilfe->isAncestorOf(hit));
    QCoreApplication::processEvents();
    QCOMPARE(form->TextHilfe->horizontalScrollBar()->maximum(), 0); // its widest line fits
}

void TestForm1SortHelp::statusTextsFit_data() {
    QTest::addColumn<QString>("cause");  // a query field typed into, or a menu item chosen
    QTest::addColumn<QString>("text");   // what the status line then shows
    QTest::addColumn<QString>("amount"); // the number field in the prompt's gap
    QTest::newRow("credit") << ""
                            << "® Trellwin"
                            << "";
    QTest::newRow("stop hint") << ""
                               << "   STOP mit ESC"
                               << "";
    QTest::newRow("name hint") << "Text1"
                               << "Dateisuche: +und #oder -nicht"
                               << "";
    QTest::newRow("text hint") << "Text4"
                               << "Textsuche: +und #oder -nicht"
                               << "";
    QTest::newRow("hours") << "mnuDatStd"
                           << "  innerhalb              Stunden"
                           << "TextStd";
    QTest::newRow("days") << "mnuDatTag"
                          << "innerhalb              Tage   "
                          << "TextTag";
    QTest::newRow("months") << "mnuDatMon"
                            << "innerhalb               Monate"
                            << "TextMon";
}

// Each text shows whole, screen readers read it, and a prompt's words stay clear of its field.
void TestForm1SortHelp::statusTextsFit() {
    QFETCH(QString, cause);
    QFETCH(QString, text);
    QFETCH(QString, amount);
    TestHome home;
    const auto form = startForm1();
    if (cause.isEmpty())
        form->showStatus(text);
    else if (auto* field = form->findChild<QLineEdit*>(cause))
        field->setText("a");
    else
        form->findChild<QAction*>(cause)->trigger();
    QLabel* status = form->Label3;
    QCOMPARE(status->text(), text);
    const QFontMetrics metrics = status->fontMetrics();
    QVERIFY(metrics.horizontalAdvance(text) <= status->contentsRect().width());
    QCOMPARE(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), text);
    if (amount.isEmpty())
        return;
    const auto* field = form->findChild<QLineEdit*>(amount);
    QVERIFY(field->isVisible());
    const qsizetype firstWordEnd = text.indexOf(u"innerhalb") + 9;
    const qsizetype secondWord = text.indexOf(QRegularExpression("\\S"), firstWordEnd);
    QVERIFY(status->x() + metrics.horizontalAdvance(text.left(firstWordEnd)) <= field->x());
    QVERIFY(field->geometry().right() <
            status->x() + metrics.horizontalAdvance(text.left(secondWord)));
    const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    QVERIFY(field->fontMetrics().horizontalAdvance(field->text()) + 2 * frame + 4 <=
            field->width());
}

void TestForm1SortHelp::windowHeightSnapsToRows() {
    TestHome home;
    const auto form = startForm1();
    const int row = form->File1->rowHeight();
    for (int height : {450, 481, 517}) {
        form->resize(form->width(), height);
        // Snapped to whole rows: never a whole row away from what was asked for.
        QTRY_VERIFY(qAbs(form->height() - height) < row);
        // The list takes whole rows; the bottom row sits below it.
        QCOMPARE((form->File1->height() - 2 * form->File1->frameWidth()) % row, 0);
        QVERIFY(form->Command1->y() > form->File1->height());
        const int settled = form->height();
        QCoreApplication::processEvents();
        QCOMPARE(form->height(), settled);
    }
    // A window made taller than the screen snaps to rows that fit on it.
    form->resize(form->width(), 2000);
    QTRY_VERIFY(form->screen()->availableGeometry().contains(form->frameGeometry()));
}

QTEST_MAIN(TestForm1SortHelp)
#include "test_form1_sort_help.moc"
