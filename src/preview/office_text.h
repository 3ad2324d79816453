#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <functional>

class QIODevice;

namespace findolin {

// Receives a document's text piece by piece; answers false when it wants no more.
using TextSink = std::function<bool(QStringView piece)>;

// Whether the bytes begin like a zip archive ("PK\3\4"), the container of today's office files.
bool looksLikeZip(QByteArrayView head);

// Streams the text of a zip-based office document into `sink`:
//   Word, Excel, PowerPoint (.docx .xlsx .pptx and their macro/template kinds): the text of
//     word/document.xml with headers, footers, footnotes and endnotes; xl/sharedStrings.xml and
//     the worksheets' inline strings and values; ppt/slides/slide*.xml and notes;
//   OpenDocument (.odt .ods .odp ...): content.xml (and styles.xml for headers and footers).
// Text runs of one paragraph are joined without a separator (a word split into runs stays one
// word); paragraphs, line breaks, rows and shared strings end with "\n", tabs and cells with "\t".
// In a table a cell's last paragraph ends with the cell's "\t", and a row's last cell with the
// row's "\n" ("A\tB\n").
// Members are read in pieces through a BoundedXmlFeed (see there what a hostile member loses):
// whatever a member holds, the reading holds a few megabytes, and a long text run reaches the sink
// whole, in pieces.
// `device` must be open for reading and seekable. Returns false when it is not such a document
// (not a zip, or a zip without any of those parts); the sink has then received nothing.
bool readOfficeText(QIODevice& device, const TextSink& sink);

} // namespace findolin
