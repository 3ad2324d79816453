#include "preview/text_decoding.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace findolin {
namespace {

// 0x80-0x9F in Windows-1252; everything else is Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

bool isLatin1Printable(uchar byte) {
    return byte == '\t' || (byte >= 0x20 && byte <= 0x7E) || byte >= 0xA0;
}

const std::array<bool, 256> kPrintableLatin1 = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = isLatin1Printable(uchar(b));
    return table;
}();

// UTF-16 units beyond Latin-1 that running text in old office files is full of: the euro sign,
// typographic quotes and dashes and the letters of Windows-1252. Not the ones whose two bytes are
// common in 8-bit text: read as UTF-16, two spaces are "†", "& " is "…" and "\" " is "•".
bool isWideExtra(char16_t unit) {
    switch (unit) {
    case 0x20AC:
    case 0x201A:
    case 0x201E:
    case 0x2018:
    case 0x2019:
    case 0x201C:
    case 0x201D:
    case 0x2013:
    case 0x2014:
    case 0x0152:
    case 0x0153:
    case 0x0160:
    case 0x0161:
    case 0x017D:
    case 0x017E:
    case 0x0178:
    case 0x0192:
        return true;
    default:
        return false;
    }
}

inline bool acceptsWide(uchar low, uchar high) {
    if (high == 0)
        return kPrintableLatin1[low];
    return (high == 0x01 || high == 0x20) && isWideExtra(char16_t(low | high << 8));
}

constexpr uchar kPrintable8 = 1; // a printable Windows-1252 character
constexpr uchar kWideHigh = 2;   // may be the high byte of a readable UTF-16 unit

const std::array<uchar, 256> kByteKind = [] {
    std::array<uchar, 256> table{};
    for (int b = 0; b < 256; ++b) {
        if (isLatin1Printable(uchar(b)) ||
            (b >= 0x80 && b < 0xA0 && kWindows1252High[b - 0x80] != 0xFFFD))
            table[b] |= kPrintable8;
        if (b == 0x00 || b == 0x01 || b == 0x20)
            table[b] |= kWideHigh;
    }
    return table;
}();

int utf8SequenceLength(uchar lead) {
    if (lead >= 0xF8)
        return 1;
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// How many bytes at the end of `bytes` begin a UTF-8 sequence that the next piece completes.
qsizetype incompleteUtf8Tail(const uchar* bytes, qsizetype size) {
    for (qsizetype k = 1; k <= 3 && k <= size; ++k) {
        const uchar b = bytes[size - k];
        if (b < 0x80)
            return 0;
        if (b >= 0xC0)
            return utf8SequenceLength(b) > k ? k : 0;
    }
    return 0;
}

} // namespace

