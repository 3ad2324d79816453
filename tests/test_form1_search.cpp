#include "form1_fixture.h"
#include "platform/native_names.h"
#include "scripted_dialogs.h"

#include <fcntl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(BlockingScan::Heeding)

using namespace findolin;

// The name and the text search as a user starts them: which list they fill and with what, what
// the window says and asks, and how a search stops or gives way to a newer one. The rules of the
// query language and of the walk are the core suites'; each is wired in here once.
class TestForm1Search : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void steps_data() {
        QTest::addColumn<QString>("script"); // see play(); after " => " the window's messages
        QTest::newRow("walk: headers, starts-with, Enter")
            << "+a/Angebot-PC.doc; +a/b/PC-Angebote.doc; +a/b/Computerangebot.txt; +a/b/Angebot PC "
               "gebraucht.doc; +a/c/nichts.txt; Text2=$/a; "
               "Text1=Angebot+PC#Angebot+Computer-gebraucht; Command1; "
               "?List1:>>>[$/a]|Angebot-PC.doc|>>>[$/a/b]|Computerangebot.txt|PC-Angebote.doc; "
               "?mnuDateiZähler=3 Dateien; ?mnuName=; ?Label3=® Trellwin; ?-mnuOrdner; "
               "?-CommandSort; Text1=angebot; Command2; "
               "?List1:>>>[$/a]|Angebot-PC.doc|>>>[$/a/b]|Angebot PC gebraucht.doc; Text1<Return; "
               "?List1:>>>[$/a]|Angebot-PC.doc|>>>[$/a/b]|Angebot PC "
               "gebraucht.doc|Computerangebot.txt|PC-Angebote.doc; ?mnuDateiZähler=4 Dateien";
        const QString letters = "+a/Brief 2003.doc; +a/Brief 2003 alt.doc; +a/Brief 2004.doc; "
                                "+a/Angebot.doc; Text2=$/a; ";
        QTest::newRow("one folder: the file list, the sort button on a company machine")
            << "+home/rech-FA/kunde.doc; " + letters +
                   "Text1=Brief; Command1; ?File1:Brief 2003 alt.doc|Brief 2003.doc|Brief "
                   "2004.doc; ?mnuDateiZähler=3 Dateien; ?CommandSort=nach Datum sortieren; "
                   "?+CommandSort";
        QTest::newRow("one folder: refined; one hit leaves the count empty")
            << letters + "Text1=Brief+2003; Command1; ?FileList1:Brief 2003 alt.doc|Brief "
                         "2003.doc; ?mnuDateiZähler=2 Dateien; Text1=Brief+2003-alt; Command1; "
                         "?FileList1:Brief 2003.doc; ?mnuDateiZähler=; ?-CommandSort";
        QTest::newRow("empty queries ask; the company button walks the company folder")
            << "+home/rech-FA/Kunde Angebot.doc; +home/rech-FA/2003/Angebot alt.doc; "
               "+home/rech-FA/Brief.doc; Text2=$/home/rech-FA; Command1; Command3; ?-List1; "
               "Text1=angebot; Command3; ?List1:>>>[$/home/rech-FA]|Kunde "
               "Angebot.doc|>>>[$/home/rech-FA/2003]|Angebot alt.doc; ?Label3=® Trellwin => "
               "Dateinamen eingeben!|Dateinamen eingeben!";
        QTest::newRow("text walk keeps the folders with hits")
            << "+a/a/eins.txt=nichts; +a/b/zwei.txt=Angebot 600 MHz; +a/b/drei.txt=Angebot 733 "
               "mhz; +a/b/vier.txt=Rechnung; +a/c/fuenf.txt=auch nichts; Text2=$/a; Text1=txt; "
               "Text4=600+MHz#733; Command1; ?List2:>>>[$/a/b]|drei.txt|zwei.txt; "
               "?mnuDateiZähler=2 Dateien; ?Label3=® Trellwin; ?mnuName=; Text4=Zeppelin; "
               "Command1; ?List2:; ?mnuDateiZähler=0 Dateien";
        QTest::newRow("text in one folder: bare names, refined, NOT alone, cleared")
            << "+a/Brief 2003.txt=Umzug nach Köln; +a/Brief 2004.txt=UMZUG nach Bonn; "
               "+a/Brief-Notiz.txt=kein umzug; +a/Brief.txt=Einwort; Text2=$/a; Text1=Brief; "
               "Text4=umzug+köln#BONN; Command1; ?List2:Brief 2003.txt|Brief 2004.txt; "
               "Text1=Brief+2004; Command1; ?List2:Brief 2004.txt; ?mnuDateiZähler=1 Datei; "
               "Text1=Brief; Text4=-köln; Command1; ?Text4=-köln; ?List2:Brief "
               "2004.txt|Brief-Notiz.txt; Text4=; ?File1:Brief 2003.txt|Brief "
               "2004.txt|Brief-Notiz.txt|Brief.txt; ?mnuDateiZähler=4 Dateien";
        QTest::newRow("names like the window's own lines are files")
            << "+a/a>>>b.txt=Angebot; +a/a>>>nichts.txt=nichts; +a/q>>>r/x.txt=Angebot; +a/ "
               "[oben].txt=Angebot oben; Text2=$/a; Text4=angebot; Command1; ?List2:>>>[$/a]| "
               "[oben].txt|a>>>b.txt|>>>[$/a/q>>>r]|x.txt; List2@2; ?RichTextBox2=Angebot; "
               "mnuDateiLöschen; ?List2:>>>[$/a]| [oben].txt|>>>[$/a/q>>>r]|x.txt; Text4=; "
               "Text2=$/a/; FileList1@1; ?Text2=$/a/; ?RichTextBox2=Angebot oben";
        QString pictures =
            "+a/foto.JPG=Angebot; +a/logo.gif.bak=Angebot; +a/brief.doc=Angebot; +a/leer.txt; ";
        for (int i = 0; i < 70; ++i) // more in a row than the readers run ahead
            pictures += QStringLiteral("+a/foto%1.jpg=Angebot; ").arg(i);
        QTest::newRow("pictures are passed over; a last empty group lets the rest pass")
            << pictures + "Text2=$/a; Text4=angebot; Command1; ?List2:brief.doc; Text4=Zeppelin#; "
                          "Command1; ?List2:brief.doc|leer.txt";
    }
    void steps() {
        QFETCH(QString, script);
        TestHome home;
        ScriptedDialogs dialogs;
        dialogs.answers = {Answer::Yes};
        startAndPlay(home, script.section(" => ", 0, 0), &dialogs);
        QCOMPARE(dialogs.messages.filter(u"!").join(u'|'), script.section(" => ", 1));
    }
    void stopDuringWalk_data() {
        QTest::addColumn<BlockingScan::Heeding>("heeding");
        QTest::addColumn<QString>("step"); // while the walk waits for the folder
        QTest::addColumn<QString>("then"); // %1: the lines written before the step
        using enum BlockingScan::Heeding;
        const QString again = "?List1:%1; ?mnuDateiZähler=; Command1; ?mnuDateiZähler=40 Dateien";
        QTest::newRow("Escape, a slow folder") << Stop << "List1<Esc" << again;
        QTest::newRow("Escape, a folder stuck for good") << Nothing << "List1<Esc" << again;
        QTest::newRow("STOP, a folder stuck for good: the captions stay")
            << Nothing << "Command3"
            << "?List1:%1; Command1; ?mnuDateiZähler=40 Dateien";
        QTest::newRow("a newer search takes over")
            << Nothing << "Text2=$/b; Command1"
            << "?List1:>>>[$/b/x]|treffer.txt|>>>[$/b/y]|treffer.doc; ?mnuDateiZähler=2 Dateien; "
               "?Label3=® Trellwin";
        QTest::newRow("goes on") << Stop << ""
                                 << "?mnuDateiZähler=40 Dateien";
    }
    // A stop or a newer search ends the walk at once, also while a folder does not answer; the
    // lines written so far stay, nothing of the stopped walk comes later. A key typed meanwhile
    // does not make the Enter that started it start it again.
    void stopDuringWalk() {
        QFETCH(BlockingScan::Heeding, heeding);
        QFETCH(QString, step);
        QFETCH(QString, then);
        TestHome home(Tree{{"b/x/treffer.txt", ""}, {"b/y/treffer.doc", ""}});
        for (int folder = 0; folder < 40; ++folder)
            home.file(QStringLiteral("a/%1/treffer.txt").arg(folder, 2, 10, QChar(u'0')));
        BlockingScan blocked(home.path("a/20"), heeding);
        Surroundings surroundings;
        surroundings.scanFolder = blocked.scanner();
        const auto form = startAndPlay(home, "Text2=$/a; Text1=treffer", surroundings);
        QSignalSpy searches(form->List1->model(), &QAbstractItemModel::modelReset);
        QTest::keyClick(form->Text1, Qt::Key_Return);
        QTRY_VERIFY(blocked.reached());
        if (heeding == BlockingScan::Heeding::Stop) // it hands over what was found before it
            QTRY_COMPARE(form->List1->count(), 40);
        const QString before = form->List1->lines().join(u'|');
        QTest::keyClick(form->List1, Qt::Key_X);
        play(*form, home, step);
        QVERIFY(step.isEmpty() || form->mousePointer() == MousePointer::Default);
        QSignalSpy later(form->List1->model(), &QAbstractItemModel::rowsInserted);
        blocked.release();
        QVERIFY(step.isEmpty() ? QTest::qWaitFor([&] { return !form->engine().busy(); })
                               : !later.wait(100));
        QCOMPARE(searches.count(), 1 + step.contains(u"Command1"));
        play(*form, home, QString(then).replace("%1", before));
    }
    // The filter holds for one search, also with both queries empty; typing an amount arms it
    // again, Escape puts it away. Its rule is test_folder_walk's.
    void dateFilter() {
        TestHome home(Tree{{"a/u/neu2.txt", ""}});
        for (const auto& [file, age] :
             {std::pair{"a/neu.txt", 1}, {"a/alt.txt", 5}, {"b/neu.txt", 0}, {"b/alt.txt", 400}}) {
            QFile out(home.file(file));
            QVERIFY(out.open(QIODevice::ReadWrite) &&
                    out.setFileTime(QDateTime::currentDateTime().addDays(-age).addSecs(-60),
                                    QFileDevice::FileModificationTime));
        }
        // Armed for one search, again by an amount typed; put away by Escape: then it asks.
        ScriptedDialogs dialogs;
        startAndPlay(
            home,
            "Text2=$/a; mnuDatTag; ?TextTag=3; ?+TextTag; ?-TextStd; Command1; "
            "?List1:>>>[$/a]|neu.txt|>>>[$/a/u]|neu2.txt; Command1; TextTag=4; Command1; "
            "?List1:>>>[$/a]|neu.txt|>>>[$/a/u]|neu2.txt; TextTag<Esc; ?-TextTag; Command1; "
            // without sub-folders the hits are bare names, with their paths
            "Text2=$/b; Text1=txt; mnuDatMon; ?+TextMon; ?-TextTag; Command1; ?List1:neu.txt; "
            "?mnuDateiZähler=1 Datei",
            &dialogs);
        QCOMPARE(dialogs.messages, QStringList(2, "Dateinamen eingeben!"));
    }
    // A folder and a file named in Latin-1, not UTF-8: found, shown with replacement characters,
    // previewed, renamed and deleted by their own bytes.
    void namesThatAreNotUtf8AreFiles() {
        TestHome home(Tree{{"a/", ""}});
        const QByteArray folder = QFile::encodeName(home.path("a")) + "/alt\xe9";
        const QByteArray name = QByteArray("Gr\xfc\xdf") + 'e';
        QVERIFY(::mkdir(folder, 0700) == 0);
        const int fd = ::open(folder + "/" + name + ".txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(::write(fd, "Angebot", 7) == 7 && ::close(fd) == 0); // a bad fd fails both
        ScriptedDialogs dialogs;
        dialogs.inputs << nameFromBytes(name + "-neu.txt");
        dialogs.answers << Answer::Yes;
        const QString shown = "Gr" + QString(2, QChar::ReplacementCharacter) + "e.txt";
        const auto form =
            startAndPlay(home,
                         "Text2=$/a; Text4=angebot; Command1; ?List2:>>>[" + nameFromBytes(folder) +
                             "]|" + nameFromBytes(name + ".txt") +
                             "; List2@1; ?RichTextBox2=Angebot; ?mnuName=" + shown,
                         &dialogs);
        QCOMPARE(form->List2->model()->index(1, 0).data().toString(), shown);
        play(*form, home, "mnuDateiUmbenennen");
        QCOMPARE(::access(folder + "/" + name + "-neu.txt", F_OK), 0);
        play(*form, home, "mnuDateiLöschen");
        QCOMPARE(::rmdir(folder), 0); // empty: the rename made no second file, the delete took it
        removeTreeAt(AT_FDCWD, QFile::encodeName(home.path("home/.local"))); // the Trash
        QCOMPARE(dialogs.messages.filter(u"!"), QStringList());
    }
    // Escape while a large file is being read ends the search at once; the hits so far stay.
    void escapeWhileReadingAHugeFile() {
        TestHome home;
        for (int i = 0; i < 60; ++i)
            home.file(QStringLiteral("a/%1/brief.txt").arg(i, 2, 10, QChar(u'0')),
                      i == 30 ? "" : "Angebot");
        // sparse: four gigabytes of nothing, slow to read
        QVERIFY(QFile::resize(home.path("a/30/brief.txt"), qint64(4) << 30));
        const auto form = startAndPlay(home, "Text2=$/a; Text1=brief; Command1; Text4=angebot");
        form->Command1->click(); // the hits before the large file come, with their headers
        QTRY_COMPARE(form->List2->count(), 60);
        const QString before = form->List2->lines().join(u'|');
        QSignalSpy later(form->List2->model(), &QAbstractItemModel::rowsInserted);
        QTest::keyClick(form->Text4, Qt::Key_Escape);
        QVERIFY(!form->engine().busy());
        play(*form, home, "?List2:" + before + "; ?mnuName=; ?mnuDateiZähler=");
        QVERIFY(form->mousePointer() == MousePointer::Default && !later.wait(100));
    }
};

QTEST_MAIN(TestForm1Search)
#include "test_form1_search.moc"
