#include "preview/office_text.h"

#include "preview/bounded_xml_feed.h"

#include <QIODevice>
#include <QList>
#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>
#include <quazip.h>
#include <quazipfile.h>
#include <utility>

namespace findolin {
namespace {

constexpr qint64 kChunkBytes = 64 * 1024;   // read from a member at a time
constexpr qsizetype kPieceChars = 8 * 1024; // handed to the sink at a time
constexpr int kMaxSpaces = 1000;            // a larger text:s count is a broken or hostile file

// ---------------------------------------------------------------------------------------------
// Output

// Separators are held back until the next text arrives, so that table structure can merge them:
// a cell's last paragraph end becomes the cell's tab, and a row's last tab becomes its line end.
enum class Pending { None, ParagraphEnd, CellEnd, LineEnd };

class TextOut {
public:
    explicit TextOut(const TextSink& sink) : sink_(sink) { buffer_.reserve(kPieceChars * 2); }

    bool stopped() const { return stopped_; }

    void text(QStringView s) {
        if (s.isEmpty() || stopped_)
            return;
        releasePending();
        buffer_ += s;
        last_ = s.back();
        if (buffer_.size() >= kPieceChars)
            flush();
    }

    void character(QChar c) { text(QStringView(&c, 1)); }

    // A paragraph nested in running text (a text box, a note) starts on a line of its own.
    void beginParagraph() {
        if (pending_ == Pending::None && !last_.isNull() && last_ != u'\n')
            pending_ = Pending::LineEnd;
    }
    void endParagraph() {
        releasePending();
        pending_ = Pending::ParagraphEnd;
    }
    // A paragraph end still pending from before the table is not this cell's.
    void beginCell() {
        if (pending_ == Pending::ParagraphEnd)
            pending_ = Pending::LineEnd;
    }
    void endCell() {
        if (pending_ != Pending::ParagraphEnd)
            releasePending();
        pending_ = Pending::CellEnd;
    }
    void endRow() {
        if (pending_ != Pending::CellEnd)
            releasePending();
        pending_ = Pending::LineEnd;
    }
    // The next member's text starts on a new line.
    void endPart() {
        if (pending_ != Pending::None || (!last_.isNull() && last_ != u'\n'))
            pending_ = Pending::LineEnd;
    }
    void finish() {
        releasePending();
        flush();
    }

private:
    void releasePending() {
        if (pending_ == Pending::None)
            return;
        last_ = pending_ == Pending::CellEnd ? u'\t' : u'\n';
        pending_ = Pending::None;
        buffer_ += last_;
    }
    void flush() {
        if (buffer_.isEmpty() || stopped_)
            return;
        stopped_ = !sink_(buffer_);
        buffer_.resize(0); // keeps the capacity
    }

    const TextSink& sink_;
    QString buffer_;
    Pending pending_ = Pending::None;
    QChar last_; // the last character written, null before the first
    bool stopped_ = false;
};

// ---------------------------------------------------------------------------------------------
// XML members

enum class Format {
    Word,          // word/document.xml, headers, footers, notes
    Drawing,       // slides and notes of a presentation
    Sheet,         // shared strings and worksheets
    OpenDocument,  // content.xml: the office:body
    OpenDocStyles, // styles.xml: only the page headers and footers
};

enum class Ns { Other, Word, Drawing, Sheet, Compat, OdfText, OdfTable, OdfOffice, OdfStyle };

// Transitional and strict flavours of the same vocabularies.
Ns namespaceOf(QStringView uri) {
    if (uri == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
        uri == u"http://purl.oclc.org/ooxml/wordprocessingml/main")
        return Ns::Word;
    if (uri == u"http://schemas.openxmlformats.org/drawingml/2006/main" ||
        uri == u"http://purl.oclc.org/ooxml/drawingml/main")
        return Ns::Drawing;
    if (uri == u"http://schemas.openxmlformats.org/spreadsheetml/2006/main" ||
        uri == u"http://purl.oclc.org/ooxml/spreadsheetml/main")
        return Ns::Sheet;
    if (uri == u"http://schemas.openxmlformats.org/markup-compatibility/2006")
        return Ns::Compat;
    if (uri == u"urn:oasis:names:tc:opendocument:xmlns:text:1.0")
        return Ns::OdfText;
    if (uri == u"urn:oasis:names:tc:opendocument:xmlns:table:1.0")
        return Ns::OdfTable;
    if (uri == u"urn:oasis:names:tc:opendocument:xmlns:office:1.0")
        return Ns::OdfOffice;
    if (uri == u"urn:oasis:names:tc:opendocument:xmlns:style:1.0")
        return Ns::OdfStyle;
    return Ns::Other;
}

enum class Close { None, Paragraph, Cell, Row };

// What an open element means for the text.
struct Element {
    bool text = false;  // its character data is document text
    bool skip = false;  // nothing inside it is document text
    bool scope = false; // OpenDocument: document text may be inside it
    bool run = false;   // w:r, whose w:tab and w:br are text (those in w:pPr are tab stops)
    Close close = Close::None;
};

class PartParser {
public:
    PartParser(Format format, TextOut& out) : format_(format), out_(out) {}

