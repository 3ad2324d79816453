#include "office_fixtures.h"
#include "preview/bounded_xml_feed.h"
#include "preview/office_text.h"
#include "testdir.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <QtTest>
#include <dlfcn.h>

using namespace findolin;

namespace {

// Whether the bytes are an office document, its text and in how many pieces it came. The sink
// refuses more after `stopAfter` pieces. The device stays the caller's, open.
std::tuple<bool, QString, int> extract(QByteArray bytes, int stopAfter = -1) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QString text;
    int pieces = 0;
    const bool ok = readOfficeText(buffer, [&](QStringView piece) {
        text += piece;
        return ++pieces != stopAfter;
    });
    return {ok, text + (buffer.isOpen() ? "" : "<closed>"), pieces};
}

void row(const char* tag, const QByteArray& bytes, const QString& expected) {
    QTest::newRow(tag) << bytes << expected;
}

// What a reader is handed through a BoundedXmlFeed, fed in pieces of an odd size so that every
// kind of token straddles them: its text, with the length of each attribute value in braces and of
// each comment (but the cuts' empty ones) or processing instruction in angle brackets, and
// "<long>" after a piece of text as long as two cuts.
constexpr qsizetype kFeedPiece = 4099;

QString feedThrough(const QByteArray& document) {
    QXmlStreamReader xml;
    BoundedXmlFeed feed(xml);
    QString text;
    bool more = true;
    for (qsizetype at = 0; more && at < document.size(); at += kFeedPiece) {
        more = feed.add(document.mid(at, kFeedPiece));
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::Characters) {
                text += xml.text().toString() +
                        (xml.text().size() < 2 * BoundedXmlFeed::kTextPieceBytes ? "" : "<long>");
            } else if (token == QXmlStreamReader::StartElement) {
                for (const QXmlStreamAttribute& attribute : xml.attributes())
                    text += QStringLiteral("{%1}").arg(attribute.value().size());
            } else if (token == QXmlStreamReader::Comment && !xml.text().isEmpty()) {
                text += QStringLiteral("<%1>").arg(xml.text().size());
            } else if (token == QXmlStreamReader::ProcessingInstruction) {
                text += QStringLiteral("<%1>").arg(xml.processingInstructionData().size());
            }
        }
    }
    return text;
}

qint64 statusKiB(const char* field) {
    for (const QByteArray& line : contentOf("/proc/self/status").split('\n'))
        if (line.startsWith(field) && line.at(qstrlen(field)) == ':')
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

class TestOfficeText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void documents_data();
    void documents();
    void cutShortOrStopped();
    void feedCutsLongTokens_data();
    void feedCutsLongTokens();
    void hostileMembersStayBounded();
};

