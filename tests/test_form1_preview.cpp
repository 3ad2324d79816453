#include "fake_office.h"
#include "form1_fixture.h"
#include "preview/document_view.h"
#include "preview/file_types.h"
#include "preview/picture_loading.h"
#include "preview/web_view.h"

#include <QBuffer>
#include <QImageReader>
#include <QKeyEvent>
#include <QMediaPlayer>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTcpServer>
#include <QTextEdit>
#include <QWebEngineSettings>
#include <QWebEngineView>

using namespace findolin;

namespace {

void select(ListBox* list, int row) {
    list->setFocus();
    list->setCurrentRow(row);
}

// A key press delivered straight to the focused list. (QTest offers keys to the shortcut system
// first, and in the full-screen window its Escape never arrives as a key press.)
void pressKey(QWidget* widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Escape ? "\x1b" : "\r");
    QApplication::sendEvent(widget, &press);
}

// A red picture, as a BMP file holds it.
QByteArray picture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return buffer.data();
}

} // namespace

class TestForm1Preview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (geteuid() == 0)
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    void eachKindInItsPaneAndFullScreen();
    void linesThatPreviewAndLinesThatDoNot();
    void documentsWaitForTheOfficeSuite();
    void mailIsShownWithoutReachingOut();
    void everyPictureTypeIsReadable();
};

// Text and pictures by click and arrow key; a picture that cannot be read shows nothing of the
// one before; a video plays in the web view. Then full screen, zoom, the next picture and back: the
// picture area, left at the size of the screen, used to lie over the bottom row and take its
// clicks.
void TestForm1Preview::eachKindInItsPaneAndFullScreen() {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const TestHome home({{"home/Documents/a.txt", "Erster Brief"},
                         {"home/Documents/b.rtf", "{\\rtf1 Zweiter \\b Brief\\b0}"},
                         {"home/Documents/c.bmp", picture({40, 30})},
                         {"home/Documents/d.bmp", picture({screen.width(), 2 * screen.height()})},
                         {"home/Documents/e.jpg", "kein Bild"},
                         {"home/Documents/f.avi", "RIFF"}});
    const auto form = startForm1();
    const QRect before = form->geometry();
    play(*form, home,
         "File1@0; ?RichTextBox2=Erster Brief; ?mnuName=a.txt; ?-Picture1; ?-CommandSort; "
         "File1<Down; ?RichTextBox2=Zweiter Brief");
    QCOMPARE(QApplication::focusWidget(), form->File1);
    play(*form, home, "File1<Down; ?+Picture1; ?+CommandSort");
    QCOMPARE(form->Picture1->pixmap().size(), QSize(40, 30));
    QCOMPARE(form->Picture1->x(), form->File1->width() + 2); // 30 twips beside the list
    QVERIFY(!form->VollbildModus);
    play(*form, home, "File1@4; ?+Picture1");
    QVERIFY(form->Picture1->pixmap().isNull());
    play(*form, home, "File1@5; ?+WebBrowser1; ?-Picture1");
    QVERIFY(form->webView().player());
    QCOMPARE(form->webView().player()->source(), QUrl::fromLocalFile(home.home("Documents/f.avi")));
    QCOMPARE(form->mousePointer(), MousePointer::Default);

    // "Vollbild": the picture is small enough for its natural size. Then zoom: scaled to the
    // screen.
    play(*form, home,
         "File1@0; ?+RichTextBox2; ?-WebBrowser1; ?CommandSort=nach Datum sortieren; File1@2; "
         "CommandSort; ?mnuHelp=Zoom; ?-mnuOrdner; ?-mnuDateiZähler; ?-Image1");
    QVERIFY(form->VollbildModus);
    QCOMPARE(form->Picture1->geometry(), QRect(QPoint(0, 0), screen));
    QCOMPARE(form->FensterVorVollbild, before);
    play(*form, home, "mnuHelp; ?+Image1");
    QVERIFY(form->ZoomModus);
    QCOMPARE(form->Image1->width(), screen.width()); // 4:3 takes the whole width
    // The arrow key moves on to the next picture, still full screen and zoomed.
    QTest::keyClick(form->File1, Qt::Key_Down);
    QVERIFY(form->VollbildModus);
    QCOMPARE(form->Image1->height(), qRound(screen.height() * 0.92));

    pressKey(form->File1, Qt::Key_Escape);
    QVERIFY(!form->VollbildModus && !form->ZoomModus);
    play(*form, home, "?+mnuOrdner; ?mnuHelp=?");
    QTRY_COMPARE(form->geometry(), before);
    QCOMPARE(form->Picture1->height(), form->File1->height());
    for (QWidget* control :
         std::initializer_list<QWidget*>{form->Text1, form->Text4, form->Command1})
        QVERIFY2(!form->Picture1->geometry().intersects(control->geometry()),
                 qPrintable(control->objectName()));
    QCOMPARE(form->childAt(form->Text1->mapTo(form.get(), form->Text1->rect().center())),
             form->Text1);

    // A click on the picture goes full screen; the help panel, when shown, is only put away.
    form->TextHilfe->show();
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    QVERIFY(!form->TextHilfe->isVisible() && !form->VollbildModus);
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    QVERIFY(form->VollbildModus);
    pressKey(form->File1, Qt::Key_Return); // Enter in the full screen ends the program
    QVERIFY(!form->isVisible());
}

