#include "office_fixtures.h"
#include "platform/read_only_file.h"
#include "preview/content_loader.h"
#include "preview/preview_text.h"
#include "preview/rich_text_buffer.h"
#include "search/content_match.h"
#include "search/verdict_pool.h"
#include "testdir.h"

#include <QtTest>
#include <utime.h>

using namespace findolin;
using namespace Qt::StringLiterals;

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

// The text as a UTF-16 file holds it, with its byte order mark.
QByteArray utf16(const QString& text, bool bigEndian = false) {
    return QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                          QStringConverter::Flag::WriteBom)(text);
}

} // namespace

class TestContent : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void verdicts();
    void rawBytes();
    void reading();
};

// Queries against the text the loader gives in every encoding and kind of file. Whether the raw
// bytes rule a term out or prove it, the verdict is the one the decoded text gives: with
// characters that fold to a term's letters, and in the kinds of file whose text is not their bytes.
void TestContent::verdicts() {
    QByteArray ole("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);
    ole += QByteArray(600, '\0') + "Angebot 600 MHz" + QByteArray(40, '\x01');
    ole += utf16(QStringLiteral("Rechnung")).sliced(2) + QByteArray(100, '\0');
    const QByteArray words = "Größe Bürostuhl"; // in UTF-8
    const QByteArray rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Die Rech\\b nung\\b0  f\\'fcr "
        "M\\'e4rz 600 M{\\b Hz}\\par}";
    const QByteArray word = docx(wordBody("<w:p><w:r><w:t>Ihre Rech</w:t></w:r><w:r><w:rPr><w:b/>"
                                          "</w:rPr><w:t>nung</w:t></w:r></w:p>" +
                                          para(QStringLiteral("Größe 64 MB"))));
    const QByteArray writer = odt(odfContent(
        "<office:text><text:p>Ihre Rech<text:span>nung</text:span></text:p></office:text>"));
    const std::tuple<QByteArray, QStringList, QStringList> rows[] = {
        {"GR\xd6\xdf\x45 B\xfcrostuhl", {"größe", "GRÖSSE#bürostuhl"}, {"größer"}},
        {words, {"GRÖSSE#bürostuhl", "büro"}, {"größer"}},
        {"\xef\xbb\xbf" + words, {"GRÖSSE#bürostuhl"}, {}},
        {"ÄRGER \u212Aosten", {"ärger", "kosten"}, {}}, // with the Kelvin sign
        {"Ko\u017Ften", {"kosten"}, {}},                // the long s
        {utf16("Gerät mit 600 MHz Entwurf"), {"GERÄT+mhz"}, {"-entwurf", "gerät-entwurf"}},
        {utf16("Gerät mit 600 MHz", true), {"gerät+600"}, {}},
        {rtf, {"rechnung+märz", "600mhz#mhz"}, {"Arial"}},        // the font table is not text
        {ole, {"600 mhz", "rechnung"}, {"MHzRechnung"}},          // runs never run together
        {QByteArray("\x01\0\x02M\0H\0z\0\0\0", 12), {"mhz"}, {}}, // wide, at an odd offset
        {QByteArray("\x01\0MH\x01z\0\x02", 8), {}, {"mhz"}},
        {QByteArray("\x01\0Hz\x01\0", 6), {}, {"hz"}}, // too short to be text
        {QByteArray("\x01\0Angebot 600 MHz\0Entwurf\0", 26), {"600+mhz"}, {"angebot-entwurf"}},
        {QByteArray("PK\x03\x04\x85\0Rechnung 600 MHz\x01\0", 24), {"600+mhz"}, {}},
        {word, {"rechnung+größe"}, {}},
        {writer, {"ihre rechnung"}, {"text:span"}}, // markup is not text
        // A zip that is no office document still gives its printable bytes.
        {zipped({{"liesmich.txt", "Rechnung"}}, true), {"rechnung"}, {}},
        {"Angebot PC 600 MHz, 64 MB. Entwurf 𐐀",
         {"mhz", "600+MHz+64+MB", "733MHz#600 MHz", "-Rechnung", "733MHz#", "entwurf+𐐀", "𐐨"},
         {"-Entwurf", "a--b"}},
    };
    TestDir dir;
    for (const auto& [bytes, hits, misses] : rows) {
        const QString path = dir.file("datei", bytes);
        for (const QString& query : hits)
            QVERIFY2(verdict(path, query) == ContentVerdict::Hit, qPrintable(query));
        for (const QString& query : misses)
            QVERIFY2(verdict(path, query) == ContentVerdict::Miss, qPrintable(query));
    }
    // Asking the PDF library costs far more than reading a small file: a file that begins like a
    // PDF and cannot be one is read as the bytes it holds, and its text searched as any other
    // file's.
    const std::tuple<QByteArray, bool, QString> pdfs[] = {
        {"%PDF-1.4\n1 0 obj\n<<>>\nendobj\n", true, "aus der Bibliothek"},
        {"%PDF-1.3\n%\xe2\xe3\xcf\xd3\nRechnung Kaiser", false, "%PDF-1.3\n%âãÏÓ\nRechnung Kaiser"},
        // What lies beyond the first piece is not looked at: the library is asked.
        {"%PDF-1.3\n" + QByteArray(ContentLoader::kPieceBytes + 10, 'x'), true,
         "aus der Bibliothek"},
    };
    int asked = 0;
    const ContentLoader library([&](const QString&, const TextSink& sink) {
        ++asked;
        sink(u"aus der Bibliothek");
        return true;
    });
    const ContentQuery query(TextAuslesen(QStringLiteral("kaiser#bibliothek")));
    for (const auto& [bytes, libraryAsked, text] : pdfs) {
        const QString path = dir.file("x.pdf", bytes);
        asked = 0;
        QCOMPARE(textOf(library, path), text);
        QCOMPARE(query.test(library, path), ContentVerdict::Hit);
        QCOMPARE(asked, libraryAsked ? 2 : 0); // once for the text, once for the query
    }
}

// The test on raw bytes finds a term's spellings in every encoding, an ASCII one as proof; a term
// it cannot rule out (empty, with a character a decoder makes of broken bytes, a line end) is of
// no use to it.
void TestContent::rawBytes() {
    // A file's kind is told by its first bytes (the verdicts above show the others): a zip with
    // no record of its folder at its end is broken, UTF-16 with its mark is text.
    QCOMPARE(contentKindOf(QByteArray("PK\x03\x04\x85\xab\0\x01", 8)), ContentKind::Binary);
    QCOMPARE(contentKindOf(QByteArray("\xff\xfeH\x00", 4)), ContentKind::PlainText);
    using Found = TermBytes::Found;
    const std::tuple<QString, QByteArray, Found> rows[] = {
        {"mhz", "600 MHz", Found::AsciiSpelling},
        {"mhz", QByteArray("M\0H\0z\0", 6), Found::Spelling},
        {"mhz", QByteArray("\0M\0H\0z", 6), Found::Spelling},
        {"mhz", "M H z", Found::Nothing},
        {"größe", "GR\xd6\xdf\x45", Found::Spelling},
        {"kosten", "\u212Aosten", Found::Spelling},
    };
    for (const auto& [term, bytes, found] : rows) {
        const TermBytes test(term);
        QVERIFY(test.usable());
        QCOMPARE(test.find(bytes), found);
    }
    for (const QString& term :
         {QString(), QStringLiteral("a\uFFFD"), QStringLiteral("a\nb"), QString(QChar(0xd800))})
        QVERIFY(!TermBytes(term).usable());
}

void TestContent::reading() {
    TestDir dir;
    const ContentLoader loader;
    // The pieces of a long text are tested as they come: the reading stops once the answer is
    // certain, and goes on to the end while a NOT term or a missing term may still turn up.
    const std::tuple<QString, bool, bool, bool> rows[] = {
        {"angebot", true, true, false},           {"rechnung-angebot", false, false, false},
        {"angebot-entwurf", false, true, true},   {"angebot-entwurf", true, false, true},
        {"angebot+rechnung", false, false, true},
    };
    for (const auto& [query, draftAtTheEnd, hit, readToTheEnd] : rows) {
        QByteArray bytes = "Angebot " + QByteArray(4 * ContentLoader::kPieceBytes, 'x');
        if (draftAtTheEnd)
            bytes += " Entwurf";
        const QString path = dir.file("lang.txt", bytes);
        auto file = ReadOnlyFile::open(path);
        QVERIFY(file);
        QCOMPARE(ContentQuery(TextAuslesen(query)).test(loader, *file, path),
                 hit ? ContentVerdict::Hit : ContentVerdict::Miss);
        QCOMPARE(file->position() == bytes.size(), readToTheEnd);
    }
    RichTextBuffer buffer(loader);
    QVERIFY(buffer.LoadFile(dir.file("a.txt", "Der B\xfcrostuhl im B\xdcRO")));
    QCOMPARE((QList{buffer.Find(u"büro"_s), buffer.Find(u"STUHL"_s), buffer.Find(u"Tisch"_s),
                    buffer.Find(QString())}),
             (QList<qsizetype>{4, 8, -1, 0}));
    QCOMPARE(buffer.Matches(ContentQuery(TextAuslesen(u"stuhl"))), ContentVerdict::Hit);
    // Neither a missing file nor a folder leaves the document before in the buffer, and what
    // cannot be read is never a hit.
    for (const QString& unreadable : {dir.path("fehlt.txt"), dir.folder("ordner.txt")}) {
        QVERIFY(buffer.LoadFile(dir.file("b.txt", "Angebot")) && !buffer.LoadFile(unreadable));
        QCOMPARE(buffer.Find("angebot"), -1);
        QCOMPARE(buffer.Matches(ContentQuery(TextAuslesen(u"angebot"))),
                 ContentVerdict::Unreadable);
    }
    QCOMPARE(verdict(dir.path("ordner.txt"), "#"), ContentVerdict::Unreadable);
    // A sink that wants no more gets no more, not even the end of a cut sequence.
    int pieces = 0;
    const auto read = loader.readText(dir.file("c.txt", "Preis \xE2\x82"),
                                      [&](QStringView) { return ++pieces > 1; });
    QVERIFY(read.ok() && pieces == 1);
    // Terms straddling the file's read pieces, there with a character's bytes split, and the
    // scanner's search windows.
    for (qsizetype cut :
         {ContentLoader::kPieceBytes, qsizetype(64 * 1024), qsizetype(3 * 64 * 1024 + 5)}) {
        QByteArray bytes(cut + 100'000, 'x');
        bytes.replace(cut - 3, 9, "Größe99");
        const QString path = dir.file(QStringLiteral("gross%1.txt").arg(cut), bytes);
        QCOMPARE(verdict(path, "größe99"), ContentVerdict::Hit);
        QVERIFY(buffer.LoadFile(path));
        QCOMPARE(buffer.Find("Größe99"), cut - 3);
    }
    // And a character outside the basic plane whose two halves come in two pieces.
    const QString deseret = QStringLiteral("x𐐀y");
    TermScanner scanner({QStringLiteral("𐐨Y")});
    scanner.feed(QStringView(deseret).first(2));
    scanner.feed(QStringView(deseret).sliced(2));
    scanner.finish();
    QCOMPARE(scanner.position(0), 1);
    // The preview of rich text keeps its bold and italics, and shows markup as text.
    const auto rtf = previewText(
        loader, dir.file("a.rtf", "{\\rtf1 normal \\b fett\\b0 \\i schr\\'e4g\\i0 <x>}"));
    QVERIFY(rtf && !rtf->cut);
    QVERIFY(rtf->html.contains(u"<span style=\"font-weight:bold;\">fett</span>"));
    QVERIFY(rtf->html.contains(QStringLiteral("<span style=\"font-style:italic;\">schräg</span>")));
    QVERIFY(rtf->html.contains(u"&lt;x&gt;"));
    // A large file is cut at the limit, with a note.
    const auto large = previewText(loader, dir.file("b.txt", QByteArray(5000, 'a')), 1000);
    QVERIFY(large->cut && large->html.contains(QString(1000, u'a')) &&
            !large->html.contains(QString(1001, u'a')) && large->html.contains(u"gekürzt"_s));
    QCOMPARE(previewText(loader, dir.path("fehlt")).error(), OsError::NotFound);
    // A gigabyte of zeros (sparse, so it costs no disk): no text ever arrives, yet a stop is
    // heard after the next piece, and the preview reads only its beginning.
    const QString path = dir.file("leer.txt");
    QVERIFY(QFile::resize(path, qint64(1) << 30));
    auto file = ReadOnlyFile::open(path);
    QVERIFY(file);
    const auto stopAtThird = [asked = 0]() mutable { return ++asked < 3; };
    QCOMPARE(ContentQuery(TextAuslesen(u"angebot")).test(loader, *file, path, stopAtThird),
             ContentVerdict::Stopped);
    QVERIFY(file->position() <= 3 * ContentLoader::kPieceBytes);
    const auto preview = previewText(loader, path);
    QVERIFY(preview && preview->cut);
    // The pool gives each file's verdict in the order of the list, however many read them: one
    // in seven holds the word; f6.txt is missing, and f5.txt is not to be read (a miss).
    QStringList paths;
    for (int i = 0; i < 300; ++i)
        paths << dir.file(u"f%1.txt"_s.arg(i), i % 7 ? "nichts" : "ein Angebot");
    paths[5].clear();
    paths[6] = dir.path("fehlt.txt");
    const ContentQuery query(TextAuslesen(u"angebot"));
    // Each take waits for its batch of verdicts, which the workers wake it for.
    const auto wait = std::chrono::seconds(30);
    for (int workers : {1, 2, 4}) {
        VerdictPool pool(loader, query, paths, workers);
        for (qsizetype i = 0; i < paths.size(); ++i)
            QCOMPARE(pool.take(i, wait), std::optional(i == 6  ? ContentVerdict::Unreadable
                                                       : i % 7 ? ContentVerdict::Miss
                                                               : ContentVerdict::Hit));
    }
    // Documents passed over without a question (headers, pictures) make room for the ones
    // behind them, however many there are in a row.
    QStringList passedOver(VerdictPool::kLookAhead * 3, QString());
    VerdictPool pool(loader, query, passedOver << paths[0], 2);
    QCOMPARE(pool.take(passedOver.size() - 1, wait), std::optional(ContentVerdict::Hit));
    // Reading leaves a file's access time as it was.
    const QString old = dir.file("alt.txt", "Angebot");
    const time_t twoDaysAgo = time(nullptr) - 2 * 24 * 3600;
    const utimbuf times{twoDaysAgo, twoDaysAgo - 3600};
    QCOMPARE(utime(QFile::encodeName(old).constData(), &times), 0);
    QCOMPARE(verdict(old, "angebot"), ContentVerdict::Hit);
    const QFileInfo info(old);
    if (info.ownerId() != geteuid() && geteuid() != 0)
        QSKIP("only the owner may read without touching the access time");
    QCOMPARE(info.lastRead().toSecsSinceEpoch(), twoDaysAgo);
}

QTEST_GUILESS_MAIN(TestContent)
#include "test_content.moc"
