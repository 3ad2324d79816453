#include "form1_fixture.h"
#include "platform/list_box.h"
#include "scripted_dialogs.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

Q_DECLARE_METATYPE(BlockingScan::Heeding)

using namespace findolin;

class TestForm1Search : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void walkWritesHeadersAndPaths();
    void startsWithButton();
    void singleFolderWithoutRefinement();
    void singleFolderWithRefinement();
    void emptyQueriesAsk();
    void escapeDuringWalkKeepsWhatWasWritten_data();
    void escapeDuringWalkKeepsWhatWasWritten();
    void onePressStartsOneSearch_data();
    void onePressStartsOneSearch();
    void walkAndSingleFolderAgree_data();
    void walkAndSingleFolderAgree();
    void newerSearchOvertakesRunningOne();
    void dateFilterThroughTheMenu();
    void dateFilteredSingleFolderListsBareNames();
    void companyButtonInBothRoles();
    void shortcutsAndParentFolder();
};

namespace {

QString header(const QString& folder) {
    return ">>>[" + folder + "]";
}

// Sets the query fields without the live filter running, as if typed before.
void setQueries(Form1& form, const QString& folder, const QString& name) {
    form.Text2->setText(folder);
    form.Text1->setText(name);
    settle(form);
}

// The file names of the shown result, without header lines, in name order.
QStringList shownNames(const Form1& form) {
    QStringList names;
    for (const ListBox* list :
         std::initializer_list<const ListBox*>{form.File1, form.FileList1, form.List1}) {
        if (list->isVisible())
            names = list->lines();
    }
    names.removeIf([](const QString& line) { return line.startsWith(u">>>"); });
    names.sort();
    return names;
}

// A window about to walk forty folders with one hit each, whose walk stops at the twentieth
// folder until `blocked` lets it go.
std::unique_ptr<Form1> startWalkOfFortyFolders(const TestHome& home, const BlockingScan& blocked) {
    for (int folder = 0; folder < 40; ++folder)
        home.file(QStringLiteral("akten/%1/treffer.txt").arg(folder, 2, 10, QChar(u'0')));
    Surroundings surroundings;
    surroundings.scanFolder = blocked.scanner();
    auto form = startForm1(surroundings);
    setQueries(*form, home.path("akten"), "treffer");
    return form;
}

QString blockedFolder(const TestHome& home) {
    return home.path("akten/20");
}

void setModified(const QString& path, const QDateTime& time) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

void TestForm1Search::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestForm1Search::walkWritesHeadersAndPaths() {
    TestHome home;
    home.file("akten/Angebot-PC.doc");
    home.file("akten/b/PC-Angebote.doc");
    home.file("akten/b/Computerangebot.txt");
    home.file("akten/b/Angebot PC gebraucht.doc");
    home.file("akten/c/nichts.txt");
    const auto form = startForm1();
    setQueries(*form, home.path("akten"), "Angebot+PC#Angebot+Computer-gebraucht");

    form->Command1->click();
    settle(*form);
    QVERIFY(form->List1->isVisible());
    QVERIFY(!form->FileList1->isVisible());
    QVERIFY(!form->mnuOrdner->isVisible());
    QCOMPARE(form->List1->lines(),
             (QStringList{header(home.path("akten")), "Angebot-PC.doc",
                          header(home.path("akten/b")), "Computerangebot.txt", "PC-Angebote.doc"}));
    QCOMPARE(form->List1->paths(),
             (QStringList{header(home.path("akten")), home.path("akten/Angebot-PC.doc"),
                          header(home.path("akten/b")), home.path("akten/b/Computerangebot.txt"),
                          home.path("akten/b/PC-Angebote.doc")}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("3 Dateien"));
    QCOMPARE(form->mnuName->text(), QString());
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));
    QCOMPARE(form->mousePointer(), MousePointer::Default);
    QVERIFY(form->Abfrage == ParsedQuery{});
    QVERIFY(form->Label1.isEmpty());
    QVERIFY(!form->CommandSort->isVisible());

