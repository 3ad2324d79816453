#include "preview/rtf_reader.h"
#include "preview/text_decoding.h"

#include <QtTest>

using namespace findolin;
using Encoding = TextDecoder::Encoding;

namespace {

QByteArray utf16(const QString& text, bool bigEndian = false) {
    return QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE)(text);
}

// The pieces of `bytes`: the first `first` bytes, then pieces of `size`.
QList<QByteArrayView> pieces(QByteArrayView bytes, qsizetype first, qsizetype size) {
    QList<QByteArrayView> list{bytes.first(first)};
    for (qsizetype i = first; i < bytes.size(); i += size)
        list << bytes.sliced(i, qMin(size, bytes.size() - i));
    return list;
}

template <typename Decoder = TextDecoder>
QString decoded(QByteArrayView bytes, qsizetype first, qsizetype size, Decoder&& decoder = {}) {
    QString text;
    for (QByteArrayView piece : pieces(bytes, first, size))
        text += decoder.decode(piece);
    return text + decoder.finish();
}

// The runs scanner read in pieces as a decoder is.
struct Runs : PrintableRuns {
    using PrintableRuns::PrintableRuns;
    QString decode(QByteArrayView piece) { return feed(piece); }
};

QString runs(QByteArrayView bytes, int minimum, qsizetype first, qsizetype size) {
    return decoded(bytes, first, size, Runs(minimum));
}

// The text of an RTF document, its formatting marked ("a<b:fett>c", "<biu:alles>"); each piece
// the reader hands on is followed by `separator`.
QString rtf(QByteArrayView bytes, qsizetype first, qsizetype size, QStringView separator = {}) {
    QString out;
    RtfFormat now;
    const auto mark = [&](const RtfFormat& f) {
        if (f == now)
            return;
        if (now != RtfFormat())
            out += u'>';
        if (f != RtfFormat())
            out += QString("<%1%2%3:")
                       .arg(f.bold ? "b" : "", f.italic ? "i" : "", f.underline ? "u" : "");
        now = f;
    };
    RtfReader reader([&](QStringView text, const RtfFormat& format) {
        QVERIFY(!text.isEmpty());
        mark(format);
        (out += text) += separator;
    });
    for (QByteArrayView piece : pieces(bytes, first, size))
        reader.feed(piece);
    reader.finish();
    mark({});
    return out;
}

} // namespace

class TestTextDecoding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decoder();
    void printableRuns();
    void rtfReader();
};

