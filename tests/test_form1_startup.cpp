#include "app/application.h"
#include "app/window_rules.h"
#include "form1_fixture.h"

#include <QPlainTextEdit>
#include <QScrollBar>

using namespace findolin;

// The main window as it starts and lists folders as the user types: which list shows what, the
// captions and the status line, the date order and the help, the pointer and the layout. The
// listing and window rules themselves are test_folder_listing's and test_window_rules'. Below them,
// the list control: its scroll width, its lines and paths, the line a mouse gesture chooses.
class TestForm1Startup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        presentApplication(*qApp);
    }
    void steps_data() {
        QTest::addColumn<QString>("script"); // see play()
        const QDate today = QDate::currentDate();
        const QString invoice =
            "Mueller." + today.toString("MM") + QString::number(today.year() - 2000);
        QTest::newRow("no company folder: the documents")
            << "+home/Documents/b.txt; +home/Documents/a.doc; +home/Documents/Briefe/; "
               "?Command3=STOP; ?-mnuRechÖffnen; ?-SoftwareÖffnen; ?+mnuEigeneDateien; "
               "?Text2=$/home/Documents; ?FileList1: [~home/Documents/Briefe]|a.doc|b.txt; "
               "?mnuDateiZähler=2 Dateien; ?Label3=® Trellwin";
        QTest::newRow("company machine: this month's invoices, the folder shortcuts")
            << "+home/rech-FA/kunden.doc; +home/rech/a01Kaiser.053; +home/rech/" + invoice +
                   "; +home/rech/Mueller.0199; +home/rech/brief.doc; +home/rech/2005/a.doc; "
                   "+home/Software+Treiber/setup.exe; +home/Documents/x.txt; ?Command3=*Firma...; "
                   "?-mnuFaxeÖffnen; ?-rech23Öffnen; ?+mnuRechÖffnen; ?+SoftwareÖffnen; "
                   "?Text2=$/home/rech; ?File1:a01Kaiser.053|" +
                   invoice +
                   "; ?mnuDateiZähler=2 Dateien; SoftwareÖffnen; ?File1:setup.exe; "
                   "mnuRechNetzÖffnen; ?Text2=/mnt/server/d/rech; ?File1:setup.exe; "
                   "Text2=$/home/rech/2005; mnuName=a.doc; mnuOrdner; ?Text2=$/home/rech; "
                   "?mnuName=; Text2=/; mnuOrdner; ?Text2=/";
        QTest::newRow("one invoice leaves the count empty")
            << "+home/rech-FA/kunden.doc; +home/rech/a01Kaiser.053; ?File1:a01Kaiser.053; "
               "?mnuDateiZähler=";
        QTest::newRow("typed folder: sub-folders first; one not there keeps the listing")
            << "+a/b.txt; +a/A.doc; +a/2005/; +a/Briefe/; Text2=$/a/; ?FileList1: [~a/2005]| "
               "[~a/Briefe]|A.doc|b.txt; ?+mnuOrdner; ?mnuDateiZähler=2 Dateien; Text2=$/a/Zeit; "
               "?File1:A.doc|b.txt; Text2=$/a/b.txt; ?File1:A.doc|b.txt; Text2=rel; "
               "?File1:A.doc|b.txt; ?mnuDateiZähler=2 Dateien; Text2=$/a/2005; ?File1:; "
               "?mnuDateiZähler=0 Dateien";
        QTest::newRow("profile shorthand; the live filter names folders in full")
            << "+home/Briefe/brief.doc; +home/Briefe/Alt/; Text2=~home/Briefe; "
               "?Text2=$/home/Briefe; ?FileList1: [~home/Briefe/Alt]|brief.doc; Text1=brief; "
               "?FileList1: [$/home/Briefe/Alt]|brief.doc; ?mnuDateiZähler=1 Datei";
        QTest::newRow("live filter as typed; a new listing keeps it")
            << "+a/Angebot-PC.doc; +a/PC-Angebote.doc; +a/Brief.doc; +a/Rechnung.doc; Text2=$/a; "
               "Text1<<Angebot PC#Brief; ?File1:Angebot-PC.doc|Brief.doc; ?mnuDateiZähler=2 "
               "Dateien; ?Label3=Dateisuche: +und #oder -nicht; Text1=Rech; Text2=$/a/; "
               "?File1:Rechnung.doc; ?mnuDateiZähler=1 Datei; ?Label3=® Trellwin";
        QTest::newRow("a click or the documents item lists again")
            << "+home/Documents/a.doc; ?File1:a.doc; +home/Documents/b.doc; mnuEigeneDateien; "
               "?File1:a.doc|b.doc; +home/Documents/c.doc; Text2; ?File1:a.doc|b.doc|c.doc";
        QTest::newRow("Escape clears the status; typing uncovers the text query, blank is +")
            << "+home/Documents/a.doc; File1@0; ?mnuName=a.doc; mnuDatTag; mnuHelp; ?+TextHilfe; "
               "Text1<Esc; ?mnuName=; ?mnuDateiZähler=; ?Label3=® Trellwin; ?-TextHilfe; "
               "?-TextTag; ?+Text5; Text1<Ctrl+V; ?-Text5; Text1<<Brief an; ?Text1=Brief+an; "
               "Text4<<600 MHz; ?Text4=600+MHz; Text4=Brief an; ?Text4=Brief an; Text2=; Text2<<a "
               "b; ?Text2=a b";
        QTest::newRow("date order: button, status line, button")
            << "+a/a.053; +a/b.129; +a/c.042; Text2=$/a; ?File1:a.053|b.129|c.042; CommandSort; "
               "?FileList1:b.129|c.042|a.053; Label3; ?FileList1:a.053|b.129|c.042; CommandSort; "
               "?FileList1:b.129|c.042|a.053";
        QTest::newRow("invoice folder sorts from the third letter, and its search too")
            << "+home/rech/rech Kaiser.053; +home/rech/rech Mueller.129; +home/rech/rech "
               "Schulz.042; +home/Documents/x.txt; Text2=$/home/rech; Text1=re; ?File1:rech "
               "Kaiser.053|rech Mueller.129|rech Schulz.042; Text1=rec; ?FileList1:rech "
               "Mueller.129|rech Schulz.042|rech Kaiser.053; Text1=rech; ?FileList1:rech "
               "Mueller.129|rech Schulz.042|rech Kaiser.053; Command1; ?FileList1:rech "
               "Mueller.129|rech Schulz.042|rech Kaiser.053";
        QTest::newRow("sorted text result keeps its paths in step")
            << "+a/x/Angebot.053=PC; +a/y/Angebot.129=PC; Text2=$/a; Text1=angebot; Text4=pc; "
               "Command1; ?List2:>>>[$/a/x]|Angebot.053|>>>[$/a/y]|Angebot.129; Label3; "
               "?List2:>>>[$/a/x]|>>>[$/a/y]|Angebot.129|Angebot.053";
    }
    void steps() {
        QFETCH(QString, script);
        TestHome home;
        startAndPlay(home, script);
    }
    // The folder from the command line instead of the start folder; the rest follows the machine.
    void startsOnTheFolderGiven() {
        for (const auto& [company, folder, checks] :
             std::initializer_list<std::tuple<bool, QString, QString>>{
                 {false, "", "?Text2=$/home/Documents; ?File1:start.txt"},
                 {false, "b/P", "?Text2=$/b/P; ?File1:plan.odt|zeit.txt; ?Command3=STOP"},
                 {true, "b/P", "?File1:plan.odt|zeit.txt; ?Command3=*Firma...; ?+mnuRechÖffnen"}}) {
            TestHome home(
                {{"home/Documents/start.txt", ""}, {"b/P/zeit.txt", ""}, {"b/P/plan.odt", ""}});
            if (company)
                home.add({{"home/rech-FA/kunden.doc", ""}, {"home/rech/a.053", ""}});
            Form1 form;
            showMainWindow(form, folder.isEmpty() ? QString() : home.path(folder));
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            settle(form);
            play(form, home, checks);
        }
    }
    // The window stands where the rules put it and keeps whole rows of the file list as it is
    // resized, on the screen. The desktop entry has the name the windows give the desktop; the
    // application carries the icon, which every window takes from it.
    void placementRowsAndIcon() {
        QVERIFY(QFile::exists(FINDOLIN_DATA_BUILD_DIR "/" + QGuiApplication::desktopFileName() +
                              ".desktop"));
        QVERIFY(!findolinIcon().availableSizes().isEmpty());
        QCOMPARE(QApplication::windowIcon().availableSizes(), findolinIcon().availableSizes());
        TestHome home;
        const auto form = startForm1();
        const double tpp = twipsPerPixel(form->screen()->logicalDotsPerInchX());
        QCOMPARE(
            QRect(form->pos(), QSize(form->width(), 0)),
            QRect(twipsToPixels(120, tpp), twipsToPixels(120, tpp), twipsToPixels(11500, tpp), 0));
        const int row = form->File1->rowHeight();
        QVERIFY(qAbs(form->height() - twipsToPixels(8205, tpp)) < row); // the start size, snapped
        for (int height : {450, 481, 517, 2000}) {
            form->resize(form->width(), height);
            QTRY_VERIFY(qAbs(form->height() - height) < row || height == 2000);
            QCOMPARE((form->File1->height() - 2 * form->File1->frameWidth()) % row, 0);
            QVERIFY(form->Command1->y() > form->File1->height());
            const int settled = form->height();
            QCoreApplication::processEvents();
            QCOMPARE(form->height(), settled);
        }
        QTRY_VERIFY(form->screen()->availableGeometry().contains(form->frameGeometry()));
    }
    // The help lies over a picture, its widest line fits. A picture's line turns the sort button
    // into "Vollbild": a click on the status line then shows it full screen and sorts nothing.
    void pictureLineAndHelp() {
        TestHome home(Tree{{"home/Documents/b.053", ""}, {"home/Documents/c.txt", "Text"}});
        QVERIFY(findolinIcon().pixmap(20).save(home.path("home/Documents/a.bmp")));
        const auto form =
            startAndPlay(home, "?-TextHilfe; File1@0; ?+Picture1; mnuHelp; ?+TextHilfe");
        const QWidget* hit = form->centralWidget()->childAt(form->TextHilfe->geometry().center());
        QVERIFY(hit == form->TextHilfe || form->TextHilfe->isAncestorOf(hit));
        QCOMPARE(form->TextHilfe->horizontalScrollBar()->maximum(), 0);
        // The help goes with its menu item, a click on it or on the preview, a line chosen.
        play(*form, home,
             "mnuHelp; ?-TextHilfe; mnuHelp; TextHilfe; ?-TextHilfe; File1@2; mnuHelp; "
             "RichTextBox2; ?-TextHilfe; mnuHelp; File1@0; ?-TextHilfe; ?CommandSort=Vollbild; "
             "Label3; ?File1:a.bmp|b.053|c.txt");
        QVERIFY(form->VollbildModus);
    }
    // Over the STOP button a busy pointer keeps an arrow; the mouse elsewhere and the preview take
    // it back. The text query's hint gives way to a click and to the mouse coming over it.
    // Each status text shows whole, and a prompt's words stay clear of its amount field. Closing
    // stops the work still running.
    void pointerHintStatusAndClosing() {
        TestHome home;
        const auto form = startForm1();
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(form->Command3, &enter);
        QCOMPARE(form->mousePointer(), MousePointer::Default);
        form->setMousePointer(MousePointer::Hourglass);
        QCOMPARE(form->cursor().shape(), Qt::WaitCursor);
        QCoreApplication::sendEvent(form->Command3, &enter);
        QVERIFY(form->mousePointer() == MousePointer::ArrowHourglass &&
                form->cursor().shape() == Qt::BusyCursor);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, {}, {});
        QCoreApplication::sendEvent(form->centralWidget(), &move);
        QCOMPARE(form->mousePointer(), MousePointer::Hourglass);
        form->setMousePointer(MousePointer::ArrowHourglass);
        QCoreApplication::sendEvent(form->RichTextBox2->viewport(), &enter);
        QCOMPARE(form->mousePointer(), MousePointer::Hourglass);
        play(*form, home, "Text5; ?-Text5");
        QCOMPARE(QApplication::focusWidget(), form->Text4);
        const auto other = startForm1();
        QCoreApplication::sendEvent(other->Text5, &enter);
        QVERIFY(!other->Text5->isVisible());
        QLabel* status = form->Label3;
        const QFontMetrics metrics = status->fontMetrics();
        for (const QString step : {"Text1=a", "Text4=a", "mnuDatStd", "mnuDatTag", "mnuDatMon"}) {
            play(*form, home, step);
            const QString text = status->text();
            QVERIFY2(metrics.horizontalAdvance(text) <= status->contentsRect().width(),
                     qPrintable(text));
            if (!step.startsWith(u"mnu"))
                continue;
            const auto* field = form->findChild<QLineEdit*>("Text" + step.mid(6));
            QVERIFY(field->isVisible());
            const qsizetype firstEnd = text.indexOf(u"innerhalb") + 9;
            const qsizetype second = text.indexOf(QRegularExpression("\\S"), firstEnd);
            QVERIFY(status->x() + metrics.horizontalAdvance(text.left(firstEnd)) <= field->x());
            QVERIFY(field->geometry().right() <
                    status->x() + metrics.horizontalAdvance(text.left(second)));
            QVERIFY(field->fontMetrics().horizontalAdvance(field->text()) < field->width());
        }
        std::atomic<bool> sawStop = false;
        form->startWork([&](SearchEngine::Job& job) {
            while (!job.stopped())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            sawStop = true;
        });
        QVERIFY(form->engine().busy());
        form->close();
        QVERIFY(!form->engine().busy());
        QTRY_VERIFY(sawStop);
    }
    // A listing's scroll range ends at its widest line; an empty one has none. A keystroke that
    // arrives while a folder is still being read wins: the older listing writes nothing, and a
    // name typed right after the folder filters that folder.
    void scrollWidthAndNewestListing() {
        const QString longName = QString(120, u'W') + ".txt";
        TestHome home(Tree{
            {"a/" + longName, ""}, {"a/kurz.txt", ""}, {"a/unter/", ""}, {"klein/nur.txt", ""}});
        for (int i = 0; i < 600; ++i)
            home.file(QStringLiteral("gross/datei%1.txt").arg(i));
        const auto form = startAndPlay(home, "Text2=$/a");
        QVERIFY(form->FileList1->scrollWidth() >=
                form->FileList1->fontMetrics().horizontalAdvance(longName));
        play(*form, home, "Text2=$/a/unter");
        QCOMPARE(form->File1->scrollWidth(), 0);
        QSignalSpy listings(form->File1->model(), &QAbstractItemModel::modelReset);
        form->Text2->setText(home.path("gross"));
        form->Text2->setText(home.path("klein"));
        play(*form, home, "?Text2=$/klein; ?File1:nur.txt; ?mnuDateiZähler=1 Datei");
        QCOMPARE(listings.count(), 1);
        form->Text2->setText(home.path("gross"));
        play(*form, home, "Text1=datei599; ?File1:datei599.txt");
    }

    // The list under every list of the window. Each line alone gives its own width; the list's is
    // the largest of them, whatever the letters: narrow ones outnumbering wide ones, kerning pairs,
    // umlauts and emoji, headers.
    void listBoxScrollWidthIsThatOfTheWidestLine() {
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
                const int advance = list.fontMetrics().horizontalAdvance(line);
                // the row's margins, nothing more
                QVERIFY(single.scrollWidth() >= advance && single.scrollWidth() <= advance + 16);
            }
            QCOMPARE(list.scrollWidth(), widest);
            QTRY_COMPARE(list.horizontalScrollBar()->maximum(),
                         std::max(0, widest - list.viewport()->width()));
        }
    }

    // Whatever the gesture, the line left selected is chosen, once: a drag, a click, a click on
    // the selected line, a drag back to where it began. The button goes down on the first row of
    // the path and up on the last.
    void listBoxMouseChoosesTheLineItLeavesSelected() {
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
            QCOMPARE(QList<int>({list.currentRow(), int(chosen.count()),
                                 chosen.value(0).value(0).toInt()}),
                     QList<int>({path.last(), 1, path.last()}));
        }
    }
};

QTEST_MAIN(TestForm1Startup)
#include "test_form1_startup.moc"