    // Enter searches the same way.
    form->List1->clear();
    QTest::keyClick(form->Text1, Qt::Key_Return);
    settle(*form);
    QCOMPARE(form->List1->count(), 5);
}

void TestForm1Search::startsWithButton() {
    TestHome home;
    home.file("akten/Angebot-PC.doc");
    home.file("akten/PC-Angebote.doc");
    home.folder("akten/leer");
    const auto form = startForm1();
    setQueries(*form, home.path("akten"), "Angebot");
    form->Command2->click();
    settle(*form);
    QCOMPARE(form->SuchModus, NameMatch::StartsWith);
    QCOMPARE(form->List1->lines(), (QStringList{header(home.path("akten")), "Angebot-PC.doc"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
}

void TestForm1Search::singleFolderWithoutRefinement() {
    TestHome home;
    home.file("home/rech-FA/kunde.doc"); // offers the sort button after the search
    home.file("akten/Brief 2003.doc");
    home.file("akten/Brief 2004.doc");
    home.file("akten/Angebot.doc");
    const auto form = startForm1();
    setQueries(*form, home.path("akten"), "Brief");
    form->Command1->click();
    settle(*form);
    QVERIFY(form->File1->isVisible());
    QVERIFY(!form->FileList1->isVisible());
    QVERIFY(!form->Verfeinert);
    QCOMPARE(form->File1->pattern(), QStringLiteral("*Brief*"));
    QCOMPARE(form->File1->lines(), (QStringList{"Brief 2003.doc", "Brief 2004.doc"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));
    QVERIFY(form->CommandSort->isVisible());
    QCOMPARE(form->CommandSort->text(), QStringLiteral("nach Datum sortieren"));
}

void TestForm1Search::singleFolderWithRefinement() {
    TestHome home;
    home.file("akten/Brief 2003.doc");
    home.file("akten/Brief 2003 alt.doc");
    home.file("akten/Brief 2004.doc");
    const auto form = startForm1();
    setQueries(*form, home.path("akten"), "Brief+2003");
    form->Command1->click();
    settle(*form);
    QVERIFY(form->FileList1->isVisible());
    QVERIFY(!form->File1->isVisible());
    QVERIFY(form->Verfeinert);
    QCOMPARE(form->FileList1->lines(), (QStringList{"Brief 2003 alt.doc", "Brief 2003.doc"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));

    // With exactly one match the caption stays empty.
    form->Text1->setText("Brief+2003-alt");
    settle(*form);
    form->Command1->click();
    settle(*form);
    QCOMPARE(form->FileList1->lines(), QStringList{"Brief 2003.doc"});
    QCOMPARE(form->mnuDateiZähler->text(), QString());
    QVERIFY(form->Abfrage == ParsedQuery{});
    // No sort button on a machine without the company folder.
    QVERIFY(!form->CommandSort->isVisible());
}

void TestForm1Search::emptyQueriesAsk() {
    TestHome home;
    home.file("akten/a.doc");
    home.folder("akten/unter");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    setQueries(*form, home.path("akten"), "");
    form->Command1->click();
    settle(*form);
    QCOMPARE(dialogs.messages, QStringList{"Dateinamen eingeben!"});
    QCOMPARE(dialogs.titles, QStringList{"Findolin"});
    QVERIFY(!form->List1->isVisible());
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));
}

// Escape ends the walk at once, also while it waits for a folder that does not answer, and the
// lines written before stay.
void TestForm1Search::escapeDuringWalkKeepsWhatWasWritten_data() {
    QTest::addColumn<BlockingScan::Heeding>("heeding");
    QTest::newRow("a slow folder") << BlockingScan::Heeding::Stop;
    QTest::newRow("a folder stuck for good") << BlockingScan::Heeding::Nothing;
}

void TestForm1Search::escapeDuringWalkKeepsWhatWasWritten() {
    QFETCH(BlockingScan::Heeding, heeding);
    TestHome home;
    BlockingScan blocked(blockedFolder(home), heeding);
    const auto form = startWalkOfFortyFolders(home, blocked);
    form->Command1->click();
    QTRY_VERIFY(blocked.reached());
    if (heeding == BlockingScan::Heeding::Stop) // it hands over what was found before it
        QTRY_COMPARE(form->List1->count(), 40);
    const int lines = form->List1->count();

    // The window answers while the walk waits; Escape ends the search there and then.
    QVERIFY(form->engine().busy());
    QTest::keyClick(form->Text1, Qt::Key_Escape);
    QVERIFY(!form->engine().busy());
    QVERIFY(form->Abbruch);
    QCOMPARE(form->List1->count(), lines);
    QCOMPARE(form->List1->paths().size(), lines);
    for (int i = 0; i < lines; i += 2) {
        QVERIFY(form->List1->line(i).startsWith(u">>>["));
        QCOMPARE(form->List1->paths()[i + 1],
                 QStringView(form->List1->paths()[i]).mid(4).chopped(1).toString() +
                     "/treffer.txt");
    }
    QCOMPARE(form->mousePointer(), MousePointer::Default);
    QCOMPARE(form->mnuDateiZähler->text(), QString()); // as Escape left it
    QVERIFY(form->Abfrage == ParsedQuery{});
    QVERIFY(form->Label1.isEmpty());

    // Nothing of the stopped walk comes later, not even once the folder answers.
    blocked.release();
    QTest::qWait(50);
    QCOMPARE(form->List1->count(), lines);

    // The next search starts afresh and runs to the end.
    form->Command1->click();
    settle(*form);
    QVERIFY(!form->Abbruch);
    QCOMPARE(form->List1->count(), 80);
}

// Enter in a query field starts one search; keys typed while it runs (Escape among them) must
// not make the same Enter start it again when it travels on to the window.
void TestForm1Search::onePressStartsOneSearch_data() {
    QTest::addColumn<int>("keyDuringSearch");
    QTest::newRow("Escape stops it for good") << int(Qt::Key_Escape);
    QTest::newRow("another key leaves it alone") << int(Qt::Key_X);
}

void TestForm1Search::onePressStartsOneSearch() {
    QFETCH(int, keyDuringSearch);
    TestHome home;
    BlockingScan blocked(blockedFolder(home), BlockingScan::Heeding::Stop);
    const auto form = startWalkOfFortyFolders(home, blocked);
    QSignalSpy searches(form->List1->model(), &QAbstractItemModel::modelReset);
    QTest::keyClick(form->Text1, Qt::Key_Return);
    QTRY_VERIFY(blocked.reached());
    QTest::keyClick(form->List1, Qt::Key(keyDuringSearch));
    blocked.release();
    settle(*form);

    QCOMPARE(searches.count(), 1);
    if (keyDuringSearch == Qt::Key_Escape) {
        QVERIFY(form->Abbruch);
        QVERIFY(form->List1->count() < 80);
        QCOMPARE(form->mnuDateiZähler->text(), QString()); // as Escape left it
    } else {
        QCOMPARE(form->List1->count(), 80);
        QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("40 Dateien"));
    }
}

// The same files give the same hits whether their folder has sub-folders (the walk) or not (the
// file list and its refinement); "?" is a wildcard in a leading text on both ways.
void TestForm1Search::walkAndSingleFolderAgree_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("? in a plain query") << "a?c" << QStringList{"abc.txt", "wa?c.txt", "x abc.txt"};
    QTest::newRow("? between words")
        << "Rech?2003" << QStringList{"Rech 2003 Mai.doc", "Rech_2003.doc"};
    QTest::newRow("? with a further term") << "Rech?2003+Mai" << QStringList{"Rech 2003 Mai.doc"};
    QTest::newRow("* keeps the order") << "Rech*2003+Mai" << QStringList{"Rech 2003 Mai.doc"};
    QTest::newRow("wildcards alone") << "**+neu" << QStringList{"alt neu.txt", "neu.txt"};
    QTest::newRow("NOT") << "Rech-Mai" << QStringList{"Rech2003.doc", "Rech_2003.doc"};
    QTest::newRow("OR") << "neu#Mai"
                        << QStringList{"2003 Rech Mai.doc", "Rech 2003 Mai.doc", "alt neu.txt",
                                       "neu.txt"};
}

void TestForm1Search::walkAndSingleFolderAgree() {
    QFETCH(QString, query);
    QFETCH(QStringList, names);
    TestHome home;
    for (const char* name : {"abc.txt", "x abc.txt", "wa?c.txt", "Rech_2003.doc", "Rech2003.doc",
                             "Rech 2003 Mai.doc", "2003 Rech Mai.doc", "neu.txt", "alt neu.txt"}) {
        home.file(QStringLiteral("flach/") + name);
        home.file(QStringLiteral("baum/") + name);
    }
    home.folder("baum/leer");
    const auto form = startForm1();
    for (const char* folder : {"flach", "baum"}) {
        setQueries(*form, home.path(folder), query);
        form->Command1->click();
        settle(*form);
        QCOMPARE(form->List1->isVisible(), QByteArray(folder) == "baum");
        QCOMPARE(shownNames(*form), names);
    }
}

// A search started while another waits for a folder takes the window over; the older one
// writes nothing, not even when its folder answers at last.
void TestForm1Search::newerSearchOvertakesRunningOne() {
    TestHome home;
    for (int folder = 0; folder < 40; ++folder)
        home.file(QStringLiteral("alt/%1/brief.txt").arg(folder));
    home.file("neu/x/angebot.txt");
    home.file("neu/y/angebot.doc");
    BlockingScan blocked(home.path("alt/5"), BlockingScan::Heeding::Nothing);
    Surroundings surroundings;
    surroundings.scanFolder = blocked.scanner();
    const auto form = startForm1(surroundings);
    setQueries(*form, home.path("alt"), "brief");
    form->Command1->click();
    QTRY_VERIFY(blocked.reached());

    setQueries(*form, home.path("neu"), "angebot");
    form->Command1->click();
    settle(*form);
    blocked.release();
    QTest::qWait(50);

    QCOMPARE(form->List1->lines(), (QStringList{header(home.path("neu/x")), "angebot.txt",
                                                header(home.path("neu/y")), "angebot.doc"}));
    QCOMPARE(form->List1->paths().size(), 4);
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));
    QCOMPARE(form->mousePointer(), MousePointer::Default);
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));
}

