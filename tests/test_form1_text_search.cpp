#include "form1_fixture.h"
#include "platform/list_box.h"
#include "platform/native_names.h"
#include "preview/text_preview.h"
#include "scripted_dialogs.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

using namespace findolin;

class TestForm1TextSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void walkResultKeepsOnlyFoldersWithHits();
    void namesLikeTheProgramsOwnLinesAreFiles();
    void namesThatAreNotUtf8AreFiles();
    void onlyNotQueryGetsItsBlankAndLosesItAgain();
    void folderListAndRefinedListGiveBareNames();
    void picturesAreSkippedAndEmptyGroupFindsTheRest();
    void vanishedCandidateIsNoHit();
    void escapeKeepsTheHitsSoFar();
    void clearingTheTextQueryShowsTheFolderAgain();
    void pdfMadeHereIsFoundByItsText();
    void previewShowsFormattedTextAndNothingElse();
};

namespace {

QString header(const QString& folder) {
    return ">>>[" + folder + "]";
}

} // namespace

void TestForm1TextSearch::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestForm1TextSearch::walkResultKeepsOnlyFoldersWithHits() {
    TestHome home;
    home.file("akten/a/eins.txt", "nichts");
    home.file("akten/b/zwei.txt", "Angebot 600 MHz");
    home.file("akten/b/drei.txt", "Angebot 733 mhz");
    home.file("akten/b/vier.txt", "Rechnung");
    home.file("akten/c/fuenf.txt", "auch nichts");
    const auto form = startForm1();
    searchFor(*form, home.path("akten"), "txt", "600+MHz#733");

    QVERIFY(form->List2->isVisible());
    QVERIFY(!form->List1->isVisible());
    QCOMPARE(form->List2->lines(),
             (QStringList{header(home.path("akten/b")), "drei.txt", "zwei.txt"}));
    QCOMPARE(form->List2->paths(),
             (QStringList{header(home.path("akten/b")), home.path("akten/b/drei.txt"),
                          home.path("akten/b/zwei.txt")}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));
    QCOMPARE(form->mnuName->text(), QString());
    QCOMPARE(form->mousePointer(), MousePointer::Default);
    QVERIFY(form->Abfrage == ParsedQuery{});

    // Hits in no folder: nothing at all, "0 Dateien".
    form->Text4->setText("Zeppelin");
    form->Command1->click();
    settle(*form);
    QCOMPARE(form->List2->count(), 0);
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("0 Dateien"));
}

// A line is a header or a folder entry because the program wrote it as one: names that look like
// them are files, searched, previewed and handled like any other.
void TestForm1TextSearch::namesLikeTheProgramsOwnLinesAreFiles() {
    TestHome home;
    home.file("akten/a>>>b.txt", "Angebot");
    home.file("akten/a>>>nichts.txt", "nichts");
    home.file("akten/q>>>r/x.txt", "Angebot");
    home.file("akten/ [oben].txt", "Angebot oben");
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    searchFor(*form, home.path("akten"), "", "angebot");
    QCOMPARE(form->List2->lines(),
             (QStringList{header(home.path("akten")), " [oben].txt", "a>>>b.txt",
                          header(home.path("akten/q>>>r")), "x.txt"}));

    form->List2->setCurrentRow(2);
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Angebot"));
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QVERIFY(!QFileInfo::exists(home.path("akten/a>>>b.txt")));

    // In the folder listing the look-alike of a folder entry is previewed, not stepped into.
    form->listFolder(home.path("akten"));
    settle(*form);
    const int row = int(form->FileList1->lines().indexOf(" [oben].txt"));
    form->FileList1->setCurrentRow(row);
    QCOMPARE(form->Text2->text(), home.path("akten"));
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Angebot oben"));
}

