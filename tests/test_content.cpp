#include "office_fixtures.h"
#include "platform/read_only_file.h"
#include "preview/content_loader.h"
#include "preview/preview_text.h"
#include "preview/rich_text_buffer.h"
#include "search/content_match.h"
#include "search/verdict_pool.h"
#include "testdir.h"

#include <QtTest>
#include <sys/stat.h>
#include <utime.h>

using namespace findolin;

namespace {

QString textOf(const ContentLoader& loader, const QString& path) {
    QString text;
    const auto read = loader.readText(path, [&](QStringView piece) {
        text += piece;
        return true;
    });
    return read.ok() ? text : QStringLiteral("<unreadable>");
}

ContentVerdict verdict(const QString& path, const QString& textQuery) {
    const ContentLoader loader;
    return ContentQuery(TextAuslesen(withBlankBeforeLeadingNot(textQuery))).test(loader, path);
}

} // namespace

class TestContent : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void kindsAreToldByContent();
    void textInEveryEncoding_data();
    void textInEveryEncoding();
    void richTextLosesItsMarkup();
    void binaryFilesGiveTheirRuns();
    void pdfLibraryOnlyWhereItCanRead_data();
    void pdfLibraryOnlyWhereItCanRead();
    void officeDocumentsGiveTheirText();
    void queryAgainstContent_data();
    void queryAgainstContent();
    void bytesDecideAsTheText_data();
    void bytesDecideAsTheText();
    void termAcrossPieceBoundaries();
    void readsNoFurtherThanTheAnswerNeeds_data();
    void readsNoFurtherThanTheAnswerNeeds();
    void unreadableIsNeverAHit();
    void findGivesPositions();
    void readingLeavesAccessTimeAlone();
    void previewKeepsFormattingAndCutsLargeFiles();
    void fileWithoutTextStopsAndIsCut();
    void poolGivesVerdictsInOrder();
};

void TestContent::kindsAreToldByContent() {
    QCOMPARE(contentKindOf("{\\rtf1\\ansi x}"), ContentKind::RichText);
    QCOMPARE(contentKindOf("%PDF-1.4\n1 0 obj"), ContentKind::Pdf);
    QCOMPARE(contentKindOf(QByteArray("PK\x03\x04rest PK\x05\x06", 13)), ContentKind::ZipContainer);
    // Broken: no record of the zip's folder at its end.
    QCOMPARE(contentKindOf(QByteArray("PK\x03\x04\x85\xab\0\x01", 8)), ContentKind::Binary);
    QCOMPARE(contentKindOf(QByteArray("\xd0\xcf\x11\xe0\x00\x00", 6)), ContentKind::Binary);
    QCOMPARE(contentKindOf("Sehr geehrte Damen"), ContentKind::PlainText);
    QCOMPARE(contentKindOf(QByteArray("\xff\xfeH\x00", 4)), ContentKind::PlainText);
}

void TestContent::textInEveryEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString words = QStringLiteral("Größe Bürostuhl");
    QTest::newRow("Windows-1252") << QByteArray("Gr\xf6\xdf"
                                                "e B\xfcrostuhl")
                                  << words;
    QTest::newRow("UTF-8") << words.toUtf8() << words;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xef\xbb\xbf") + words.toUtf8() << words;
    QByteArray le("\xff\xfe", 2);
    for (QChar c : words)
        le += QByteArray(1, char(c.unicode() & 0xff)) + QByteArray(1, char(c.unicode() >> 8));
    QTest::newRow("UTF-16LE") << le << words;
}

void TestContent::textInEveryEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    TestDir dir;
    const QString path = dir.file("brief.txt", bytes);
    QCOMPARE(textOf(ContentLoader(), path), text);
    QCOMPARE(verdict(path, QStringLiteral("GRÖSSE#bürostuhl")), ContentVerdict::Hit);
}

void TestContent::richTextLosesItsMarkup() {
    TestDir dir;
    const QString path = dir.file(
        "brief.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Die Rech\\b nung\\b0  f\\'fcr "
                     "M\\'e4rz\\par}");
    QCOMPARE(textOf(ContentLoader(), path), QStringLiteral("Die Rechnung für März\n"));
    QCOMPARE(verdict(path, "rechnung+märz"), ContentVerdict::Hit);
    QCOMPARE(verdict(path, "Arial"), ContentVerdict::Miss); // the font table is not text
}

