#include "preview/rtf_reader.h"

#include <QtTest>

using namespace findolin;

namespace {

struct Piece {
    QString text;
    RtfFormat format;
};

// The pieces the reader hands on, reading the document in pieces of `pieceSize` bytes.
QList<Piece> read(const QByteArray& rtf, qsizetype pieceSize) {
    QList<Piece> pieces;
    RtfReader reader([&](QStringView text, const RtfFormat& format) {
        QVERIFY(!text.isEmpty());
        pieces.append({text.toString(), format});
    });
    for (qsizetype i = 0; i < rtf.size(); i += pieceSize)
        reader.feed(QByteArrayView(rtf).sliced(i, qMin(pieceSize, rtf.size() - i)));
    reader.finish();
    return pieces;
}

// The text with its formatting marked: "a<b:fett>c", "<biu:alles>".
QString markup(const QList<Piece>& pieces) {
    QString out;
    RtfFormat current;
    for (const Piece& piece : pieces) {
        if (!(piece.format == current)) {
            if (current != RtfFormat())
                out += u'>';
            current = piece.format;
            if (current != RtfFormat()) {
                out += u'<';
                if (current.bold)
                    out += u'b';
                if (current.italic)
                    out += u'i';
                if (current.underline)
                    out += u'u';
                out += u':';
            }
        }
        out += piece.text;
    }
    if (current != RtfFormat())
        out += u'>';
    return out;
}

QString markupOf(const QByteArray& rtf) {
    return markup(read(rtf, rtf.size() + 1));
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reads_data();
    void reads();
    void readsInPieces_data();
    void readsInPieces();
    void holdsTextBackUntilTheFormattingChanges();
    void survivesBrokenInput_data();
    void survivesBrokenInput();
    void recognisesRtf();
};

void TestRtfReader::reads_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("word split by bold") << QByteArray(R"({\rtf1\ansi Rech\b nung\b0  ist da})")
                                        << QStringLiteral("Rech<b:nung> ist da");
    QTest::newRow("umlaut as \\'hh") << QByteArray(R"({\rtf1 Gr\'f6\'dfe und B\'FCrostuhl})")
                                     << QStringLiteral("Größe und Bürostuhl");
    QTest::newRow("raw Windows-1252 bytes") << QByteArray("{\\rtf1 Gr\xF6\xDF"
                                                          "e \x80 \x84x\x93}")
                                            << QStringLiteral("Größe € „x“");
    QTest::newRow("\\u with \\'hh fallback")
        << QByteArray(R"({\rtf1 5\u8364\'80 netto})") << QStringLiteral("5€ netto");
    QTest::newRow("\\u with ? fallback")
        << QByteArray(R"({\rtf1 \u8222?Zitat\u8220?})") << QStringLiteral("„Zitat“");
    QTest::newRow("negative \\u") << QByteArray(R"({\rtf1 \u-10916?\u-21139?})")
                                  << QStringLiteral("한국");
    QTest::newRow("surrogate pair as two \\u")
        << QByteArray(R"({\rtf1 \u-10179?\u-8704?!})") << QStringLiteral("😀!");
    QTest::newRow("\\uc sets the fallback length for its group")
        << QByteArray(R"({\rtf1 {\uc2\u8364\'80\'80a}\u8364\'80b\uc0\u8364 c})")
        << QStringLiteral("€a€b€c");
    QTest::newRow("fallback ends at a brace")
        << QByteArray(R"({\rtf1 {\u8364}x\u8364{y}})") << QStringLiteral("€x€y");
    QTest::newRow("font, colour and style tables")
        << QByteArray(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman Times;}})"
                      R"({\colortbl;\red255\green0\blue0;}{\stylesheet{\s0 Normal;}})"
                      R"({\info{\title Geheim}{\author Otto}}\f0\fs24 Hallo})")
        << QStringLiteral("Hallo");
    QTest::newRow("starred destinations")
        << QByteArray(
               R"({\rtf1{\*\generator Riched20 10.0;}a{\*\bkmkstart x}b{\*\unbekannt {c}}d})")
        << QStringLiteral("abd");
    QTest::newRow("picture with hex data")
        << QByteArray(R"({\rtf1 Vor{\pict\pngblip\picw10 89504e470d0a1a0a0000}her})")
        << QStringLiteral("Vorher");
    QTest::newRow("field shows its result")
        << QByteArray(R"({\rtf1 {\field{\*\fldinst HYPERLINK "http://x"}{\fldrslt Link}} und )"
                      R"({\field{\fldinst PAGE}{\fldrslt 3}}})")
        << QStringLiteral("Link und 3");
    QTest::newRow("paragraphs, lines and tables")
        << QByteArray(R"({\rtf1 Eins\par Zwei\line Drei\sect Vier\page\trowd A\cell B\cell\row})")
        << QStringLiteral("Eins\nZwei\nDrei\nVier\nA\tB\t\n");
    QTest::newRow("tab") << QByteArray(R"({\rtf1 Name\tab Wert})") << QStringLiteral("Name\tWert");
    QTest::newRow("line breaks of the source")
        << QByteArray("{\\rtf1 Zeilen\r\numbruch\n\\par\r\n}") << QStringLiteral("Zeilenumbruch\n");
    QTest::newRow("escaped characters")
        << QByteArray(R"({\rtf1 \{a\}\\b\~c\-d\_e})") << QStringLiteral("{a}\\b\u00A0cd-e");
    QTest::newRow("named characters")
        << QByteArray(R"({\rtf1 a\emdash b\endash c\bullet\lquote x\rquote\ldblquote y\rdblquote})")
        << QStringLiteral("a—b–c•‘x’“y”");
    QTest::newRow("parameter with a sign")
        << QByteArray(R"({\rtf1\pard\fi-360\li720 Text})") << QStringLiteral("Text");
    QTest::newRow("word ended by punctuation")
        << QByteArray(R"({\rtf1 a\par.b})") << QStringLiteral("a\n.b");
    QTest::newRow("formatting") << QByteArray(R"({\rtf1 \b fett\i  kursiv\plain  normal )"
                                              R"(\ul unter\ulnone  nicht \uldb doppelt\ul0 .})")
                                << QStringLiteral("<b:fett><bi: kursiv> normal <u:unter> nicht "
                                                  "<u:doppelt>.");
    QTest::newRow("group keeps its formatting to itself")
        << QByteArray(R"({\rtf1 a{\b b{\i c}d}e})") << QStringLiteral("a<b:b><bi:c><b:d>e");
    QTest::newRow("\\pard keeps the character formatting")
        << QByteArray(R"({\rtf1 \b a\par\pard b\b0 c})") << QStringLiteral("<b:a\nb>c");
    QTest::newRow("\\b1 and \\i0")
        << QByteArray(R"({\rtf1 \b1\i x\i0 y\b0 z})") << QStringLiteral("<bi:x><b:y>z");
    QTest::newRow("headers are text")
        << QByteArray(R"({\rtf1{\header Kopf\par}Rumpf})") << QStringLiteral("Kopf\nRumpf");
    // The data of \bin may hold braces and backslashes; it is no text, wherever it is.
    const QByteArray data("}{\\\0\xFF", 5);
    QTest::newRow("\\bin in a picture")
        << "{\\rtf1 a{\\pict\\bin5 " + data + "}b}" << QStringLiteral("ab");
    QTest::newRow("\\bin in text") << "{\\rtf1 a\\bin5 " + data + "b}" << QStringLiteral("ab");
    QTest::newRow("\\bin without a space")
        << "{\\rtf1 a\\bin5" + data + "b}" << QStringLiteral("ab");
    QTest::newRow("after the last brace")
        << QByteArray(R"({\rtf1 a}b{\rtf1 c})") << QStringLiteral("a");
}

