#include "search/term_bytes.h"

#include "preview/text_decoding.h"

#include <QChar>
#include <QHash>
#include <QString>
#include <algorithm>
#include <cstring>
#include <limits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace findolin {
namespace {

// Every character that case-folds to another one, listed under the one it folds to.
const QHash<char32_t, std::vector<char32_t>>& foldedFrom() {
    static const auto table = [] {
        QHash<char32_t, std::vector<char32_t>> from;
        for (char32_t c = 0; c <= 0x10ffff; ++c) {
            if (c >= 0xd800 && c <= 0xdfff)
                continue;
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded != c)
                from[folded].push_back(c);
        }
        return from;
    }();
    return table;
}

// The Windows-1252 byte of each character the code page has, as the decoder reads it.
const QHash<char32_t, char>& windows1252Bytes() {
    static const auto table = [] {
        QHash<char32_t, char> bytes;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString decoded = decodeWindows1252(QByteArrayView(&byte, 1));
            if (decoded.size() == 1 && decoded[0] != QChar::ReplacementCharacter)
                bytes.insert(decoded[0].unicode(), byte);
        }
        return bytes;
    }();
    return table;
}

// How often a byte turns up in the files a search reads (German text, and the zeros of binary
// files and UTF-16), in tenths of a percent: a term is looked for by its rarest character.
int commonness(uchar byte) {
    static const auto table = [] {
        std::array<int, 256> often{};
        often.fill(3);
        const char* const letters = "enisratdhulcgmobwfkzpvjyxq";
        const int perMille[] = {174, 98, 76, 73, 70, 65, 62, 51, 48, 44, 34, 31, 30,
                                25,  25, 19, 19, 17, 12, 11, 8,  7,  3,  1,  1,  1};
        for (int i = 0; letters[i]; ++i) {
            often[uchar(letters[i])] = perMille[i];
            often[uchar(letters[i] - 'a' + 'A')] = perMille[i] / 4 + 1;
        }
        for (char digit = '0'; digit <= '9'; ++digit)
            often[uchar(digit)] = 10;
        often[' '] = 150;
        often[0] = 200;
        often[0xc3] = 20; // the lead byte of umlauts in UTF-8
        return often;
    }();
    return table[byte];
}

enum class Encoding { Ascii, Utf8, Windows1252, Utf16LE, Utf16BE };

// The character's bytes in the encoding; empty when the encoding has no such character.
QByteArray spelling(char32_t c, Encoding encoding) {
    // Not QString::fromUcs4, which takes U+FEFF for a byte-order mark and drops it.
    const char16_t pair[2] = {QChar::highSurrogate(c), QChar::lowSurrogate(c)};
    const QString text = QChar::requiresSurrogates(c)
                             ? QString(reinterpret_cast<const QChar*>(pair), 2)
                             : QString(QChar(char16_t(c)));
    switch (encoding) {
    case Encoding::Ascii:
        return c < 0x80 ? QByteArray(1, char(c)) : QByteArray();
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Windows1252: {
        const auto found = windows1252Bytes().constFind(c);
        return found == windows1252Bytes().cend() ? QByteArray() : QByteArray(1, *found);
    }
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        QByteArray bytes;
        for (const QChar unit : text) {
            const char high = char(unit.unicode() >> 8), low = char(unit.unicode() & 0xff);
            bytes += encoding == Encoding::Utf16LE ? QByteArray{&low, 1} + high
                                                   : QByteArray{&high, 1} + low;
        }
        return bytes;
    }
    }
    return {};
}

} // namespace

TermBytes::TermBytes(QStringView foldedTerm) {
    const QList<uint> characters = foldedTerm.toUcs4();
    usable_ = !characters.isEmpty();
    for (const uint c : characters) {
        usable_ = usable_ && c != QChar::ReplacementCharacter && !QChar::isSurrogate(c) &&
                  c != u'\n'; // a binary file's runs are joined by line ends of their own
    }
    if (!usable_)
        return;
    for (const Encoding encoding : {Encoding::Ascii, Encoding::Utf8, Encoding::Windows1252,
                                    Encoding::Utf16LE, Encoding::Utf16BE}) {
        Pattern pattern;
        qsizetype length = 0;
        for (const uint c : characters) {
            std::vector<char32_t> variants{c};
            const auto from = foldedFrom().constFind(c);
            if (from != foldedFrom().cend())
                variants.insert(variants.end(), from->begin(), from->end());
            std::vector<QByteArray> spellings;
            qsizetype longest = 0;
            for (const char32_t variant : variants) {
                QByteArray bytes = spelling(variant, encoding);
                if (!bytes.isEmpty() &&
                    std::find(spellings.begin(), spellings.end(), bytes) == spellings.end()) {
                    longest = std::max(longest, bytes.size());
                    spellings.push_back(std::move(bytes));
                }
            }
            if (spellings.empty()) {
                pattern.characters.clear(); // the encoding cannot spell the term
                break;
            }
            length += longest;
            pattern.characters.push_back(std::move(spellings));
        }
        // An ASCII term is spelt alike in ASCII, UTF-8 and Windows-1252: one look is enough.
        const auto sameSpellings = [&](const Pattern& known) {
            return known.characters == pattern.characters;
        };
        if (pattern.characters.empty() ||
            std::any_of(patterns_.begin(), patterns_.end(), sameSpellings))
            continue;
        chooseAnchor(pattern, encoding == Encoding::Utf16BE ? 1 : 0);
        hasAscii_ = hasAscii_ || encoding == Encoding::Ascii;
        longest_ = std::max(longest_, length);
        addPattern(std::move(pattern));
    }
}

