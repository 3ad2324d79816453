#include "preview/mail_message.h"

#include <QRegularExpression>
#include <QtTest>

using namespace findolin;

namespace {

// The page as a reader sees it, without tags and entities: header rows as "Label: value" lines,
// "|" for each rule, the attachments as "[a; b]".
QString shown(QString html) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    html.replace("</th>", " ").replace("</tr>", "\n").replace("<hr>", "|").replace("<ul>", "[");
    html.replace("</li><li>", "; ").replace("</ul>", "]").remove(tag);
    html.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
    return html.replace("&amp;", "&");
}

const QByteArray kHead = "From: o@x\n";
QByteArray typed(const QByteArray& type) {
    return kHead + "Content-Type: " + type;
}
const QByteArray kMixed = typed("multipart/mixed; boundary=m\n\n");

} // namespace

class TestMailMessage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messages();
    void hostileInputEnds();
};

void TestMailMessage::messages() {
    const struct {
        QByteArray message;
        QString shown; // of kHead from "|" on
    } rows[] = {
        // Headers: encoded words, folding, any case, and raw Windows-1252.
        {"Subject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?=\n\nT", "Betreff: Grüße\n|T"},
        {"From: =?ISO-8859-1?B?SvxyZ2VuIE38bGxlcg==?= <jm@x>\n\nT",
         "Von: Jürgen Müller <jm@x>\n|T"},
        {"Subject: =?iso-8859-1?q?Sch=F6ne_Tage?=\n\nT", "Betreff: Schöne Tage\n|T"},
        {"Subject: =?utf-8?Q?Ab?= =?utf-8?Q?c?= =?utf-8?Q?Gr=C3=BC=C3=9Fe?= aus Bonn\n\nT",
         "Betreff: AbcGrüße aus Bonn\n|T"},
        // Some senders cut the bytes of one character in two words.
        {"Subject: =?UTF-8?B?R3LD?=\n =?UTF-8?B?vG4=?=\n\nT", "Betreff: Grün\n|T"},
        {"Subject: =?iso-8859-1?Q?=E4?= =?utf-8?Q?=E2=82=AC?=\n\nT", "Betreff: ä€\n|T"},
        {"Subject: Ein langer\n\tBetreff\n   über drei Zeilen\n\nT",
         "Betreff: Ein langer Betreff über drei Zeilen\n|T"},
        {"SUBJECT: =?kaputt a=b ?= 50%\n\nT", "Betreff: =?kaputt a=b ?= 50%\n|T"},
        {"Subject: B\xFCrostuhl \x80\n\nT", "Betreff: Bürostuhl €\n|T"},
        {"Subject: <b>Angebot</b> & \"mehr\"\n\nT", "Betreff: <b>Angebot</b> & \"mehr\"\n|T"},
        // The table in its own order, only of the fields there; the body begins at the first
        // blank line, even when a line after it looks like a field.
        {"Subject: S\nCc: c@x\nX-Mailer: M\nDate: D\nTo: t@x\nReceived: r\nFrom: f@x\n\nT",
         "Von: f@x\nAn: t@x\nCc: c@x\nDatum: D\nBetreff: S\n|T"},
        {kHead + "\nSubject: nicht im Kopf", "|Subject: nicht im Kopf"},
        // Bodies: transfer encodings and charsets.
        {kHead + "\nGr\xC3\xBC\xC3\x9F\x65\nOtto", "|Grüße\nOtto"},
        {typed("text/plain; charset=ISO-8859-1\n"
               "Content-Transfer-Encoding: quoted-printable\n\n"
               "Der B=FC=\nrostuhl kostet 5=3D5 Euro. \t\nEnde"),
         "|Der Bürostuhl kostet 5=5 Euro.\nEnde"},
        {typed("text/plain; charset=\"utf-8\"\n"
               "Content-Transfer-Encoding: BASE64\n\n"
               "R3LDvMOfZSBhdXMgS8O2bG4s\nIFN0cmHDn2UgNSDigJMgQsO8cm8\n"),
         "|Grüße aus Köln, Straße 5 – Büro"},
        {kHead + "Content-Transfer-Encoding: base64\n\nSGFsbG8=\nIFdlbHQ=\nP3g/Pj4+\n",
         "|Hallo Welt?x?>>>"},
        {typed("text/plain; charset=iso-8859-15\n\n5 \xA4 \xBC\xBD"), "|5 € Œœ"},
        {typed("text/plain; charset=windows-1252\n\n\x84Zitat\x93 \x80"), "|„Zitat“ €"},
        {typed("text/plain; charset=x-unbekannt\n\nGr\xC3\xBCn"), "|Grün"},
        {typed("text/plain; charset=us-ascii\n\nGr\xFCn"), "|Grün"},
        {kHead + "content-type: TEXT/PLAIN; CHARSET=UTF-8 (Kommentar)\n"
                 "CONTENT-TRANSFER-ENCODING: Quoted-Printable\n\nGr=C3=BCn",
         "|Grün"},
        // Markup in text is escaped; line breaks and indentation stay.
        {"From: Otto <o@x>\nSubject: a<b\n\nif (a < b && c > d) <script>x</script>\n  ein\n",
         "Von: Otto <o@x>\nBetreff: a<b\n|if (a < b && c > d) <script>x</script>\n  ein\n"},
        // Multiparts: the richest alternative, the first text of a mix, nested parts.
        {typed("multipart/alternative; boundary=\"b1\"\n\n"
               "Vorspann\n--b1\nContent-Type: text/plain\n\nHallo *Welt*\n"
               "--b1\nContent-Type: text/html; charset=utf-8\n\n<p>Hallo <b>Welt</b></p>\n"
               "--b1--\nNachspann\n"),
         "|Hallo Welt"},
        {typed("multipart/alternative; boundary=b1\n\n"
               "--b1\nContent-Type: text/calendar\n\nBEGIN:VCALENDAR\n"
               "--b1\nContent-Type: text/plain\n\nNur Text\n--b1--\n"),
         "|Nur Text"},
        // Outlook puts the HTML with its pictures into a related part.
        {typed("multipart/alternative; boundary=\"=_a\"\n\n"
               "--=_a\nContent-Type: text/plain\n\nschlicht\n"
               "--=_a\nContent-Type: multipart/related; boundary=\"=_a2\"\n\n"
               "--=_a2\nContent-Type: text/html\n\n<p>reich</p>\n"
               "--=_a2\nContent-Type: image/png; name=\"image001.png\"\n"
               "Content-Transfer-Encoding: base64\n\niVBORw0KGgo=\n--=_a2--\n--=_a--\n"),
         "|reich"},
        {kMixed + "--m\nContent-Type: image/gif\n\nGIF89a\n"
                  "--m\n\nerster Text\n--m\nContent-Type: text/plain\n\nzweiter Text\n--m--\n",
         "|erster Text"},
        // A boundary that begins with another one must not end the other's parts.
        {typed("multipart/mixed; boundary=ab\n\n"
               "--ab\nContent-Type: multipart/alternative; boundary=abc\n\n"
               "--abc\nContent-Type: text/plain\n\nschlicht\n"
               "--abc\nContent-Type: text/html\n\n<p>reich</p>\n--abc--\n--ab--\n"),
         "|reich"},
        // A part ends at the line before its delimiter.
        {kMixed + "--m\n\nZeile\n\n"
                  "--m  \nContent-Type: image/png; name=a.png\n\nx\n--m--\n",
         "|Zeile\n|Anhänge:[a.png]"},
        // Attachments are named, never opened into the page.
        {typed("multipart/mixed; boundary=\"aussen\"\n\n"
               "--aussen\nContent-Type: multipart/alternative; boundary=\"innen\"\n\n"
               "--innen\nContent-Type: text/plain\n\nAnbei die Rechnung.\n"
               "--innen\nContent-Type: text/html\n\n<p>Anbei die <i>Rechnung</i>.</p>\n"
               "--innen--\n\n"
               "--aussen\nContent-Type: application/pdf; name=\"Rechnung.pdf\"\n"
               "Content-Disposition: attachment; filename=\"Rechnung.pdf\"\n"
               "Content-Transfer-Encoding: base64\n\nJVBERi0xLjQgYmluYXJ5\n"
               "--aussen\nContent-Type: text/plain; name=notiz.txt\n"
               "Content-Disposition: attachment\n\nNicht der Rumpf\n--aussen--\n"),
         "|Anbei die Rechnung.|Anhänge:[Rechnung.pdf; notiz.txt]"},
        {kMixed + "--m\n\nText\n"
                  "--m\nContent-Type: application/octet-stream\n"
                  "Content-Disposition: attachment;\n filename*=UTF-8''Gr%C3%BC%C3%9Fe%20an.txt\n\n"
                  "x\n--m\nContent-Type: application/octet-stream;\n"
                  " name=\"=?iso-8859-1?Q?B=FCro.doc?=\"\n\nx\n"
                  "--m\nContent-Disposition: attachment; filename*0*=utf-8''Teil%C3%A4;\n"
                  " filename*1=\"_zwei.xls\"\n\nx\n"
                  "--m\nContent-Type: image/png; name=\"C:\\\\Bilder\\\\a<b>.png\"\n\nx\n"
                  "--m\nContent-Type: application/octet-stream\n\nunbenannt\n"
                  "--m\nContent-Type: message/rfc822\n\n"
                  "From: x@x\nSubject: =?utf-8?Q?Urspr=C3=BCnglich?=\n\nAlter Text\n--m--\n",
         "|Text|Anhänge:[Grüße an.txt; Büro.doc; Teilä_zwei.xls; a<b>.png; "
         "Ursprünglich.eml]"},
        {typed("application/zip; name=alles.zip\n"
               "Content-Transfer-Encoding: base64\n\nUEsDBA==\n"),
         "||Anhänge:[alles.zip]"},
        // Broken input is shown as far as it goes.
        {kMixed + "--m\n"
                  "Content-Type: image/png; name=a.png\n\nx\n--m\nContent-Type: text/plain\n\n"
                  "der letzte Teil läuft bis zum Ende",
         "|der letzte Teil läuft bis zum Ende|Anhänge:[a.png]"},
        {kMixed + "nur Text", "|nur Text"},
        {typed("multipart/alternative\n\nnur Text"), "|nur Text"},
        {kHead + "Content-Transfer-Encoding: base64\n\nSGFs*bG8g!V2V s\ndA", "|Hallo Welt"},
        {kHead + "Content-Transfer-Encoding: quoted-printable\n\na=b =zz 100%=\n", "|a=b =zz 100%"},
        {"From: o@x\nSubject: =?utf-8?Q?abgeschn", "Von: o@x\nBetreff: =?utf-8?Q?abgeschn\n|"},
        {"From: o@x\nHallo ohne Leerzeile", "|Hallo ohne Leerzeile"},
        // HTML: a second frame inside the body, a fragment with its charset in a <meta>.
        {typed("text/html\n\n<html><body>eins<html><body>zwei</body></html>"), "|einszwei"},
        {typed("text/html\n\n<html><head><meta charset=\"iso-8859-15\"></head><div>\xA4 x</div>"
               "<script>unclosed"),
         "|€ x"},
        // A script tag that removing a script joins together is shown as text.
        {typed("text/html\n\n<scr<script>x</script>ipt>late()</script>b"), "|<script>late()b"},
        // A file that is no mail comes out as its text, without a header table.
        {"Liebe Anna,\n\nbis morgen.\n", "Liebe Anna,\n\nbis morgen.\n"},
        {"Hinweis: bitte <lesen>\nZweite Zeile\n", "Hinweis: bitte <lesen>\nZweite Zeile\n"},
        {"Gr\xFC\xDF\x65 \x80", "Grüße €"},
        {"", ""},
    };
    for (const auto& row : rows) {
        for (const bool crlf : {false, true}) {
            const QString html =
                mailAsHtml(crlf ? QByteArray(row.message).replace("\n", "\r\n") : row.message);
            QVERIFY(html.endsWith(QStringLiteral("</body></html>")));
            QCOMPARE(html.count(QStringLiteral("<body"), Qt::CaseInsensitive), 1);
            QCOMPARE(html.count(QStringLiteral("<html"), Qt::CaseInsensitive), 1);
            QString expected = row.shown.startsWith(u'|') ? "Von: o@x\n" + row.shown : row.shown;
            if (crlf && !row.shown.contains(u'|'))
                expected.replace("\n", "\r\n"); // no mail: its text as it is
            QCOMPARE(shown(html), expected);
        }
    }
    // An HTML part's body goes into the page without the frame, title and scripts; its styles stay.
    const QString html =
        mailAsHtml(kHead + "Content-Type: text/html; charset=iso-8859-1\n\n"
                           "<!DOCTYPE html><html><head><title>Titel</title>"
                           "<style>p{color:red}</style><script>alert(1)</script></head>\n"
                           "<body bgcolor=\"white\"><p class=\"x\">Gr\xFC\xDF"
                           "e <b>fett</b></p><SCRIPT type=\"text/javascript\">evil()</SCRIPT>"
                           "<p>nach</p><scr<script>x</script>ipt>late()</script></body></html>\n");
    QVERIFY(html.contains(QStringLiteral("<p class=\"x\">Grüße <b>fett</b></p><p>nach</p>")));
    QVERIFY(html.contains(QStringLiteral("<style>p{color:red}</style>")));
    for (const char* gone : {"Titel", "<script", "alert", "evil"})
        QVERIFY2(!html.contains(QLatin1String(gone), Qt::CaseInsensitive), gone);
}

