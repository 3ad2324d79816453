#include "form1_fixture.h"
#include "platform/list_box.h"
#include "preview/document_view.h"
#include "preview/file_types.h"
#include "preview/picture_loading.h"
#include "preview/picture_viewer.h"
#include "preview/web_view.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QDataStream>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTextEdit>
#include <QWebEngineSettings>
#include <QWebEngineView>

using namespace findolin;

class TestForm1Preview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void textByClickAndByArrowKey();
    void pictureBesideTheListThenText();
    void unreadablePictureShowsNothingOfTheOneBefore();
    void fullScreenZoomAndBack();
    void bottomRowTakesClicksAfterFullScreen();
    void everyPictureTypeIsReadable();
    void draggedSelectionIsPreviewed();
    void selectedLineStaysSixthFromTop();
    void folderEntryStepsIntoTheFolder();
    void selectedPathOfEachList();
    void documentsThroughTheOfficeSuite();
    void documentsWithoutOfficeSuite();
    void mailIsRenderedFromItsParts();
    void videoPlaysInTheWebView();
    void pageIsReleasedBeforeItsProfile();
    void metafilesAreDrawn();
};

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

QString savePicture(const QString& path, QSize size, Qt::GlobalColor color) {
    QDir().mkpath(QFileInfo(path).path());
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    if (!image.save(path))
        qFatal("cannot save %s", qPrintable(path));
    return path;
}

// A fake office suite on the PATH: "converting" copies a real PDF made here; every call is logged.
struct FakeOffice {
    explicit FakeOffice(const TestDir& dir) : oldPath(qgetenv("PATH")) {
        const QString bin = dir.folder("bin");
        const QString pdf = dir.path("muster.pdf");
        {
            QPdfWriter writer(pdf);
            QPainter painter(&writer);
            painter.drawText(QPointF(300, 300), QStringLiteral("Seite eins"));
        }
        const QString script = dir.file(
            "bin/soffice",
            QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\nout=\"\"\nlast=\"\"\n"
                           "while [ $# -gt 0 ]; do\n  case \"$1\" in\n    --outdir) out=\"$2\"; "
                           "shift ;;\n    *) last=\"$1\" ;;\n  esac\n  shift\ndone\n"
                           "base=$(basename \"$last\")\ncp '%2' \"$out/${base%.*}.pdf\"\n")
                .arg(dir.path("soffice.log"), pdf)
                .toUtf8());
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);
    }
    ~FakeOffice() { qputenv("PATH", oldPath); }
    QByteArray oldPath;
};

} // namespace

void TestForm1Preview::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void TestForm1Preview::textByClickAndByArrowKey() {
    TestHome home;
    home.file("home/Documents/a.txt", "Erster Brief");
    home.file("home/Documents/b.rtf", "{\\rtf1 Zweiter \\b Brief\\b0}");
    const auto form = startForm1();
    select(form->File1, 0);
    QVERIFY(form->RichTextBox2->isVisible());
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Erster Brief"));
    QCOMPARE(form->mnuName->text(), QStringLiteral("a.txt"));
    QVERIFY(!form->OLE1->isVisible() && !form->WebBrowser1->isVisible());

    QTest::keyClick(form->File1, Qt::Key_Down);
    QCOMPARE(form->File1->currentRow(), 1);
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Zweiter Brief"));
    QCOMPARE(form->mousePointer(), MousePointer::Default);
    QCOMPARE(QApplication::focusWidget(), form->File1);
}

void TestForm1Preview::pictureBesideTheListThenText() {
    TestHome home;
    savePicture(home.path("home/Documents/foto.bmp"), {64, 48}, Qt::red);
    home.file("home/Documents/notiz.txt", "Text");
    const auto form = startForm1();
    select(form->File1, 0); // foto.bmp
    QVERIFY(form->Picture1->isVisible());
    QCOMPARE(form->Picture1->pixmap().size(), QSize(64, 48));
    QCOMPARE(form->Picture1->x(), form->File1->width() + 2); // 30 twips beside the list
    QVERIFY(form->CommandSort->isVisible());
    QCOMPARE(form->CommandSort->text(), QStringLiteral("Vollbild"));
    QVERIFY(!form->VollbildModus);

    select(form->File1, 1); // notiz.txt
    QVERIFY(!form->Picture1->isVisible());
    QVERIFY(!form->CommandSort->isVisible());
    QCOMPARE(form->CommandSort->text(), QStringLiteral("nach Datum sortieren"));
    QVERIFY(form->RichTextBox2->isVisible());
}

