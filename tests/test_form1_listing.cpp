#include "form1_fixture.h"
#include "platform/list_box.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>

using namespace findolin;

class TestForm1Listing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void typedFolderListsSubfoldersFirst();
    void profileShorthandInBothForms();
    void folderThatIsNotThereKeepsTheListing();
    void liveFilterSetsPatternAndCount();
    void liveFilterShowsFullPathsOfSubfolders();
    void clickAndDocumentsShortcutListAgain();
    void newestListingWins();
    void escapeClearsTheStatus();
    void typedKeysUncoverTextQueryAndBlankBecomesPlus();
    void textQueryHintGivesWayToTheMouse();
    void busyPointerSwapsOverStopButton();
    void scrollWidthEndsAtWidestLine();
};

void TestForm1Listing::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestForm1Listing::typedFolderListsSubfoldersFirst() {
    TestHome home;
    home.file("akten/Zeitplan.txt");
    home.file("akten/angebot.doc");
    home.file("akten/Brief.doc");
    home.folder("akten/2005");
    home.folder("akten/Briefe");
    const auto form = startForm1();

    form->Text2->setText(home.path("akten/"));
    settle(*form);
    QVERIFY(form->FileList1->isVisible());
    QVERIFY(!form->File1->isVisible());
    QVERIFY(form->mnuOrdner->isVisible());
    QCOMPARE(form->FileList1->lines(), (QStringList{" [~akten/2005]", " [~akten/Briefe]",
                                                    "angebot.doc", "Brief.doc", "Zeitplan.txt"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("3 Dateien"));
    QCOMPARE(form->AktuellerOrdner, home.path("akten"));
    QVERIFY(form->MitUnterordnern);

    // A folder without sub-folders shows the plain file list.
    form->Text2->setText(home.path("akten/2005"));
    settle(*form);
    QVERIFY(form->File1->isVisible());
    QVERIFY(!form->FileList1->isVisible());
    QVERIFY(!form->MitUnterordnern);
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("0 Dateien"));
}

void TestForm1Listing::profileShorthandInBothForms() {
    TestHome home;
    home.file("home/Briefe/brief.doc");
    home.folder("home/Briefe/Alt");
    const auto form = startForm1();

    // "~" stands for the folder of the home folders: here the test's own folder.
    form->Text2->setText("~home/Briefe");
    settle(*form);
    QCOMPARE(form->Text2->text(), home.path("home/Briefe"));
    QCOMPARE(form->FileList1->lines(), (QStringList{" [~home/Briefe/Alt]", "brief.doc"}));

    // The live filter writes the same entry with its full path.
    form->Text1->setText("brief");
    settle(*form);
    QCOMPARE(form->FileList1->lines(),
             (QStringList{" [" + home.path("home/Briefe/Alt") + "]", "brief.doc"}));

    form->Text1->clear();
    form->Text2->setText("~/Briefe/Alt");
    settle(*form);
    QCOMPARE(form->Text2->text(), home.path("home/Briefe/Alt"));
    QCOMPARE(form->File1->folder(), home.path("home/Briefe/Alt"));
}

void TestForm1Listing::folderThatIsNotThereKeepsTheListing() {
    TestHome home;
    home.file("akten/a.doc");
    home.file("akten/b.doc");
    home.folder("akten/unter");
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);
    QVERIFY(form->FileList1->isVisible());

    for (const QString& text : {home.path("akten/unt"), home.path("akten/a.doc"), QString("rel")}) {
        form->Text2->setText(text);
        settle(*form);
        QCOMPARE(form->File1->folder(), home.path("akten"));
        QCOMPARE(form->File1->lines(), (QStringList{"a.doc", "b.doc"}));
        QVERIFY(form->File1->isVisible());
        QVERIFY(!form->FileList1->isVisible());
        QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));
    }
}