void TestRtfReader::reads() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(markupOf(rtf), text);
}

void TestRtfReader::readsInPieces_data() {
    reads_data();
}

void TestRtfReader::readsInPieces() {
    // Every control word, escape and parameter cut in two somewhere.
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(markup(read(rtf, 1)), text);
    for (qsizetype cut = 1; cut < rtf.size(); ++cut) {
        QList<Piece> pieces;
        RtfReader reader([&](QStringView piece, const RtfFormat& format) {
            pieces.append({piece.toString(), format});
        });
        reader.feed(QByteArrayView(rtf).first(cut));
        reader.feed(QByteArrayView(rtf).sliced(cut));
        reader.finish();
        QCOMPARE(markup(pieces), text);
    }
}

void TestRtfReader::holdsTextBackUntilTheFormattingChanges() {
    const auto split = read(R"({\rtf1\ansi Rech\b nung\b0  ist da})", 4096);
    QCOMPARE(split.size(), 3);
    QCOMPARE(split[0].text, QStringLiteral("Rech"));
    QCOMPARE(split[1].text, QStringLiteral("nung"));
    QVERIFY(split[1].format.bold && !split[1].format.italic && !split[1].format.underline);
    QCOMPARE(split[2].text, QStringLiteral(" ist da"));
    QCOMPARE(split[2].format, RtfFormat());

    // Escapes, paragraphs, skipped groups and groups of the same formatting: one piece.
    const auto whole = read(R"({\rtf1 Gr\'f6\'dfe\par{\*\x y}und {mehr}\tab\u8364?{\b}!})", 4096);
    QCOMPARE(whole.size(), 1);
    QCOMPARE(whole[0].text, QStringLiteral("Größe\nund mehr\t€!"));

    // Text is handed on when the document ends, and by finish() when it is cut off.
    QList<Piece> pieces;
    RtfReader reader([&](QStringView text, const RtfFormat&) {
        pieces.append({text.toString(), {}});
    });
    reader.feed(R"({\rtf1 abc)");
    QCOMPARE(pieces.size(), 0);
    reader.finish();
    QCOMPARE(pieces.size(), 1);
    QCOMPARE(pieces[0].text, QStringLiteral("abc"));
}

