#include "preview/text_decoding.h"

#include <QtTest>

using namespace findolin;

namespace {

QByteArray utf16(const QString& text, bool bigEndian = false) {
    QByteArray bytes;
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        bytes.append(bigEndian ? high : low);
        bytes.append(bigEndian ? low : high);
    }
    return bytes;
}

// The whole text of `bytes` read in two pieces, cut at `cut`.
QString decodeInTwo(const QByteArray& bytes, qsizetype cut) {
    TextDecoder decoder;
    QString text = decoder.decode(QByteArrayView(bytes).first(cut));
    text += decoder.decode(QByteArrayView(bytes).sliced(cut));
    return text + decoder.finish();
}

QString runsInPieces(const QByteArray& bytes, int minimum, qsizetype pieceSize) {
    PrintableRuns runs(minimum);
    QString text;
    for (qsizetype i = 0; i < bytes.size(); i += pieceSize)
        text += runs.feed(QByteArrayView(bytes).sliced(i, qMin(pieceSize, bytes.size() - i)));
    return text + runs.finish();
}

} // namespace

class TestTextDecoding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windows1252_data();
    void windows1252();
    void decoderChoosesEncoding_data();
    void decoderChoosesEncoding();
    void decoderJoinsSplitSequences_data();
    void decoderJoinsSplitSequences();
    void brokenTextDecodesTheSameInAnyPieces();
    void decoderEndsCutSequences();
    void binaryHead_data();
    void binaryHead();
    void printableRuns_data();
    void printableRuns();
    void printableRunsInPieces_data();
    void printableRunsInPieces();
    void printableRunsOfAnyLength();
};

void TestTextDecoding::windows1252_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("Größe") << QByteArray("Gr\xF6\xDF"
                                         "e")
                           << QStringLiteral("Größe");
    QTest::newRow("Bürostuhl") << QByteArray("B\xFCrostuhl") << QStringLiteral("Bürostuhl");
    QTest::newRow("typography") << QByteArray("\x84Preis\x93 \x96 5 \x80\x85 \x95 \x99")
                                << QStringLiteral("„Preis“ – 5 €… • ™");
    QTest::newRow("letters in 0x80-0x9F")
        << QByteArray("\x8A\x9A\x8C\x9C\x8E\x9E\x9F\x83") << QStringLiteral("ŠšŒœŽžŸƒ");
    QTest::newRow("undefined codes")
        << QByteArray("\x81\x8D\x8F\x90\x9D") << QString(5, QChar::ReplacementCharacter);
    QTest::newRow("Latin-1 above 0x9F") << QByteArray("\xA0\xA9\xFF") << QStringLiteral("\u00A0©ÿ");
}

void TestTextDecoding::windows1252() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeWindows1252(bytes), text);
    QString appended = QStringLiteral("vorher:");
    appendWindows1252(appended, bytes);
    QCOMPARE(appended, QStringLiteral("vorher:") + text);
}

void TestTextDecoding::decoderChoosesEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("text");

    const QString umlauts = QStringLiteral("Größe € 😀");
    QTest::newRow("Windows-1252") << QByteArray("Gr\xF6\xDF"
                                                "e")
                                  << int(TextDecoder::Encoding::Windows1252)
                                  << QStringLiteral("Größe");
    QTest::newRow("UTF-8") << umlauts.toUtf8() << int(TextDecoder::Encoding::Utf8) << umlauts;
    QTest::newRow("UTF-8 with BOM")
        << "\xEF\xBB\xBF" + umlauts.toUtf8() << int(TextDecoder::Encoding::Utf8) << umlauts;
    QTest::newRow("UTF-16LE with BOM")
        << "\xFF\xFE" + utf16(umlauts) << int(TextDecoder::Encoding::Utf16LE) << umlauts;
    QTest::newRow("UTF-16BE with BOM")
        << "\xFE\xFF" + utf16(umlauts, true) << int(TextDecoder::Encoding::Utf16BE) << umlauts;
    // One byte of the wrong encoding decides for the whole file.
    QTest::newRow("UTF-8 but one Latin-1 byte")
        << QStringLiteral("Grüße aus ").toUtf8() + "M\xFCnchen"
        << int(TextDecoder::Encoding::Windows1252) << QStringLiteral("GrÃ¼ÃŸe aus München");
    QTest::newRow("overlong UTF-8 form")
        << QByteArray("a\xE0\x80\xAF") << int(TextDecoder::Encoding::Windows1252)
        << QStringLiteral("aà€¯");
    QTest::newRow("UTF-8 encoded surrogate")
        << QByteArray("a\xED\xA0\x80") << int(TextDecoder::Encoding::Windows1252)
        << QStringLiteral("aí") + QChar(0x00A0) + QStringLiteral("€");
    QTest::newRow("UTF-8 cut at the end")
        << QByteArray("Preis \xE2\x82") << int(TextDecoder::Encoding::Utf8)
        << QStringLiteral("Preis \uFFFD");
    QTest::newRow("zero width no-break space after the BOM")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                      "a")
        << int(TextDecoder::Encoding::Utf8) << QStringLiteral("\uFEFFa");
}