void TestMailMessage::hostileInputEnds() {
    // Multiparts nested far deeper than any sender nests them; a few levels are fine.
    for (const int levels : {6, 20000}) {
        QByteArray deep = kHead;
        for (int i = 0; i < levels; ++i)
            deep += "Content-Type: multipart/mixed; boundary=b" + QByteArray::number(i) +
                    "\n\n--b" + QByteArray::number(i) + "\n";
        const QString html = mailAsHtml(deep + "\ntief\n");
        QVERIFY(html.endsWith(QStringLiteral("</body></html>")));
        QCOMPARE(shown(html).contains(QStringLiteral("tief")), levels < 10);
    }
    // A header of a million folded lines and one of ten megabytes in a single line.
    const QString folded = mailAsHtml(
        "From: a@b\nSubject: x" + QByteArray("\n =?utf-8?Q?y?=").repeated(1000000) + "\n\nRumpf");
    QVERIFY(shown(folded).endsWith(QStringLiteral("|Rumpf")) && folded.size() < 100000);
    const QByteArray wide = "From: a@b\nTo: " + QByteArray(10 << 20, 'x') + "\n\nRumpf";
    QVERIFY(shown(mailAsHtml(wide)).endsWith(QStringLiteral("|Rumpf")));
    // Frame tags without end, each a search through the rest of the part; many parts, each
    // naming an attachment.
    for (const QByteArray& message :
         {typed("text/html\n\n") + QByteArray("<html>x").repeated(200000),
          kMixed + QByteArray("--m\nContent-Type: image/png; name=a.png\n\nx\n").repeated(100000)})
        QVERIFY(mailAsHtml(message).endsWith(QStringLiteral("</body></html>")));
}

QTEST_GUILESS_MAIN(TestMailMessage)
#include "test_mail_message.moc"
