#include "preview/mail_message.h"

#include <QRegularExpression>
#include <QtTest>

using namespace findolin;

namespace {

QString unescaped(QString html) {
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html;
}

// The page as a reader sees it: without tags, entities resolved.
QString visibleText(const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return unescaped(QString(html).remove(tag));
}

// The rows of the header table, "Label=value" with the value as it stands in the HTML.
QStringList headerRows(const QString& html) {
    static const QRegularExpression row(QStringLiteral("<th[^>]*>([^<]*):</th><td>([^<]*)</td>"));
    QStringList rows;
    for (const auto& match : row.globalMatch(html))
        rows << match.captured(1) + u'=' + match.captured(2);
    return rows;
}

QStringList attachmentsOf(const QString& html) {
    const qsizetype list = html.indexOf(QStringLiteral("Anhänge:"));
    if (list < 0)
        return {};
    static const QRegularExpression item(QStringLiteral("<li>([^<]*)</li>"));
    QStringList names;
    for (const auto& match : item.globalMatch(html, list))
        names << unescaped(match.captured(1));
    return names;
}

QByteArray withCrlf(QByteArray message) {
    return message.replace("\n", "\r\n");
}

const QByteArray kHead = "From: otto@example.de\nTo: anna@example.de\nSubject: Test\n";

} // namespace

class TestMailMessage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void isOnePage();
    void headers_data();
    void headers();
    void headerTableShowsWhatIsThere();
    void bodies_data();
    void bodies();
    void partEndsAtTheLineBeforeItsDelimiter();
    void htmlPartIsInsertedAsItsBody();
    void markupInTextIsEscaped();
    void attachments_data();
    void attachments();
    void notAMail_data();
    void notAMail();
    void brokenInputIsShownAsFarAsItGoes_data();
    void brokenInputIsShownAsFarAsItGoes();
    void hostileInputEnds();
};

void TestMailMessage::isOnePage() {
    const QString html = mailAsHtml(kHead + "\nHallo");
    QVERIFY(html.startsWith(QStringLiteral("<html><head><meta charset=\"utf-8\">")));
    QVERIFY(html.endsWith(QStringLiteral("</body></html>")));
    QCOMPARE(html.count(QStringLiteral("<body")), 1);
    QCOMPARE(html.count(QStringLiteral("</html>")), 1);
}

void TestMailMessage::headers_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("row");

    QTest::newRow("Q-encoded UTF-8")
        << QByteArray("Subject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?=\n") << QStringLiteral("Betreff=Grüße");
    QTest::newRow("B-encoded ISO-8859-1")
        << QByteArray("From: =?ISO-8859-1?B?SvxyZ2VuIE38bGxlcg==?= <jm@example.de>\n")
        << QStringLiteral("Von=Jürgen Müller &lt;jm@example.de&gt;");
    QTest::newRow("underscore is a blank in Q")
        << QByteArray("Subject: =?iso-8859-1?q?Sch=F6ne_Tage?=\n")
        << QStringLiteral("Betreff=Schöne Tage");
    QTest::newRow("blank between encoded words dropped")
        << QByteArray("Subject: =?utf-8?Q?Ab?= =?utf-8?Q?c?=\n") << QStringLiteral("Betreff=Abc");
    QTest::newRow("blank before plain text kept")
        << QByteArray("Subject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?= aus Bonn\n")
        << QStringLiteral("Betreff=Grüße aus Bonn");
    // Some senders cut the bytes of one character in two words.
    QTest::newRow("character split between words")
        << QByteArray("Subject: =?UTF-8?B?R3LD?=\n =?UTF-8?B?vG4=?=\n")
        << QStringLiteral("Betreff=Grün");
    QTest::newRow("words in two charsets")
        << QByteArray("Subject: =?iso-8859-1?Q?=E4?= =?utf-8?Q?=E2=82=AC?=\n")
        << QStringLiteral("Betreff=ä€");
    QTest::newRow("folded") << QByteArray("Subject: Ein langer\n\tBetreff\n   über drei Zeilen\n")
                            << QStringLiteral("Betreff=Ein langer Betreff über drei Zeilen");
    QTest::newRow("name in any case")
        << QByteArray("SUBJECT: laut\n") << QStringLiteral("Betreff=laut");
    QTest::newRow("not an encoded word") << QByteArray("Subject: =?kaputt a=b ?= 50%\n")
                                         << QStringLiteral("Betreff==?kaputt a=b ?= 50%");
    QTest::newRow("raw Windows-1252")
        << QByteArray("Subject: B\xFCrostuhl \x80\n") << QStringLiteral("Betreff=Bürostuhl €");
    QTest::newRow("markup escaped")
        << QByteArray("Subject: <b>Angebot</b> & \"mehr\"\n")
        << QStringLiteral("Betreff=&lt;b&gt;Angebot&lt;/b&gt; &amp; &quot;mehr&quot;");
}

