#include "preview/file_types.h"
#include "preview/picture_scaling.h"

#include <QtTest>

using namespace findolin;

Q_DECLARE_METATYPE(findolin::PreviewClass)

class TestPreviewRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void classByName_data();
    void classByName();
    void fullScreenScaling();
    void normalArea();
};

void TestPreviewRules::classByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<PreviewClass>("expected");
    QTest::newRow("picture, case ignored") << "FOTO.JPG" << PreviewClass::Picture;
    QTest::newRow("jpeg is no picture here") << "bild.jpeg" << PreviewClass::Other;
    QTest::newRow("png") << "bild.png" << PreviewClass::Other;
    QTest::newRow("tif") << "scan.tif" << PreviewClass::Other;
    QTest::newRow("picture string inside") << "urlaub.gif.txt" << PreviewClass::Picture;
    QTest::newRow("picture before document") << "report.gifts.doc" << PreviewClass::Picture;
    QTest::newRow("document inside") << "brief.doc.txt" << PreviewClass::Document;
    QTest::newRow("docx") << "brief.docx" << PreviewClass::Document;
    QTest::newRow("xlsx") << "liste.xlsx" << PreviewClass::Document;
    QTest::newRow("drawing") << "plan.CDR" << PreviewClass::Document;
    QTest::newRow("document before web") << "a.htm.doc" << PreviewClass::Document;
    QTest::newRow("page") << "seite.html" << PreviewClass::Web;
    QTest::newRow("mail") << "Post.eml" << PreviewClass::Web;
    QTest::newRow("mpeg") << "film.mpeg" << PreviewClass::Web;
    QTest::newRow("mpg") << "clip.mpg" << PreviewClass::Web;
    QTest::newRow("text") << "notiz.txt" << PreviewClass::Other;
    QTest::newRow("no extension") << "LIESMICH" << PreviewClass::Other;
}

void TestPreviewRules::classByName() {
    QFETCH(QString, name);
    QFETCH(PreviewClass, expected);
    QCOMPARE(previewClassOf(name), expected);
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