void TestTextDecoding::decoder() {
    // A byte-order mark decides the encoding, else the first piece: UTF-8 when it is valid
    // (a sequence cut at its end counts as valid), else Windows-1252 for the whole file.
    const QString all = QStringLiteral("Größe € \u0800 😀\uFEFFx");
    const QByteArray bom("\xEF\xBB\xBF");
    const std::tuple<QByteArray, Encoding, QString> rows[] = {
        {"Gr\xF6\xDF\x65 \x84x\x93 \x96 \x80\x85\x95\x99\x8A\x9A\x8C\x9C\x8E\x9E\x9F\x83"
         "\x81\x8D\x8F\x90\x9D\xA0\xA9\xFF",
         Encoding::Windows1252, "Größe „x“ – €…•™ŠšŒœŽžŸƒ\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\u00A0©ÿ"},
        {all.toUtf8(), Encoding::Utf8, all},
        {bom + all.toUtf8(), Encoding::Utf8, all},
        {"\xFF\xFE" + utf16(all), Encoding::Utf16LE, all},
        {"\xFE\xFF" + utf16(all, true), Encoding::Utf16BE, all},
        {"Grüße aus M\xFCnchen", Encoding::Windows1252, "GrÃ¼ÃŸe aus München"},
        {"a\xE0\x80\xAF", Encoding::Windows1252, "aà€¯"},           // overlong form
        {"a\xF4\x90\x80\x80", Encoding::Windows1252, "aô\uFFFD€€"}, // beyond U+10FFFF
        {"a\xED\xA0\x80", Encoding::Windows1252, "aí\u00A0€"},      // surrogate
        {"Preis \xE2\x82", Encoding::Utf8, "Preis \uFFFD"},
        {bom + bom + "a", Encoding::Utf8, QStringLiteral("\uFEFFa")},
        {"\xFF", Encoding::Windows1252, "ÿ"}, // shorter than a mark
        {"\xEF\xBB", Encoding::Utf8, "\uFFFD"},
        {QByteArray("\xFF\xFE\x61\0b", 5), Encoding::Utf16LE, "a\uFFFD"},
        {bom + "ab\xE2\x82x\xC3yz", Encoding::Utf8, "ab\uFFFD\uFFFDx\uFFFDyz"},
        {bom + "x\xF0\x80\x80y\xF0\x9F\x98", Encoding::Utf8, "x\uFFFD\uFFFD\uFFFDy\uFFFD"},
        {bom + "\xED\xA0\x80\xC0\xAF\xE0\x80z\xF4\x90\x80\x80", Encoding::Utf8,
         "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz\uFFFD\uFFFD\uFFFD\uFFFD"},
        {bom + "\x80\xBF\xC3\xA4\xE2\x82", Encoding::Utf8, "\uFFFD\uFFFDä\uFFFD"},
    };
    for (const auto& [bytes, encoding, text] : rows) {
        TextDecoder whole;
        QVERIFY(whole.decode({}).isEmpty() && !whole.encoding()); // nothing read, nothing chosen
        QCOMPARE(decoded(bytes, bytes.size(), 1, whole), text);
        QVERIFY(whole.encoding() == encoding);
        QVERIFY(!looksBinary(bytes)); // UTF-16 with its mark is text
        if (encoding == Encoding::Windows1252)
            continue; // chosen from the first piece: a cut may change it
        // A sequence or mark split between pieces comes out whole, and the byte after a sequence
        // that is never completed is not lost with it; cut 0 feeds byte by byte.
        for (qsizetype cut = 0; cut < bytes.size(); ++cut)
            QCOMPARE(decoded(bytes, cut, cut ? bytes.size() : 1), text);
    }
}

