#pragma once

#include "platform/read_only_file.h"
#include "platform/result.h"
#include "preview/office_text.h"
#include "preview/rtf_reader.h"

#include <QString>
#include <functional>
#include <optional>

namespace findolin {

// Receives a document's text with its formatting (plain for everything but rich text), piece by
// piece; answers false when it wants no more.
using FormattedSink = std::function<bool(QStringView piece, const RtfFormat& format)>;

// Reads the text of a PDF document into the sink; false when the file is no readable PDF. The
// core has no PDF library, so the window hands in a reader.
using PdfTextReader = std::function<bool(const QString& path, const TextSink& sink)>;

// What a file holds, told by its first bytes, not by its name: `head` is the file's first piece
// of ContentLoader::kPieceBytes, so a shorter one is the whole file.
enum class ContentKind { PlainText, RichText, Pdf, ZipContainer, Binary };
ContentKind contentKindOf(QByteArrayView head);

// Turns any file into text, the one loader behind the text search and the text preview:
// plain text in its encoding, rich text without its markup, the text of PDF and office
// documents, and the printable runs of everything else (old Word and Excel files included).
// Files are read in bounded pieces, never whole, and never written to.
class ContentLoader {
public:
    explicit ContentLoader(PdfTextReader pdf = {}) : pdf_(std::move(pdf)) {}

    // Streams the file's text into the sink. Fails when the file cannot be read; a file whose
    // format turns out broken still gives its printable runs.
    Result<void> readFormatted(const QString& path, const FormattedSink& sink) const;
    Result<void> readText(const QString& path, const TextSink& sink) const;
    // The same for a file already open at its start (`path` names it, for the readers that need
    // a name); opening a file costs as much as reading a small one.
    Result<void> readFormatted(ReadOnlyFile& file, const QString& path,
                               const FormattedSink& sink) const;
    Result<void> readText(ReadOnlyFile& file, const QString& path, const TextSink& sink) const;

    static constexpr qsizetype kPieceBytes = 256 * 1024;

private:
    PdfTextReader pdf_;
};

} // namespace findolin