void TestContent::binaryFilesGiveTheirRuns() {
    TestDir dir;
    QByteArray ole("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);
    ole += QByteArray(600, '\0') + "Angebot 600 MHz" + QByteArray(40, '\x01');
    for (char c : QByteArray("Rechnung"))
        ole += QByteArray(1, c) + QByteArray(1, '\0');
    ole += QByteArray(100, '\0');
    const QString path = dir.file("alt.doc", ole);
    QCOMPARE(verdict(path, "600 mhz"), ContentVerdict::Hit);
    QCOMPARE(verdict(path, "rechnung"), ContentVerdict::Hit);
    QCOMPARE(verdict(path, "MHzRechnung"), ContentVerdict::Miss); // runs never run together
}

void TestContent::pdfLibraryOnlyWhereItCanRead_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("libraryAsked");
    QTest::addColumn<QString>("text");
    QTest::newRow("objects") << QByteArray("%PDF-1.4\n1 0 obj\n<<>>\nendobj\n") << true
                             << "aus der Bibliothek";
    QTest::newRow("broken, no object")
        << QByteArray("%PDF-1.3\n%\xe2\xe3\xcf\xd3\nRechnung Kaiser") << false
        << QStringLiteral("%PDF-1.3\n%âãÏÓ\nRechnung Kaiser");
    // What lies beyond the first piece is not looked at: the library is asked.
    QTest::newRow("large, no object in the first piece")
        << "%PDF-1.3\n" + QByteArray(ContentLoader::kPieceBytes + 10, 'x') << true
        << "aus der Bibliothek";
}

// Asking the PDF library costs far more than reading a small file: a file that begins like a PDF
// and cannot be one is read as the bytes it holds, and its text searched as any other file's.
void TestContent::pdfLibraryOnlyWhereItCanRead() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, libraryAsked);
    QFETCH(QString, text);
    TestDir dir;
    bool asked = false;
    const ContentLoader loader([&](const QString&, const TextSink& sink) {
        asked = true;
        sink(u"aus der Bibliothek");
        return true;
    });
    const QString path = dir.file("x.pdf", bytes);
    QCOMPARE(textOf(loader, path), text);
    QCOMPARE(asked, libraryAsked);
    asked = false;
    const ContentQuery query(TextAuslesen(QStringLiteral("kaiser#bibliothek")));
    QCOMPARE(query.test(loader, path), ContentVerdict::Hit);
    QCOMPARE(asked, libraryAsked);
}

void TestContent::officeDocumentsGiveTheirText() {
    TestDir dir;
    const QString word = dir.file(
        "brief.docx", docx(wordBody("<w:p><w:r><w:t>Ihre Rech</w:t></w:r><w:r><w:rPr><w:b/></w:rPr>"
                                    "<w:t>nung</w:t></w:r></w:p>" +
                                    para(QStringLiteral("Größe 64 MB")))));
    QCOMPARE(verdict(word, QStringLiteral("rechnung+größe")), ContentVerdict::Hit);
    const QString writer = dir.file(
        "brief.odt", odt(odfContent("<office:text><text:p>Ihre Rech<text:span>nung</text:span>"
                                    "</text:p></office:text>")));
    QCOMPARE(verdict(writer, "ihre rechnung"), ContentVerdict::Hit);
    QCOMPARE(verdict(writer, "text:span"), ContentVerdict::Miss); // markup is not text
    // A zip that is no office document still gives its printable bytes.
    const QString other = dir.file("daten.zip", zipped({{"liesmich.txt", "Rechnung"}}, true));
    QCOMPARE(verdict(other, "rechnung"), ContentVerdict::Hit);
}

void TestContent::queryAgainstContent_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("hit");
    // The document: "Angebot PC 600 MHz, 64 MB. Entwurf 𐐀" (the last outside the basic plane)
    QTest::newRow("one term, other case") << "mhz" << true;
    QTest::newRow("AND") << "600+MHz+64+MB" << true;
    QTest::newRow("OR, second group") << "733MHz#600 MHz" << true;
    QTest::newRow("only NOT, with its blank") << "-Entwurf" << false;
    QTest::newRow("only NOT of a missing word") << "-Rechnung" << true;
    QTest::newRow("empty OR group") << "733MHz#" << true;
    QTest::newRow("empty NOT term excludes all") << "a--b" << false;
    QTest::newRow("outside the basic plane") << "entwurf+𐐀" << true;
    QTest::newRow("outside the basic plane, other case") << "𐐨" << true;
}