void TestForm1Listing::liveFilterSetsPatternAndCount() {
    TestHome home;
    for (const char* name : {"Angebot PC Müller.doc", "Angebot-PC.doc", "PC-Angebote.doc",
                             "Brief an Kaiser.doc", "Rechnung.doc"})
        home.file(QString::fromUtf8("akten/") + QString::fromUtf8(name));
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);

    form->Text1->setFocus();
    QTest::keyClicks(form->Text1, "Angebot PC#Brief");
    settle(*form);
    QCOMPARE(form->Text1->text(), QStringLiteral("Angebot+PC#Brief"));
    QCOMPARE(form->File1->pattern(), QStringLiteral("Angebot*PC*.*;Brief*"));
    QCOMPARE(form->File1->lines(),
             (QStringList{"Angebot PC Müller.doc", "Angebot-PC.doc", "Brief an Kaiser.doc"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("3 Dateien"));
    QCOMPARE(form->Label3->text(), QStringLiteral("Dateisuche: +und #oder -nicht"));

    form->Text1->setText("Rech");
    settle(*form);
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
    form->Text1->setText("gibtsnicht");
    settle(*form);
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("0 Dateien"));

    // With a query typed, a new listing of the folder keeps the live pattern.
    form->Text2->setText(home.path("akten/"));
    settle(*form);
    QCOMPARE(form->File1->pattern(), QStringLiteral("gibtsnicht*"));
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));
}

void TestForm1Listing::liveFilterShowsFullPathsOfSubfolders() {
    TestHome home;
    home.file("akten/Angebot.doc");
    home.file("akten/Brief.doc");
    home.folder("akten/Angebote");
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);

    form->Text1->setText("Ang");
    settle(*form);
    QVERIFY(form->FileList1->isVisible());
    QCOMPARE(form->FileList1->lines(),
             (QStringList{" [" + home.path("akten/Angebote") + "]", "Angebot.doc"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
}

void TestForm1Listing::clickAndDocumentsShortcutListAgain() {
    TestHome home;
    home.file("home/Documents/a.doc");
    const auto form = startForm1();
    QCOMPARE(form->File1->lines(), QStringList{"a.doc"});

    home.file("home/Documents/b.doc");
    form->mnuEigeneDateien->trigger();
    settle(*form);
    QCOMPARE(form->File1->lines(), (QStringList{"a.doc", "b.doc"}));

    home.file("home/Documents/c.doc");
    QTest::mouseClick(form->Text2, Qt::LeftButton);
    settle(*form);
    QCOMPARE(form->File1->count(), 3);
}

// A keystroke that arrives while a folder is still being read wins: the older listing writes
// nothing, whenever it ends.
void TestForm1Listing::newestListingWins() {
    TestHome home;
    for (int i = 0; i < 600; ++i)
        home.file(QStringLiteral("gross/datei%1.txt").arg(i));
    home.file("klein/nur.txt");
    const auto form = startForm1();
    QSignalSpy listings(form->File1->model(), &QAbstractItemModel::modelReset);
    form->Text2->setText(home.path("gross"));
    form->Text2->setText(home.path("klein"));
    settle(*form);
    QCOMPARE(listings.count(), 1);
    QCOMPARE(form->Text2->text(), home.path("klein"));
    QCOMPARE(form->File1->folder(), home.path("klein"));
    QCOMPARE(form->File1->lines(), QStringList{"nur.txt"});
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
    QCOMPARE(form->AktuellerOrdner, home.path("klein"));

    // A name typed right after the folder filters that folder, not the one listed before.
    form->Text2->setText(home.path("gross"));
    form->Text1->setText("datei59");
    settle(*form);
    QCOMPARE(form->File1->folder(), home.path("gross"));
    QCOMPARE(form->File1->lines(),
             (QStringList{"datei59.txt", "datei590.txt", "datei591.txt", "datei592.txt",
                          "datei593.txt", "datei594.txt", "datei595.txt", "datei596.txt",
                          "datei597.txt", "datei598.txt", "datei599.txt"}));
}

void TestForm1Listing::escapeClearsTheStatus() {
    TestHome home;
    home.file("home/Documents/a.doc");
    home.file("home/Documents/b.doc");
    const auto form = startForm1();
    form->mnuName->setText("a.doc");
    form->Label3->setText("Dateisuche: +und #oder -nicht");
    form->TextHilfe->show();
    form->DatumsFilter = true;
    form->TextTag->show();

    QTest::keyClick(form->Text1, Qt::Key_Escape);
    QVERIFY(form->Abbruch);
    QCOMPARE(form->mnuDateiZähler->text(), QString());
    QCOMPARE(form->mnuName->text(), QString());
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));
    QVERIFY(!form->TextHilfe->isVisible());
    QVERIFY(!form->DatumsFilter);
    QVERIFY(!form->TextTag->isVisible());
    QVERIFY(form->Text5->isVisible()); // Escape alone does not uncover the text query
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(form->Text1, &paste); // Ctrl+V, as the window system types it
    QVERIFY(!form->Text5->isVisible());
}