void TestForm1Preview::unreadablePictureShowsNothingOfTheOneBefore() {
    TestHome home;
    savePicture(home.path("home/Documents/a.jpg"), {32, 32}, Qt::blue);
    home.file("home/Documents/b.jpg", "kein Bild");
    const auto form = startForm1();
    select(form->File1, 0);
    QVERIFY(!form->Picture1->pixmap().isNull());
    select(form->File1, 1);
    QVERIFY(form->Picture1->isVisible());
    QVERIFY(form->Picture1->pixmap().isNull());
}

void TestForm1Preview::fullScreenZoomAndBack() {
    TestHome home;
    savePicture(home.path("home/Documents/klein.jpg"), {40, 30}, Qt::green);
    savePicture(home.path("home/Documents/zweites.jpg"), {30, 40}, Qt::yellow);
    const auto form = startForm1();
    const QRect before = form->geometry();
    select(form->File1, 0);

    form->CommandSort->click(); // "Vollbild"
    QVERIFY(form->VollbildModus);
    QCOMPARE(form->Picture1->pos(), QPoint(0, 0));
    QCOMPARE(form->Picture1->size(), form->screen()->geometry().size());
    QCOMPARE(form->mnuHelp->text(), QStringLiteral("Zoom"));
    QVERIFY(!form->mnuOrdner->isVisible() && !form->mnuDateiZähler->isVisible());
    QVERIFY(!form->Image1->isVisible()); // small enough for its natural size
    QCOMPARE(form->FensterVorVollbild, before);

    form->mnuHelp->trigger(); // zoom: scaled to the screen
    settle(*form);
    QVERIFY(form->ZoomModus);
    QVERIFY(form->Image1->isVisible());
    const QSize screen = form->screen()->geometry().size();
    QCOMPARE(form->Image1->width(), screen.width()); // 4:3 takes the whole width

    // The arrow key moves on to the next picture, still full screen and zoomed.
    QTest::keyClick(form->File1, Qt::Key_Down);
    QVERIFY(form->VollbildModus);
    QCOMPARE(form->Image1->height(), qRound(screen.height() * 0.92));

    pressKey(form->File1, Qt::Key_Escape);
    QVERIFY(!form->VollbildModus);
    QVERIFY(!form->ZoomModus);
    QCOMPARE(form->mnuHelp->text(), QStringLiteral("?"));
    QVERIFY(form->mnuOrdner->isVisible());
    QTRY_COMPARE(form->geometry(), before);

    // A click on the picture goes full screen; the help panel, when shown, is only put away.
    form->TextHilfe->show();
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    QVERIFY(!form->TextHilfe->isVisible());
    QVERIFY(!form->VollbildModus);
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    QVERIFY(form->VollbildModus);
    // Enter in the full screen ends the program.
    pressKey(form->File1, Qt::Key_Return);
    QVERIFY(!form->isVisible());
}

// The picture area, left at the size of the screen, used to lie over the bottom row and take its
// clicks.
void TestForm1Preview::bottomRowTakesClicksAfterFullScreen() {
    TestHome home;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    savePicture(home.path("home/Documents/gross.jpg"), screen * 2, Qt::darkBlue);
    const auto form = startForm1();
    select(form->File1, 0);
    form->CommandSort->click(); // "Vollbild"
    QVERIFY(form->VollbildModus);
    pressKey(form->File1, Qt::Key_Escape);
    QVERIFY(!form->VollbildModus);
    QTRY_VERIFY(!form->isFullScreen());
    QCOMPARE(form->Picture1->height(), form->File1->height());
    for (QWidget* control : {static_cast<QWidget*>(form->Text1), static_cast<QWidget*>(form->Text4),
                             static_cast<QWidget*>(form->Command1)})
        QVERIFY2(!form->Picture1->geometry().intersects(control->geometry()),
                 qPrintable(control->objectName()));
    const QPoint centre = form->Text1->mapTo(form.get(), form->Text1->rect().center());
    QCOMPARE(form->childAt(centre), form->Text1);
}

// A picture type that no image reader knows (a plugin package missing) would show nothing.
void TestForm1Preview::everyPictureTypeIsReadable() {
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const QString& type : pictureTypes()) {
        if (type != u".wmf") // drawn through libwmf
            QVERIFY2(readable.contains(type.mid(1).toLatin1()), qPrintable(type));
    }
    TestHome home;
    savePicture(home.path("home/Documents/Bildschirmfoto.png"), {50, 20}, Qt::red);
    const auto form = startForm1();
    select(form->File1, 0);
    QVERIFY(form->Picture1->isVisible());
    QCOMPARE(form->Picture1->pixmap().size(), QSize(50, 20));
}