void TestForm1Search::dateFilterThroughTheMenu() {
    TestHome home;
    const QDateTime now = QDateTime::currentDateTime();
    setModified(home.file("akten/neu.txt"), now.addDays(-1));
    setModified(home.file("akten/alt.txt"), now.addDays(-5));
    setModified(home.file("akten/u/neu2.txt"), now.addSecs(-3600));
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);

    form->mnuDatTag->trigger();
    settle(*form);
    QCOMPARE(form->Label3->text(), QStringLiteral("innerhalb              Tage   "));
    QCOMPARE(form->TextTag->text(), QStringLiteral("3"));
    QCOMPARE(form->TextStd->text(), QStringLiteral("0"));
    QCOMPARE(form->TextMon->text(), QStringLiteral("0"));
    QVERIFY(form->TextTag->isVisible());
    QVERIFY(!form->TextStd->isVisible() && !form->TextMon->isVisible());
    QVERIFY(form->DatumsFilter);

    // Both query fields empty: allowed with the filter, every recent file is listed.
    form->Command1->click();
    settle(*form);
    QCOMPARE(form->List1->lines(), (QStringList{header(home.path("akten")), "neu.txt",
                                                header(home.path("akten/u")), "neu2.txt"}));
    QVERIFY(!form->DatumsFilter); // one search only
    QVERIFY(form->TextTag->isVisible());

    // Typing into a field arms it again; Escape disarms and hides the fields.
    form->TextStd->setText("2");
    QVERIFY(form->DatumsFilter);
    QTest::keyClick(form->TextStd, Qt::Key_Escape);
    QVERIFY(!form->DatumsFilter);
    QVERIFY(!form->TextTag->isVisible());

    form->mnuDatStd->trigger();
    settle(*form);
    QCOMPARE(form->Label3->text(), QStringLiteral("  innerhalb              Stunden"));
    form->mnuDatMon->trigger();
    settle(*form);
    QCOMPARE(form->Label3->text(), QStringLiteral("innerhalb               Monate"));
    QVERIFY(form->TextMon->isVisible() && !form->TextStd->isVisible());
}