void TestContent::queryAgainstContent() {
    QFETCH(QString, query);
    QFETCH(bool, hit);
    TestDir dir;
    const QString path = dir.file("angebot.txt", "Angebot PC 600 MHz, 64 MB. Entwurf 𐐀");
    QCOMPARE(verdict(path, query), hit ? ContentVerdict::Hit : ContentVerdict::Miss);
}

void TestContent::bytesDecideAsTheText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("hit");
    const auto utf16 = [](const QString& text, bool bigEndian) {
        QByteArray bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";
        for (const QChar c : text) {
            const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xff);
            bytes += bigEndian ? QByteArray{&high, 1} + low : QByteArray{&low, 1} + high;
        }
        return bytes;
    };
    QTest::newRow("UTF-16LE") << utf16("Gerät mit 600 MHz", false) << "GERÄT+mhz" << true;
    QTest::newRow("UTF-16BE") << utf16("Gerät mit 600 MHz", true) << "gerät+600" << true;
    QTest::newRow("UTF-16, NOT term") << utf16("Entwurf", false) << "-entwurf" << false;
    QTest::newRow("Windows-1252 umlaut") << QByteArray("GR\xd6\xdf"
                                                       "E")
                                         << "größe" << true;
    QTest::newRow("UTF-8 upper umlaut") << QString("ÄRGER").toUtf8() << "ärger" << true;
    QTest::newRow("Kelvin sign for k") << QString("\u212Aosten").toUtf8() << "kosten" << true;
    QTest::newRow("long s for s") << QString("Ko\u017Ften").toUtf8() << "kosten" << true;
    QTest::newRow("binary, wide run at odd offset")
        << QByteArray("\x01\0\x02M\0H\0z\0\0\0", 12) << "mhz" << true;
    QTest::newRow("binary, term across two runs")
        << QByteArray("\x01\0MH\x01z\0\x02", 8) << "mhz" << false;
    QTest::newRow("binary, term inside a run")
        << QByteArray("\x01\0Angebot 600 MHz\0", 18) << "600+mhz" << true;
    QTest::newRow("binary, run too short to be text")
        << QByteArray("\x01\0Hz\x01\0", 6) << "hz" << false;
    QTest::newRow("zip without its folder record")
        << QByteArray("PK\x03\x04\x85\0Rechnung 600 MHz\x01\0", 24) << "600+mhz" << true;
    QTest::newRow("binary, NOT term in a run")
        << QByteArray("\x01\0Angebot\0Entwurf\0", 18) << "angebot-entwurf" << false;
    QTest::newRow("rich text, term split by markup")
        << QByteArray("{\\rtf1 600 M{\\b Hz}}") << "600mhz#mhz" << true;
}

// Whether the raw bytes rule a term out or prove it, the verdict is the one the decoded text
// gives: in every encoding, with characters that fold to a term's letters, and in the kinds of
// file whose text is not their bytes.
void TestContent::bytesDecideAsTheText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, query);
    QFETCH(bool, hit);
    TestDir dir;
    QCOMPARE(verdict(dir.file("datei", bytes), query),
             hit ? ContentVerdict::Hit : ContentVerdict::Miss);
}