// Pressing on one line and letting go on another previews the line left selected.
void TestForm1Preview::draggedSelectionIsPreviewed() {
    TestHome home;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        home.file(QStringLiteral("home/Documents/") + name, name);
    const auto form = startForm1();
    QWidget* lines = form->File1->viewport();
    const auto at = [&](int row) {
        return form->File1->visualRect(form->File1->model()->index(row, 0)).center();
    };
    QTest::mousePress(lines, Qt::LeftButton, {}, at(1));
    QTest::mouseMove(lines, at(3));
    QTest::mouseRelease(lines, Qt::LeftButton, {}, at(3));
    QCOMPARE(form->mnuName->text(), QStringLiteral("d.txt"));
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("d.txt"));
}

void TestForm1Preview::selectedLineStaysSixthFromTop() {
    TestHome home;
    for (int i = 0; i < 40; ++i)
        home.file(QStringLiteral("home/Documents/%1.txt").arg(i, 2, 10, QChar(u'0')));
    const auto form = startForm1();
    select(form->File1, 6);
    QCOMPARE(form->File1->verticalScrollBar()->value(), 0);
    select(form->File1, 7);
    QCOMPARE(form->File1->verticalScrollBar()->value(), 2);
}

void TestForm1Preview::folderEntryStepsIntoTheFolder() {
    TestHome home;
    home.file("home/Documents/Briefe/brief.txt");
    home.file("home/Documents/a.txt", "A");
    const auto form = startForm1();
    select(form->FileList1, 1); // a.txt first, to have something in the preview
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("A"));
    select(form->FileList1, 0); // " [~home/Documents/Briefe]"
    settle(*form);
    QCOMPARE(form->Text2->text(), home.home("Documents/Briefe"));
    QCOMPARE(form->File1->lines(), QStringList{"brief.txt"});
    QCOMPARE(form->mnuName->text(), QString());
    QVERIFY(form->RichTextBox2->isVisible());
    QCOMPARE(form->RichTextBox2->toPlainText(), QString());
}

void TestForm1Preview::selectedPathOfEachList() {
    TestHome home;
    home.file("akten/x/brief.txt", "Angebot");
    home.file("akten/y/brief.txt", "nichts");
    home.file("akten/y.doc/brief.txt", "im Ordner mit .doc im Namen");
    home.file("flach/brief.txt", "Angebot");
    const auto form = startForm1();
    form->Text2->setText(home.path("akten"));
    settle(*form);
    form->Text1->setText("brief");
    settle(*form);
    form->Command1->click();
    settle(*form);
    select(form->List1, 1);
    form->DateiAuswählen();
    QCOMPARE(form->AuswahlPfad, home.path("akten/x/brief.txt"));
    // A header line previews as nothing, whatever its folder is called.
    select(form->List1, 2);
    QVERIFY(form->RichTextBox2->isVisible());
    QCOMPARE(form->RichTextBox2->toPlainText(), QString());
    QVERIFY(form->List1->line(4).endsWith(u"y.doc]"));
    select(form->List1, 4);
    QVERIFY(!form->OLE1->isVisible());
    QVERIFY(form->RichTextBox2->isVisible());

    form->Text4->setText("angebot");
    form->Command1->click();
    settle(*form);
    select(form->List2, 1);
    form->DateiAuswählen();
    QCOMPARE(form->AuswahlPfad, home.path("akten/x/brief.txt"));

    form->Text2->setText(home.path("flach"));
    settle(*form);
    form->Command1->click(); // no sub-folders: names in the folder
    settle(*form);
    QCOMPARE(form->List2->lines(), QStringList{"brief.txt"});
    select(form->List2, 0);
    form->DateiAuswählen();
    QCOMPARE(form->AuswahlPfad, home.path("flach/brief.txt"));
    QCOMPARE(form->RichTextBox2->toPlainText(), QStringLiteral("Angebot"));
}