void TestTextDecoding::decoderChoosesEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(QString, text);

    TextDecoder decoder;
    QCOMPARE(decoder.decode({}), QString());
    QVERIFY(!decoder.encoding());
    const QString decoded = decoder.decode(bytes);
    QCOMPARE(int(decoder.encoding().value()), encoding);
    QCOMPARE(decoded + decoder.finish(), text);
}

void TestTextDecoding::decoderJoinsSplitSequences_data() {
    QTest::addColumn<QByteArray>("bytes");

    // A byte-order mark cut in two still decides the encoding.
    const QString text = QStringLiteral("Ä€😀ß\uFEFFx");
    QTest::newRow("UTF-8") << text.toUtf8();
    QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + text.toUtf8();
    QTest::newRow("UTF-16LE") << "\xFF\xFE" + utf16(text);
    QTest::newRow("UTF-16BE") << "\xFE\xFF" + utf16(text, true);
}

void TestTextDecoding::decoderJoinsSplitSequences() {
    QFETCH(QByteArray, bytes);

    const QString text = QStringLiteral("Ä€😀ß\uFEFFx");
    for (qsizetype cut = 1; cut < bytes.size(); ++cut)
        QCOMPARE(decodeInTwo(bytes, cut), text);

    TextDecoder decoder;
    QString oneByOne;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        oneByOne += decoder.decode(QByteArrayView(bytes).sliced(i, 1));
    QCOMPARE(oneByOne + decoder.finish(), text);

    // A file no longer than the start of a mark is text of its own.
    QCOMPARE(decodeInTwo("\xFF", 1), QStringLiteral("ÿ"));
    QCOMPARE(decodeInTwo("\xEF\xBB", 2), QString(QChar::ReplacementCharacter));
}

void TestTextDecoding::brokenTextDecodesTheSameInAnyPieces() {
    // A byte-order mark fixes the encoding whatever the first piece holds.
    const QByteArray bom("\xEF\xBB\xBF");
    for (const QByteArray& body :
         {QByteArray("ab\xE2\x82x\xC3yz"), QByteArray("x\xF0\x80\x80y\xF0\x9F\x98"),
          QByteArray("\xED\xA0\x80\xC0\xAF\xE0\x80z\xF4\x90\x80\x80"),
          QByteArray("\x80\xBF\xC3\xA4\xE2\x82")}) {
        const QByteArray bytes = bom + body;
        TextDecoder whole;
        QString expected = whole.decode(bytes);
        expected += whole.finish();
        for (qsizetype cut = 1; cut < bytes.size(); ++cut)
            QCOMPARE(decodeInTwo(bytes, cut), expected);
    }
}

void TestTextDecoding::decoderEndsCutSequences() {
    const QString replacement(QChar::ReplacementCharacter);
    {
        TextDecoder decoder;
        QCOMPARE(decoder.decode("ab\xE2\x82"), QStringLiteral("ab"));
        QCOMPARE(decoder.finish(), replacement);
    }
    {
        // The byte after a sequence that is never completed must not get lost with it.
        TextDecoder decoder;
        QString text = decoder.decode("ab\xE2\x82");
        text += decoder.decode("x\xC3");
        text += decoder.decode("yz");
        QCOMPARE(text + decoder.finish(), QStringLiteral("ab\uFFFD\uFFFDx\uFFFDyz")); // as uncut
    }
    {
        TextDecoder decoder;
        QCOMPARE(decoder.decode(QByteArray("\xFF\xFE"
                                           "a\0b",
                                           5)),
                 QStringLiteral("a"));
        QCOMPARE(decoder.finish(), replacement);
    }
    {
        TextDecoder decoder;
        decoder.decode("\xFF\xFE"
                       "a");
        QCOMPARE(decoder.decode(QByteArray(1, '\0')), QStringLiteral("a"));
        QCOMPARE(decoder.finish(), QString());
    }
    {
        TextDecoder decoder;
        QCOMPARE(decoder.decode("\xF6"), QStringLiteral("ö"));
        QCOMPARE(decoder.finish(), QString());
    }
}

void TestTextDecoding::binaryHead_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("binary");

    QTest::newRow("text") << QByteArray("Hallo\r\nWelt\t\x84x\x93") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("NUL inside") << QByteArray("MZ\x90\0\x03", 5) << true;
    QTest::newRow("NUL at the end") << QByteArray("abc\0", 4) << true;
    QTest::newRow("UTF-16LE with BOM") << "\xFF\xFE" + utf16(QStringLiteral("Hallo")) << false;
    QTest::newRow("UTF-16BE with BOM")
        << "\xFE\xFF" + utf16(QStringLiteral("Hallo"), true) << false;
    QTest::newRow("UTF-16LE without BOM") << utf16(QStringLiteral("Hallo")) << true;
}

void TestTextDecoding::binaryHead() {
    QFETCH(QByteArray, head);
    QFETCH(bool, binary);
    QCOMPARE(looksBinary(head), binary);
}