void TestForm1Listing::typedKeysUncoverTextQueryAndBlankBecomesPlus() {
    TestHome home;
    const auto form = startForm1();
    QVERIFY(form->Text5->isVisible());
    form->Text1->setFocus();
    QTest::keyClicks(form->Text1, "Brief an");
    settle(*form);
    QVERIFY(!form->Text5->isVisible());
    QCOMPARE(form->Text1->text(), QStringLiteral("Brief+an")); // the key still reached the field

    form->Text4->setFocus();
    QTest::keyClicks(form->Text4, "600 MHz");
    QCOMPARE(form->Text4->text(), QStringLiteral("600+MHz"));
    form->Text4->clear();
    form->Text4->insert("Brief an"); // pasted: the blank stays
    QCOMPARE(form->Text4->text(), QStringLiteral("Brief an"));

    // Other fields take a blank as it is.

    form->Text2->setFocus();
    form->Text2->end(false);
    QTest::keyClick(form->Text2, Qt::Key_Space);
    QVERIFY(form->Text2->text().endsWith(u' '));
}

void TestForm1Listing::textQueryHintGivesWayToTheMouse() {
    TestHome home;
    const auto form = startForm1();
    QTest::mouseClick(form->Text5, Qt::LeftButton);
    QVERIFY(!form->Text5->isVisible());
    QCOMPARE(QApplication::focusWidget(), form->Text4);

    const auto other = startForm1();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(other->Text5, &enter);
    QVERIFY(!other->Text5->isVisible());
}

void TestForm1Listing::busyPointerSwapsOverStopButton() {
    TestHome home;
    const auto form = startForm1();
    QEvent enter(QEvent::Enter);

    // A default pointer is left alone.
    QCoreApplication::sendEvent(form->Command3, &enter);
    QCOMPARE(form->mousePointer(), MousePointer::Default);

    form->setMousePointer(MousePointer::Hourglass);
    QCOMPARE(form->cursor().shape(), Qt::WaitCursor);
    QCoreApplication::sendEvent(form->Command3, &enter);
    QCOMPARE(form->mousePointer(), MousePointer::ArrowHourglass);
    QCOMPARE(form->cursor().shape(), Qt::BusyCursor);

    QTest::mouseMove(form->centralWidget(), QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5),
                     form->centralWidget()->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(form->centralWidget(), &move);
    QCOMPARE(form->mousePointer(), MousePointer::Hourglass);

    form->setMousePointer(MousePointer::ArrowHourglass);
    QCoreApplication::sendEvent(form->RichTextBox2->viewport(), &enter);
    QCOMPARE(form->mousePointer(), MousePointer::Hourglass);
}

void TestForm1Listing::scrollWidthEndsAtWidestLine() {
    TestHome home;
    const QString longName = QString(120, u'W') + ".txt";
    home.file("akten/" + longName);
    home.file("akten/kurz.txt");
    home.folder("akten/unter");
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);

    ListBox* list = form->FileList1;
    QVERIFY(list->isVisible());
    const int textWidth = list->fontMetrics().horizontalAdvance(longName);
    QVERIFY(list->scrollWidth() >= textWidth);
    QVERIFY(list->scrollWidth() <= textWidth + 16); // the row's own margins, nothing more
    QTRY_COMPARE(list->horizontalScrollBar()->maximum(),
                 list->scrollWidth() - list->viewport()->width());

    // A short listing shrinks the range again; an empty one has none.
    form->Text2->setText(home.path("akten/unter"));
    settle(*form);
    QCOMPARE(form->File1->scrollWidth(), 0);
    QTRY_COMPARE(form->File1->horizontalScrollBar()->maximum(), 0);
}

QTEST_MAIN(TestForm1Listing)
#include "test_form1_listing.moc"