// The line chosen stays sixth from the top. A folder entry steps into its folder and previews
// nothing, as does a header line of the search results, whatever its folder is called. Without an
// office program a document says so.
void TestForm1Preview::linesThatPreviewAndLinesThatDoNot() {
    const TestHome home({{"home/Documents/Briefe/brief.doc", "x"},
                         {"akten/x/brief.txt", "Angebot"},
                         {"akten/y.doc/brief.txt", "nichts"},
                         {"leer/", {}}});
    for (int i = 0; i < 40; ++i)
        home.file(QStringLiteral("home/Documents/%1.txt").arg(i, 2, 10, QChar(u'0')),
                  "Nr. " + QByteArray::number(i));
    const auto restore = qScopeGuard([path = qgetenv("PATH")] { qputenv("PATH", path); });
    qputenv("PATH", QFile::encodeName(home.path("leer")));
    const auto form = startForm1();
    select(form->FileList1, 6);
    QCOMPARE(form->FileList1->verticalScrollBar()->value(), 0);
    select(form->FileList1, 7);
    QCOMPARE(form->FileList1->verticalScrollBar()->value(), 2);
    play(*form, home,
         "?RichTextBox2=Nr. 6; FileList1@0; ?Text2=$/home/Documents/Briefe; ?File1:brief.doc; "
         "?mnuName=; ?+RichTextBox2; ?RichTextBox2=; File1@0; ?+OLE1");
    QVERIFY(!form->WordApp);
    QVERIFY(form->documentView().findChild<QLabel*>()->text().contains("kein Office-Programm"));
    QCOMPARE(form->documentView().shownDocument(), QString());

    searchFor(*form, home.path("akten"), "brief");
    QVERIFY(form->List1->line(2).endsWith(u"y.doc]"));
    play(*form, home,
         "List1@1; ?RichTextBox2=Angebot; List1@2; ?+RichTextBox2; ?-OLE1; ?RichTextBox2=");
}

// The document pane says that it waits, then shows the pages; the second time the cache answers
// and the size mode, switched by a click, stays. A document the office cannot convert is said so.
void TestForm1Preview::documentsWaitForTheOfficeSuite() {
    const TestHome home({{"home/Documents/Brief an Müller.doc", "alt"},
                         {"home/Documents/kaputt.doc", "x"},
                         {"home/Documents/notiz.txt", "Text"}});
    const FakeOffice office(
        home, "case \"$*\" in *kaputt*) exit 1 ;; esac; while [ ! -e \"${0%/bin/*}/go\" ]; do "
              "sleep 0.02; done; convert \"$@\"");
    const auto form = startForm1();
    DocumentView& view = form->documentView();
    const auto note = [&] {
        const QLabel* label = view.findChild<QLabel*>();
        return label->isVisible() ? label->text() : QString();
    };
    select(form->File1, 0);
    QVERIFY(form->OLE1->isVisible() && !form->RichTextBox2->isVisible());
    QCOMPARE(form->AuswahlPfad, home.home("Documents/Brief an Müller.doc"));
    QVERIFY2(note().contains("vorbereitet") && view.shownDocument().isEmpty(), qPrintable(note()));
    home.file("go");
    QTRY_COMPARE(view.shownDocument(), form->AuswahlPfad);
    QCOMPARE(note(), QString());

    QCOMPARE(view.sizeMode(), DocumentView::SizeMode::Zoom);
    QTest::mouseClick(view.findChild<QAbstractScrollArea*>()->viewport(), Qt::LeftButton);
    QCOMPARE(view.sizeMode(), DocumentView::SizeMode::Clip);
    select(form->File1, 2);
    select(form->File1, 0);
    QCOMPARE(view.shownDocument(), form->AuswahlPfad);
    QCOMPARE(view.sizeMode(), DocumentView::SizeMode::Clip);
    QCOMPARE(office.log().count("--convert-to"), 1);

    select(form->File1, 1);
    QTRY_VERIFY2(note().contains("keine Vorschau") && view.shownDocument().isEmpty(),
                 qPrintable(note()));
}