void TestMailMessage::headers() {
    QFETCH(QByteArray, head);
    QFETCH(QString, row);
    const QByteArray message = head + "\nText\n";
    QCOMPARE(headerRows(mailAsHtml(message)), QStringList{row});
    QCOMPARE(headerRows(mailAsHtml(withCrlf(message))), QStringList{row});
}

void TestMailMessage::headerTableShowsWhatIsThere() {
    const QString all = mailAsHtml("Subject: S\nCc: c@x\nX-Mailer: M\nDate: D\nTo: t@x\n"
                                   "Received: r\nFrom: f@x\n\nText");
    QCOMPARE(headerRows(all), (QStringList{"Von=f@x", "An=t@x", "Cc=c@x", "Datum=D", "Betreff=S"}));
    QCOMPARE(headerRows(mailAsHtml("From: f@x\nSubject: S\n\nText")),
             (QStringList{"Von=f@x", "Betreff=S"}));
    // The body begins at the first blank line, even when a line after it looks like a field.
    const QString late = mailAsHtml("From: f@x\n\nSubject: nicht im Kopf");
    QCOMPARE(headerRows(late), QStringList{"Von=f@x"});
    QVERIFY(visibleText(late).contains(QStringLiteral("Subject: nicht im Kopf")));
}

void TestMailMessage::bodies_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("hidden");

    QTest::newRow("no MIME headers") << kHead + "\nGr\xC3\xBC\xC3\x9F"
                                                "e\nOtto"
                                     << QStringLiteral("Grüße\nOtto") << QString();
    QTest::newRow("quoted-printable Latin-1 with soft break")
        << kHead + "Content-Type: text/plain; charset=ISO-8859-1\n"
                   "Content-Transfer-Encoding: quoted-printable\n\n"
                   "Der B=FC=\nrostuhl kostet 5=3D5 Euro. \t\nEnde"
        << QStringLiteral("Der Bürostuhl kostet 5=5 Euro.\nEnde") << QStringLiteral("B=FC");
    QTest::newRow("base64 UTF-8 without padding")
        << kHead + "Content-Type: text/plain; charset=\"utf-8\"\n"
                   "Content-Transfer-Encoding: BASE64\n\n"
                   "R3LDvMOfZSBhdXMgS8O2bG4s\nIFN0cmHDn2UgNSDigJMgQsO8cm8\n"
        << QStringLiteral("Grüße aus Köln, Straße 5 – Büro") << QStringLiteral("R3LD");
    QTest::newRow("base64 in separately padded pieces")
        << kHead + "Content-Transfer-Encoding: base64\n\nSGFsbG8=\nIFdlbHQ=\n"
        << QStringLiteral("Hallo Welt") << QString();
    QTest::newRow("ISO-8859-15 euro") << kHead + "Content-Type: text/plain; charset=iso-8859-15\n\n"
                                                 "5 \xA4 \xBC\xBD"
                                      << QStringLiteral("5 € Œœ") << QString();
    QTest::newRow("Windows-1252") << kHead + "Content-Type: text/plain; charset=windows-1252\n\n"
                                             "\x84Zitat\x93 \x80"
                                  << QStringLiteral("„Zitat“ €") << QString();
    QTest::newRow("unknown charset, UTF-8 bytes")
        << kHead + "Content-Type: text/plain; charset=x-unbekannt\n\nGr\xC3\xBCn"
        << QStringLiteral("Grün") << QString();
    QTest::newRow("us-ascii label, 8-bit bytes")
        << kHead + "Content-Type: text/plain; charset=us-ascii\n\nGr\xFCn" << QStringLiteral("Grün")
        << QString();
    QTest::newRow("type and parameters in any case")
        << kHead + "content-type: TEXT/PLAIN; CHARSET=UTF-8 (Kommentar)\n"
                   "CONTENT-TRANSFER-ENCODING: Quoted-Printable\n\nGr=C3=BCn"
        << QStringLiteral("Grün") << QString();
    QTest::newRow("alternative prefers HTML")
        << kHead + "Content-Type: multipart/alternative; boundary=\"b1\"\n\n"
                   "Vorspann\n--b1\nContent-Type: text/plain\n\nHallo *Welt*\n"
                   "--b1\nContent-Type: text/html; charset=utf-8\n\n<p>Hallo <b>Welt</b></p>\n"
                   "--b1--\nNachspann\n"
        << QStringLiteral("Hallo Welt") << QStringLiteral("*Welt*");
    QTest::newRow("alternative: plain when there is no HTML")
        << kHead + "Content-Type: multipart/alternative; boundary=b1\n\n"
                   "--b1\nContent-Type: text/calendar\n\nBEGIN:VCALENDAR\n"
                   "--b1\nContent-Type: text/plain\n\nNur Text\n--b1--\n"
        << QStringLiteral("Nur Text") << QStringLiteral("VCALENDAR");
    // Outlook puts the HTML with its pictures into a related part.
    QTest::newRow("alternative with related HTML")
        << kHead + "Content-Type: multipart/alternative; boundary=\"=_a\"\n\n"
                   "--=_a\nContent-Type: text/plain\n\nschlicht\n"
                   "--=_a\nContent-Type: multipart/related; boundary=\"=_a2\"\n\n"
                   "--=_a2\nContent-Type: text/html\n\n<p>reich</p>\n"
                   "--=_a2\nContent-Type: image/png; name=\"image001.png\"\n"
                   "Content-Transfer-Encoding: base64\n\niVBORw0KGgo=\n--=_a2--\n--=_a--\n"
        << QStringLiteral("reich") << QStringLiteral("schlicht");
    QTest::newRow("mixed shows its first text")
        << kHead + "Content-Type: multipart/mixed; boundary=m\n\n"
                   "--m\nContent-Type: image/gif\n\nGIF89a\n"
                   "--m\n\nerster Text\n--m\nContent-Type: text/plain\n\nzweiter Text\n--m--\n"
        << QStringLiteral("erster Text") << QStringLiteral("GIF89a");
    // A boundary that begins with another one must not end the other's parts.
    QTest::newRow("nested boundaries sharing a prefix")
        << kHead + "Content-Type: multipart/mixed; boundary=ab\n\n"
                   "--ab\nContent-Type: multipart/alternative; boundary=abc\n\n"
                   "--abc\nContent-Type: text/plain\n\nschlicht\n"
                   "--abc\nContent-Type: text/html\n\n<p>reich</p>\n--abc--\n--ab--\n"
        << QStringLiteral("reich") << QStringLiteral("schlicht");
    QTest::newRow("part without a head")
        << kHead + "Content-Type: multipart/mixed; boundary=m\n\n--m\n\nohne Kopf\n--m--\n"
        << QStringLiteral("ohne Kopf") << QString();
}

