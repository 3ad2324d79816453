#pragma once

// Office documents as the tests need them, zipped here with the same library the program reads
// them with.

#include <QBuffer>
#include <QList>
#include <QString>
#include <quazip.h>
#include <quazipfile.h>

using Members = QList<std::pair<QString, QByteArray>>;

const QString kXmlDecl = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
const QString kWordNs =
    QStringLiteral(" xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
                   " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"");
const QString kSheetNs =
    QStringLiteral(" xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"");
const QString kOdfNs =
    QStringLiteral(" xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                   " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
                   " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                   " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
                   " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
                   " xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\""
                   " xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\"");

inline QByteArray wordPart(const QString& root, const QString& content) {
    return (kXmlDecl + "<w:" + root + kWordNs + ">" + content + "</w:" + root + ">").toUtf8();
}
inline QByteArray wordBody(const QString& body) {
    return wordPart(QStringLiteral("document"), "<w:body>" + body + "</w:body>");
}
inline QString para(const QString& text) {
    return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}
inline QByteArray slide(const QString& text) {
    return (kXmlDecl +
            "<p:sld xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
            " xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\">"
            "<p:cSld><p:spTree><p:sp><p:txBody><a:p><a:r><a:t>" +
            text + "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree></p:cSld></p:sld>")
        .toUtf8();
}
inline QByteArray odfContent(const QString& body) {
    return (kXmlDecl + "<office:document-content" + kOdfNs +
            "><office:automatic-styles><number:number-style style:name=\"N1\"><number:text>EUR"
            "</number:text></number:number-style></office:automatic-styles><office:body>" +
            body + "</office:body></office:document-content>")
        .toUtf8();
}

// A zip of the members, as an office program writes it; `stored` leaves the XML readable in the
// bytes so that tests can damage it.
inline QByteArray zipped(const Members& members, bool stored = false) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate))
        qFatal("cannot create a zip");
    for (const auto& [name, data] : members) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0,
                       stored ? 0 : Z_DEFLATED) ||
            file.write(data) != data.size())
            qFatal("cannot write %s", qPrintable(name)); // closed as it goes
    }
    zip.close();
    return buffer.data();
}

inline QByteArray docx(const QByteArray& document) {
    return zipped({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", document}});
}

inline QByteArray odt(const QByteArray& content) {
    return zipped(
        {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", content}});
}