void TestForm1Preview::documentsThroughTheOfficeSuite() {
    TestHome home;
    const FakeOffice office(home);
    home.file("home/Documents/Brief an Müller.doc", "alt");
    home.file("home/Documents/notiz.txt", "Text");
    const auto form = startForm1();
    select(form->File1, 0);
    QVERIFY(form->OLE1->isVisible());
    QVERIFY(!form->RichTextBox2->isVisible());
    QCOMPARE(form->AuswahlPfad, home.home("Documents/Brief an Müller.doc"));
    QTRY_COMPARE(form->documentView().shownDocument(), form->AuswahlPfad);

    // The size mode switches with a click and stays for the next document.
    QCOMPARE(form->documentView().sizeMode(), DocumentView::SizeMode::Zoom);
    form->documentView().ole1_click();
    QCOMPARE(form->documentView().sizeMode(), DocumentView::SizeMode::Clip);

    // The second time the cache answers: the suite is not asked again. The size mode stays.
    select(form->File1, 1);
    select(form->File1, 0);
    QCOMPARE(form->documentView().shownDocument(), form->AuswahlPfad);
    QCOMPARE(form->documentView().sizeMode(), DocumentView::SizeMode::Clip);
    QFile log(home.path("soffice.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll().count("--convert-to"), 1);
}

void TestForm1Preview::documentsWithoutOfficeSuite() {
    TestHome home;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(home.folder("leer")));
    home.file("home/Documents/brief.doc", "x");
    const auto form = startForm1();
    select(form->File1, 0);
    QVERIFY(form->OLE1->isVisible());
    QCOMPARE(form->documentView().shownDocument(), QString());
    QVERIFY(!form->WordApp);
    qputenv("PATH", oldPath);
}

// A mail cannot report back: nothing leaves the machine, no script runs, and its page lies where
// nobody else can read or replace it.
void TestForm1Preview::mailIsRenderedFromItsParts() {
    TestHome home;
    QTcpServer tracker;
    QVERIFY(tracker.listen(QHostAddress::LocalHost));
    home.file("home/Documents/Post vom Amt.eml",
              "From: Amt <amt@example.org>\r\nSubject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"
              "Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n"
              "Content-Type: text/html; charset=iso-8859-1\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\n<p>Sehr geehrte Frau M=FCller"
              "<img src=3D\"http://127.0.0.1:" +
                  QByteArray::number(tracker.serverPort()) + "/gelesen.png\"></p>\r\n--b--\r\n");
    const auto form = startForm1();
    select(form->File1, 0);
    QVERIFY(form->WebBrowser1->isVisible());
    QWebEngineView* page = form->webView().page();
    QVERIFY(page);
    QSignalSpy loaded(page, &QWebEngineView::loadFinished);
    QVERIFY(loaded.count() > 0 || loaded.wait(20000));
    QString text;
    page->page()->toPlainText([&](const QString& plain) { text = plain; });
    QTRY_VERIFY(!text.isEmpty());
    QVERIFY2(text.contains(QStringLiteral("Grüße")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Frau Müller")));

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
}

void TestForm1Preview::videoPlaysInTheWebView() {
    TestHome home;
    const QString clip = home.file("home/Documents/Betriebsfeier 2003.avi", "RIFF");
    const auto form = startForm1();
    select(form->File1, 0);
    QVERIFY(form->WebBrowser1->isVisible());
    QVERIFY(form->webView().player());
    QCOMPARE(form->webView().player()->source(), QUrl::fromLocalFile(clip));
}

// The engine wants a page gone before its profile; the other way round it warns, and then tears
// down a page whose profile it has already released.
void TestForm1Preview::pageIsReleasedBeforeItsProfile() {
    TestHome home;
    const QString path = home.file("seite.html", "<p>Hallo</p>");
    auto view = std::make_unique<WebView>();
    view->Navigate(path);
    QSignalSpy loaded(view->page(), &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(20000));
    QTest::failOnWarning(QRegularExpression(QStringLiteral("profile.*still not deleted")));
    view.reset();
}

// A Windows metafile of one red rectangle, 100 x 50 units: placeable header, header, records.
QByteArray redRectangleMetafile() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint16 placeable[] = {0xcdd7, 0x9ac6, 0, 0, 0, 100, 50, 96, 0, 0};
    quint16 checksum = 0;
    for (quint16 word : placeable) {
        out << word;
        checksum ^= word;
    }
    out << checksum;
    const QList<QList<quint16>> records{
        {0x020b, 0, 0},                 // window origin
        {0x020c, 50, 100},              // window extent
        {0x02fc, 0, 0x00ff, 0x0000, 0}, // solid red brush
        {0x012d, 0},                    // select it
        {0x041b, 50, 100, 0, 0},        // rectangle
        {0x0000},                       // end
    };
    quint32 words = 9;
    for (const auto& record : records)
        words += 2 + quint32(record.size());
    out << quint16(1) << quint16(9) << quint16(0x0300) << words << quint16(1) << quint32(7)
        << quint16(0);
    for (const auto& record : records) {
        out << quint32(2 + record.size());
        for (quint16 word : record)
            out << word;
    }
    return bytes;
}

void TestForm1Preview::metafilesAreDrawn() {
    TestHome home;
    const QPixmap drawn = loadPicture(home.file("logo.wmf", redRectangleMetafile()));
    QVERIFY(!drawn.isNull());
    QVERIFY(drawn.width() > drawn.height()); // the rectangle's shape
    QCOMPARE(drawn.toImage().pixelColor(drawn.width() / 2, drawn.height() / 2), QColor(Qt::red));
    QVERIFY(loadPicture(home.file("kaputt.wmf", QByteArray("\xd7\xcd\xc6\x9a", 4))).isNull());
}

QTEST_MAIN(TestForm1Preview)
#include "test_form1_preview.moc"