void TestForm1Search::dateFilteredSingleFolderListsBareNames() {
    TestHome home;
    const QDateTime now = QDateTime::currentDateTime();
    setModified(home.file("akten/neu.txt"), now.addSecs(-60));
    setModified(home.file("akten/alt.txt"), now.addDays(-400));
    const auto form = startForm1();
    setQueries(*form, home.path("akten"), "txt");
    form->mnuDatMon->trigger();
    settle(*form);
    form->Command1->click();
    settle(*form);
    QVERIFY(form->List1->isVisible());
    QCOMPARE(form->List1->lines(), QStringList{"neu.txt"});
    QCOMPARE(form->List1->paths(), QStringList{home.path("akten/neu.txt")});
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
}

void TestForm1Search::companyButtonInBothRoles() {
    {
        TestHome home;
        const auto form = startForm1();
        form->Abbruch = false;
        form->Command3->click(); // "STOP": only raises the stop request
        settle(*form);
        QVERIFY(form->Abbruch);
    }
    TestHome home;
    home.file("home/rech-FA/Kunde Angebot.doc");
    home.file("home/rech-FA/2003/Angebot alt.doc");
    home.file("home/rech-FA/Brief.doc");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->Command3->click();
    settle(*form);
    QCOMPARE(dialogs.messages, QStringList{"Dateinamen eingeben!"});

    form->Text1->setText("angebot");
    settle(*form);
    form->Command3->click();
    settle(*form);
    QCOMPARE(form->List1->lines(),
             (QStringList{header(home.home("rech-FA")), "Kunde Angebot.doc",
                          header(home.home("rech-FA/2003")), "Angebot alt.doc"}));
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));
}

