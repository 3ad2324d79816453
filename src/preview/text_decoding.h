#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <optional>

namespace findolin {

// The length of the valid UTF-8 sequence at `p` (no overlong form, surrogate or code point beyond
// U+10FFFF); 0 when there is none; -1 when the bytes are valid so far but end before it does.
int validUtf8Sequence(const uchar* p, qsizetype available);

// Windows-1252, the code page of the office's old files: Latin-1 with printable characters
// (€, „, “, –, …) in 0x80-0x9F. The five codes it leaves undefined map to U+FFFD.
QString decodeWindows1252(QByteArrayView bytes);
// The same, appended to `text` without a string in between.
void appendWindows1252(QString& text, QByteArrayView bytes);

// Turns the bytes of a plain-text file into text, piece by piece, so that a file of any size can
// be read in bounded memory. The encoding is chosen from the first piece: a byte-order mark
// (UTF-8, UTF-16LE, UTF-16BE), else UTF-8 when that piece is valid UTF-8 (a sequence cut at
// its end counts as valid), else Windows-1252. A sequence split between two pieces comes out whole.
class TextDecoder {
public:
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

    QString decode(QByteArrayView piece);
    // What is left when the file ends (an incomplete sequence becomes U+FFFD).
    QString finish();
    // Known after the first non-empty piece.
    std::optional<Encoding> encoding() const { return encoding_; }

private:
    void chooseEncoding(QByteArrayView first);
    static qsizetype bomLength(Encoding encoding, QByteArrayView first);
    QString decodeChosen(QByteArrayView piece);
    QString decodeUtf8(QByteArrayView piece);

    std::optional<Encoding> encoding_;
    QByteArray start_;       // the first bytes, while they may be the start of a byte-order mark
    QStringDecoder decoder_; // for UTF-16
    // UTF-8: the start of a sequence cut at the end of the last piece, held back until it is whole.
    char held_[4] = {};
    int heldLength_ = 0;
    bool oddByte_ = false; // UTF-16: the last piece ended inside a code unit
};

// Whether the start of a file looks like binary data rather than text: it holds a NUL byte and
// has no UTF-16 byte-order mark.
bool looksBinary(QByteArrayView head);

// The readable text inside a binary file (an old Word or Excel file, a program, anything), piece
// by piece: runs of printable Windows-1252 characters, and runs of printable characters stored
// as UTF-16LE (at either byte alignment). Each run is handed on as a line of its own, so that two
// runs never join into a word that is not in the file; runs shorter than `minimumRun` characters
// are dropped as noise. A run split between two pieces comes out whole.
class PrintableRuns {
public:
    static constexpr int kMinimumRun = 3;
    explicit PrintableRuns(int minimumRun = kMinimumRun);

    // Whether the text, when a file holds it in ASCII, always comes out whole within one run
    // (with the least run length of the default): printable ASCII only, and no shorter than a run.
    static bool keepsWhole(QStringView text);

    QString feed(QByteArrayView piece);
    QString finish();

private:
    // The run one scanner is in (8-bit, UTF-16LE at even and at odd offsets).
    struct Scanner {
        QString carried;     // its characters from earlier pieces
        qsizetype start = 0; // where its part in the current piece begins
        bool inRun = false;
        bool handedOn = false; // a very long run is handed on in parts to bound the memory
    };
    void endRun(Scanner& scanner, QString& out) const;
    void handOnLongRun(Scanner& scanner, QString& out) const;

    int minimumRun_;
    Scanner eightBit_;
    Scanner wide_[2];     // indexed by the offset's parity of the units' low bytes
    int pendingLow_ = -1; // the last byte of the last piece: the low byte of a unit cut in two
    qint64 offset_ = 0;
};

} // namespace findolin
