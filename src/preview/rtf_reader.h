#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <functional>

namespace findolin {

// The character formatting the preview shows.
struct RtfFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const RtfFormat&, const RtfFormat&) = default;
};

// Whether the bytes begin like an RTF document ("{\rtf").
bool looksLikeRtf(QByteArrayView head);

// A small, forgiving RTF reader: it hands on the document's text piece by piece with the
// formatting in force, and skips everything that is not text (font, colour and style tables,
// document information, pictures, objects and every "{\*...}" destination). Paragraphs
// (\par, \line, \sect, \page, \row) become "\n", \tab and \cell become "\t"; \'hh is a byte in the
// document's code page (Windows-1252); \uN is the Unicode character N (negative N counts from
// 65536), whose \ucN fallback characters are skipped; \bin skips its binary data; the escaped
// characters \\ \{ \} and the named ones (\emdash, \bullet, \ldblquote, \~ ...) come out as text.
// Broken input never throws: unbalanced braces and cut-off words are read as far as they go.
//
// It reads in pieces of any size (a control word or \'hh split between pieces is read whole), so
// a file of any size costs bounded memory. Adjacent text of one formatting may come in several
// pieces; a word split by formatting ("Rech\b nung") comes out as one word.
class RtfReader {
public:
    using TextHandler = std::function<void(QStringView text, const RtfFormat& format)>;

    explicit RtfReader(TextHandler handler);
    ~RtfReader();
    RtfReader(const RtfReader&) = delete;
    RtfReader& operator=(const RtfReader&) = delete;

    void feed(QByteArrayView piece);
    // Ends the document: text still held back is handed on.
    void finish();

private:
    struct State;
    State* state_;
};

} // namespace findolin
