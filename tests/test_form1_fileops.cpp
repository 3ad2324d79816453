#include "fake_office.h"
#include "form1_fixture.h"
#include "platform/list_box.h"
#include "scripted_dialogs.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <unistd.h>

using namespace findolin;

class TestForm1FileOps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void renameInTheFolderList();
    void renameInTheWalkResultKeepsPathsInStep();
    void renameInTheTextResultAndTheRefinedList();
    void renameRefusals();
    void deleteAnsweredNoChangesNothing();
    void deleteFromTheWalkResultKeepsTheHeader();
    void deleteRefusesHeadersAndFolders();
    void deleteMovesToTheTrash_data();
    void deleteMovesToTheTrash();
    void failedDeleteLeavesTheLists();
    void openByTypeAndWithTheQuestion();
    void printThroughTheOfficeSuite();
};

void TestForm1FileOps::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestForm1FileOps::renameInTheFolderList() {
    TestHome home;
    home.file("home/Documents/alt.txt", "Inhalt");
    home.file("home/Documents/b.txt");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->File1->setCurrentRow(0);
    dialogs.inputs << QStringLiteral("neu.txt");
    form->mnuDateiUmbenennen->trigger();
    settle(*form);
    QCOMPARE(dialogs.prompts, QStringList{"Umbenennen"});
    QCOMPARE(dialogs.proposals, QStringList{"alt.txt"});
    QCOMPARE(contentOf(home.home("Documents/neu.txt")), QByteArray("Inhalt"));
    QVERIFY(!QFileInfo::exists(home.home("Documents/alt.txt")));
    QCOMPARE(form->File1->lines(), (QStringList{"b.txt", "neu.txt"}));
    QCOMPARE(form->mnuName->text(), home.home("Documents/neu.txt"));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestForm1FileOps::renameInTheWalkResultKeepsPathsInStep() {
    TestHome home;
    home.file("akten/x/brief 1.txt", "eins");
    home.file("akten/x/brief 2.txt", "zwei");
    home.file("akten/x/brief 3.txt", "drei");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    searchFor(*form, home.path("akten"), "brief");
    form->List1->setCurrentRow(2); // "brief 2.txt"
    dialogs.inputs << QStringLiteral("Zeugnis.txt");
    form->mnuDateiUmbenennen->trigger();
    settle(*form);
    // The line keeps its place between its neighbours.
    QCOMPARE(form->List1->lines(), (QStringList{">>>[" + home.path("akten/x") + "]", "brief 1.txt",
                                                "Zeugnis.txt", "brief 3.txt"}));
    QCOMPARE(form->List1->paths()[2], home.path("akten/x/Zeugnis.txt"));
    form->List1->setCurrentRow(2);
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("zwei"));
}

void TestForm1FileOps::renameInTheTextResultAndTheRefinedList() {
    TestHome home;
    home.file("akten/x/brief 1.txt", "Angebot eins");
    home.file("akten/x/brief 2.txt", "Angebot zwei");
    home.file("flach/Brief 2003.txt", "Angebot 2003");
    home.file("flach/Brief 2003 alt.txt", "alt");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    const auto renameSelected = [&](ListBox* list, int row, const QString& newName) {
        list->setCurrentRow(row);
        dialogs.inputs << newName;
        form->mnuDateiUmbenennen->trigger();
        settle(*form);
        list->setCurrentRow(row); // and look at it again
    };

    // The text search's result over a walk: its path list keeps in step.
    searchFor(*form, home.path("akten"), "brief", "Angebot");
    QVERIFY(form->List2->isVisible());
    renameSelected(form->List2, 2, "Angebot 2.txt");
    QCOMPARE(form->List2->lines(),
             (QStringList{">>>[" + home.path("akten/x") + "]", "brief 1.txt", "Angebot 2.txt"}));
    QCOMPARE(form->List2->paths()[2], home.path("akten/x/Angebot 2.txt"));
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Angebot zwei"));

    // The text search's result in a folder without sub-folders: names in that folder.
    form->Text2->setText(home.path("flach"));
    settle(*form);
    form->Command1->click();
    settle(*form);
    QVERIFY(form->List2->isVisible());
    QVERIFY(form->List2->paths().isEmpty());
    renameSelected(form->List2, 0, "Brief 2003 neu.txt");
    QCOMPARE(form->List2->lines(), QStringList{"Brief 2003 neu.txt"});
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Angebot 2003"));

    // The refined name search of that folder.
    form->Text4->clear();
    form->Text1->setText("Brief+2003");
    settle(*form);
    form->Command1->click();
    settle(*form);
    QVERIFY(form->FileList1->isVisible());
    QCOMPARE(form->FileList1->lines(), (QStringList{"Brief 2003 alt.txt", "Brief 2003 neu.txt"}));
    renameSelected(form->FileList1, 0, "Brief 2003 Entwurf.txt");
    QCOMPARE(form->FileList1->lines(),
             (QStringList{"Brief 2003 Entwurf.txt", "Brief 2003 neu.txt"}));
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("alt"));
    QCOMPARE(QDir(home.path("flach")).entryList(QDir::Files),
             (QStringList{"Brief 2003 Entwurf.txt", "Brief 2003 neu.txt"}));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestForm1FileOps::renameRefusals() {
    TestHome home;
    home.file("home/Documents/a.txt", "A");
    home.file("home/Documents/b.txt", "B");
    home.folder("unter");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);

    form->File1->setCurrentRow(-1); // nothing selected
    form->mnuDateiUmbenennen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages, QStringList{"Datei zum umbenennen auswählen!"});
    dialogs.messages.clear();

    form->File1->setCurrentRow(0); // a.txt
    dialogs.inputs << QStringLiteral("b.txt");
    form->mnuDateiUmbenennen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages, QStringList{"Die Datei  -- b.txt --  ist bereits vorhanden! "});
    dialogs.messages.clear();
    QCOMPARE(contentOf(home.home("Documents/b.txt")), QByteArray("B"));

    dialogs.inputs << QStringLiteral("../../unter/a.txt");
    form->mnuDateiUmbenennen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages, QStringList{"Ungültiger Dateiname!"});
    dialogs.messages.clear();
    QVERIFY(!QFileInfo::exists(home.path("unter/a.txt")));

    form->mnuDateiUmbenennen->trigger(); // cancelled: nothing, no message
    settle(*form);
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(contentOf(home.home("Documents/a.txt")), QByteArray("A"));
}