// The text of each document; a null text for what is no office document.
void TestOfficeText::documents_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const auto word = [](auto tag, auto xml, auto text) { row(tag, docx(wordBody(xml)), text); };
    const auto odf = [](auto tag, auto xml, auto text) { row(tag, odt(odfContent(xml)), text); };
    word("runs of a word join; paragraphs, empty ones too",
         "<w:p><w:r><w:t>Rech</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>nung</w:t></w:r></w:p>" +
             para("Größe") + "<w:p/>" + para("Maß"),
         "Rechnung\nGröße\n\nMaß\n");
    word("tabs, breaks, hyphens in runs; field codes, deleted and moved text are not text",
         "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr><w:r><w:t>a"
         "</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:noBreakHyphen/></w:r><w:r>"
         "<w:instrText> PAGE </w:instrText></w:r><w:del><w:r><w:delText>alt</w:delText></w:r>"
         "</w:del><w:moveFrom><w:r><w:t>weg</w:t></w:r></w:moveFrom><w:ins><w:r><w:t>neu</w:t>"
         "</w:r></w:ins></w:p>",
         "a\tb\nc-neu\n");
    word("table rows and cells",
         "<w:tbl><w:tr><w:tc>" + para("A") + "</w:tc><w:tc>" + para("B") +
             "</w:tc></w:tr><w:tr><w:tc>" + para("C") + para("C2") + "</w:tc><w:tc>" + para("D") +
             "</w:tc></w:tr></w:tbl>" + para("danach"),
         "A\tB\nC\nC2\tD\ndanach\n");
    word("text box once, on its own line",
         "<w:p><w:r><w:t>vor</w:t></w:r><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\">"
         "<w:txbxContent>" +
             para("Feld") + "</w:txbxContent></mc:Choice><mc:Fallback><w:pict><w:txbxContent>" +
             para("Feld") +
             "</w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>",
         "vor\nFeld\n\n");
    // Notes parts start with the separator lines drawn above the notes.
    const QString notes = "<w:%1 w:type=\"separator\"><w:p><w:r><w:separator/></w:r></w:p></w:%1>"
                          "<w:%1 w:id=\"1\"><w:p><w:r><w:t>%2</w:t></w:r></w:p></w:%1>";
    row("headers, footers and notes follow the body",
        zipped({{"word/endnotes.xml", wordPart("endnotes", notes.arg("endnote", "Endnote"))},
                {"word/footer1.xml", wordPart("ftr", para("Fuß"))},
                {"word/header2.xml", wordPart("hdr", para("Kopf zwei"))},
                {"word/header1.xml", wordPart("hdr", para("Kopf eins"))},
                {"word/footnotes.xml", wordPart("footnotes", notes.arg("footnote", "Fußnote"))},
                {"word/document.xml", wordBody(para("Text"))}}),
        "Text\nKopf eins\nKopf zwei\nFuß\nFußnote\nEndnote\n");
    const QString strings = "<sst" + kSheetNs +
                            "><si><t>Kunde</t></si><si><r><t>Mül</t></r><r><rPr><b/></rPr><t>"
                            "ler</t></r><rPh><t>ミュラー</t></rPh></si></sst>";
    const QString sheet = "<worksheet" + kSheetNs +
                          "><sheetData><row><c t=\"s\"><v>0</v></c><c><v>1234.5</v></c></row>"
                          "<row><c t=\"s\"><v>1</v></c><c t=\"inlineStr\"><is><t>Inline</t>"
                          "</is></c><c><f>SUM(B1)</f><v>77</v></c></row></sheetData></worksheet>";
    row("spreadsheet values without shared indices",
        zipped({{"xl/worksheets/sheet1.xml", sheet.toUtf8()},
                {"xl/sharedStrings.xml", strings.toUtf8()}}),
        "Kunde\nMüller\n\t1234.5\n\tInline\t77\n");
    row("slides in numeric order, then notes",
        zipped({{"ppt/notesSlides/notesSlide1.xml", slide("Notiz")},
                {"ppt/slides/slide10.xml", slide("Zehn")},
                {"ppt/slides/_rels/slide1.xml.rels", "<Relationships/>"},
                {"ppt/slides/slide2.xml", slide("Zwei")},
                {"ppt/slides/slide1.xml", slide("Eins")},
                {"ppt/slideLayouts/slideLayout1.xml", slide("Titel hinzufügen")}}),
        "Eins\nZwei\nZehn\nNotiz\n");

    odf("span inside a word, blanks, umlauts",
        "<office:text><text:h>Über</text:h><text:p>Rech<text:span text:style-name=\"T1\">nung"
        "</text:span> Nr.<text:s text:c=\"3\"/>7<text:s/>!</text:p></office:text>",
        "Über\nRechnung Nr.   7 !\n");
    odf("tab and line break", "<text:p>a<text:tab/>b<text:line-break/>c</text:p>", "a\tb\nc\n");
    odf("white space collapses",
        "<office:text>\n  <text:p>\n   viel    Platz</text:p>\n</office:text>", "viel Platz\n");
    odf("comments and tracked deletions are not text, a table after a paragraph",
        "<text:tracked-changes><text:changed-region><text:deletion><text:p>alt</text:p>"
        "</text:deletion></text:changed-region></text:tracked-changes><text:p>neu"
        "<office:annotation><text:p>Kommentar</text:p></office:annotation></text:p><table:table>"
        "<table:table-row><table:table-cell/><table:table-cell><text:p>B</text:p>"
        "</table:table-cell></table:table-row></table:table>",
        "neu\n\tB\n");
    odf("spreadsheet rows and cells",
        "<office:spreadsheet><table:table><table:table-row><table:table-cell><text:p>A</text:p>"
        "</table:table-cell><table:table-cell office:value=\"2\"><text:p>2</text:p>"
        "</table:table-cell></table:table-row><table:table-row><table:table-cell/>"
        "<table:table-cell><text:p>B</text:p></table:table-cell></table:table-row>"
        "</table:table></office:spreadsheet>",
        "A\t2\n\tB\n");
    const QString styles =
        kXmlDecl + "<office:document-styles" + kOdfNs +
        "><office:styles><number:date-style style:name=\"D1\"><number:day/><number:text>."
        "</number:text></number:date-style></office:styles><office:master-styles>"
        "<style:master-page style:name=\"Standard\"><draw:frame presentation:class=\"title\">"
        "<draw:text-box><text:p>Titelformat bearbeiten</text:p></draw:text-box></draw:frame>"
        "<style:header><text:p>Kopfzeile</text:p></style:header><style:footer><text:p>Fußzeile"
        "</text:p></style:footer></style:master-page></office:master-styles>"
        "</office:document-styles>";
    row("OpenDocument headers, but no style text",
        zipped({{"styles.xml", styles.toUtf8()},
                {"content.xml", odfContent("<office:text><text:p>Text</text:p></office:text>")}}),
        "Text\nKopfzeile\nFußzeile\n");

    word("broken XML keeps the text before",
         para("Vorher") + "<w:p><w:r><w:t<Nachher</w:t></w:r></w:p>", "Vorher\n");
    row("plain text", "Rechnung\n", {});
    row("zip signature only", QByteArray("PK\x03\x04", 4), {});
    row("word folder without the document",
        zipped({{"word/header1.xml", wordPart("hdr", para("Rechnung"))}}), {});
}

