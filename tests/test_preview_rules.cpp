#include "preview/file_types.h"
#include "preview/picture_scaling.h"

#include <QtTest>

using namespace findolin;

Q_DECLARE_METATYPE(findolin::PreviewClass)
Q_DECLARE_METATYPE(findolin::WebMode)

class TestPreviewRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void classByName_data();
    void classByName();
    void webModeByOwnExtension_data();
    void webModeByOwnExtension();
    void onlyLocalAddressesLoad();
    void fullScreenScaling();
    void normalArea();
};

// The text search passes over by name what the preview shows as a picture, and drawings.
void TestPreviewRules::classByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<PreviewClass>("expected");
    QTest::addColumn<bool>("passedOverByTextSearch");
    const auto row = [](const char* tag, const char* name, PreviewClass expected, bool skipped) {
        QTest::newRow(tag) << QString::fromUtf8(name) << expected << skipped;
    };
    row("picture, case ignored", "FOTO.JPG", PreviewClass::Picture, true);
    row("jpeg", "bild.jpeg", PreviewClass::Picture, true);
    row("png", "Bildschirmfoto.PNG", PreviewClass::Picture, true);
    row("tif", "scan.tif", PreviewClass::Picture, true);
    row("tiff", "scan.tiff", PreviewClass::Picture, true);
    row("webp", "handy.webp", PreviewClass::Picture, true);
    row("picture string inside", "urlaub.gif.txt", PreviewClass::Picture, true);
    row("picture before document", "report.gifts.doc", PreviewClass::Picture, true);
    row("document inside", "brief.doc.txt", PreviewClass::Document, false);
    row("docx", "brief.docx", PreviewClass::Document, false);
    row("xlsx", "liste.xlsx", PreviewClass::Document, false);
    row("drawing", "plan.CDR", PreviewClass::Document, true);
    row("document before web", "a.htm.doc", PreviewClass::Document, false);
    row("page", "seite.html", PreviewClass::Web, false);
    row("mail", "Post.eml", PreviewClass::Web, false);
    row("mpeg", "film.mpeg", PreviewClass::Web, false);
    row("mpg", "clip.mpg", PreviewClass::Web, false);
    row("text", "notiz.txt", PreviewClass::Other, false);
    row("png without its dot", "png-Liste.txt", PreviewClass::Other, false);
    row("no extension", "LIESMICH", PreviewClass::Other, false);
    row("type after other dots", "v1.2.Jpg", PreviewClass::Picture, true);
    row("dot at the end", "Brief.", PreviewClass::Other, false);
}

void TestPreviewRules::classByName() {
    QFETCH(QString, name);
    QFETCH(PreviewClass, expected);
    QFETCH(bool, passedOverByTextSearch);
    QCOMPARE(previewClassOf(name), expected);
    QCOMPARE(isPictureOrDrawingName(name), passedOverByTextSearch);
}

// Only the file's own extension tells a mail or a video from a page.
void TestPreviewRules::webModeByOwnExtension_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<WebMode>("expected");
    QTest::newRow("page") << "/home/a/seite.html" << WebMode::Page;
    QTest::newRow("mail, case ignored") << "/home/a/Post.EML" << WebMode::Mail;
    QTest::newRow("video") << "/home/a/Feier.avi" << WebMode::Video;
    QTest::newRow("mpeg") << "/home/a/film.mpeg" << WebMode::Video;
    QTest::newRow("video string in the name") << "/home/a/lieferung.avis.htm" << WebMode::Page;
    QTest::newRow("mail string in the folder") << "/home/a/x.eml/seite.htm" << WebMode::Page;
    QTest::newRow("video string in the folder") << "/home/a/clip.mpg.d/Post.eml" << WebMode::Mail;
}

void TestPreviewRules::onlyLocalAddressesLoad() {
    for (const char* local :
         {"file:///home/a/seite.htm", "data:image/png;base64,AAAA", "about:blank"})
        QVERIFY2(isLocalUrl(QUrl(QString::fromLatin1(local))), local);
    for (const char* remote :
         {"http://example.org/x.png", "https://tracker.example/p?id=1", "HTTP://127.0.0.1:8080/",
          "ftp://example.org/a", "file://server/share/a", "ws://example.org/"})
        QVERIFY2(!isLocalUrl(QUrl(QString::fromLatin1(remote))), remote);
}

void TestPreviewRules::webModeByOwnExtension() {
    QFETCH(QString, path);
    QFETCH(WebMode, expected);
    QCOMPARE(webModeOf(path), expected);
}

void TestPreviewRules::fullScreenScaling() {
    // A screen of 1024 x 768 pixels at 15 twips per pixel.
    const QSizeF screen(15360, 11520);
    const QSizeF picture(12000, 9000); // 800 x 600
    QCOMPARE(fullScreenPictureSize(picture, screen, Zoom::Off), std::nullopt);
    QCOMPARE(fullScreenPictureSize(picture, screen, Zoom::On), QSizeF(15360, 11520));

    const auto portrait = fullScreenPictureSize(QSizeF(9000, 12000), screen, Zoom::Off);
    QVERIFY(portrait);
    QVERIFY(qFuzzyCompare(portrait->height(), 10598.4));
    QVERIFY(qFuzzyCompare(portrait->width(), 7948.8));

    const auto panorama = fullScreenPictureSize(QSizeF(45000, 15000), screen, Zoom::Off);
    QCOMPARE(*panorama, QSizeF(15360, 5120));
    // Wider than the screen but not higher: scaled as well.
    QVERIFY(fullScreenPictureSize(QSizeF(16000, 100), screen, Zoom::Off));
}

void TestPreviewRules::normalArea() {
    QCOMPARE(normalPictureArea(12000, 4000, 6744), QRectF(4030, 0, 7870, 6744));
}

QTEST_GUILESS_MAIN(TestPreviewRules)
#include "test_preview_rules.moc"