void TestForm1Search::shortcutsAndParentFolder() {
    TestHome home;
    home.file("home/rech-FA/kunde.doc");
    home.file("home/rech/2005/a.doc");
    home.file("home/Software+Treiber/setup.exe");
    const auto form = startForm1();

    form->mnuRechÖffnen->trigger();
    settle(*form);
    QCOMPARE(form->Text2->text(), home.home("rech"));
    QCOMPARE(form->FileList1->lines(), QStringList{" [~home/rech/2005]"});
    form->SoftwareÖffnen->trigger();
    settle(*form);
    QCOMPARE(form->File1->lines(), QStringList{"setup.exe"});
    form->mnuRechNetzÖffnen->trigger(); // not there: the listing stays
    settle(*form);
    QCOMPARE(form->Text2->text(), QStringLiteral("/mnt/server/d/rech"));
    QCOMPARE(form->File1->lines(), QStringList{"setup.exe"});

    form->Text2->setText(home.home("rech/2005"));
    settle(*form);
    form->mnuName->setText("a.doc");
    form->mnuOrdner->trigger();
    settle(*form);
    QCOMPARE(form->Text2->text(), home.home("rech"));
    QCOMPARE(form->mnuName->text(), QString());

    form->Text2->setText("/");
    settle(*form);
    form->mnuOrdner->trigger();
    settle(*form);
    QCOMPARE(form->Text2->text(), QStringLiteral("/"));
}

QTEST_MAIN(TestForm1Search)
#include "test_form1_search.moc"