void TestMailMessage::bodies() {
    QFETCH(QByteArray, message);
    QFETCH(QString, shown);
    QFETCH(QString, hidden);
    for (const QByteArray& variant : {message, withCrlf(message)}) {
        const QString text = visibleText(mailAsHtml(variant));
        QVERIFY2(text.contains(shown), qPrintable(text));
        if (!hidden.isEmpty())
            QVERIFY2(!text.contains(hidden), qPrintable(text));
        QVERIFY(!text.contains(u'\r'));
    }
}

void TestMailMessage::partEndsAtTheLineBeforeItsDelimiter() {
    const QByteArray message = kHead +
                               "Content-Type: multipart/mixed; boundary=m\n\n"
                               "--m\n\nZeile\n\n--m  \nContent-Type: image/png\n\nx\n--m--\n";
    const QString expected = QStringLiteral(">Zeile\n</pre>");
    QVERIFY(mailAsHtml(message).contains(expected));
    QVERIFY(mailAsHtml(withCrlf(message)).contains(expected));
}

void TestMailMessage::htmlPartIsInsertedAsItsBody() {
    const QString html =
        mailAsHtml(kHead + "Content-Type: text/html; charset=iso-8859-1\n\n"
                           "<!DOCTYPE html><html><head><title>Titel</title>"
                           "<style>p{color:red}</style><script>alert(1)</script></head>\n"
                           "<body bgcolor=\"white\"><p class=\"x\">Gr\xFC\xDF"
                           "e <b>fett</b></p><SCRIPT type=\"text/javascript\">evil()</SCRIPT>"
                           "<p>nach</p><scr<script>x</script>ipt>late()</script></body></html>\n");
    QVERIFY(html.contains(QStringLiteral("<p class=\"x\">Grüße <b>fett</b></p><p>nach</p>")));
    QVERIFY(html.contains(QStringLiteral("<style>p{color:red}</style>")));
    QVERIFY(!html.contains(QStringLiteral("Titel")));
    QVERIFY(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    QVERIFY(!html.contains(QStringLiteral("alert")));
    QVERIFY(!html.contains(QStringLiteral("evil")));
    QCOMPARE(html.count(QStringLiteral("<body"), Qt::CaseInsensitive), 1);
    QCOMPARE(html.count(QStringLiteral("<html"), Qt::CaseInsensitive), 1);

    // A broken document with a second frame inside its body.
    const QString twice = mailAsHtml(kHead + "Content-Type: text/html\n\n"
                                             "<html><body>eins<html><body>zwei</body></html>");
    QVERIFY(visibleText(twice).contains(QStringLiteral("einszwei")));
    QCOMPARE(twice.count(QStringLiteral("<body"), Qt::CaseInsensitive), 1);
    QCOMPARE(twice.count(QStringLiteral("<html"), Qt::CaseInsensitive), 1);

    // A fragment without a document frame; its charset from its <meta>.
    const QString fragment = mailAsHtml(
        kHead + "Content-Type: text/html\n\n"
                "<html><head><meta charset=\"windows-1252\"></head><div>\x80 x</div><script>"
                "unclosed");
    QVERIFY(fragment.contains(QStringLiteral("<div>€ x</div>")));
    QVERIFY(!fragment.contains(QStringLiteral("unclosed")));
    QCOMPARE(fragment.count(QStringLiteral("<html"), Qt::CaseInsensitive), 1);
}

void TestMailMessage::markupInTextIsEscaped() {
    const QString html = mailAsHtml("From: Otto <otto@example.de>\nSubject: a<b\n\n"
                                    "if (a < b && c > d) <script>x</script>\n  eingerückt\n");
    QVERIFY(html.contains(QStringLiteral("if (a &lt; b &amp;&amp; c &gt; d) &lt;script&gt;")));
    QVERIFY(!html.contains(QStringLiteral("<script>")));
    QVERIFY(html.contains(QStringLiteral("Otto &lt;otto@example.de&gt;")));
    QVERIFY(html.contains(QStringLiteral("a&lt;b")));
    // Line breaks and indentation stay.
    QVERIFY(html.contains(QStringLiteral("white-space:pre-wrap")));
    QVERIFY(html.contains(QStringLiteral("&lt;/script&gt;\n  eingerückt")));
}

void TestMailMessage::attachments_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("shown");

    QTest::newRow("nested mixed")
        << kHead + "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"aussen\"\n\n"
                   "--aussen\nContent-Type: multipart/alternative; boundary=\"innen\"\n\n"
                   "--innen\nContent-Type: text/plain\n\nAnbei die Rechnung.\n"
                   "--innen\nContent-Type: text/html\n\n<p>Anbei die <i>Rechnung</i>.</p>\n"
                   "--innen--\n\n"
                   "--aussen\nContent-Type: application/pdf; name=\"Rechnung.pdf\"\n"
                   "Content-Disposition: attachment; filename=\"Rechnung.pdf\"\n"
                   "Content-Transfer-Encoding: base64\n\nJVBERi0xLjQgYmluYXJ5\n"
                   "--aussen\nContent-Type: text/plain; name=notiz.txt\n"
                   "Content-Disposition: attachment\n\nNicht der Rumpf\n--aussen--\n"
        << QStringList{"Rechnung.pdf", "notiz.txt"} << QStringLiteral("Anbei die Rechnung.");
    QTest::newRow("names encoded in both ways")
        << kHead +
               "Content-Type: multipart/mixed; boundary=m\n\n--m\n\nText\n"
               "--m\nContent-Type: application/octet-stream\n"
               "Content-Disposition: attachment;\n filename*=UTF-8''Gr%C3%BC%C3%9Fe%20an.txt\n\n"
               "x\n--m\nContent-Type: application/octet-stream;\n"
               " name=\"=?iso-8859-1?Q?B=FCro.doc?=\"\n\nx\n"
               "--m\nContent-Disposition: attachment; filename*0*=utf-8''Teil%C3%A4;\n"
               " filename*1=\"_zwei.xls\"\n\nx\n--m--\n"
        << QStringList{"Grüße an.txt", "Büro.doc", "Teilä_zwei.xls"} << QStringLiteral("Text");
    QTest::newRow("path stripped, markup escaped")
        << kHead + "Content-Type: multipart/mixed; boundary=m\n\n--m\n\nText\n"
                   "--m\nContent-Type: image/png; name=\"C:\\\\Bilder\\\\a<b>.png\"\n\nx\n--m--\n"
        << QStringList{"a<b>.png"} << QStringLiteral("Text");
    QTest::newRow("forwarded message")
        << kHead + "Content-Type: multipart/mixed; boundary=m\n\n--m\n\nSiehe unten\n"
                   "--m\nContent-Type: message/rfc822\n\n"
                   "From: x@example.de\nSubject: =?utf-8?Q?Urspr=C3=BCnglich?=\n\nAlter Text\n"
                   "--m--\n"
        << QStringList{"Ursprünglich.eml"} << QStringLiteral("Siehe unten");
    QTest::newRow("only an attachment") << kHead + "Content-Type: application/zip; name=alles.zip\n"
                                                   "Content-Transfer-Encoding: base64\n\nUEsDBA==\n"
                                        << QStringList{"alles.zip"} << QStringLiteral("Betreff");
    QTest::newRow("unnamed parts are not listed")
        << kHead + "Content-Type: multipart/mixed; boundary=m\n\n--m\n\nText\n"
                   "--m\nContent-Type: application/octet-stream\n\nx\n--m--\n"
        << QStringList() << QStringLiteral("Text");
}

