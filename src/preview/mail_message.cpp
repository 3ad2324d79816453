#include "preview/mail_message.h"

#include "preview/text_decoding.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace findolin {
namespace {

constexpr int kMaxDepth = 12;               // nested multiparts and forwarded messages
constexpr int kMaxParts = 1000;             // per multipart; more is a broken or hostile file
constexpr int kMaxFields = 2000;            // header fields kept per entity
constexpr qsizetype kMaxShownHeader = 2000; // characters of one header value in the table
constexpr int kMaxAttachments = 200;        // names listed below the body

// ---------------------------------------------------------------------------------------------
// Bytes

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isSpace(char c) {
    return isBlank(c) || c == '\r' || c == '\n';
}

QByteArrayView trimmed(QByteArrayView v) {
    while (!v.isEmpty() && isSpace(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isSpace(v.back()))
        v.chop(1);
    return v;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

qsizetype indexOf(QByteArrayView haystack, char c, qsizetype from) {
    const char* begin = haystack.data();
    const char* end = begin + haystack.size();
    const char* hit = std::find(begin + from, end, c);
    return hit == end ? -1 : hit - begin;
}

qsizetype indexOf(QByteArrayView haystack, QByteArrayView needle, qsizetype from) {
    const char* begin = haystack.data();
    const char* end = begin + haystack.size();
    const char* hit = std::search(begin + from, end, needle.begin(), needle.end());
    return hit == end ? -1 : hit - begin;
}

// One line from `pos`: its text without the line end, and where the next line begins.
struct Line {
    QByteArrayView text;
    qsizetype next;
};

Line lineAt(QByteArrayView bytes, qsizetype pos) {
    qsizetype end = indexOf(bytes, '\n', pos);
    const qsizetype next = end < 0 ? bytes.size() : end + 1;
    if (end < 0)
        end = bytes.size();
    QByteArrayView text = bytes.sliced(pos, end - pos);
    if (!text.isEmpty() && text.back() == '\r')
        text.chop(1);
    return {text, next};
}

// ---------------------------------------------------------------------------------------------
// Transfer encodings and charsets

QByteArray decodeQuotedPrintable(QByteArrayView in, bool underscoreIsSpace = false) {
    QByteArray out;
    out.reserve(in.size());
    const qsizetype n = in.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = in[i];
        if (c == '=') {
            if (i + 2 < n && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
                out += char(hexValue(in[i + 1]) << 4 | hexValue(in[i + 2]));
                i += 3;
                continue;
            }
            // A soft line break: "=", maybe blanks the transport added, the line end.
            qsizetype j = i + 1;
            while (j < n && isBlank(in[j]))
                ++j;
            if (j == n) {
                i = n;
                continue;
            }
            if (in[j] == '\n' || in[j] == '\r') {
                i = j + (in[j] == '\r' && j + 1 < n && in[j + 1] == '\n' ? 2 : 1);
                continue;
            }
            out += '='; // a stray "=" stands for itself
            ++i;
            continue;
        }
        if (isBlank(c) && !underscoreIsSpace) {
            // Blanks at a line end were added in transport.
            qsizetype j = i;
            while (j < n && isBlank(in[j]))
                ++j;
            if (j < n && in[j] != '\r' && in[j] != '\n')
                out.append(in.sliced(i, j - i));
            i = j;
            continue;
        }
        out += underscoreIsSpace && c == '_' ? ' ' : c;
        ++i;
    }
    return out;
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Anything outside the alphabet is skipped; padding may be missing, and a "=" ends one group of
// data rather than all of it, since some senders join separately encoded pieces.
QByteArray decodeBase64(QByteArrayView in) {
    QByteArray out;
    out.reserve(in.size() / 4 * 3 + 3);
    quint32 bits = 0;
    int count = 0;
    for (const char c : in) {
        if (c == '=') {
            count = 0;
            continue;
        }
        const int value = base64Value(c);
        if (value < 0)
            continue;
        bits = bits << 6 | quint32(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += char(bits >> count & 0xFF);
        }
    }
    return out;
}

QByteArray transferDecoded(QByteArrayView body, QByteArrayView encoding) {
    if (encoding == "quoted-printable")
        return decodeQuotedPrintable(body);
    if (encoding == "base64")
        return decodeBase64(body);
    return body.toByteArray(); // 7bit, 8bit, binary and whatever else
}

// Where ISO-8859-15 differs from Latin-1: the euro sign and seven letters.
constexpr std::pair<char16_t, char16_t> kLatin9Differences[] = {
    {0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161}, {0xB4, 0x017D},
    {0xB8, 0x017E}, {0xBC, 0x0152}, {0xBD, 0x0153}, {0xBE, 0x0178}};

enum class Charset { Utf8, Latin1, Latin9, Windows1252, Guess };

Charset charsetNamed(QByteArrayView name) {
    const QByteArray n = trimmed(name).toByteArray().toLower();
    if (n == "utf-8" || n == "utf8")
        return Charset::Utf8;
    if (n == "iso-8859-1" || n == "iso8859-1" || n == "iso_8859-1" || n == "latin1" ||
        n == "latin-1" || n == "l1" || n == "cp819" || n == "iso-ir-100")
        return Charset::Latin1;
    if (n == "iso-8859-15" || n == "iso8859-15" || n == "iso_8859-15" || n == "latin9" ||
        n == "latin-9" || n == "l9")
        return Charset::Latin9;
    if (n == "windows-1252" || n == "cp1252" || n == "x-cp1252" || n == "win-1252")
        return Charset::Windows1252;
    // US-ASCII too: 8-bit bytes under that label were written in some other charset.
    return Charset::Guess;
}

QString decodeText(QByteArrayView bytes, Charset charset) {
    QString text;
    switch (charset) {
    case Charset::Utf8:
        text = QString::fromUtf8(bytes);
        break;
    case Charset::Latin1:
        // Mail labelled Latin-1 often is Windows-1252; the two differ only in 0x80-0x9F, which
        // Latin-1 leaves to control characters nobody writes.
    case Charset::Windows1252:
        text = decodeWindows1252(bytes);
        break;
    case Charset::Latin9:
        text = QString::fromLatin1(bytes);
        for (QChar& c : text) {
            for (const auto& [latin1, latin9] : kLatin9Differences) {
                if (c.unicode() == latin1)
                    c = QChar(latin9);
            }
        }
        break;
    case Charset::Guess: {
        TextDecoder decoder; // UTF-8 when valid, else Windows-1252
        text = decoder.decode(bytes);
        text += decoder.finish();
        return text;
    }
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QString decodeText(QByteArrayView bytes, QByteArrayView charsetName) {
    return decodeText(bytes, charsetNamed(charsetName));
}

// ---------------------------------------------------------------------------------------------
// Header values

// "=?charset?Q?text?=" or "=?charset?B?text?=" at `at`.
struct EncodedWord {
    QByteArray charset;
    QByteArray bytes;
    qsizetype end = 0;
};

bool readEncodedWord(QByteArrayView raw, qsizetype at, EncodedWord& word) {
    const qsizetype charsetEnd = indexOf(raw, '?', at + 2);
    if (charsetEnd < 0 || charsetEnd == at + 2 || charsetEnd - at > 80 ||
        charsetEnd + 2 >= raw.size() || raw[charsetEnd + 2] != '?')
        return false;
    const char kind = raw[charsetEnd + 1];
    if (kind != 'Q' && kind != 'q' && kind != 'B' && kind != 'b')
        return false;
    const qsizetype textStart = charsetEnd + 3;
    const qsizetype textEnd = indexOf(raw, '?', textStart);
    if (textEnd < 0 || textEnd + 1 >= raw.size() || raw[textEnd + 1] != '=')
        return false;
    const QByteArrayView text = raw.sliced(textStart, textEnd - textStart);
    if (std::any_of(text.begin(), text.end(), isSpace))
        return false;
    QByteArrayView charset = raw.sliced(at + 2, charsetEnd - at - 2);
    if (std::any_of(charset.begin(), charset.end(), isSpace))
        return false;
    const qsizetype language = indexOf(charset, '*', 0); // "utf-8*de"
    if (language >= 0)
        charset = charset.first(language);
    word.charset = charset.toByteArray().toLower();
    word.bytes =
        kind == 'Q' || kind == 'q' ? decodeQuotedPrintable(text, true) : decodeBase64(text);
    word.end = textEnd + 2;
    return true;
}

// A header value as text: encoded words decoded (the blanks between two of them belong to
// neither), the rest as UTF-8 if it is, else Windows-1252.
QString decodeHeader(QByteArrayView raw) {
    QString out;
    QByteArray pending;        // bytes of adjacent encoded words in one charset, which may split a
    QByteArray pendingCharset; // character between them
    const auto flush = [&] {
        if (!pending.isEmpty())
            out += decodeText(pending, pendingCharset);
        pending.clear();
    };
    qsizetype textStart = 0, pos = 0;
    bool afterWord = false;
    while ((pos = indexOf(raw, "=?", pos)) >= 0) {
        EncodedWord word;
        if (!readEncodedWord(raw, pos, word)) {
            pos += 2;
            continue;
        }
        const QByteArrayView between = raw.sliced(textStart, pos - textStart);
        if (!afterWord || !trimmed(between).isEmpty()) {
            flush();
            out += decodeText(between, Charset::Guess);
        }
        if (word.charset != pendingCharset)
            flush();
        pendingCharset = word.charset;
        pending += word.bytes;
        pos = textStart = word.end;
        afterWord = true;
    }
    flush();
    out += decodeText(raw.sliced(textStart), Charset::Guess);
    return out;
}

QByteArray percentDecoded(QByteArrayView in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 &&
            hexValue(in[i + 2]) >= 0) {
            out += char(hexValue(in[i + 1]) << 4 | hexValue(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

// A structured value such as Content-Type: `text/plain; charset="utf-8"`, its parameters
// including those split and encoded as in `filename*0*=utf-8''Gr%C3%BC; filename*1*=...`.
struct StructuredValue {
    QByteArray value; // lower case
    QHash<QByteArray, QByteArray> params;
    QHash<QByteArray, QString> extended;

    QByteArray param(const QByteArray& name) const { return params.value(name); }
    QString text(const QByteArray& name) const {
        if (extended.contains(name))
            return extended.value(name);
        return params.contains(name) ? decodeHeader(params.value(name)) : QString();
    }
};

StructuredValue parseStructured(QByteArrayView v) {
    StructuredValue result;
    qsizetype i = indexOf(v, ';', 0);
    if (i < 0)
        i = v.size();
    QByteArrayView head = trimmed(v.first(i));
    const auto cut =
        std::find_if(head.begin(), head.end(), [](char c) { return isSpace(c) || c == '('; });
    result.value = head.first(cut - head.begin()).toByteArray().toLower();

    struct Segment {
        int index;
        bool encoded;
        QByteArray bytes;
    };
    std::map<QByteArray, std::vector<Segment>> segments;
    const qsizetype n = v.size();
    while (i < n) {
        ++i; // the ";"
        qsizetype eq = i;
        while (eq < n && v[eq] != '=' && v[eq] != ';')
            ++eq;
        if (eq >= n || v[eq] == ';') {
            i = eq;
            continue;
        }
        const QByteArray name = trimmed(v.sliced(i, eq - i)).toByteArray().toLower();
        i = eq + 1;
        while (i < n && isSpace(v[i]))
            ++i;
        QByteArray value;
        if (i < n && v[i] == '"') {
            for (++i; i < n && v[i] != '"'; ++i) {
                if (v[i] == '\\' && i + 1 < n)
                    ++i;
                value += v[i];
            }
            while (i < n && v[i] != ';')
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && v[i] != ';')
                ++i;
            value = trimmed(v.sliced(start, i - start)).toByteArray();
        }
        if (name.isEmpty())
            continue;
        const qsizetype star = name.indexOf('*');
        if (star > 0) {
            const QByteArray base = name.first(star);
            QByteArray rest = name.sliced(star + 1);
            const bool encoded = rest.isEmpty() || rest.endsWith('*');
            if (rest.endsWith('*'))
                rest.chop(1);
            bool ok = true;
            const int index = rest.isEmpty() ? 0 : rest.toInt(&ok);
            auto& list = segments[base];
            if (ok && index >= 0 && index < 1000 && list.size() < 1000) {
                list.push_back({index, encoded, value});
                continue;
            }
        }
        if (!result.params.contains(name))
            result.params.insert(name, value);
    }
    for (auto& [base, list] : segments) {
        std::stable_sort(list.begin(), list.end(),
                         [](const Segment& a, const Segment& b) { return a.index < b.index; });
        QByteArray charset, bytes;
        for (const Segment& segment : list) {
            if (!segment.encoded) {
                bytes += segment.bytes;
                continue;
            }
            QByteArrayView data = segment.bytes;
            if (&segment == &list.front()) {
                // charset'language'data
                const qsizetype first = indexOf(data, '\'', 0);
                const qsizetype second = first < 0 ? -1 : indexOf(data, '\'', first + 1);
                if (second >= 0) {
                    charset = data.first(first).toByteArray();
                    data = data.sliced(second + 1);
                }
            }
            bytes += percentDecoded(data);
        }
        result.extended.insert(base, decodeText(bytes, charset));
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Entities

struct Headers {
    QList<std::pair<QByteArray, QByteArray>> fields; // lower-case name, unfolded raw value

    bool contains(QByteArrayView name) const {
        return std::any_of(fields.begin(), fields.end(),
                           [&](const auto& field) { return field.first == name; });
    }
    QByteArrayView value(QByteArrayView name) const {
        for (const auto& field : fields) {
            if (field.first == name)
                return trimmed(field.second);
        }
        return {};
    }
};

// The field name of a header line ("Subject: ..." gives "subject"), or nothing.
QByteArrayView fieldName(QByteArrayView line, qsizetype& colon) {
    qsizetype i = 0;
    while (i < line.size() && line[i] > ' ' && line[i] < 127 && line[i] != ':')
        ++i;
    const qsizetype nameEnd = i;
    while (i < line.size() && isBlank(line[i])) // "Subject : x", obsolete but seen
        ++i;
    if (nameEnd == 0 || i == line.size() || line[i] != ':')
        return {};
    colon = i;
    return line.first(nameEnd);
}

// The header fields at the start of `entity` and the body after them. The head ends at a blank
// line, or forgivingly at the first line that is neither a field nor a continuation.
QByteArrayView readHead(QByteArrayView entity, Headers& headers) {
    qsizetype pos = 0;
    bool lastKept = false;
    while (pos < entity.size()) {
        const Line line = lineAt(entity, pos);
        if (line.text.isEmpty())
            return entity.sliced(line.next);
        qsizetype colon = 0;
        if (isBlank(line.text.front()) && pos > 0) {
            if (lastKept)
                headers.fields.last().second += line.text;
        } else if (const QByteArrayView name = fieldName(line.text, colon); !name.isEmpty()) {
            lastKept = headers.fields.size() < kMaxFields;
            if (lastKept)
                headers.fields.append(
                    {name.toByteArray().toLower(), line.text.sliced(colon + 1).toByteArray()});
        } else {
            return entity.sliced(pos);
        }
        pos = line.next;
    }
    return {};
}

// The parts between the delimiter lines "--boundary"; a missing closing delimiter "--boundary--"
// lets the last part run to the end.
QList<QByteArrayView> splitMultipart(QByteArrayView body, QByteArrayView boundary) {
    QList<QByteArrayView> parts;
    const QByteArray delimiter = "--" + boundary.toByteArray();
    qsizetype partStart = -1; // -1 in the preamble
    qsizetype pos = 0;
    while (pos < body.size() && parts.size() < kMaxParts) {
        const Line line = lineAt(body, pos);
        if (line.text.startsWith(delimiter)) {
            const QByteArrayView rest = line.text.sliced(delimiter.size());
            const bool closing = rest.startsWith("--");
            if (closing || trimmed(rest).isEmpty()) {
                if (partStart >= 0) {
                    // The line end before the delimiter belongs to the delimiter.
                    qsizetype end = pos;
                    if (end > partStart && body[end - 1] == '\n')
                        --end;
                    if (end > partStart && body[end - 1] == '\r')
                        --end;
                    parts.append(body.sliced(partStart, end - partStart));
                }
                if (closing)
                    return parts;
                partStart = line.next;
            }
        }
        pos = line.next;
    }
    if (partStart >= 0 && parts.size() < kMaxParts)
        parts.append(body.sliced(partStart));
    return parts;
}

struct Entity {
    Headers headers;
    QByteArray type; // "text/plain"
    StructuredValue contentType;
    StructuredValue disposition;
    QByteArray encoding;
    QByteArrayView body;
    std::vector<Entity> children; // the parts of a multipart, the message of a message/rfc822
    bool multipart = false;
    bool tooDeep = false;
};

class Parser {
public:
    Entity parse(QByteArrayView bytes, const QByteArray& defaultType, int depth) {
        Entity entity;
        const QByteArrayView body = readHead(bytes, entity.headers);
        fill(entity, body, defaultType, depth);
        return entity;
    }

    // The entity with its head already read.
    void fill(Entity& entity, QByteArrayView body, const QByteArray& defaultType, int depth) {
        entity.body = body;
        entity.contentType = parseStructured(entity.headers.value("content-type"));
        entity.type = entity.contentType.value;
        if (!entity.type.contains('/'))
            entity.type = defaultType;
        entity.disposition = parseStructured(entity.headers.value("content-disposition"));
        entity.encoding = parseStructured(entity.headers.value("content-transfer-encoding")).value;
        entity.multipart = entity.type.startsWith("multipart/");
        const bool message = entity.type == "message/rfc822";
        if (!entity.multipart && !message)
            return;
        if (depth >= kMaxDepth) {
            entity.tooDeep = true;
            return;
        }
        if (message) {
            // Only 7bit or 8bit are allowed here, but some senders encode it anyway.
            QByteArrayView inner = body;
            if (entity.encoding == "base64" || entity.encoding == "quoted-printable")
                inner = decoded_.emplace_back(transferDecoded(body, entity.encoding));
            entity.children.push_back(parse(inner, "text/plain", depth + 1));
            return;
        }
        const QByteArray boundary = entity.contentType.param("boundary");
        if (boundary.isEmpty())
            return;
        const QByteArray partType =
            entity.type == "multipart/digest" ? "message/rfc822" : "text/plain";
        const auto parts = splitMultipart(body, boundary);
        entity.children.reserve(parts.size());
        for (const QByteArrayView part : parts)
            entity.children.push_back(parse(part, partType, depth + 1));
    }

private:
    std::deque<QByteArray> decoded_; // bodies decoded before they could be parsed
};

QString fileNameOf(const Entity& entity) {
    QString name = entity.disposition.text("filename");
    if (name.trimmed().isEmpty())
        name = entity.contentType.text("name");
    // Some senders give the whole path on their machine.
    name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    return name.simplified();
}

bool isText(const Entity& entity) {
    return entity.type == "text/plain" || entity.type == "text/html";
}

// A text part meant to be read in the message rather than saved.
bool isInlineText(const Entity& entity) {
    if (!isText(entity) || entity.disposition.value == "attachment")
        return false;
    return entity.disposition.value == "inline" || fileNameOf(entity).isEmpty();
}

// How well an entity can stand as the body: 2 as HTML, 1 as plain text, 0 not at all.
int displayRank(const Entity& entity) {
    if (entity.multipart) {
        if (entity.tooDeep)
            return 0;
        if (entity.children.empty())
            return 1; // broken: its body is shown as text
        if (entity.type == "multipart/alternative") {
            int best = 0;
            for (const Entity& child : entity.children)
                best = std::max(best, displayRank(child));
            return best;
        }
        if (entity.type == "multipart/related")
            return displayRank(entity.children.front());
        for (const Entity& child : entity.children) {
            if (const int rank = displayRank(child))
                return rank;
        }
        return 0;
    }
    if (!isInlineText(entity))
        return 0;
    return entity.type == "text/html" ? 2 : 1;
}

// ---------------------------------------------------------------------------------------------
// HTML

qsizetype findTag(const QString& html, QLatin1StringView name, qsizetype from, bool closing) {
    const QString open = (closing ? QStringLiteral("</") : QStringLiteral("<")) + name;
    while ((from = html.indexOf(open, from, Qt::CaseInsensitive)) >= 0) {
        const qsizetype after = from + open.size();
        if (after == html.size() || html[after].isSpace() || html[after] == u'>' ||
            html[after] == u'/')
            return from;
        from = after;
    }
    return -1;
}

// The end of the tag starting at `at`, just past its ">".
qsizetype tagEnd(const QString& html, qsizetype at) {
    const qsizetype gt = html.indexOf(u'>', at);
    return gt < 0 ? html.size() : gt + 1;
}

// `html` without the elements of the name, their content included; one left open runs to the end.
QString withoutElements(const QString& html, QLatin1StringView name, QString* removed = nullptr) {
    QString out;
    qsizetype from = 0;
    for (qsizetype at; (at = findTag(html, name, from, false)) >= 0;) {
        out += QStringView(html).sliced(from, at - from);
        const qsizetype startEnd = tagEnd(html, at);
        qsizetype end = startEnd;
        if (!(startEnd >= 2 && html[startEnd - 2] == u'/')) {
            const qsizetype close = findTag(html, name, startEnd, true);
            end = close < 0 ? html.size() : tagEnd(html, close);
        }
        if (removed)
            *removed += QStringView(html).sliced(at, end - at);
        from = end;
    }
    out += QStringView(html).sliced(from);
    return out;
}

// `html` without the start and end tags of the name; their content stays.
QString withoutTags(const QString& html, QLatin1StringView name) {
    QString out;
    qsizetype from = 0;
    // Each kind is searched for again only once passed, so that the work stays linear.
    qsizetype open = findTag(html, name, 0, false);
    qsizetype close = findTag(html, name, 0, true);
    while (open >= 0 || close >= 0) {
        const qsizetype at = open < 0 ? close : close < 0 ? open : std::min(open, close);
        out += QStringView(html).sliced(from, at - from);
        from = tagEnd(html, at);
        if (open >= 0 && open < from)
            open = findTag(html, name, from, false);
        if (close >= 0 && close < from)
            close = findTag(html, name, from, true);
    }
    out += QStringView(html).sliced(from);
    return out;
}

// `html` with every start tag of the name shown as text instead: a removal of elements joins
// what stood around them ("<scr<script></script>ipt>"), and a second pass might join again.
QString withTagsAsText(const QString& html, QLatin1StringView name) {
    QString out;
    qsizetype from = 0;
    for (qsizetype at; (at = findTag(html, name, from, false)) >= 0;) {
        out += QStringView(html).sliced(from, at - from);
        out += QStringLiteral("&lt;");
        from = at + 1;
    }
    out += QStringView(html).sliced(from);
    return out;
}

// What of an HTML part goes into the page: the inside of its <body>, or all of it without the
// document's frame, and the style sheets of its head, without any script.
QString htmlBody(const QString& document) {
    const QLatin1StringView script("script");
    const QString html = withTagsAsText(withoutElements(document, script), script);
    QString styles;
    QString inner;
    const qsizetype bodyTag = findTag(html, QLatin1StringView("body"), 0, false);
    if (bodyTag >= 0) {
        const qsizetype start = tagEnd(html, bodyTag);
        qsizetype end = html.lastIndexOf(QLatin1StringView("</body"), -1, Qt::CaseInsensitive);
        if (end < start)
            end = html.size();
        withoutElements(html.first(bodyTag), QLatin1StringView("style"), &styles);
        inner = html.sliced(start, end - start);
    } else {
        inner = html;
        const qsizetype headTag = findTag(inner, QLatin1StringView("head"), 0, false);
        if (headTag >= 0) {
            const qsizetype close = findTag(inner, QLatin1StringView("head"), headTag, true);
            const qsizetype end = close < 0 ? tagEnd(inner, headTag) : tagEnd(inner, close);
            withoutElements(inner.sliced(headTag, end - headTag), QLatin1StringView("style"),
                            &styles);
            inner.remove(headTag, end - headTag);
        }
        inner = withoutTags(inner, QLatin1StringView("!doctype"));
    }
    // Stray frame tags of a broken document would open a second page inside this one.
    inner = withoutTags(inner, QLatin1StringView("html"));
    inner = withoutTags(inner, QLatin1StringView("body"));
    return styles + inner;
}

// The charset an HTML part names in its <meta>, for parts whose Content-Type leaves it out.
QByteArray metaCharset(QByteArrayView html) {
    const QByteArray head = html.first(std::min<qsizetype>(html.size(), 4096)).toByteArray();
    const qsizetype at = head.toLower().indexOf("charset=");
    if (at < 0)
        return {};
    qsizetype i = at + 8;
    while (i < head.size() && (head[i] == '"' || head[i] == '\''))
        ++i;
    const qsizetype start = i;
    while (i < head.size() && (std::isalnum(uchar(head[i])) || head[i] == '-' || head[i] == '_'))
        ++i;
    return head.sliced(start, i - start);
}

QString plainTextHtml(const QString& text) {
    return QStringLiteral("<pre style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() +
           QStringLiteral("</pre>");
}

QString bodyHtml(const Entity& entity) {
    const QByteArray bytes = transferDecoded(entity.body, entity.encoding);
    const bool html = entity.type == "text/html";
    QByteArray charset = entity.contentType.param("charset");
    if (charset.isEmpty() && html)
        charset = metaCharset(bytes);
    QString text = decodeText(bytes, charset);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return html ? htmlBody(text) : plainTextHtml(text);
}

// ---------------------------------------------------------------------------------------------
// The page

struct Shown {
    QString body;
    bool hasBody = false;
    QStringList attachments;
};

void show(const Entity& entity, Shown& shown) {
    if (entity.multipart) {
        if (entity.tooDeep)
            return;
        if (entity.children.empty()) {
            // No parts to be found: the body as it is beats an empty page.
            if (!shown.hasBody && !trimmed(entity.body).isEmpty()) {
                shown.body = plainTextHtml(decodeText(entity.body, Charset::Guess));
                shown.hasBody = true;
            }
            return;
        }
        if (entity.type == "multipart/alternative") {
            // The richest version; of equals the last, as the sender prefers it.
            const Entity* best = nullptr;
            int bestRank = 0;
            for (const Entity& child : entity.children) {
                const int rank = displayRank(child);
                if (rank > 0 && rank >= bestRank) {
                    best = &child;
                    bestRank = rank;
                }
            }
            if (best)
                show(*best, shown);
            return;
        }
        if (entity.type == "multipart/related") {
            // The rest are the pictures and styles the first part refers to.
            show(entity.children.front(), shown);
            return;
        }
        for (const Entity& child : entity.children)
            show(child, shown);
        return;
    }
    if (isInlineText(entity) && !shown.hasBody) {
        shown.body = bodyHtml(entity);
        shown.hasBody = true;
        return;
    }
    QString name = fileNameOf(entity);
    if (name.isEmpty() && entity.type == "message/rfc822" && !entity.children.empty()) {
        const QString subject =
            decodeHeader(entity.children.front().headers.value("subject")).simplified();
        name = (subject.isEmpty() ? QStringLiteral("Nachricht") : subject) + QStringLiteral(".eml");
    }
    if (!name.isEmpty() && shown.attachments.size() < kMaxAttachments)
        shown.attachments.append(name);
}

QString headerTable(const Headers& headers) {
    static const std::pair<const char*, QString> rows[] = {
        {"from", QStringLiteral("Von")},        {"to", QStringLiteral("An")},
        {"cc", QStringLiteral("Cc")},           {"date", QStringLiteral("Datum")},
        {"subject", QStringLiteral("Betreff")},
    };
    QString table;
    for (const auto& [field, label] : rows) {
        if (!headers.contains(field))
            continue;
        QString value = decodeHeader(headers.value(field)).simplified();
        if (value.size() > kMaxShownHeader)
            value = value.first(kMaxShownHeader) + QStringLiteral("…");
        table += QStringLiteral("<tr><th align=\"left\" valign=\"top\">") + label +
                 QStringLiteral(":</th><td>") + value.toHtmlEscaped() +
                 QStringLiteral("</td></tr>");
    }
    if (table.isEmpty())
        return {};
    return QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">") + table +
           QStringLiteral("</table><hr>");
}

// Whether a head is that of a mail rather than the first line of some text that has a colon.
bool looksLikeMail(const Headers& headers) {
    static const QByteArray known =
        " from to cc bcc subject date received message-id mime-version content-type "
        "content-transfer-encoding return-path reply-to sender delivered-to in-reply-to "
        "references x-mailer user-agent ";
    return std::any_of(headers.fields.begin(), headers.fields.end(),
                       [](const auto& field) { return known.contains(' ' + field.first + ' '); });
}

QString page(const QString& content) {
    // The engine that shows the page would run scripts; none is wanted from a stored mail.
    return QStringLiteral("<html><head><meta charset=\"utf-8\">"
                          "<meta http-equiv=\"Content-Security-Policy\" "
                          "content=\"script-src 'none'; object-src 'none'\">"
                          "</head><body>") +
           content + QStringLiteral("</body></html>");
}

} // namespace

QString mailAsHtml(QByteArrayView message) {
    QByteArrayView bytes = message;
    if (bytes.startsWith("From ")) // the separator line of an mbox file
        bytes = bytes.sliced(lineAt(bytes, 0).next);

    Parser parser;
    Entity mail;
    const QByteArrayView body = readHead(bytes, mail.headers);
    if (!looksLikeMail(mail.headers))
        return page(plainTextHtml(decodeText(message, Charset::Guess)));
    parser.fill(mail, body, "text/plain", 0);

    Shown shown;
    show(mail, shown);
    QString content = headerTable(mail.headers) + shown.body;
    if (!shown.attachments.isEmpty()) {
        content += QStringLiteral("<hr><p><b>Anhänge:</b></p><ul>");
        for (const QString& name : std::as_const(shown.attachments))
            content += QStringLiteral("<li>") + name.toHtmlEscaped() + QStringLiteral("</li>");
        content += QStringLiteral("</ul>");
    }
    return page(content);
}

} // namespace findolin