// A folder and a file named in Latin-1, not UTF-8: found, shown with replacement characters,
// previewed, renamed and deleted by their own bytes.
void TestForm1TextSearch::namesThatAreNotUtf8AreFiles() {
    TestHome home;
    const QByteArray folder = QFile::encodeName(home.folder("akten")) + "/alt\xe9";
    QVERIFY(::mkdir(folder, 0700) == 0);
    const int fd = ::open(folder + "/Gr\xfc\xdf"
                                   "e.txt",
                          O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0 && ::write(fd, "Angebot", 7) == 7);
    ::close(fd);
    ScriptedDialogs dialogs;
    const auto form = startForm1(&dialogs);
    searchFor(*form, home.path("akten"), "", "angebot");
    QCOMPARE(form->List2->lines(),
             (QStringList{header(nameFromBytes(folder)), nameFromBytes("Gr\xfc\xdf"
                                                                       "e.txt")}));
    const QString bad(QChar::ReplacementCharacter);
    QCOMPARE(form->List2->model()->index(1, 0).data().toString(), "Gr" + bad + bad + "e.txt");

    form->List2->setCurrentRow(1);
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Angebot"));
    QCOMPARE(form->mnuName->text(), "Gr" + bad + bad + "e.txt");
    // The proposal keeps the name's bytes; the user adds to it.
    dialogs.inputs << nameFromBytes("Gr\xfc\xdf"
                                    "e-neu.txt");
    form->mnuDateiUmbenennen->trigger();
    settle(*form);
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(::access(folder + "/Gr\xfc\xdf"
                               "e-neu.txt",
                      F_OK),
             0);
    dialogs.answers << Answer::Yes;
    form->mnuDateiLöschen->trigger();
    settle(*form);
    QCOMPARE(::access(folder + "/Gr\xfc\xdf"
                               "e-neu.txt",
                      F_OK),
             -1);
    QCOMPARE(::rmdir(folder), 0); // an empty folder left: the rename made no second file
}