int validUtf8Sequence(const uchar* p, qsizetype available) {
    const uchar lead = p[0];
    if (lead < 0x80)
        return 1;
    int length;
    uchar low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (k == available)
            return -1;
        const uchar next = p[k];
        if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

namespace {

// Whether the bytes are valid UTF-8 (no overlong forms, surrogates or code points beyond
// U+10FFFF), allowing the last sequence to be cut off.
bool isUtf8(const uchar* p, qsizetype n) {
    qsizetype i = 0;
    while (i < n) {
        while (i + 8 <= n) {
            quint64 word;
            std::memcpy(&word, p + i, 8);
            if (word & 0x8080808080808080ULL)
                break;
            i += 8;
        }
        if (i == n)
            break;
        const int length = validUtf8Sequence(p + i, n - i);
        if (length == 0)
            return false;
        if (length < 0)
            return true;
        i += length;
    }
    return true;
}

bool startsWith(QByteArrayView bytes, const char* prefix, qsizetype length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

} // namespace

void appendWindows1252(QString& text, QByteArrayView bytes) {
    // Widened as Latin-1 by Qt's vector code, then 0x80-0x9F put right.
    const qsizetype old = text.size(), size = bytes.size();
    text.append(QLatin1StringView(bytes.data(), size));
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    char16_t* out = nullptr;
    for (qsizetype k = 0; k < size; ++k) {
        if (in[k] - 0x80u < 0x20u) {
            if (!out)
                out = reinterpret_cast<char16_t*>(text.data()) + old;
            out[k] = kWindows1252High[in[k] - 0x80];
        }
    }
}

QString decodeWindows1252(QByteArrayView bytes) {
    QString text;
    appendWindows1252(text, bytes);
    return text;
}

// Whether the bytes may be the start of a byte-order mark, which then waits for its end.
static bool mayStartBom(QByteArrayView bytes) {
    for (const QByteArrayView bom :
         {QByteArrayView("\xEF\xBB\xBF"), QByteArrayView("\xFF\xFE"), QByteArrayView("\xFE\xFF")}) {
        if (bytes.size() < bom.size() && bom.startsWith(bytes))
            return true;
    }
    return false;
}

QString TextDecoder::decode(QByteArrayView piece) {
    if (piece.isEmpty())
        return {};
    if (encoding_)
        return decodeChosen(piece);
    // A byte-order mark cut between pieces still decides the encoding.
    start_.append(piece);
    if (mayStartBom(start_))
        return {};
    const QByteArray first = std::exchange(start_, {});
    chooseEncoding(first);
    return decodeChosen(QByteArrayView(first).sliced(bomLength(*encoding_, first)));
}

qsizetype TextDecoder::bomLength(Encoding encoding, QByteArrayView first) {
    switch (encoding) {
    case Encoding::Utf8:
        return startsWith(first, "\xEF\xBB\xBF", 3) ? 3 : 0;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        return 2;
    case Encoding::Windows1252:
        break;
    }
    return 0;
}

void TextDecoder::chooseEncoding(QByteArrayView first) {
    // The decoders keep every U+FEFF: the byte-order mark is taken off once, by the caller.
    if (startsWith(first, "\xEF\xBB\xBF", 3))
        encoding_ = Encoding::Utf8;
    else if (startsWith(first, "\xFF\xFE", 2))
        encoding_ = Encoding::Utf16LE;
    else if (startsWith(first, "\xFE\xFF", 2))
        encoding_ = Encoding::Utf16BE;
    else if (isUtf8(reinterpret_cast<const uchar*>(first.data()), first.size()))
        encoding_ = Encoding::Utf8;
    else
        encoding_ = Encoding::Windows1252;
    // UTF-16 keeps its state in the decoder (a unit cut in two); UTF-8 holds back cut sequences
    // itself (see decodeUtf8).
    if (*encoding_ == Encoding::Utf16LE || *encoding_ == Encoding::Utf16BE)
        decoder_ = QStringDecoder(*encoding_ == Encoding::Utf16LE ? QStringDecoder::Utf16LE
                                                                  : QStringDecoder::Utf16BE,
                                  QStringDecoder::Flag::ConvertInitialBom);
}

QString TextDecoder::decodeChosen(QByteArrayView piece) {
    switch (*encoding_) {
    case Encoding::Utf8:
        return decodeUtf8(piece);
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        oddByte_ = oddByte_ != bool(piece.size() & 1);
        return decoder_(piece);
    case Encoding::Windows1252:
        break;
    }
    return decodeWindows1252(piece);
}

QString TextDecoder::decodeUtf8(QByteArrayView piece) {
    // The held start of a sequence goes in front of the piece, so the bytes are decoded as if
    // never cut, errors included: the text does not depend on where the pieces end.
    QByteArray joined;
    if (heldLength_ > 0) {
        joined.reserve(heldLength_ + piece.size());
        joined.append(held_, heldLength_).append(piece);
        piece = joined;
        heldLength_ = 0;
    }
    const auto* p = reinterpret_cast<const uchar*>(piece.data());
    const qsizetype cut = incompleteUtf8Tail(p, piece.size());
    std::memcpy(held_, p + piece.size() - cut, cut);
    heldLength_ = int(cut);
    // A decoder of its own for each call, since Qt's keeps state between calls even when told not
    // to; what is held back never reaches it.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder(piece.first(piece.size() - cut));
}

QString TextDecoder::finish() {
    // A file as short as the start of a byte-order mark: its bytes are its text.
    QString text;
    if (!start_.isEmpty()) {
        const QByteArray first = std::exchange(start_, {});
        chooseEncoding(first);
        text = decodeChosen(first);
    }
    const bool cut = heldLength_ > 0 || oddByte_;
    heldLength_ = 0;
    oddByte_ = false;
    return cut ? text + QChar::ReplacementCharacter : text;
}

bool looksBinary(QByteArrayView head) {
    if (startsWith(head, "\xFF\xFE", 2) || startsWith(head, "\xFE\xFF", 2))
        return false;
    // An empty view may have no data at all, which memchr must not be given.
    return !head.isEmpty() && std::memchr(head.data(), 0, head.size()) != nullptr;
}

PrintableRuns::PrintableRuns(int minimumRun) : minimumRun_(qMax(1, minimumRun)) {}

bool PrintableRuns::keepsWhole(QStringView text) {
    return text.size() >= kMinimumRun && std::all_of(text.begin(), text.end(), [](QChar c) {
               return c.unicode() < 0x80 && (kByteKind[c.unicode()] & kPrintable8);
           });
}

QString PrintableRuns::feed(QByteArrayView piece) {
    QString out;
    const auto* p = reinterpret_cast<const uchar*>(piece.data());
    const qsizetype n = piece.size();
    if (n == 0)
        return out;

    // The UTF-16 scanner whose unit was cut by the boundary resumes one byte before the piece.
    const int straddling = int((offset_ + 1) & 1);
    eightBit_.start = 0;
    wide_[straddling].start = -1;
    wide_[straddling ^ 1].start = 0;

    const auto appendWide = [&](QString& text, qsizetype from, qsizetype to) {
        const qsizetype old = text.size();
        text.resize(old + (to - from) / 2);
        char16_t* unit = reinterpret_cast<char16_t*>(text.data()) + old;
        for (qsizetype q = from; q < to; q += 2)
            *unit++ = char16_t((q < 0 ? pendingLow_ : p[q]) | p[q + 1] << 8);
    };

    // The UTF-16 unit that ends at byte i: most bytes cannot end a readable one, so while neither
    // UTF-16 scanner is in a run, only those that can are looked at.
    bool wideInRun = wide_[0].inRun || wide_[1].inRun;
    const auto wideUnit = [&](qsizetype i, uchar low, uchar high, int scanner) {
        Scanner& wide = wide_[scanner];
        if (acceptsWide(low, high)) {
            if (!wide.inRun) {
                wide.inRun = wideInRun = true;
                wide.start = i - 1;
            }
        } else if (wide.inRun) {
            if (wide.carried.isEmpty() && !wide.handedOn) {
                if ((i - 1 - wide.start) / 2 >= minimumRun_) {
                    appendWide(out, wide.start, i - 1);
                    out += QLatin1Char('\n');
                }
                wide.inRun = false;
            } else {
                appendWide(wide.carried, wide.start, i - 1);
                endRun(wide, out);
            }
            wideInRun = wide_[0].inRun || wide_[1].inRun;
        }
    };

    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && !wideInRun) {
            // Skip what changes nothing: bytes that neither begin nor end an 8-bit run and do not
            // end a readable UTF-16 unit.
            const bool inRun = eightBit_.inRun;
            while (i < n) {
                const uchar kind = kByteKind[p[i]];
                if (bool(kind & kPrintable8) != inRun ||
                    ((kind & kWideHigh) && acceptsWide(p[i - 1], p[i])))
                    break;
                ++i;
            }
            if (i == n)
                break;
        }
        const uchar b = p[i];
        const uchar kind = kByteKind[b];
        if (kind & kPrintable8) {
            if (!eightBit_.inRun) {
                eightBit_.inRun = true;
                eightBit_.start = i;
            }
        } else if (eightBit_.inRun) {
            const qsizetype length = i - eightBit_.start;
            if (eightBit_.carried.isEmpty() && !eightBit_.handedOn) {
                // The common case, a run within the piece: straight to the output, or dropped.
                if (length >= minimumRun_) {
                    appendWindows1252(out, piece.sliced(eightBit_.start, length));
                    out += QLatin1Char('\n');
                }
                eightBit_.inRun = false;
            } else {
                appendWindows1252(eightBit_.carried, piece.sliced(eightBit_.start, length));
                endRun(eightBit_, out);
            }
        }
        if ((kind & kWideHigh) || wideInRun) {
            if (i > 0)
                wideUnit(i, p[i - 1], b, int((offset_ + i - 1) & 1));
            else if (pendingLow_ >= 0)
                wideUnit(0, uchar(pendingLow_), b, straddling);
        }
    }

    if (eightBit_.inRun) {
        appendWindows1252(eightBit_.carried, piece.sliced(eightBit_.start));
        handOnLongRun(eightBit_, out);
    }
    const int waiting = int((offset_ + n - 1) & 1); // the scanner holding the last byte
    for (int k = 0; k < 2; ++k) {
        if (wide_[k].inRun) {
            appendWide(wide_[k].carried, wide_[k].start, k == waiting ? n - 1 : n);
            handOnLongRun(wide_[k], out);
        }
    }
    pendingLow_ = p[n - 1];
    offset_ += n;
    return out;
}

QString PrintableRuns::finish() {
    QString out;
    for (Scanner* scanner : {&eightBit_, &wide_[0], &wide_[1]}) {
        if (scanner->inRun)
            endRun(*scanner, out);
    }
    pendingLow_ = -1;
    offset_ = 0;
    return out;
}

void PrintableRuns::endRun(Scanner& scanner, QString& out) const {
    if (scanner.handedOn || scanner.carried.size() >= minimumRun_) {
        out += scanner.carried;
        out += QLatin1Char('\n');
    }
    scanner.carried.truncate(0);
    scanner.inRun = false;
    scanner.handedOn = false;
}

void PrintableRuns::handOnLongRun(Scanner& scanner, QString& out) const {
    constexpr qsizetype kLongRun = 1 << 16;
    if (scanner.carried.size() >= kLongRun && scanner.carried.size() >= minimumRun_) {
        out += scanner.carried;
        scanner.carried.clear();
        scanner.handedOn = true;
    }
}

} // namespace findolin