void TestOfficeText::documents() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const auto [ok, text, pieces] = extract(bytes);
    QCOMPARE(std::pair(ok, text), std::pair(!expected.isNull(), expected));
    QCOMPARE(looksLikeZip(bytes), bytes.startsWith("PK\x03\x04"));
}

void TestOfficeText::cutShortOrStopped() {
    QString body;
    for (int i = 0; i < 3000; ++i)
        body += para(QStringLiteral("Absatz %1 mit etwas Text").arg(i * 7919 % 1013));
    const QByteArray bytes = zipped({{"word/document.xml", wordBody(body)},
                                     {"word/header1.xml", wordPart("hdr", para("Kopf"))}});
    const auto [ok, whole, pieces] = extract(bytes);
    QVERIFY(ok && whole.endsWith(
                      QStringLiteral("Absatz %1 mit etwas Text\nKopf\n").arg(2999 * 7919 % 1013)));
    // Pieces are batched, not one per run or paragraph.
    QVERIFY2(pieces > 2 && pieces < 100, qPrintable(QString::number(pieces)));
    for (int stopAfter : {1, 2}) {
        const auto [partOk, part, partPieces] = extract(bytes, stopAfter);
        QCOMPARE(partPieces, stopAfter);
        QVERIFY(partOk && whole.startsWith(part) && !part.contains("Kopf"));
    }
    // A zip cut off anywhere gives no text, or none but the document's.
    for (qsizetype size = 0; size < bytes.size(); ++size) {
        const auto [cutOk, cut, cutPieces] = extract(bytes.first(size));
        QVERIFY2(cutOk ? whole.startsWith(cut) : cutPieces == 0, qPrintable(QString::number(size)));
        QCOMPARE(looksLikeZip(bytes.first(size)), size >= 4);
    }
    const qsizetype quarter = bytes.size() / 4;
    QVERIFY(std::get<0>(
        extract(QByteArray(bytes).replace(quarter, quarter, QByteArray(quarter, '\xff')))));
}