void TestForm1TextSearch::onlyNotQueryGetsItsBlankAndLosesItAgain() {
    TestHome home;
    home.file("akten/x/brief.txt", "Sehr geehrte Damen");
    home.file("akten/x/entwurf.txt", "Entwurf eines Briefes");
    home.file("akten/x/einwort.txt", "Einwort");
    const auto form = startForm1();
    QStringList seen;
    QObject::connect(form->Text4, &QLineEdit::textChanged, form.get(),
                     [&](const QString& text) { seen << text; });
    searchFor(*form, home.path("akten"), "txt", "-entwurf");
    QVERIFY(seen.contains(" -entwurf"));
    QCOMPARE(form->Text4->text(), QStringLiteral("-entwurf"));
    // Documents with a blank and without the word.
    QCOMPARE(form->List2->lines(), (QStringList{header(home.path("akten/x")), "brief.txt"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
}

void TestForm1TextSearch::folderListAndRefinedListGiveBareNames() {
    TestHome home;
    home.file("akten/Brief 2003.txt", "Umzug nach Köln");
    home.file("akten/Brief 2004.txt", "UMZUG nach Bonn");
    home.file("akten/Notiz.txt", "kein umzug");
    const auto form = startForm1();

    searchFor(*form, home.path("akten"), "Brief", QStringLiteral("umzug+köln#BONN"));
    QVERIFY(!form->Verfeinert);
    QCOMPARE(form->List2->lines(), (QStringList{"Brief 2003.txt", "Brief 2004.txt"}));
    QVERIFY(form->List2->paths().isEmpty());

    form->Text1->setText("Brief+2004");
    settle(*form);
    form->Command1->click();
    settle(*form);
    QVERIFY(form->Verfeinert);
    QCOMPARE(form->List2->lines(), QStringList{"Brief 2004.txt"});
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
}

void TestForm1TextSearch::picturesAreSkippedAndEmptyGroupFindsTheRest() {
    TestHome home;
    home.file("akten/foto.JPG", "Angebot");
    home.file("akten/logo.gif.bak", "Angebot");
    home.file("akten/brief.doc", "Angebot");
    home.file("akten/leer.txt", "");
    // More pictures in a row than the readers run ahead: passing over them must not stall.
    for (int i = 0; i < 70; ++i)
        home.file(QStringLiteral("akten/foto%1.jpg").arg(i, 3, 10, QChar(u'0')), "Angebot");
    const auto form = startForm1();
    searchFor(*form, home.path("akten"), "", "angebot");
    QCOMPARE(form->List2->lines(), QStringList{"brief.doc"});
    // A last group without terms lets every document pass that is read at all.
    form->Text4->setText("Zeppelin#");
    form->Command1->click();
    settle(*form);
    QCOMPARE(form->List2->lines(), (QStringList{"brief.doc", "leer.txt"}));
}

void TestForm1TextSearch::vanishedCandidateIsNoHit() {
    TestHome home;
    home.file("akten/a.txt", "Angebot");
    home.file("akten/b.txt", "Angebot");
    const auto form = startForm1();
    searchFor(*form, home.path("akten"), "txt", "");
    QCOMPARE(form->File1->count(), 2);
    // b.txt goes after the name search listed it; the search right after must not find it
    // with the text of a.txt still at hand.
    QFile::remove(home.path("akten/b.txt"));
    form->Text4->setText("angebot");
    form->Textsuche({});
    settle(*form);
    QCOMPARE(form->List2->lines(), QStringList{"a.txt"});
}

// Escape while a large file is being read ends the search at once; the hits so far stay.
void TestForm1TextSearch::escapeKeepsTheHitsSoFar() {
    TestHome home;
    for (int i = 0; i < 60; ++i)
        home.file(QStringLiteral("akten/%1/brief.txt").arg(i, 2, 10, QChar(u'0')), "Angebot");
    QFile big(home.path("akten/30/brief.txt"));
    QVERIFY(big.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(big.resize(qint64(4) << 30)); // sparse: four gigabytes of nothing, slow to read
    big.close();
    const auto form = startForm1();
    searchFor(*form, home.path("akten"), "brief");
    form->Text4->setText("angebot");
    form->Command1->click();
    QTRY_COMPARE(form->List2->count(), 60); // the hits before the large file, with their headers

    QTest::keyClick(form->Text4, Qt::Key_Escape);
    QVERIFY(!form->engine().busy());
    QVERIFY(form->Abbruch);
    QCOMPARE(form->List2->count(), 60);
    QCOMPARE(form->List2->paths().size(), 60);
    QCOMPARE(form->mnuName->text(), QString());
    QCOMPARE(form->mnuDateiZähler->text(), QString());
    QCOMPARE(form->mousePointer(), MousePointer::Default);
    QVERIFY(form->Abfrage == ParsedQuery{});
    QTest::qWait(50);
    QCOMPARE(form->List2->count(), 60);
}

void TestForm1TextSearch::clearingTheTextQueryShowsTheFolderAgain() {
    TestHome home;
    home.file("akten/a.txt", "x");
    home.file("akten/b.txt", "x");
    const auto form = startForm1();
    searchFor(*form, home.path("akten"), "", "x");
    QVERIFY(form->List2->isVisible());
    form->Text4->clear();
    QVERIFY(form->File1->isVisible());
    QVERIFY(!form->List2->isVisible());
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));
    QCOMPARE(form->Label3->text(), QStringLiteral("Textsuche: +und #oder -nicht"));
}

void TestForm1TextSearch::pdfMadeHereIsFoundByItsText() {
    TestHome home;
    const QString pdf = home.path("akten/katalog.pdf");
    QDir().mkpath(home.path("akten"));
    {
        QPdfWriter writer(pdf);
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        painter.drawText(QPointF(200, 400), QStringLiteral("Prozessor 733 MHz, Größe 64 MB"));
    }
    home.file("akten/anderes.pdf", "%PDF-1.4 kaputt, aber mit MHz darin");
    const auto form = startForm1();
    searchFor(*form, home.path("akten"), "pdf", QStringLiteral("733+größe"));
    QCOMPARE(form->List2->lines(), QStringList{"katalog.pdf"});
    // A broken PDF still gives its printable bytes.
    form->Text4->setText("mhz+kaputt");
    form->Command1->click();
    settle(*form);
    QCOMPARE(form->List2->lines(), QStringList{"anderes.pdf"});
}

void TestForm1TextSearch::previewShowsFormattedTextAndNothingElse() {
    TestHome home;
    const auto form = startForm1();
    QTextEdit& preview = *form->RichTextBox2;
    const QString rtf =
        home.file("brief.rtf", "{\\rtf1\\ansi Sehr \\b geehrte\\b0  Frau M\\'fcller\\par "
                               "\\i Gr\\'fc\\'dfe\\i0}");
    QVERIFY(showTextPreview(preview, form->contentLoader(), rtf));
    QCOMPARE(preview.toPlainText(), QStringLiteral("Sehr geehrte Frau Müller\nGrüße"));
    QTextCursor cursor(preview.document());
    cursor.setPosition(7); // inside "geehrte"
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
    cursor.setPosition(27); // inside "Grüße"
    QVERIFY(cursor.charFormat().fontItalic());

    // A file that cannot be read leaves nothing of the one before.
    QVERIFY(!showTextPreview(preview, form->contentLoader(), home.path("fehlt.txt")));
    QCOMPARE(preview.toPlainText(), QString());

    QVERIFY(showTextPreview(preview, form->contentLoader(),
                            home.file("gross.txt", QByteArray(300'000, 'x'))));
    QVERIFY(preview.toPlainText().endsWith(QStringLiteral("gekürzt: die Vorschau zeigt nur den "
                                                          "Anfang dieser großen Datei.")));
}

QTEST_MAIN(TestForm1TextSearch)
#include "test_form1_text_search.moc"
