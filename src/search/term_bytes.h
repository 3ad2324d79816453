#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <array>
#include <vector>

namespace findolin {

// A test on a file's raw bytes that rules a term out without decoding the file: most files of a
// search do not hold the term, and for them decoding and case-folding every byte is wasted work.
// The term is spelt in each encoding the loader reads plain text and binary files in (UTF-8,
// Windows-1252, UTF-16 in both byte orders), with every character that case-folds to each of its
// characters (so "k" also stands as the Kelvin sign). If none of these spellings is in the bytes,
// no decoding of them holds the term. A spelling in ASCII proves the term in a plain-text file
// read as UTF-8 or Windows-1252, where ASCII bytes are always the characters they spell; any
// other spelling proves nothing (the file may be rich text, or the bytes may straddle two runs
// of a binary file), and the caller then reads the text.
class TermBytes {
public:
    enum class Found { Nothing, Spelling, AsciiSpelling };

    // `foldedTerm` as QString::toCaseFolded() gives it.
    explicit TermBytes(QStringView foldedTerm);

    // Whether the test can rule the term out at all: not for an empty term (in every text), nor
    // for one holding U+FFFD or a lone surrogate (which a decoder makes of broken bytes) or a
    // line end (which joins the runs of a binary file).
    bool usable() const { return usable_; }
    // The best spelling of the term in `bytes`.
    Found find(QByteArrayView bytes) const;
    // The longest spelling: a scan in pieces carries this many bytes less one to the next piece.
    qsizetype longestSpelling() const { return longest_; }

private:
    // A term in one encoding: for each character, its spellings (one per character that folds
    // to it). Found by a byte of its rarest character at a fixed offset (the anchor): the first
    // byte of a character (UTF-16BE: the second, as the first is mostly zero).
    struct Pattern {
        std::vector<std::vector<QByteArray>> characters;
        size_t anchorCharacter = 0;
        qsizetype anchorByte = 0;   // in the anchor character's spellings
        qsizetype anchorOffset = 0; // of the anchor byte from the pattern's start
        bool matchesAt(QByteArrayView bytes, qsizetype start) const;
        bool matchesFrom(QByteArrayView bytes, qsizetype at, size_t character) const;
    };

    static void chooseAnchor(Pattern& pattern, qsizetype byteInCharacter);
    void addPattern(Pattern pattern);

    std::vector<Pattern> patterns_;
    bool hasAscii_ = false;             // the first pattern is the term's ASCII spelling
    std::array<quint8, 256> anchors_{}; // for each byte, the patterns it may anchor (bit mask)
    QByteArray anchorBytes_;            // the distinct anchor bytes
    qsizetype longest_ = 0;
    bool usable_ = true;
};

} // namespace findolin
