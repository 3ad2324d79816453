#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <array>
#include <utility>
#include <vector>

class QXmlStreamReader;

namespace findolin {

// Hands an XML document's bytes to a QXmlStreamReader so that the reader holds little, whatever the
// document holds: the reader keeps a token whole until its end has arrived, and a few hundred
// kilobytes of zip inflate to a text node of gigabytes. Reading through the feed, the reader holds
// a few megabytes, under twenty near every limit below at once.
//
// Character data reaches the reader in pieces of kTextPieceBytes (a few bytes more where a cut has
// to wait): a longer run is cut by an empty comment, CDATA by closing the section and opening
// another, never inside a character, a reference, a CR LF or a "]]>". So the text comes out whole,
// in several Characters tokens. Markup passes unchanged, except what no office document holds:
//  - an attribute value, comment or processing instruction over kHeldBytes is left out (the
//    attribute stays, with an empty value);
//  - the document ends at a DOCTYPE, whose entities could expand a few bytes into any amount of
//    text; at a tag over kTagBytes or with over kMaxAttributes attributes (the reader compares them
//    pairwise); at an element nested over kMaxDepth deep or whose start tag would make the open
//    ones longer than kOpenTagBytes together; and where character data leaves no place for a cut
//    for another kTextPieceBytes (bytes that are no UTF-8, a run of "]" in CDATA). The reader keeps
//    what came before.
// A document in UTF-16 or UTF-32 reaches the reader as UTF-8.
class BoundedXmlFeed {
public:
    static constexpr qsizetype kTextPieceBytes = 64 * 1024;
    static constexpr qsizetype kHeldBytes = 1024 * 1024;
    static constexpr qsizetype kTagBytes = 2 * 1024 * 1024;
    static constexpr qsizetype kOpenTagBytes = 4 * 1024 * 1024;
    static constexpr int kMaxAttributes = 1024;
    static constexpr int kMaxDepth = 10000;

    explicit BoundedXmlFeed(QXmlStreamReader& xml) : xml_(xml) {}

    // Hands the document's next bytes, in pieces of any size, to the reader; false once the
    // document has ended here.
    bool add(const QByteArray& bytes);

private:
    enum class State {
        Text,   // character data
        Markup, // after "<"
        Bang,   // after "<!", until it is a comment or CDATA
        Tag,    // a start or end tag, outside attribute values
        Value,  // an attribute value
        Held,   // a comment or processing instruction
        CData,  // inside a CDATA section
        Ended,
    };

    const QByteArray& scan(const QByteArray& in);
    // Hands on the input's bytes [from, to): those that follow the ones before are only marked.
    void put(qsizetype from, qsizetype to) {
        if (from != span_.second) {
            flush();
            span_.first = from;
        }
        span_.second = to;
    }
    void insert(QByteArrayView bytes);
    void flush();
    void endDocument();
    void appendText(const char* p, qsizetype i, qsizetype to, bool references);
    qsizetype text(const char* p, qsizetype i, qsizetype n);
    qsizetype cdata(const char* p, qsizetype i, qsizetype n);
    QByteArrayView lead() const { return {lead_.data(), leadSize_}; }
    void putLead(qsizetype i);
    qsizetype markup(const char* p, qsizetype i, qsizetype n);
    qsizetype bang(const char* p, qsizetype i);
    void beginTag(qsizetype i, bool endTag);
    qsizetype tag(const char* p, qsizetype i, qsizetype n);
    void closeTag();
    qsizetype value(const char* p, qsizetype i, qsizetype n);
    void hold(const char* from, qsizetype size);
    void beginHeld(bool comment);
    qsizetype held(const char* p, qsizetype i, qsizetype n);

    QXmlStreamReader& xml_;
    QByteArray head_; // the first bytes, until they tell the encoding
    bool encodingKnown_ = false;
    QStringDecoder decoder_; // for a document in UTF-16 or UTF-32, to UTF-8
    QStringEncoder encoder_;
    State state_ = State::Text;

    QByteArrayView in_;                    // the bytes of one add()
    std::pair<qsizetype, qsizetype> span_; // of them, the ones to hand on next
    QByteArray out_;                       // for the reader

    qsizetype run_ = 0;      // character data handed on since the last markup
    char last_ = 0;          // the last byte of character data
    int continuations_ = 0;  // UTF-8 continuation bytes in a row
    int referenceBytes_ = 0; // of the reference being read, 0 outside one
    qsizetype brackets_ = 0; // "]" right before, in CDATA, up to two

    std::array<char, 9> lead_{'<'}; // "<" and what follows, until it says what markup it starts
    qsizetype leadSize_ = 0;
    bool endTag_ = false;
    qsizetype tagBytes_ = 0;
    int attributes_ = 0;
    char lastInTag_ = 0; // "/" before ">" makes an empty element
    char quote_ = 0;
    std::vector<qsizetype> open_; // the size of each open element's start tag
    qsizetype openBytes_ = 0;

    QByteArray held_; // an attribute value, comment or PI, until its end
    bool dropping_ = false;
    bool comment_ = false;       // what is held is a comment, else a PI
    std::array<char, 3> tail_{}; // the last bytes of a comment or PI
};

} // namespace findolin