void TestOfficeText::feedCutsLongTokens_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("expected");
    constexpr qsizetype kPiece = BoundedXmlFeed::kTextPieceBytes;
    const QByteArray held(BoundedXmlFeed::kHeldBytes, 'v');

    // The unit's size divides kPiece - 1: each cut is due one byte further into it than the one
    // before fell, so over the run's 30-odd cuts one is due at every byte.
    const QByteArray run = QByteArray("ä😀\r\n&lt;&#65;").repeated(2 * kPiece);
    static_assert((kPiece - 1) % 17 == 0);
    const QString runText = QString::fromUtf8("ä😀\n<A").repeated(2 * kPiece);
    row("text run", "<r>" + run + "</r>", runText);
    row("text run in UTF-16",
        QStringEncoder(QStringConverter::Utf16, QStringConverter::Flag::WriteBom)(
            QString::fromUtf8("<?xml version='1.0' encoding='UTF-16'?><r>" + run + "</r>")),
        runText);
    // The longest reference kept whole, with the cut due at its ";".
    row("reference at the cut",
        "<r>" + QByteArray(kPiece - 31, 'a') + "&#x" + QByteArray(26, '0') + "41;</r>",
        QString(kPiece - 31, u'a') + "A");
    row("ISO 8859-1", "<?xml version='1.0' encoding='ISO-8859-1'?><r>\xe4</r>", "ä");
    // Sections whose brackets and closing "]]>" come where a cut is due; then sections whose
    // "]]>" two pieces share, each followed by text that a feed still in CDATA would cut wrongly.
    QByteArray sections;
    QString sectionsText;
    for (qsizetype k = -8; k <= 2; ++k) {
        const QByteArray content = "]><&>" + QByteArray(kPiece + k, 'c') + "]]";
        sections += "<![CDATA[" + content + "]]>";
        sectionsText += QString::fromLatin1(content);
    }
    row("CDATA", "<r>" + sections + "</r>", sectionsText);
    QByteArray shared = "<r><![CDATA[";
    QString sharedText;
    for (qsizetype split : {2, 1}) { // "]]>" after `split` bytes of a piece, then long text
        const qsizetype pieceEnd = ((shared.size() + split) / kFeedPiece + 1) * kFeedPiece;
        const QByteArray content(pieceEnd - split - shared.size(), 'c');
        shared +=
            content + "]]>" + QByteArray(kPiece, 'x') + "<x/>" + (split == 2 ? "<![CDATA[" : "");
        sharedText += QString::fromLatin1(content) + QString(kPiece, u'x');
    }
    row("CDATA ends across pieces", shared + "</r>", sharedText);
    row("no place for a cut ends the document",
        "<r>vor<![CDATA[" + QByteArray(3 * kPiece, ']') + "]]>nach</r>", "vor");
    row("attribute values up to the limit", "<r><e a=\"" + held + "\" b='" + held + "v'>x</e></r>",
        QStringLiteral("{%1}{0}x").arg(held.size()));
    row("comments and processing instructions",
        "<r>a<!-- - -->b<!--" + QByteArray("->c").repeated(held.size()) + "-->c<?pi x?>d<?pi " +
            QByteArray("?p>").repeated(held.size()) + "?>e</r>",
        "a<3>bc<1>de");

    row("nesting ends the document",
        "<r>vor" + QByteArray("<e>").repeated(BoundedXmlFeed::kMaxDepth) + "nach</e>", "vor");
    row("long tag ends the document", "<r>vor<e a='" + held + "' b='" + held + "'>nach</e></r>",
        "vor");
    // The reader keeps the namespaces that open elements declare.
    row("open tags end the document",
        "<r>vor" + ("<e xmlns:a='" + held + "'>").repeated(4) + "nach" +
            QByteArray("</e>").repeated(4) + "</r>",
        "vor");
    QByteArray attributes;
    for (int i = 0; i <= BoundedXmlFeed::kMaxAttributes; ++i)
        attributes += " a" + QByteArray::number(i) + "=''";
    row("many attributes end the document", "<r>vor<e" + attributes + ">nach</e></r>", "vor");
    row("DOCTYPE ends the document", "<!DOCTYPE r [<!ENTITY e 'eee'>]><r>&e;</r>", "");
}

void TestOfficeText::feedCutsLongTokens() {
    QFETCH(QByteArray, document);
    QFETCH(QString, expected);
    QCOMPARE(feedThrough(document), expected);
}

// A member of a few hundred kilobytes inflates to 300 MB of one token, a text run (kept whole) or
// an attribute value (dropped); the reading may raise the process's peak by 64 MB at most.
void TestOfficeText::hostileMembersStayBounded() {
    // Under a sanitizer the peak resident size is mostly the sanitizer's own.
    if (dlsym(RTLD_DEFAULT, "__asan_init") || dlsym(RTLD_DEFAULT, "__tsan_init"))
        QSKIP("the peak resident size is the sanitizer's");
    constexpr qint64 kTokenBytes = 300 << 20;
    for (const auto& [body, expected] :
         {std::pair<QString, QString>("<w:p><w:r><w:t>@</w:t></w:r></w:p>" + para("Ende"),
                                      QString::number(kTokenBytes) + "\nEnde\n"),
          {"<w:p w:rsidR=\"@\"><w:r><w:t>Text</w:t></w:r></w:p>", "0Text\n"}}) {
        QByteArray bytes = docx(wordBody(body).replace('@', QByteArray(kTokenBytes, 'a')));
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        // Sets the peak resident size back to the current one.
        QFile refs("/proc/self/clear_refs");
        const bool reset =
            refs.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && refs.write("5") == 1;
        const qint64 base = statusKiB("VmRSS");
        if (!reset || statusKiB("VmHWM") > base + 1024)
            QSKIP("the peak resident size cannot be reset here");
        qint64 as = 0;
        QString rest; // the text but its a's
        QVERIFY(readOfficeText(buffer, [&](QStringView piece) {
            as += piece.count(u'a');
            rest += piece.toString().remove(u'a');
            return true;
        }));
        const qint64 peakKiB = statusKiB("VmHWM") - base;
        QCOMPARE(QString::number(as) + rest, expected);
        QVERIFY2(peakKiB <= 64 << 10, qPrintable(QStringLiteral("%1 MiB").arg(peakKiB >> 10)));
    }
}

QTEST_GUILESS_MAIN(TestOfficeText)
#include "test_office_text.moc"