void TermBytes::chooseAnchor(Pattern& pattern, qsizetype byteInCharacter) {
    // Only a character after spellings of one length each is at a fixed offset from the start.
    pattern.anchorByte = byteInCharacter;
    qsizetype offset = 0;
    int rarest = std::numeric_limits<int>::max();
    for (size_t i = 0; i < pattern.characters.size(); ++i) {
        const std::vector<QByteArray>& spellings = pattern.characters[i];
        QByteArray bytes;
        for (const QByteArray& spelt : spellings) {
            if (!bytes.contains(spelt[byteInCharacter]))
                bytes += spelt[byteInCharacter];
        }
        int score = 0;
        for (const char byte : bytes)
            score += commonness(uchar(byte));
        if (score < rarest) {
            rarest = score;
            pattern.anchorCharacter = i;
            pattern.anchorOffset = offset + byteInCharacter;
        }
        const auto sameLength = [&](const QByteArray& spelt) {
            return spelt.size() == spellings.front().size();
        };
        if (!std::all_of(spellings.begin(), spellings.end(), sameLength))
            break;
        offset += spellings.front().size();
    }
}

void TermBytes::addPattern(Pattern pattern) {
    for (const QByteArray& spelt : pattern.characters[pattern.anchorCharacter]) {
        const auto anchor = uchar(spelt[pattern.anchorByte]);
        if (!anchors_[anchor])
            anchorBytes_ += char(anchor);
        anchors_[anchor] |= quint8(1u << patterns_.size());
    }
    patterns_.push_back(std::move(pattern));
}

bool TermBytes::Pattern::matchesFrom(QByteArrayView bytes, qsizetype at, size_t character) const {
    if (character == characters.size())
        return true;
    for (const QByteArray& spelt : characters[character]) {
        const qsizetype length = spelt.size();
        if (at + length > bytes.size() || bytes[at] != spelt[0] ||
            std::memcmp(bytes.data() + at + 1, spelt.data() + 1, size_t(length - 1)) != 0)
            continue;
        if (matchesFrom(bytes, at + length, character + 1))
            return true;
    }
    return false;
}

bool TermBytes::Pattern::matchesAt(QByteArrayView bytes, qsizetype start) const {
    return start >= 0 && matchesFrom(bytes, start, 0);
}

TermBytes::Found TermBytes::find(QByteArrayView bytes) const {
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    Found found = Found::Nothing;
    quint8 wanted = quint8((1u << patterns_.size()) - 1);
    // Whether the scan may stop at a spelling anchored at `at`.
    const auto settledAt = [&](qsizetype at) {
        for (quint8 mask = anchors_[data[at]] & wanted; mask; mask &= mask - 1) {
            const int index = __builtin_ctz(mask);
            const Pattern& pattern = patterns_[size_t(index)];
            if (!pattern.matchesAt(bytes, at - pattern.anchorOffset))
                continue;
            if (hasAscii_ && index == 0) {
                found = Found::AsciiSpelling;
                return true;
            }
            found = Found::Spelling;
            if (!hasAscii_)
                return true;
            wanted = 1; // only the ASCII spelling can tell more
        }
        return false;
    };
    qsizetype at = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time against each anchor byte; a term has few (its first letter's cases).
    if (!anchorBytes_.isEmpty() && anchorBytes_.size() <= 4) {
        __m128i anchor[4];
        for (qsizetype i = 0; i < 4; ++i)
            anchor[i] = _mm_set1_epi8(anchorBytes_[std::min(i, anchorBytes_.size() - 1)]);
        for (; at + 16 <= size; at += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
            const __m128i hits = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(block, anchor[0]), _mm_cmpeq_epi8(block, anchor[1])),
                _mm_or_si128(_mm_cmpeq_epi8(block, anchor[2]), _mm_cmpeq_epi8(block, anchor[3])));
            for (unsigned mask = unsigned(_mm_movemask_epi8(hits)); mask; mask &= mask - 1) {
                if (settledAt(at + __builtin_ctz(mask)))
                    return found;
            }
        }
    }
#endif
    for (; at < size; ++at) {
        if (anchors_[data[at]] && settledAt(at))
            return found;
    }
    return found;
}

} // namespace findolin