    // Reads as far as the reader's data goes: to its end, the document's end or an error.
    void parse(QXmlStreamReader& xml) {
        while (!xml.atEnd() && !out_.stopped()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                start(xml);
                break;
            case QXmlStreamReader::EndElement:
                end();
                break;
            case QXmlStreamReader::Characters:
                if (skipping_ == 0 && inText_ > 0)
                    characters(xml.text());
                break;
            default:
                break;
            }
        }
    }

private:
    void start(const QXmlStreamReader& xml) {
        Element e;
        if (skipping_ == 0)
            e = classify(xml);
        skipping_ += e.skip;
        inText_ += e.text;
        inScope_ += e.scope;
        open_.push_back(e);
    }

    void end() {
        if (open_.isEmpty())
            return;
        const Element e = open_.takeLast();
        skipping_ -= e.skip;
        inText_ -= e.text;
        inScope_ -= e.scope;
        switch (e.close) {
        case Close::Paragraph:
            out_.endParagraph();
            break;
        case Close::Cell:
            out_.endCell();
            sharedCell_ = false;
            break;
        case Close::Row:
            out_.endRow();
            break;
        case Close::None:
            break;
        }
    }

    void characters(QStringView s) {
        if (format_ != Format::OpenDocument && format_ != Format::OpenDocStyles) {
            out_.text(s);
            return;
        }
        // OpenDocument white space in text collapses to one blank; explicit blanks are text:s.
        scratch_.resize(0);
        for (QChar c : s) {
            const bool blank = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
            if (blank && atBlank_)
                continue;
            scratch_ += blank ? QChar(u' ') : c;
            atBlank_ = blank;
        }
        out_.text(scratch_);
    }

    static bool isSeparatorNote(const QXmlStreamReader& xml) {
        for (const QXmlStreamAttribute& attribute : xml.attributes())
            if (attribute.name() == u"type" && namespaceOf(attribute.namespaceUri()) == Ns::Word)
                return attribute.value() != u"normal";
        return false;
    }

    bool parentIsRun() const { return !open_.isEmpty() && open_.back().run; }

    void paragraph(Element& e) {
        e.close = Close::Paragraph;
        out_.beginParagraph();
    }
    void cell(Element& e) {
        e.close = Close::Cell;
        out_.beginCell();
    }