// A mail cannot report back: nothing leaves the machine, no script runs, and its page lies where
// nobody else can read or replace it.
void TestForm1Preview::mailIsShownWithoutReachingOut() {
    QTcpServer tracker;
    QVERIFY(tracker.listen(QHostAddress::LocalHost));
    const TestHome home(
        {{"home/Documents/Post vom Amt.eml",
          "From: Amt <amt@example.org>\r\nSubject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"
          "Content-Type: text/html; charset=iso-8859-1\r\nContent-Transfer-Encoding: "
          "quoted-printable\r\n\r\n<p>Sehr geehrte Frau M=FCller<img src=3D\"http://127.0.0.1:" +
              QByteArray::number(tracker.serverPort()) + "/gelesen.png\"></p>\r\n"},
         {"home/Documents/seite.html", "<p>Hallo</p>"}});
    auto form = startForm1();
    select(form->File1, 0);
    QWebEngineView* page = form->webView().page();
    QVERIFY(form->WebBrowser1->isVisible() && page);
    QSignalSpy loaded(page, &QWebEngineView::loadFinished);
    QVERIFY(loaded.count() > 0 || loaded.wait(20000));
    QString text;
    page->page()->toPlainText([&](const QString& plain) { text = plain; });
    QTRY_VERIFY(!text.isEmpty());
    QVERIFY2(text.contains(QStringLiteral("Grüße")) && text.contains(QStringLiteral("Frau Müller")),
             qPrintable(text));
    QVERIFY(!page->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    // Even a page that the engine would let reach the network loads nothing from it.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    QSignalSpy reloaded(page, &QWebEngineView::loadFinished);
    page->reload();
    QVERIFY(reloaded.wait(20000));
    QVERIFY(!tracker.waitForNewConnection(0));
    const QFileInfo shown(page->url().toLocalFile());
    QVERIFY2(shown.isFile(), qPrintable(shown.filePath()));
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(shown.permissions() & others, QFileDevice::Permissions());
    QCOMPARE(QFileInfo(shown.path()).permissions() & others, QFileDevice::Permissions());
    // A page of the user's own is shown where it lies.
    QSignalSpy pageLoaded(page, &QWebEngineView::loadFinished);
    select(form->File1, 1);
    QVERIFY(pageLoaded.wait(20000));
    QCOMPARE(page->url(), QUrl::fromLocalFile(home.home("Documents/seite.html")));

    // The engine wants a page gone before its profile; the other way round it warns, and then
    // tears down a page whose profile it has already released.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("profile.*still not deleted")));
    form.reset();
}

// A picture type that no image reader knows (a plugin package missing) would show nothing;
// metafiles are drawn through libwmf.
void TestForm1Preview::everyPictureTypeIsReadable() {
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const QString& type : pictureTypes())
        QVERIFY2(type == u".wmf" || readable.contains(type.mid(1).toLatin1()), qPrintable(type));
    // One red rectangle, 100 x 50 units: placeable header, header, window origin and extent,
    // a solid red brush selected, the rectangle, the end.
    const QByteArray metafile = QByteArray::fromHex(
        "d7cdc69a000000000000640032006000000000002757010009000003280000000100070000000000050000000b"
        "0200000000050000000c023200640007000000fc020000ff0000000000040000002d010000070000001b043200"
        "640000000000030000000000");
    const TestDir dir;
    const QPixmap drawn = loadPicture(dir.file("logo.wmf", metafile));
    QVERIFY(!drawn.isNull() && drawn.width() > drawn.height()); // the rectangle's shape
    QCOMPARE(drawn.toImage().pixelColor(drawn.width() / 2, drawn.height() / 2), QColor(Qt::red));
    QVERIFY(loadPicture(dir.file("kaputt.wmf", metafile.first(4))).isNull());
}

QTEST_MAIN(TestForm1Preview)
#include "test_form1_preview.moc"