void TestContent::termAcrossPieceBoundaries() {
    TestDir dir;
    // Terms straddling the file's read pieces and the scanner's search windows.
    for (qsizetype cut :
         {ContentLoader::kPieceBytes, qsizetype(64 * 1024), qsizetype(3 * 64 * 1024 + 5)}) {
        QByteArray bytes(cut + 100'000, 'x');
        bytes.replace(cut - 4, 10, "Rechnung99");
        const QString path = dir.file(QStringLiteral("gross%1.txt").arg(cut), bytes);
        QCOMPARE(verdict(path, "rechnung99"), ContentVerdict::Hit);
        const ContentLoader loader;
        RichTextBuffer buffer(loader);
        QVERIFY(buffer.LoadFile(path));
        QCOMPARE(buffer.Find("Rechnung99"), cut - 4);
    }
    // The same with a multi-byte sequence split by the piece boundary.
    QByteArray bytes(ContentLoader::kPieceBytes - 1, 'x');
    bytes += QStringLiteral("Größe").toUtf8();
    QCOMPARE(verdict(dir.file("utf8.txt", bytes), "größe"), ContentVerdict::Hit);

    // And a character outside the basic plane whose two halves come in two pieces.
    const QString deseret = QStringLiteral("x𐐀y");
    TermScanner scanner({QStringLiteral("𐐨Y")});
    scanner.feed(QStringView(deseret).first(2));
    scanner.feed(QStringView(deseret).sliced(2));
    scanner.finish();
    QCOMPARE(scanner.position(0), 1);
}

void TestContent::readsNoFurtherThanTheAnswerNeeds_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("draftAtTheEnd");
    QTest::addColumn<bool>("hit");
    QTest::addColumn<bool>("readToTheEnd");
    // The document: "Angebot", then pieces of filler, then "Entwurf" in some rows.
    QTest::newRow("hit found at the start") << "angebot" << true << true << false;
    QTest::newRow("NOT term found at the start") << "rechnung-angebot" << false << false << false;
    QTest::newRow("NOT term may still come") << "angebot-entwurf" << false << true << true;
    QTest::newRow("NOT term comes at the end") << "angebot-entwurf" << true << false << true;
    QTest::newRow("a term never found") << "angebot+rechnung" << false << false << true;
}

// The pieces of a long text are tested as they come: the reading stops once the answer is
// certain, and goes on to the end while a NOT term or a missing term may still turn up.
void TestContent::readsNoFurtherThanTheAnswerNeeds() {
    QFETCH(QString, query);
    QFETCH(bool, draftAtTheEnd);
    QFETCH(bool, hit);
    QFETCH(bool, readToTheEnd);
    TestDir dir;
    QByteArray bytes = "Angebot " + QByteArray(4 * ContentLoader::kPieceBytes, 'x');
    if (draftAtTheEnd)
        bytes += " Entwurf";
    const QString path = dir.file("lang.txt", bytes);
    const ContentLoader loader;
    auto file = ReadOnlyFile::open(path);
    QVERIFY(file);
    QCOMPARE(ContentQuery(TextAuslesen(query)).test(loader, *file, path),
             hit ? ContentVerdict::Hit : ContentVerdict::Miss);
    QCOMPARE(file->position() == bytes.size(), readToTheEnd);
}

void TestContent::unreadableIsNeverAHit() {
    TestDir dir;
    const ContentLoader loader;
    RichTextBuffer buffer(loader);
    QVERIFY(buffer.LoadFile(dir.file("a.txt", "Angebot")));
    QCOMPARE(buffer.Find("angebot"), 0);
    // Neither a missing file nor a folder leaves the document before in the buffer.
    QVERIFY(!buffer.LoadFile(dir.path("fehlt.txt")));
    QCOMPARE(buffer.Find("angebot"), -1);
    QCOMPARE(buffer.Matches(ContentQuery(TextAuslesen(u"angebot"))), ContentVerdict::Unreadable);
    QVERIFY(!buffer.LoadFile(dir.folder("ordner.txt")));
    QCOMPARE(buffer.Find("angebot"), -1);
    QCOMPARE(verdict(dir.path("ordner.txt"), "#"), ContentVerdict::Unreadable);
}

void TestContent::findGivesPositions() {
    TestDir dir;
    const ContentLoader loader;
    RichTextBuffer buffer(loader);
    QVERIFY(buffer.LoadFile(dir.file("a.txt", "Der B\xfcrostuhl im B\xdcRO")));
    QCOMPARE(buffer.Find(QStringLiteral("büro")), 4);
    QCOMPARE(buffer.Find(QStringLiteral("STUHL")), 8);
    QCOMPARE(buffer.Find(QStringLiteral("Tisch")), -1);
    QCOMPARE(buffer.Find(QString()), 0);
}