void TestTextDecoding::printableRuns() {
    const QByteArray junk("\x00\x01\x02\x7F\x10\x00\x05\x00\x00", 9);
    const std::tuple<QByteArray, int, QString> rows[] = {
        {junk + "Rechnung 2023" + junk + utf16("Größe") + junk, 3, "Rechnung 2023\nGröße\n"},
        {"\x01" + utf16("Bürostuhl") + "\x01", 3, "Bürostuhl\n"},
        // Each of its bytes is a run of one character for the 8-bit scanner: no junk from there.
        {utf16("Hallo"), 3, "Hallo\n"},
        {QByteArray("ab\0cd\0efg\0", 10), 3, "efg\n"},
        {QByteArray("Haus\0Garten\0", 12), 5, "Garten\n"},
        {QByteArray("Haus\0T\xFCr\0", 9), 3, "Haus\nTür\n"},
        {QByteArray("Name\tWert\0", 10), 3, "Name\tWert\n"},
        {QByteArray("\x03\x84Gr\xF6\xDF\x65\x93\x00", 9), 3, "„Größe“\n"},
        {"abc\x81\x64\x65\x66", 3, "abc\ndef\n"}, // an undefined code ends a run
        {utf16("„Preis: 5 €“"), 3, "„Preis: 5 €“\n"},
        // Two spaces read as one UTF-16 unit are "†": it must not make a run of its own.
        {"Ein  Satz    mit  L\xFC\x63ken & & & mehr", 3, "Ein  Satz    mit  Lücken & & & mehr\n"},
        {"eins\r\nzwei\n", 3, "eins\nzwei\n"},
        // Runs come out in the order they end in the file, wherever the pieces are cut.
        {utf16("ab€") + "A\x01", 3, "¬ A\nab€\n"},
        {QByteArray("\x00\x01\x02\x03", 4), 3, QString()},
        {"", 3, QString()},
    };
    for (const auto& [bytes, minimum, text] : rows) {
        // A NUL byte anywhere, even the last, tells a binary file.
        QCOMPARE(looksBinary(bytes), bytes.contains('\0'));
        // Byte by byte (cut 0), cut in two anywhere, and whole.
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut)
            QCOMPARE(runs(bytes, minimum, cut, cut ? bytes.size() : 1), text);
    }
    // Runs far longer than a piece, in pieces of odd sizes so that UTF-16 units are cut.
    const QByteArray narrow(300'000, 'x'), wide = utf16(QString(200'000, u'ä'));
    QCOMPARE(runs("\x01" + narrow + "\x01", 3, 0, 4097), QString(300'000, u'x') + u'\n');
    QCOMPARE(runs("\x01" + wide + QByteArray(2, '\0'), 3, 0, 4097), QString(200'000, u'ä') + u'\n');
    QCOMPARE(runs(wide, 3, 0, 65'535), QString(200'000, u'ä') + u'\n');
    // A run is handed on as soon as it is 64 KiB long, not held back whole.
    QCOMPARE(PrintableRuns(3).feed(QByteArray(1 << 16, 'x')).size(), 1 << 16);
    // A long run's last piece may be shorter than the minimum: it still belongs to the run.
    for (const qsizetype length : {65'536, 65'537, 65'538, 131'073})
        QCOMPARE(runs(QByteArray(length, 'x') + '\0', 3, 0, 4096), QString(length, u'x') + u'\n');
}

void TestTextDecoding::rtfReader() {
    const QByteArray data("}{\\\0\xFF", 5); // \bin data: no text, wherever it is
    // Where a row's text shows "|", each piece the reader hands on ends: a word split by
    // formatting is one word, and neither escapes, paragraphs, skipped groups, groups of the same
    // formatting nor the ends of the pieces read split a piece; finish() hands on a cut-off one.
    const std::pair<QByteArray, QString> rows[] = {
        {R"({\rtf1\ansi Rech\b nung\b0  ist da})", "Rech|<b:nung|> ist da|"},
        {R"({\rtf1 Gr\'f6\'dfe\par{\*\x y}und {mehr}\tab\u8364?{\b}!})", "Größe\nund mehr\t€!|"},
        {R"({\rtf1 Gr\'f6\'dfe und B\'FCrostuhl \'a9\'A9})", "Größe und Bürostuhl ©©"},
        {"{\\rtf1 Gr\xF6\xDF\x65 \x80 \x84x\x93}", "Größe € „x“"},
        {R"({\rtf1 5\u8364\'80 netto \u8222?Zitat\u8220?})", "5€ netto „Zitat“"},
        {R"({\rtf1 \u-10916?\u-21139?\u-10179?\u-8704?!})", "한국😀!"},
        {R"({\rtf1 {\uc2\u8364\'80\'80a}\u8364\'80b\uc0\u8364 c})", "€a€b€c"},
        {R"({\rtf1 {\u8364}x\u8364{y}})", "€x€y"},
        {R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman Times;}})"
         R"({\colortbl;\red255\green0\blue0;}{\stylesheet{\s0 Normal;}})"
         R"({\info{\title Geheim}{\author Otto}}\f0\fs24 Hallo})",
         "Hallo"},
        {R"({\rtf1{\*\generator Riched20 10.0;}a{\*\bkmkstart x}b{\*\unbekannt {c}}d})", "abd"},
        {R"({\rtf1 Vor{\pict\pngblip\picw10 89504e470d0a1a0a0000}her})", "Vorher"},
        {R"({\rtf1 {\field{\*\fldinst HYPERLINK "http://x"}{\fldrslt Link}} und )"
         R"({\field{\fldinst PAGE}{\fldrslt 3}}})",
         "Link und 3"},
        {R"({\rtf1 Eins\par Zwei\line Drei\sect Vier\page\trowd A\cell B\cell\row})",
         "Eins\nZwei\nDrei\nVier\nA\tB\t\n"},
        {R"({\rtf1 Name\tab Wert{\header Kopf\par}})", "Name\tWertKopf\n"},
        {"{\\rtf1 Zeilen\r\numbruch\n\\par\r\n}", "Zeilenumbruch\n"},
        {R"({\rtf1 \{a\}\\b\~c\-d\_e})", "{a}\\b\u00A0cd-e"},
        {R"({\rtf1 a\emdash b\endash c\bullet\lquote x\rquote\ldblquote y\rdblquote})",
         "a—b–c•‘x’“y”"},
        {R"({\rtf1\pard\fi-360\li720 Text\par.b})", "Text\n.b"},
        {R"({\rtf1 \b fett\i  kursiv\plain  normal )"
         R"(\ul unter\ulnone  nicht \uldb doppelt\ul0 .})",
         "<b:fett><bi: kursiv> normal <u:unter> nicht <u:doppelt>."},
        {R"({\rtf1 a{\b b{\i c}d}e})", "a<b:b><bi:c><b:d>e"},
        {R"({\rtf1 \b a\par\pard b\b0 c})", "<b:a\nb>c"}, // \pard keeps \b
        {R"({\rtf1 \b1\i x\i0 y\b0 z})", "<bi:x><b:y>z"},
        {"{\\rtf1 a{\\pict\\bin5 " + data + "}b\\bin5 " + data + "c\\bin5" + data + "d}", "abcd"},
        {R"({\rtf1 a}b{\rtf1 c})", "a"}, // after the last brace
        // Broken input is read as far as it goes.
        {"", QString()},
        {"Hallo \\b Welt", QString()},
        {R"({\rtf1 Hallo{\b Wel)", "Hallo|<b:Wel|>"},
        {R"({\rtf1 Hallo\par)", "Hallo\n"},
        {R"({\rtf1 Hallo\pa)", "Hallo"},
        {R"({\rtf1 a\'e)", "a"},
        {"{\\rtf1 a\\", "a"},
        {R"({\rtf1 a\'xyb})", "axyb"},
        {R"({\rtf1 a{{{{\b b)", "a<b:b>"},
        {R"({\rtf1 a\fs99999999999999999999999999 b\u99999999999999999999 xc})", "abc"},
        {R"({\rtf1 {\uc99999999999\u8364 abc}t})", "€t"},
        {R"({\rtf1 a\bin99999999999999 bcd})", "a"},
        {R"({\rtf1 a\bin0 b\bin-5 c\bin d})", "abcd"},
    };
    for (const auto& [bytes, text] : rows) {
        const QStringView separator = text.contains(u'|') ? u"|" : u"";
        // Byte by byte (cut 0), whole, and every control word, escape and parameter cut in two.
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut)
            QCOMPARE(rtf(bytes, cut, cut ? bytes.size() : 1, separator), text);
    }
    for (const char* head : {"{\\rtf1\\ansi", "{\\rtf", "{\\rt", " {\\rtf1", "PK\3\4", ""})
        QCOMPARE(looksLikeRtf(head), QByteArray(head).startsWith("{\\rtf"));
    // An overlong control word, and groups nested beyond any real document, are skipped; what
    // follows them is read as before.
    const QByteArray word = "{\\rtf1 a\\" + QByteArray(100'000, 'x') + " b}";
    const QByteArray deep =
        "{\\rtf1 a" + QByteArray(100'000, '{') + "\\b x" + QByteArray(100'000, '}') + "c}";
    for (qsizetype size : {3, 100'000, 300'000}) {
        QCOMPARE(rtf(word, 0, size), QStringLiteral("ab"));
        QCOMPARE(rtf(deep, 0, size), QStringLiteral("ac"));
    }
}

QTEST_GUILESS_MAIN(TestTextDecoding)
#include "test_text_decoding.moc"
