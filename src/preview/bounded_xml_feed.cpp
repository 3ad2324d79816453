#include "preview/bounded_xml_feed.h"

#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>
#include <utility>

namespace findolin {
namespace {

// "&name;" or "&#digits;"; a longer one is broken anyway, and may then be cut.
constexpr int kReferenceBytes = 32;
// Where a cut may go depends on fewer bytes before it than these, so only these are tracked.
constexpr qsizetype kTrackedBytes = 2 * kReferenceBytes;

constexpr QByteArrayView kComment = "<!--";
constexpr QByteArrayView kCData = "<![CDATA[";

bool isContinuation(char c) {
    return (uchar(c) & 0xc0) == 0x80;
}

qsizetype find(const char* p, qsizetype i, qsizetype n, char c) {
    const auto* found = static_cast<const char*>(std::memchr(p + i, c, size_t(n - i)));
    return found ? found - p : n;
}

} // namespace

bool BoundedXmlFeed::add(const QByteArray& bytes) {
    if (state_ == State::Ended)
        return false;
    if (!encodingKnown_) {
        // The reader too tells the encoding from the first four bytes.
        head_ += bytes;
        if (head_.size() < 4)
            return true;
        encodingKnown_ = true;
        const auto encoding = QStringConverter::encodingForData(head_, u'<');
        if (encoding && *encoding != QStringConverter::Utf8) {
            decoder_ = QStringDecoder(*encoding);
            encoder_ = QStringEncoder(QStringConverter::Utf8);
        }
        return add(std::exchange(head_, {}));
    }
    if (!decoder_.isValid()) {
        const QByteArray& out = scan(bytes);
        if (!out.isEmpty())
            xml_.addData(out);
    } else {
        // Markup is found in UTF-8. Handed on as a string, the document is no longer read in the
        // encoding its declaration names. Decoder and encoder keep what of a character straddles
        // two pieces.
        const QString decoded = decoder_(bytes);
        const QByteArray utf8 = encoder_(decoded);
        const QByteArray& out = scan(utf8);
        if (!out.isEmpty())
            xml_.addData(QString::fromUtf8(out));
    }
    return state_ != State::Ended;
}

// Returns what to hand on: mostly the bytes as they came.
const QByteArray& BoundedXmlFeed::scan(const QByteArray& in) {
    in_ = in;
    span_ = {0, 0};
    out_ = QByteArray();
    const char* const p = in.constData();
    const qsizetype n = in.size();
    for (qsizetype i = 0; i < n && state_ != State::Ended;) {
        switch (state_) {
        case State::Text:
            i = text(p, i, n);
            break;
        case State::Markup:
            i = markup(p, i, n);
            break;
        case State::Bang:
            i = bang(p, i);
            break;
        case State::Tag:
            i = tag(p, i, n);
            break;
        case State::Value:
            i = value(p, i, n);
            break;
        case State::Held:
            i = held(p, i, n);
            break;
        case State::CData:
            i = cdata(p, i, n);
            break;
        case State::Ended:
            break;
        }
    }
    if (out_.isEmpty() && span_ == std::pair<qsizetype, qsizetype>(0, in.size()))
        return in;
    flush();
    return out_;
}

// --- Output: the input's bytes are handed on as spans, copied once

void BoundedXmlFeed::insert(QByteArrayView bytes) {
    flush();
    out_ += bytes;
}

void BoundedXmlFeed::flush() {
    if (out_.capacity() == 0)
        out_.reserve(in_.size() + 64); // once: what is handed on is mostly the input
    out_.append(in_.data() + span_.first, span_.second - span_.first);
    span_.first = span_.second;
}

void BoundedXmlFeed::endDocument() {
    state_ = State::Ended;
    held_.clear();
}

// --- Character data

// Hands on character data; once a run is long, cuts it where that splits no character (a fourth
// continuation byte is no UTF-8 anyway), no reference, no CR LF (which the reader makes one line
// end only when it sees both together) and no "]]>" (a cut after "]" might). Where no cut fits for
// another kTextPieceBytes, the document ends.
void BoundedXmlFeed::appendText(const char* p, qsizetype i, qsizetype to, bool references) {
    qsizetype start = i;
    while (i < to) {
        const qsizetype untracked = std::min(to - i, kTextPieceBytes - kTrackedBytes - run_);
        if (untracked > 0) {
            run_ += untracked;
            i += untracked;
            last_ = 0;
            continuations_ = 0;
            referenceBytes_ = 0;
            continue;
        }
        const char c = p[i];
        if (run_ >= kTextPieceBytes) {
            if (referenceBytes_ == 0 && last_ != ']' && !(last_ == '\r' && c == '\n') &&
                (!isContinuation(c) || continuations_ >= 3)) {
                put(start, i);
                // Both end a token and start another of the same kind.
                insert(state_ == State::CData ? "]]><![CDATA[" : "<!---->");
                run_ = 0;
                start = i;
            } else if (run_ >= 2 * kTextPieceBytes) {
                put(start, i);
                endDocument();
                return;
            }
        }
        ++run_;
        last_ = c;
        continuations_ = isContinuation(c) ? continuations_ + 1 : 0;
        if (references && c == '&')
            referenceBytes_ = 1;
        else if (referenceBytes_ > 0 && (c == ';' || ++referenceBytes_ > kReferenceBytes))
            referenceBytes_ = 0;
        ++i;
    }
    put(start, to);
}

qsizetype BoundedXmlFeed::text(const char* p, qsizetype i, qsizetype n) {
    if (p[i] != '<') { // between tags mostly nothing
        const qsizetype end = find(p, i, n, '<');
        appendText(p, i, end, true);
        if (end == n || state_ == State::Ended)
            return n;
        i = end;
    }
    leadSize_ = 1; // "<", handed on with a tag, held with a comment or PI
    state_ = State::Markup;
    return i + 1 < n ? markup(p, i + 1, n) : n;
}

qsizetype BoundedXmlFeed::cdata(const char* p, qsizetype i, qsizetype n) {
    const qsizetype end = find(p, i, n, '>');
    appendText(p, i, end, false);
    if (state_ == State::Ended)
        return n;
    // The "]" right before: only after two does the ">" end the section.
    qsizetype trailing = 0;
    while (trailing < 2 && end - trailing > i && p[end - trailing - 1] == ']')
        ++trailing;
    brackets_ = trailing == end - i ? std::min<qsizetype>(brackets_ + trailing, 2) : trailing;
    if (end == n)
        return n;
    if (brackets_ < 2) {
        appendText(p, end, end + 1, false);
        brackets_ = 0;
        return end + 1;
    }
    put(end, end + 1);
    run_ = 0;
    brackets_ = 0;
    state_ = State::Text;
    return end + 1;
}

// --- Markup

// Hands on the markup's start, which ends before p[i]: from the input where it is all there.
inline void BoundedXmlFeed::putLead(qsizetype i) {
    if (i >= leadSize_)
        put(i - leadSize_, i);
    else
        insert(lead());
}

inline qsizetype BoundedXmlFeed::markup(const char* p, qsizetype i, qsizetype n) {
    switch (p[i]) {
    case '/':
        lead_[leadSize_++] = '/';
        beginTag(i + 1, true);
        return i + 1 < n ? tag(p, i + 1, n) : n;
    case '?':
        beginHeld(false);
        return i + 1;
    case '!':
        lead_[leadSize_++] = '!';
        state_ = State::Bang;
        return i + 1;
    default:
        beginTag(i, false);
        return tag(p, i, n);
    }
}

qsizetype BoundedXmlFeed::bang(const char* p, qsizetype i) {
    lead_[leadSize_++] = p[i];
    if (lead() == kComment) {
        beginHeld(true);
    } else if (lead() == kCData) {
        putLead(i + 1);
        run_ = 0;
        brackets_ = 0;
        state_ = State::CData;
    } else if (!kComment.startsWith(lead()) && !kCData.startsWith(lead())) {
        endDocument(); // a DOCTYPE, or no markup at all
    }
    return i + 1;
}

inline void BoundedXmlFeed::beginTag(qsizetype i, bool endTag) {
    putLead(i);
    run_ = 0;
    state_ = State::Tag;
    endTag_ = endTag;
    tagBytes_ = leadSize_;
    attributes_ = 0;
    lastInTag_ = 0;
}

// Reads a tag on, with the attribute values that are all in this piece and not too long.
inline qsizetype BoundedXmlFeed::tag(const char* p, qsizetype i, qsizetype n) {
    static constexpr auto kEnds = [] {
        std::array<bool, 256> ends{};
        ends['"'] = ends['\''] = ends['>'] = true;
        return ends;
    }();
    qsizetype end = i;
    for (;;) {
        while (end < n && !kEnds[uchar(p[end])])
            ++end;
        if (end == n || p[end] == '>')
            break;
        const qsizetype close = find(p, end + 1, n, p[end]);
        if (close == n || close - end - 1 > kHeldBytes)
            break; // the value is held
        ++attributes_;
        end = close + 1;
    }
    if (end > i)
        lastInTag_ = p[end - 1];
    const qsizetype to = std::min(end + 1, n); // with the quote or ">"
    tagBytes_ += to - i;
    if (tagBytes_ > kTagBytes || attributes_ > kMaxAttributes) {
        endDocument();
        return n;
    }
    put(i, to);
    if (end == n)
        return n;
    if (p[end] == '>') {
        closeTag();
    } else {
        quote_ = p[end];
        state_ = State::Value;
        dropping_ = false;
    }
    return end + 1;
}

inline void BoundedXmlFeed::closeTag() {
    state_ = State::Text;
    if (endTag_) {
        if (!open_.empty()) {
            openBytes_ -= open_.back();
            open_.pop_back();
        }
    } else if (lastInTag_ != '/') { // not an empty element
        if (open_.size() >= kMaxDepth || openBytes_ + tagBytes_ > kOpenTagBytes) {
            endDocument();
            return;
        }
        open_.push_back(tagBytes_);
        openBytes_ += tagBytes_;
    }
}

// An attribute value that is not all in one piece, or too long.
qsizetype BoundedXmlFeed::value(const char* p, qsizetype i, qsizetype n) {
    const qsizetype end = find(p, i, n, quote_);
    hold(p + i, end - i);
    if (end == n)
        return n;
    if (!dropping_) {
        insert(held_);
        tagBytes_ += held_.size();
    }
    insert(QByteArrayView(&quote_, 1));
    ++tagBytes_;
    held_.resize(0);
    lastInTag_ = quote_;
    ++attributes_;
    state_ = State::Tag; // which checks the tag's size
    return end + 1;
}

// Keeps the bytes of a value, comment or PI until its end shows whether it is short enough.
void BoundedXmlFeed::hold(const char* from, qsizetype size) {
    if (dropping_)
        return;
    held_.append(from, size);
    if (held_.size() > kHeldBytes) {
        held_.clear();
        dropping_ = true;
    }
}

void BoundedXmlFeed::beginHeld(bool comment) {
    state_ = State::Held;
    comment_ = comment;
    held_ = lead().toByteArray();
    if (!comment)
        held_ += '?';
    dropping_ = false;
    tail_ = {};
}

qsizetype BoundedXmlFeed::held(const char* p, qsizetype i, qsizetype n) {
    qsizetype end = i;
    bool closed = false;
    for (; end < n && !closed; ++end) {
        const char c = p[end];
        closed = c == '>' && (comment_ ? tail_[1] == '-' && tail_[2] == '-' : tail_[2] == '?');
        tail_ = {tail_[1], tail_[2], c};
    }
    hold(p + i, end - i);
    if (closed) {
        if (!dropping_) {
            insert(held_);
            run_ = 0;
        }
        held_.resize(0);
        state_ = State::Text;
    }
    return end;
}

} // namespace findolin