void TestContent::readingLeavesAccessTimeAlone() {
    TestDir dir;
    const QString path = dir.file("alt.txt", "Angebot");
    const QByteArray name = QFile::encodeName(path);
    const time_t twoDaysAgo = time(nullptr) - 2 * 24 * 3600;
    utimbuf times{twoDaysAgo, twoDaysAgo - 3600};
    QCOMPARE(utime(name.constData(), &times), 0);
    QCOMPARE(verdict(path, "angebot"), ContentVerdict::Hit);
    struct stat st;
    QCOMPARE(stat(name.constData(), &st), 0);
    if (st.st_uid != geteuid() && geteuid() != 0)
        QSKIP("only the owner may read without touching the access time");
    QCOMPARE(st.st_atime, twoDaysAgo);
    QCOMPARE(st.st_mtime, twoDaysAgo - 3600);
}

void TestContent::previewKeepsFormattingAndCutsLargeFiles() {
    TestDir dir;
    const ContentLoader loader;
    const auto rtf = previewText(
        loader, dir.file("a.rtf", "{\\rtf1 normal \\b fett\\b0 \\i schr\\'e4g\\i0 <x>}"));
    QVERIFY(rtf);
    QVERIFY(!rtf->cut);
    QVERIFY(rtf->html.contains(u"<span style=\"font-weight:bold;\">fett</span>"));
    QVERIFY(rtf->html.contains(QStringLiteral("<span style=\"font-style:italic;\">schräg</span>")));
    QVERIFY(rtf->html.contains(u"&lt;x&gt;"));

    const auto large = previewText(loader, dir.file("b.txt", QByteArray(5000, 'a')), 1000);
    QVERIFY(large->cut);
    QVERIFY(large->html.contains(QString(1000, u'a')));
    QVERIFY(!large->html.contains(QString(1001, u'a')));
    QVERIFY(large->html.contains(QStringLiteral("gekürzt")));
    QCOMPARE(previewText(loader, dir.path("fehlt")).error(), OsError::NotFound);
}

// A gigabyte of zeros (sparse, so it costs no disk): no text ever arrives, yet a stop is heard
// after the next piece, and the preview reads only its beginning.
void TestContent::fileWithoutTextStopsAndIsCut() {
    TestDir dir;
    const QString path = dir.path("leer.txt");
    QFile sparse(path);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(1) << 30));
    sparse.close();
    const ContentLoader loader;
    auto file = ReadOnlyFile::open(path);
    QVERIFY(file);
    int asked = 0;
    const auto stopAtThird = [&] { return ++asked < 3; };
    QCOMPARE(ContentQuery(TextAuslesen(u"angebot")).test(loader, *file, path, stopAtThird),
             ContentVerdict::Stopped);
    QVERIFY(file->position() <= 3 * ContentLoader::kPieceBytes);

    const auto preview = previewText(loader, path);
    QVERIFY(preview && preview->cut);
}

void TestContent::poolGivesVerdictsInOrder() {
    TestDir dir;
    QStringList paths;
    QList<ContentVerdict> expected;
    for (int i = 0; i < 300; ++i) {
        const bool hit = i % 7 == 0;
        paths << dir.file(QStringLiteral("f%1.txt").arg(i), hit ? "ein Angebot" : "nichts");
        expected << (hit ? ContentVerdict::Hit : ContentVerdict::Miss);
    }
    paths[5].clear(); // not to be read
    expected[5] = ContentVerdict::Miss;
    paths[6] = dir.path("fehlt.txt");
    expected[6] = ContentVerdict::Unreadable;
    const ContentLoader loader;
    const ContentQuery query(TextAuslesen(u"angebot"));
    for (int workers : {1, 2, 4}) {
        VerdictPool pool(loader, query, paths, workers);
        QList<ContentVerdict> verdicts;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            std::optional<ContentVerdict> verdict;
            while (!(verdict = pool.take(i, std::chrono::milliseconds(10)))) {
            }
            verdicts << *verdict;
        }
        QCOMPARE(verdicts, expected);
    }

    // Documents passed over without a question (headers, pictures) make room for the ones
    // behind them, however many there are in a row.
    QStringList passedOver(VerdictPool::kLookAhead * 3, QString());
    passedOver << paths[0];
    VerdictPool pool(loader, query, passedOver, 2);
    std::optional<ContentVerdict> verdict;
    for (int tries = 0; tries < 3000 && !verdict; ++tries)
        verdict = pool.take(passedOver.size() - 1, std::chrono::milliseconds(10));
    QCOMPARE(verdict, std::optional(ContentVerdict::Hit));
}

QTEST_GUILESS_MAIN(TestContent)
#include "test_content.moc"
