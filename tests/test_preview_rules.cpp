#include "preview/file_types.h"
#include "preview/picture_scaling.h"

#include <QtTest>

using namespace findolin;

class TestPreviewRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A name, its class (Picture, Document, Web, Other), whether the text search passes over it.
    // The first class whose type the name holds anywhere wins.
    void classByName() {
        for (const QString row :
             {"FOTO.JPG|P|+", "scan.tiff|P|+", "urlaub.gif.txt|P|+", "report.gifts.doc|P|+",
              "v1.2.Jpg|P|+", "brief.doc.txt|D|-", "liste.xlsx|D|-", "plan.CDR|D|+",
              "a.htm.doc|D|-", "seite.html|W|-", "Post.eml|W|-", "clip.mpg|W|-", "notiz.txt|O|-",
              "png-Liste.txt|O|-", "LIESMICH|O|-", "Brief.|O|-"}) {
            const QString name = row.section(u'|', 0, 0);
            QCOMPARE(name + u'|' + "PDWO"[int(previewClassOf(name))] +
                         (isPictureOrDrawingName(name) ? "|+" : "|-"),
                     row);
        }
    }

    // Only the file's own extension tells a mail or a video from a page.
    void webModeByOwnExtension() {
        for (const QString row :
             {"/home/a/seite.html|P", "/home/a/Post.EML|M", "/home/a/Feier.avi|V",
              "/home/a/film.mpeg|V", "/home/a/clip.MPG|V", "/home/a/lieferung.avis.htm|P",
              "/home/a/x.eml/seite.htm|P", "/home/a/clip.mpg.d/Post.eml|M"}) {
            const QString path = row.section(u'|', 0, 0);
            QCOMPARE(path + u'|' + "PMV"[int(webModeOf(path))], row);
        }
        for (const char* local :
             {"file:///home/a/seite.htm", "data:image/png;base64,AAAA", "about:blank", "FILE:///x"})
            QVERIFY2(isLocalUrl(QUrl(QString::fromLatin1(local))), local);
        for (const char* remote : {"http://example.org/x.png", "https://tracker.example/p?id=1",
                                   "HTTP://127.0.0.1:8080/", "ftp://example.org/a",
                                   "file://server/share/a", "ws://example.org/"})
            QVERIFY2(!isLocalUrl(QUrl(QString::fromLatin1(remote))), remote);
    }

    // A screen of 1024 x 768 pixels at 15 twips per pixel.
    void fullScreenScaling() {
        const QSizeF screen(15360, 11520);
        QCOMPARE(fullScreenPictureSize({12000, 9000}, screen, Zoom::Off), std::nullopt);
        QCOMPARE(fullScreenPictureSize({12000, 9000}, screen, Zoom::On), screen); // exactly 4:3
        const auto portrait = fullScreenPictureSize({9000, 12000}, screen, Zoom::Off);
        QVERIFY(qFuzzyCompare(portrait->height(), 10598.4)); // 92 % of the screen
        QVERIFY(qFuzzyCompare(portrait->width(), 7948.8));
        QCOMPARE(fullScreenPictureSize({45000, 15000}, screen, Zoom::Off), QSizeF(15360, 5120));
        // Larger in one direction only: scaled as well.
        QCOMPARE(fullScreenPictureSize({16000, 100}, screen, Zoom::Off), QSizeF(15360, 96));
        QVERIFY(fullScreenPictureSize({100, 12000}, screen, Zoom::Off));
        QCOMPARE(normalPictureArea(12000, 4000, 6744), QRectF(4030, 0, 7870, 6744));
    }
};

QTEST_GUILESS_MAIN(TestPreviewRules)
#include "test_preview_rules.moc"