    // Classifies a start tag; inline breaks, tabs and blanks are written here.
    Element classify(const QXmlStreamReader& xml) {
        Element e;
        const Ns ns = namespaceOf(xml.namespaceUri());
        const QStringView name = xml.name();
        if (ns == Ns::Compat) {
            // The fallback repeats the chosen content in an older form (text boxes twice).
            e.skip = name == u"Fallback";
            return e;
        }
        switch (format_) {
        case Format::Word:
            if (ns != Ns::Word)
                break;
            if (name == u"t")
                e.text = true;
            else if (name == u"p")
                paragraph(e);
            else if (name == u"r")
                e.run = true;
            else if (name == u"tc")
                cell(e);
            else if (name == u"tr")
                e.close = Close::Row;
            else if (name == u"moveFrom") // moved text also appears where it moved to
                e.skip = true;
            else if (name == u"footnote" || name == u"endnote")
                e.skip = isSeparatorNote(xml); // the line above the notes, no text
            else if (parentIsRun() && name == u"tab")
                out_.character(u'\t');
            else if (parentIsRun() && (name == u"br" || name == u"cr"))
                out_.character(u'\n');
            else if (parentIsRun() && name == u"noBreakHyphen")
                out_.character(u'-');
            break;
        case Format::Drawing:
            if (ns != Ns::Drawing)
                break;
            if (name == u"t")
                e.text = true;
            else if (name == u"p")
                paragraph(e);
            else if (name == u"br")
                out_.character(u'\n');
            else if (name == u"tc")
                cell(e);
            else if (name == u"tr")
                e.close = Close::Row;
            break;
        case Format::Sheet:
            if (ns != Ns::Sheet)
                break;
            if (name == u"t")
                e.text = true;
            else if (name == u"si")
                e.close = Close::Paragraph;
            else if (name == u"rPh") // phonetic reading of the string before it
                e.skip = true;
            else if (name == u"row")
                e.close = Close::Row;
            else if (name == u"c") {
                cell(e);
                sharedCell_ = xml.attributes().value(QLatin1StringView("t")) == u"s";
            } else if (name == u"v") {
                // A shared-string cell's value is an index; its text comes from sharedStrings.
                e.text = !sharedCell_;
                e.skip = sharedCell_;
            }
            break;
        case Format::OpenDocument:
        case Format::OpenDocStyles:
            classifyOpenDocument(xml, ns, name, e);
            break;
        }
        return e;
    }

    void classifyOpenDocument(const QXmlStreamReader& xml, Ns ns, QStringView name, Element& e) {
        if (format_ == Format::OpenDocument) {
            // Only the body is the document; before it come settings and styles.
            e.scope = ns == Ns::OdfOffice && name == u"body";
        } else {
            e.scope = ns == Ns::OdfStyle &&
                      (name == u"header" || name == u"header-left" || name == u"header-first" ||
                       name == u"footer" || name == u"footer-left" || name == u"footer-first");
        }
        if (inScope_ == 0)
            return;
        if (ns == Ns::OdfText) {
            if (name == u"p" || name == u"h") {
                e.text = true;
                paragraph(e);
                atBlank_ = true; // leading white space of a paragraph is dropped
            } else if (name == u"s") {
                bool ok = false;
                const int count =
                    xml.attributes()
                        .value(QLatin1StringView("urn:oasis:names:tc:opendocument:xmlns:text:1.0"),
                               QLatin1StringView("c"))
                        .toInt(&ok);
                out_.text(QString(ok ? std::clamp(count, 1, kMaxSpaces) : 1, u' '));
                atBlank_ = false;
            } else if (name == u"tab") {
                out_.character(u'\t');
                atBlank_ = false;
            } else if (name == u"line-break") {
                out_.character(u'\n');
                atBlank_ = false;
            } else if (name == u"tracked-changes") { // holds deleted text
                e.skip = true;
            }
        } else if (ns == Ns::OdfTable) {
            if (name == u"table-cell" || name == u"covered-table-cell")
                cell(e);
            else if (name == u"table-row")
                e.close = Close::Row;
        } else if (ns == Ns::OdfOffice && name == u"annotation") {
            e.skip = true; // comments, with their author and date
        }
    }