void TestMailMessage::attachments() {
    QFETCH(QByteArray, message);
    QFETCH(QStringList, names);
    QFETCH(QString, shown);
    for (const QByteArray& variant : {message, withCrlf(message)}) {
        const QString html = mailAsHtml(variant);
        QCOMPARE(attachmentsOf(html), names);
        QCOMPARE(html.contains(QStringLiteral("Anhänge:")), !names.isEmpty());
        const QString text = visibleText(html);
        QVERIFY2(text.contains(shown), qPrintable(text));
        // Attachments are named, never opened into the page.
        QVERIFY(!text.contains(QStringLiteral("Nicht der Rumpf")));
        QVERIFY(!text.contains(QStringLiteral("Alter Text")));
        QVERIFY(!text.contains(QStringLiteral("JVBERi")));
    }
}

void TestMailMessage::notAMail_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain text") << QByteArray("Liebe Anna,\n\nbis morgen.\n")
                                << QStringLiteral("Liebe Anna,\n\nbis morgen.\n");
    QTest::newRow("first line with a colon")
        << QByteArray("Hinweis: bitte <lesen>\nZweite Zeile\n")
        << QStringLiteral("Hinweis: bitte <lesen>\nZweite Zeile\n");
    QTest::newRow("Windows-1252") << QByteArray("Gr\xFC\xDF"
                                                "e \x80")
                                  << QStringLiteral("Grüße €");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestMailMessage::notAMail() {
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    const QString html = mailAsHtml(file);
    QCOMPARE(headerRows(html), QStringList());
    QCOMPARE(visibleText(html), text);
}