void TestForm1FileOps::deleteAnsweredNoChangesNothing() {
    TestHome home;
    home.file("home/Documents/a.txt", "A");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->File1->setCurrentRow(0);
    dialogs.answers << Answer::No;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages,
             QStringList{"Soll " + home.home("Documents/a.txt") + " gelöscht werden?"});
    QVERIFY(QFileInfo::exists(home.home("Documents/a.txt")));
    QCOMPARE(form->File1->count(), 1);
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("A"));
}

void TestForm1FileOps::deleteFromTheWalkResultKeepsTheHeader() {
    TestHome home;
    home.file("akten/x/brief.txt", "x");
    home.file("akten/y/brief.txt", "y1");
    home.file("akten/y/brief 2.txt", "y2");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    searchFor(*form, home.path("akten"), "brief");
    form->List1->setCurrentRow(1); // x/brief.txt
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QVERIFY(!QFileInfo::exists(home.path("akten/x/brief.txt")));
    QCOMPARE(form->List1->lines(),
             (QStringList{">>>[" + home.path("akten/x") + "]", ">>>[" + home.path("akten/y") + "]",
                          "brief 2.txt", "brief.txt"}));
    QCOMPARE(form->List1->paths().size(), 4);
    QCOMPARE(form->RichTextBox2->toPlainText(), QString());
    QCOMPARE(form->mnuName->text(), QString());
    // Nothing looks chosen that is not: a copy now has no file to take.
    QCOMPARE(form->List1->currentRow(), -1);
    QVERIFY(form->List1->selectionModel()->selectedIndexes().isEmpty());
    form->mnuDateiKopieren->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Datei zum kopieren auswählen!"));
    // The lines below still reach their own files.
    form->List1->setCurrentRow(3);
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("y1"));
}

void TestForm1FileOps::deleteRefusesHeadersAndFolders() {
    TestHome home;
    home.file("akten/x/brief.txt", "x");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    searchFor(*form, home.path("akten"), "brief");
    form->List1->setCurrentRow(0); // the header
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Datei zum löschen auswählen!"));
    QCOMPARE(form->List1->count(), 2);
    QVERIFY(QFileInfo::exists(home.path("akten/x/brief.txt")));

    // Choosing a folder entry steps into the folder; nothing is selected there, and the folder
    // itself is never deleted.
    form->Text1->clear();
    form->Text2->setText(home.path("akten"));
    settle(*form);
    form->FileList1->setCurrentRow(0);
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Datei zum löschen auswählen!"));
    QVERIFY(QFileInfo(home.path("akten/x")).isDir());
}

void TestForm1FileOps::deleteMovesToTheTrash_data() {
    QTest::addColumn<bool>("trashPossible");
    QTest::newRow("a Trash") << true;
    QTest::newRow("no Trash") << false;
}

// Yes puts the file in the Trash, from where a file manager brings it back; where no Trash can
// be had, the question says that the file goes for good, and Yes deletes it.
void TestForm1FileOps::deleteMovesToTheTrash() {
    QFETCH(bool, trashPossible);
    TestHome home;
    const QString file = home.file("home/Documents/a.txt", "A");
    if (!trashPossible)
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.file("daten", "kein Ordner")));
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    form->File1->setCurrentRow(0);
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.first() == "Soll " + file + " gelöscht werden?", trashPossible);
    QCOMPARE(dialogs.messages.first().contains(u"endgültig"), !trashPossible);
    QVERIFY(!QFileInfo::exists(file));
    QCOMPARE(form->File1->count(), 0);
    const QString trash = home.home(".local/share/Trash");
    QCOMPARE(contentOf(trash + "/files/a.txt"), trashPossible ? QByteArray("A") : "<gone>");
    QCOMPARE(contentOf(trash + "/info/a.txt.trashinfo").contains("Path=" + QFile::encodeName(file)),
             trashPossible);
}