    const Format format_;
    TextOut& out_;
    QList<Element> open_;
    int skipping_ = 0;
    int inText_ = 0;
    int inScope_ = 0;
    bool sharedCell_ = false;
    bool atBlank_ = true;
    QString scratch_;
};

// ---------------------------------------------------------------------------------------------
// Members of the zip

struct Part {
    QString name;
    Format format;
};

QString member(const QStringList& names, QStringView wanted) {
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

// Members named prefix + (no folder) + suffix, in the order of the number their name ends with,
// so slide2 comes before slide10.
QStringList numbered(const QStringList& names, QStringView prefix, QStringView suffix) {
    QList<std::pair<qulonglong, QString>> found;
    for (const QString& name : names) {
        if (name.size() < prefix.size() + suffix.size() ||
            !name.startsWith(prefix, Qt::CaseInsensitive) ||
            !name.endsWith(suffix, Qt::CaseInsensitive))
            continue;
        const QStringView middle =
            QStringView(name).sliced(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (middle.contains(u'/'))
            continue;
        qsizetype digits = middle.size();
        while (digits > 0 && middle[digits - 1] >= u'0' && middle[digits - 1] <= u'9')
            --digits;
        found.push_back({middle.sliced(digits).toULongLong(), name});
    }
    std::sort(found.begin(), found.end());
    QStringList result;
    for (auto& [number, name] : found)
        result.push_back(std::move(name));
    return result;
}

QList<Part> partsOf(const QStringList& names) {
    QList<Part> parts;
    const auto add = [&parts](const QStringList& members, Format format) {
        for (const QString& name : members)
            parts.push_back({name, format});
    };
    const auto addOne = [&add](const QString& name, Format format) {
        if (!name.isEmpty())
            add({name}, format);
    };

    if (const QString document = member(names, u"word/document.xml"); !document.isEmpty()) {
        addOne(document, Format::Word);
        add(numbered(names, u"word/header", u".xml"), Format::Word);
        add(numbered(names, u"word/footer", u".xml"), Format::Word);
        addOne(member(names, u"word/footnotes.xml"), Format::Word);
        addOne(member(names, u"word/endnotes.xml"), Format::Word);
    }
    addOne(member(names, u"xl/sharedStrings.xml"), Format::Sheet);
    add(numbered(names, u"xl/worksheets/", u".xml"), Format::Sheet);
    if (const QStringList slides = numbered(names, u"ppt/slides/slide", u".xml");
        !slides.isEmpty()) {
        add(slides, Format::Drawing);
        add(numbered(names, u"ppt/notesSlides/", u".xml"), Format::Drawing);
    }
    if (!parts.isEmpty())
        return parts;

    if (const QString content = member(names, u"content.xml"); !content.isEmpty()) {
        addOne(content, Format::OpenDocument);
        addOne(member(names, u"styles.xml"), Format::OpenDocStyles);
    }
    return parts;
}

// Streams one member through the parser; a member that cannot be read or parsed just ends.
void readPart(QuaZip& zip, const Part& part, TextOut& out) {
    if (!zip.setCurrentFile(part.name, QuaZip::csSensitive))
        return;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QXmlStreamReader xml;
    BoundedXmlFeed feed(xml);
    PartParser parser(part.format, out);
    for (bool more = true; more;) {
        const QByteArray chunk = file.read(kChunkBytes);
        more = !chunk.isEmpty() && feed.add(chunk);
        parser.parse(xml); // also what was handed on before the feed ended the member
        if (out.stopped() || xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            break;
    }
}

} // namespace

bool looksLikeZip(QByteArrayView head) {
    return head.startsWith(QByteArrayView("PK\x03\x04", 4));
}

bool readOfficeText(QIODevice& device, const TextSink& sink) {
    QuaZip zip(&device);
    zip.setAutoClose(false); // the device is the caller's
    if (!zip.open(QuaZip::mdUnzip))
        return false;
    const QList<Part> parts = partsOf(zip.getFileNameList());
    if (parts.isEmpty())
        return false;

    TextOut out(sink);
    for (const Part& part : parts) {
        readPart(zip, part, out);
        if (out.stopped())
            return true;
        out.endPart();
    }
    out.finish();
    return true;
}

} // namespace findolin