void TestMailMessage::brokenInputIsShownAsFarAsItGoes_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("missing closing boundary")
        << kHead + "Content-Type: multipart/mixed; boundary=m\n\n--m\n"
                   "Content-Type: image/png; name=a.png\n\nx\n--m\nContent-Type: text/plain\n\n"
                   "der letzte Teil läuft bis zum Ende"
        << QStringLiteral("der letzte Teil läuft bis zum Ende");
    QTest::newRow("boundary never appears")
        << kHead + "Content-Type: multipart/mixed; boundary=m\n\nnur Text"
        << QStringLiteral("nur Text");
    QTest::newRow("multipart without boundary")
        << kHead + "Content-Type: multipart/alternative\n\nnur Text" << QStringLiteral("nur Text");
    QTest::newRow("bad base64") << kHead + "Content-Transfer-Encoding: base64\n\n"
                                           "SGFs*bG8g!V2V s\ndA"
                                << QStringLiteral("Hallo Welt");
    QTest::newRow("stray = in quoted-printable")
        << kHead + "Content-Transfer-Encoding: quoted-printable\n\na=b =zz 100%=\n"
        << QStringLiteral("a=b =zz 100%");
    QTest::newRow("cut off in the head")
        << QByteArray("From: otto@example.de\nSubject: =?utf-8?Q?abgeschn")
        << QStringLiteral("=?utf-8?Q?abgeschn");
    QTest::newRow("body without a blank line")
        << QByteArray("From: otto@example.de\nHallo ohne Leerzeile")
        << QStringLiteral("Hallo ohne Leerzeile");
}