void TestRtfReader::survivesBrokenInput_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("not RTF") << QByteArray("Hallo \\b Welt") << QString();
    QTest::newRow("cut off in text")
        << QByteArray(R"({\rtf1 Hallo{\b Wel)") << QStringLiteral("Hallo<b:Wel>");
    QTest::newRow("cut off after a control word")
        << QByteArray(R"({\rtf1 Hallo\par)") << QStringLiteral("Hallo\n");
    QTest::newRow("cut off in a control word")
        << QByteArray(R"({\rtf1 Hallo\pa)") << QStringLiteral("Hallo");
    QTest::newRow("cut off in an escape") << QByteArray(R"({\rtf1 a\'e)") << QStringLiteral("a");
    QTest::newRow("cut off after a backslash") << QByteArray("{\\rtf1 a\\") << QStringLiteral("a");
    QTest::newRow("broken escape") << QByteArray(R"({\rtf1 a\'xyb})") << QStringLiteral("axyb");
    QTest::newRow("too many closing braces")
        << QByteArray(R"({\rtf1 a}}}}b)") << QStringLiteral("a");
    QTest::newRow("unclosed groups")
        << QByteArray(R"({\rtf1 a{{{{\b b)") << QStringLiteral("a<b:b>");
    QTest::newRow("huge parameters")
        << QByteArray(R"({\rtf1 a\fs99999999999999999999999999 b\u99999999999999999999 xc})")
        << QStringLiteral("abc");
    QTest::newRow("huge \\uc") << QByteArray(R"({\rtf1 {\uc99999999999\u8364 abc}t})")
                               << QStringLiteral("€t");
    QTest::newRow("\\bin beyond the end")
        << QByteArray(R"({\rtf1 a\bin99999999999999 bcd})") << QStringLiteral("a");
    QTest::newRow("overlong control word")
        << QByteArray("{\\rtf1 a\\" + QByteArray(100'000, 'x') + " b}") << QStringLiteral("ab");
    // Groups nested beyond any real document are skipped; what follows them is read as before.
    QTest::newRow("deep nesting") << "{\\rtf1 a" + QByteArray(100'000, '{') + "\\b x" +
                                         QByteArray(100'000, '}') + "c}"
                                  << QStringLiteral("ac");
}

void TestRtfReader::survivesBrokenInput() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(markupOf(rtf), text);
    QCOMPARE(markup(read(rtf, 3)), text);
}

void TestRtfReader::recognisesRtf() {
    QVERIFY(looksLikeRtf("{\\rtf1\\ansi"));
    QVERIFY(looksLikeRtf("{\\rtf"));
    QVERIFY(!looksLikeRtf("{\\rt"));
    QVERIFY(!looksLikeRtf(" {\\rtf1"));
    QVERIFY(!looksLikeRtf("PK\3\4"));
    QVERIFY(!looksLikeRtf({}));
}

QTEST_GUILESS_MAIN(TestRtfReader)
#include "test_rtf_reader.moc"
