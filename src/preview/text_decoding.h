#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <optional>

namespace findolin {

// Windows-1252, the code page of the office's old files: Latin-1 with printable characters
// (€, „, “, –, …) in 0x80-0x9F. The five codes it leaves undefined map to U+FFFD.
QString decodeWindows1252(QByteArrayView bytes);

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
    std::optional<Encoding> encoding_;
    QStringDecoder decoder_; // for the Unicode encodings
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
    explicit PrintableRuns(int minimumRun = 3);

    QString feed(QByteArrayView piece);
    QString finish();

private:
    // Opaque state of the three scanners (8-bit, UTF-16LE at even and at odd offsets).
    struct Scanner {
        QString run;
        int pendingLow = -1; // UTF-16 scanners: the low byte waiting for its high byte
    };
    void flush(Scanner& scanner, QString& out) const;

    int minimumRun_;
    Scanner eightBit_;
    Scanner wide_[2];
    qint64 offset_ = 0;
};

} // namespace findolin