void TestForm1FileOps::failedDeleteLeavesTheLists() {
    TestHome home;
    home.file("akten/x/brief 1.txt", "eins");
    home.file("akten/x/brief 2.txt", "zwei");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    searchFor(*form, home.path("akten"), "brief");
    const QStringList lines = form->List1->lines();
    const QStringList paths = form->List1->paths();

    // Gone before the delete: the lists keep the line, and say so.
    form->List1->setCurrentRow(1);
    QVERIFY(QFile::remove(home.path("akten/x/brief 1.txt")));
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Datei zum löschen auswählen!"));
    QCOMPARE(form->List1->lines(), lines);
    QCOMPARE(form->List1->paths(), paths);

    // A write-protected file stays, for everyone.
    const QString protectedFile = home.path("akten/x/brief 2.txt");
    QFile::setPermissions(protectedFile, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    form->List1->setCurrentRow(2);
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Datei zum löschen auswählen!"));
    QCOMPARE(contentOf(protectedFile), QByteArray("zwei"));
    QCOMPARE(form->List1->lines(), lines);
    QFile::setPermissions(protectedFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // In a folder the user may not change (the superuser may change any).
    if (::geteuid() != 0) {
        QFile::setPermissions(home.path("akten/x"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        form->List1->setCurrentRow(2);
        dialogs.answers << Answer::Yes;
        form->mnuDateiLöschen->trigger();
        settle(*form);
        QFile::setPermissions(home.path("akten/x"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        QCOMPARE(contentOf(home.path("akten/x/brief 2.txt")), QByteArray("zwei"));
        QCOMPARE(form->List1->lines(), lines);
        QCOMPARE(dialogs.messages.size(), 6);
    }
}

void TestForm1FileOps::openByTypeAndWithTheQuestion() {
    TestHome home;
    const FakeOffice office(home, 0);
    home.file("home/Documents/Brief.DOC", "x");
    home.file("home/Documents/Foto.jpg", "x");
    ScriptedDialogs dialogs;
    QStringList shell;
    Surroundings surroundings(&dialogs);
    surroundings.openWithShell = [&](const QString& path) { shell << path; };
    const auto form = startForm1(surroundings);

    form->File1->setCurrentRow(0); // Brief.DOC: the word processor
    form->mnuName->trigger();
    settle(*form);
    QTRY_VERIFY(office.log().contains(home.home("Documents/Brief.DOC")));
    QVERIFY(shell.isEmpty());

    form->File1->setCurrentRow(1); // Foto.jpg: the desktop's application
    dialogs.answers << Answer::No;
    form->mnuItemÖffnen->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Findolin beenden?"));
    QCOMPARE(shell, QStringList{home.home("Documents/Foto.jpg")});
    QVERIFY(form->isVisible());
    dialogs.answers << Answer::Yes;
    form->mnuItemÖffnen->trigger();
    settle(*form);
    QCOMPARE(shell.size(), 2);
    QVERIFY(!form->isVisible()); // and the program ends

    // A folder header is no file to open.
    form->show();
    const QString header = ">>>[" + home.home("Documents") + "]";
    form->showList(form->List1);
    form->List1->setLines({header}, {header}, {LineKind::Header});
    form->List1->setCurrentRow(0);
    form->mnuName->trigger();
    settle(*form);
    QCOMPARE(dialogs.messages.last(), QStringLiteral("Datei zum öffnen auswählen!"));
    QCOMPARE(shell.size(), 2);
}

void TestForm1FileOps::printThroughTheOfficeSuite() {
    TestHome home;
    home.file("home/Documents/a.txt", "x");
    ScriptedDialogs dialogs;
    bool printerKnown = false;
    Surroundings surroundings(&dialogs);
    surroundings.printerAvailable = [&] { return printerKnown; };
    const auto form = startForm1(surroundings);
    form->File1->setCurrentRow(0);
    {
        // The office suite says it printed, but no printer is known: that is no success.
        const FakeOffice office(home, 0);
        form->mnuItemDrucken->trigger();
        settle(*form);
        QCOMPARE(dialogs.messages, QStringList{"Datei zum drucken auswählen!"});
        QVERIFY(!office.log().contains("-p"));
        dialogs.messages.clear();
    }
    printerKnown = true;
    {
        const FakeOffice office(home, 0);
        QGuiApplication::clipboard()->setText(QStringLiteral("kopiert"));
        form->mnuItemDrucken->trigger();
        settle(*form);
        QVERIFY(office.log().contains("-p " + home.home("Documents/a.txt")));
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }
    {
        TestDir other;
        const FakeOffice failing(other, 1);
        form->mnuItemDrucken->trigger();
        settle(*form);
        QCOMPARE(dialogs.messages, QStringList{"Datei zum drucken auswählen!"});
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(home.folder("leer")));
    form->mnuItemDrucken->trigger(); // no office suite at all
    settle(*form);
    qputenv("PATH", oldPath);
    QCOMPARE(dialogs.messages.size(), 2);
}

QTEST_MAIN(TestForm1FileOps)
#include "test_form1_fileops.moc"