void TestMailMessage::brokenInputIsShownAsFarAsItGoes() {
    QFETCH(QByteArray, message);
    QFETCH(QString, shown);
    const QString html = mailAsHtml(message);
    QVERIFY(html.endsWith(QStringLiteral("</body></html>")));
    QVERIFY2(visibleText(html).contains(shown), qPrintable(html));
}

void TestMailMessage::hostileInputEnds() {
    // Multiparts nested far deeper than any sender nests them.
    QByteArray deep = kHead;
    const int levels = 20000;
    for (int i = 0; i < levels; ++i)
        deep += "Content-Type: multipart/mixed; boundary=b" + QByteArray::number(i) + "\n\n--b" +
                QByteArray::number(i) + "\n";
    deep += "\ntief\n";
    QVERIFY(mailAsHtml(deep).endsWith(QStringLiteral("</body></html>")));

    // A few levels are fine.
    QByteArray nested = kHead;
    for (int i = 0; i < 6; ++i)
        nested += "Content-Type: multipart/mixed; boundary=b" + QByteArray::number(i) + "\n\n--b" +
                  QByteArray::number(i) + "\n";
    nested += "\ntief\n";
    QVERIFY(visibleText(mailAsHtml(nested)).contains(QStringLiteral("tief")));

    // A header of a million folded lines and one of ten megabytes in a single line.
    QByteArray folded = "From: a@b\nSubject: x";
    for (int i = 0; i < 1000000; ++i)
        folded += "\n =?utf-8?Q?y?=";
    folded += "\n\nRumpf";
    const QString foldedHtml = mailAsHtml(folded);
    QVERIFY(visibleText(foldedHtml).contains(QStringLiteral("Rumpf")));
    QVERIFY(foldedHtml.size() < 100000);
    const QByteArray wide = "From: a@b\nTo: " + QByteArray(10 << 20, 'x') + "\n\nRumpf";
    QVERIFY(visibleText(mailAsHtml(wide)).contains(QStringLiteral("Rumpf")));

    // Frame tags without end, each a search through the rest of the part.
    QByteArray frames = kHead + "Content-Type: text/html\n\n";
    for (int i = 0; i < 200000; ++i)
        frames += "<html>x";
    QVERIFY(mailAsHtml(frames).endsWith(QStringLiteral("</body></html>")));

    // Many parts, each naming an attachment.
    QByteArray many = kHead + "Content-Type: multipart/mixed; boundary=m\n\n";
    for (int i = 0; i < 100000; ++i)
        many += "--m\nContent-Type: image/png; name=" + QByteArray::number(i) + ".png\n\nx\n";
    QVERIFY(mailAsHtml(many).endsWith(QStringLiteral("</body></html>")));
}

QTEST_GUILESS_MAIN(TestMailMessage)
#include "test_mail_message.moc"
