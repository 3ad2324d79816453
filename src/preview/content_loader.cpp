#include "preview/content_loader.h"

#include "platform/read_only_file.h"
#include "preview/text_decoding.h"

#include <QFile>

namespace findolin {
namespace {

const RtfFormat kPlain;

// Hands the file's bytes, from `head` on, to `consume` until the file ends or the consumer has
// had enough.
Result<void> pump(ReadOnlyFile& file, QByteArray head,
                  const std::function<bool(QByteArrayView)>& consume) {
    for (QByteArray piece = std::move(head); !piece.isEmpty();) {
        if (!consume(piece))
            return {};
        auto next = file.read(ContentLoader::kPieceBytes);
        if (!next)
            return next.error();
        piece = std::move(next.value());
    }
    return {};
}

Result<void> readPlainText(ReadOnlyFile& file, QByteArray head, const FormattedSink& sink) {
    TextDecoder decoder;
    bool wanted = true;
    const auto failure = pump(file, std::move(head), [&](QByteArrayView piece) {
        wanted = sink(decoder.decode(piece), kPlain);
        return wanted;
    });
    if (failure.ok() && wanted)
        sink(decoder.finish(), kPlain);
    return failure;
}

Result<void> readRichText(ReadOnlyFile& file, QByteArray head, const FormattedSink& sink) {
    bool wanted = true;
    RtfReader reader([&](QStringView text, const RtfFormat& format) {
        if (wanted)
            wanted = sink(text, format);
    });
    const auto failure = pump(file, std::move(head), [&](QByteArrayView piece) {
        reader.feed(piece);
        return wanted;
    });
    if (failure.ok() && wanted)
        reader.finish();
    return failure;
}

Result<void> readPrintableRuns(ReadOnlyFile& file, QByteArray head, const FormattedSink& sink) {
    PrintableRuns runs;
    bool wanted = true;
    const auto failure = pump(file, std::move(head), [&](QByteArrayView piece) {
        wanted = sink(runs.feed(piece), kPlain);
        return wanted;
    });
    if (failure.ok() && wanted)
        sink(runs.finish(), kPlain);
    return failure;
}

// A file whose container could not be read as what it claims: start over with its bytes.
Result<void> readRunsFromStart(const QString& path, const FormattedSink& sink) {
    auto file = ReadOnlyFile::open(path);
    if (!file)
        return file.error();
    auto head = file->read(ContentLoader::kPieceBytes);
    if (!head)
        return head.error();
    return readPrintableRuns(*file, std::move(head.value()), sink);
}

// Every page of a PDF document is an object ("3 0 obj"). A file that holds none has nothing the
// PDF library could show, and asking it costs far more than reading the file's runs: an office's
// folders hold many broken files that begin like a PDF. Only a file read whole is judged so.
bool mayHoldPdfPages(QByteArrayView head) {
    return head.size() >= ContentLoader::kPieceBytes || head.contains("obj");
}

// The same for a zip container: one that can be opened ends with the record of its folder
// ("PK\5\6"), and one without it is read as its bytes whatever the reader tries first.
bool mayBeOpenableZip(QByteArrayView head) {
    return head.size() >= ContentLoader::kPieceBytes || head.contains("PK\x05\x06");
}

bool readZipContainer(ReadOnlyFile& file, const FormattedSink& sink) {
    QFile device;
    if (!device.open(file.descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle) ||
        !device.seek(0))
        return false;
    return readOfficeText(device, [&](QStringView piece) { return sink(piece, kPlain); });
}

} // namespace

ContentKind contentKindOf(QByteArrayView head) {
    if (looksLikeRtf(head))
        return ContentKind::RichText;
    if (head.startsWith("%PDF-") && mayHoldPdfPages(head))
        return ContentKind::Pdf;
    if (looksLikeZip(head) && mayBeOpenableZip(head))
        return ContentKind::ZipContainer;
    return looksBinary(head) ? ContentKind::Binary : ContentKind::PlainText;
}

Result<void> ContentLoader::readFormatted(const QString& path, const FormattedSink& sink) const {
    auto file = ReadOnlyFile::open(path);
    if (!file)
        return file.error();
    return readFormatted(*file, path, sink);
}

Result<void> ContentLoader::readFormatted(ReadOnlyFile& file, const QString& path,
                                          const FormattedSink& sink) const {
    auto head = file.read(kPieceBytes);
    if (!head)
        return head.error();
    switch (contentKindOf(head.value())) {
    case ContentKind::PlainText:
        return readPlainText(file, std::move(head.value()), sink);
    case ContentKind::RichText:
        return readRichText(file, std::move(head.value()), sink);
    case ContentKind::Pdf:
        if (pdf_ && pdf_(path, [&](QStringView piece) { return sink(piece, kPlain); }))
            return {};
        return readRunsFromStart(path, sink);
    case ContentKind::ZipContainer:
        if (readZipContainer(file, sink))
            return {};
        return readRunsFromStart(path, sink);
    case ContentKind::Binary:
        break;
    }
    return readPrintableRuns(file, std::move(head.value()), sink);
}

Result<void> ContentLoader::readText(const QString& path, const TextSink& sink) const {
    return readFormatted(path, [&](QStringView piece, const RtfFormat&) { return sink(piece); });
}

Result<void> ContentLoader::readText(ReadOnlyFile& file, const QString& path,
                                     const TextSink& sink) const {
    return readFormatted(file, path,
                         [&](QStringView piece, const RtfFormat&) { return sink(piece); });
}

} // namespace findolin