void TestTextDecoding::printableRuns_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<QString>("runs");

    const QByteArray junk("\x00\x01\x02\x7F\x10\x00\x05\x00\x00", 9);
    QTest::newRow("8-bit and UTF-16LE runs in junk")
        << junk + "Rechnung 2023" + junk + utf16(QStringLiteral("Größe")) + junk << 3
        << QStringLiteral("Rechnung 2023\nGröße\n");
    QTest::newRow("UTF-16LE at an odd offset")
        << "\x01" + utf16(QStringLiteral("Bürostuhl")) + "\x01" << 3
        << QStringLiteral("Bürostuhl\n");
    // Each of its bytes is a run of one character for the 8-bit scanner: no junk from there.
    QTest::newRow("ASCII stored as UTF-16LE")
        << utf16(QStringLiteral("Hallo")) << 3 << QStringLiteral("Hallo\n");
    QTest::newRow("short runs dropped")
        << QByteArray("ab\0cd\0efg\0", 10) << 3 << QStringLiteral("efg\n");
    QTest::newRow("longer minimum")
        << QByteArray("Haus\0Garten\0", 12) << 5 << QStringLiteral("Garten\n");
    QTest::newRow("runs are lines of their own")
        << QByteArray("Haus\0T\xFCr\0", 9) << 3 << QStringLiteral("Haus\nTür\n");
    QTest::newRow("tab inside a run")
        << QByteArray("Name\tWert\0", 10) << 3 << QStringLiteral("Name\tWert\n");
    QTest::newRow("Windows-1252 in an 8-bit run") << QByteArray("\x03\x84Gr\xF6\xDF"
                                                                "e\x93\x00",
                                                                9)
                                                  << 3 << QStringLiteral("„Größe“\n");
    QTest::newRow("undefined Windows-1252 code ends a run")
        << QByteArray("abc\x81\x64\x65\x66") << 3 << QStringLiteral("abc\ndef\n");
    QTest::newRow("UTF-16LE with euro sign and quotes")
        << utf16(QStringLiteral("„Preis: 5 €“")) << 3 << QStringLiteral("„Preis: 5 €“\n");
    // Two spaces read as one UTF-16 unit are "†": it must not make a run of its own.
    QTest::newRow("8-bit text with double spaces")
        << QByteArray("Ein  Satz    mit  L\xFC"
                      "cken & & & mehr")
        << 3 << QStringLiteral("Ein  Satz    mit  Lücken & & & mehr\n");
    QTest::newRow("line breaks end runs")
        << QByteArray("eins\r\nzwei\n") << 3 << QStringLiteral("eins\nzwei\n");
    // Runs come out in the order they end in the file, wherever the pieces are cut.
    QTest::newRow("8-bit and UTF-16LE run ending at one byte")
        << utf16(QStringLiteral("ab€")) + "A\x01" << 3 << QStringLiteral("¬ A\nab€\n");
    QTest::newRow("nothing readable") << QByteArray("\x00\x01\x02\x03", 4) << 3 << QString();
}

void TestTextDecoding::printableRuns() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, minimum);
    QFETCH(QString, runs);
    QCOMPARE(runsInPieces(bytes, minimum, bytes.size() + 1), runs);
}

void TestTextDecoding::printableRunsInPieces_data() {
    printableRuns_data();
}

void TestTextDecoding::printableRunsInPieces() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, minimum);
    QFETCH(QString, runs);

    QCOMPARE(runsInPieces(bytes, minimum, 1), runs);
    for (qsizetype cut = 1; cut < bytes.size(); ++cut) {
        PrintableRuns scanner(minimum);
        QString text = scanner.feed(QByteArrayView(bytes).first(cut));
        text += scanner.feed(QByteArrayView(bytes).sliced(cut));
        QCOMPARE(text + scanner.finish(), runs);
    }
}

void TestTextDecoding::printableRunsOfAnyLength() {
    // Runs far longer than a piece, in pieces of odd sizes so that UTF-16 units are cut.
    const QByteArray narrow(300'000, 'x');
    QCOMPARE(runsInPieces("\x01" + narrow + "\x01", 3, 4097), QString(300'000, u'x') + u'\n');
    const QByteArray wide = utf16(QString(200'000, u'ä'));
    QCOMPARE(runsInPieces("\x01" + wide + QByteArray(2, '\0'), 3, 4097),
             QString(200'000, u'ä') + u'\n');
    QCOMPARE(runsInPieces(wide, 3, 65'535), QString(200'000, u'ä') + u'\n');
    // A long run's last piece may be shorter than the minimum: it still belongs to the run.
    for (const qsizetype length : {65'536, 65'537, 65'538, 131'073})
        QCOMPARE(runsInPieces(QByteArray(length, 'x') + '\0', 3, 4096),
                 QString(length, u'x') + u'\n');
}

QTEST_GUILESS_MAIN(TestTextDecoding)
#include "test_text_decoding.moc"
